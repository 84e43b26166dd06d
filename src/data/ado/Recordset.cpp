#include "Recordset.h"

#include "AdoError.h"
#include "Connection.h"
#include "FieldCoercion.h"
#include "OdbcConnection.h"
#include "RecordWriter.h"
#include "RecordsetImpl.h"
#include "ResultReader.h"
#include "SqlDialect.h"
#include "shared/RuntimeError.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

const QString recordsetSource = u"ADODB.Recordset"_s;

// The table of a one-table "SELECT ... FROM table [alias] [WHERE|ORDER BY|...]", for drivers that
// do not name the base table of their columns (FreeTDS without browse information).
void parseSimpleTable(const QString& sql, Dialect dialect, QString& table, QString& schema) {
    static const QRegularExpression simple(
        uR"(^\s*select\s.+?\sfrom\s+([\w.\[\]"$#@]+)(?:\s+(?:as\s+)?(?!(?:where|order|group|having|limit|join|inner|left|right|full|cross|union)\b)\w+)?\s*(?:(?:where|order|group|having|limit)\b.*)?;?\s*$)"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = simple.match(sql);
    if (!m.hasMatch()) return;
    const QStringList parts = m.captured(1).split(u'.');
    table = SqlDialect::catalogName(dialect, parts.last());
    schema =
        parts.size() >= 2 ? SqlDialect::catalogName(dialect, parts[parts.size() - 2]) : QString();
}

} // namespace

QString Recordset::Impl::commandText(const QString& source, long options) {
    const long command =
        options == adCmdUnspecified ? adCmdUnspecified : (options & ~long(adExecuteNoRecords));
    if (command == adCmdTable || command == adCmdTableDirect)
        return u"SELECT * FROM "_s + source.trimmed();
    if (command == adCmdStoredProc) return u"{call "_s + source.trimmed() + u'}';
    return source;
}

void Recordset::Impl::adopt(std::shared_ptr<RowStore> rows, Connection* on, const QString& text,
                            long lock) {
    store = std::move(rows);
    nullInTable.clear();
    connection = on;
    connectionAlive = on ? on->lifetime() : std::weak_ptr<void>();
    source = text;
    lockType = lock == adLockUnspecified ? adLockReadOnly : lock;
    // A client cursor is always static, whatever was asked for, as ADO reports it.
    cursorType = adOpenStatic;
    position = 0;
    mode = EditMode::None;
    buffer.clear();
    changed.clear();
    open = true;
}

void Recordset::Impl::requireOpen() const {
    if (!open) raiseAdoError(adErrObjectClosed, recordsetSource);
}

bool Recordset::Impl::atRecord() const {
    return open && position >= 0 && position < store->rowCount();
}

void Recordset::Impl::requireCurrent() const {
    requireOpen();
    if (!atRecord()) raiseAdoError(adErrNoCurrentRecord, recordsetSource);
}

void Recordset::Impl::requireUpdatable() const {
    requireOpen();
    if (lockType == adLockReadOnly) {
        raiseAdoError(
            adErrFeatureNotAvailable, recordsetSource,
            u"El conjunto de registros es de solo lectura (tipo de bloqueo adLockReadOnly)."_s);
    }
}

Connection& Recordset::Impl::liveConnection() const {
    if (!connection || connectionAlive.expired() || connection->State() != adStateOpen) {
        raiseAdoError(adErrObjectClosed, recordsetSource,
                      u"La conexión del conjunto de registros está cerrada."_s);
    }
    return *connection;
}

void Recordset::Impl::finishEdit(Recordset& owner) {
    if (mode != EditMode::None) owner.Update();
}

bool Recordset::Impl::takesNull(long ordinal) const {
    const std::vector<ColumnInfo>& columns = store->columns();
    if (!columns[std::size_t(ordinal)].nullable) return false;
    if (nullInTable.empty()) {
        nullInTable.assign(columns.size(), 1);
        try {
            const ColumnInfo& first = columns[std::size_t(ordinal)];
            const QString base = first.baseTable.isEmpty() ? table : first.baseTable;
            const QString owner = first.baseTable.isEmpty() ? schema : first.baseSchema;
            if (base.isEmpty()) return true;
            std::unique_ptr<Recordset> described =
                liveConnection().OpenSchema(adSchemaColumns, {QString(), owner, base});
            const RowStore& rows = *described->d->store;
            // COLUMN_NAME is the fourth column of the schema, IS_NULLABLE the eighth.
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const QString name =
                    columns[c].baseColumn.isEmpty() ? columns[c].name : columns[c].baseColumn;
                if (!columns[c].baseTable.isEmpty() &&
                    columns[c].baseTable.compare(base, Qt::CaseInsensitive) != 0)
                    continue;
                for (long r = 0; r < rows.rowCount(); ++r) {
                    if (rows.value(r, 3).toDisplayString().compare(name, Qt::CaseInsensitive) ==
                        0) {
                        nullInTable[c] = rows.value(r, 7).toBool() ? 1 : 0;
                        break;
                    }
                }
            }
        } catch (const RuntimeError&) {
            // Not described: the driver's word stands.
        }
    }
    return nullInTable[std::size_t(ordinal)] != 0;
}

Recordset::Recordset() : d(std::make_unique<Impl>()) {}

Recordset::~Recordset() = default;

// The statement of a recordset being read in steps, and its reader.
struct RecordFeed::State {
    std::weak_ptr<void> connectionAlive;
    OdbcHandle stmt;
    std::unique_ptr<ResultReader> reader;
};

RecordFeed::RecordFeed(std::unique_ptr<State> state) : s_(std::move(state)) {}

RecordFeed::~RecordFeed() {
    stop();
}

bool RecordFeed::read(long rows) {
    if (ended_) return true;
    if (s_->connectionAlive.expired())
        raiseAdoError(adErrObjectClosed, recordsetSource, u"La conexión no está abierta."_s);
    if (!s_->reader->read(rows)) return false;
    ended_ = true;
    s_->reader.reset();
    s_->stmt.reset();
    return true;
}

void RecordFeed::stop() {
    if (ended_) return;
    ended_ = true;
    // A connection already gone took its statements with it: the reader then has nothing to
    // unbind. Otherwise it unbinds its arrays before the statement goes.
    if (s_->connectionAlive.expired()) s_->stmt.release();
    s_->reader.reset();
    s_->stmt.reset();
}

void Recordset::Open(const QString& source, Connection& activeConnection, long cursorType,
                     long lockType, long options) {
    (void)cursorType; // the cursor is client-side and static: see adopt()
    open(source, activeConnection, lockType, options, -1);
}

std::unique_ptr<RecordFeed> Recordset::OpenPartly(const QString& source,
                                                  Connection& activeConnection, long cursorType,
                                                  long lockType, long options, long firstRows) {
    (void)cursorType;
    return open(source, activeConnection, lockType, options, std::max(firstRows, 1L));
}

std::unique_ptr<RecordFeed> Recordset::open(const QString& source, Connection& activeConnection,
                                            long lockType, long options, long firstRows) {
    if (d->open) raiseAdoError(adErrObjectOpen, recordsetSource);
    OdbcConnection* odbc = activeConnection.odbc();
    if (!odbc) raiseAdoError(adErrObjectClosed, recordsetSource, u"La conexión no está abierta."_s);
    QString text = Impl::commandText(source, options);
    const long command =
        options == adCmdUnspecified ? adCmdUnspecified : (options & ~long(adExecuteNoRecords));
    if (odbc->dialect == Dialect::PostgreSQL &&
        (command == adCmdTable || command == adCmdTableDirect)) {
        // A whole table comes in the order of its key, as a clustered table does from SQL Server
        // and a rowid table from SQLite: the server's own order is where each row was last
        // written, so a row would move to the end at the next reload after every edit.
        QStringList keys = RecordWriter::primaryKeyNames(
            *odbc, SqlDialect::catalogName(odbc->dialect, source.trimmed().section(u'.', -1)), {});
        for (QString& key : keys)
            key = u'"' + key.replace(u"\""_s, u"\"\""_s) + u'"';
        if (!keys.isEmpty()) text += u" ORDER BY "_s + keys.join(u", "_s);
    }
    const QString sql = activeConnection.toDriverSql(text);
    // Forward-only and read-only on the driver's side whatever the recordset will allow: the
    // rows are read once, in order, and that is the statement SQLite's driver streams instead of
    // loading the whole result first.
    auto state = std::make_unique<RecordFeed::State>();
    OdbcHandle& stmt = state->stmt;
    stmt = odbc->newStatement();
    odbc->check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_CURSOR_TYPE,
                                reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0),
                stmt, OdbcAccept::Optional);
    odbc->check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_CONCURRENCY,
                                reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0),
                stmt, OdbcAccept::Optional);
    odbc->check(SQLExecDirectW(stmt.get(), wide(sql), SQL_NTS), stmt, OdbcAccept::SuccessOrNoData);
    state->reader = std::make_unique<ResultReader>(*odbc);
    std::shared_ptr<RowStore> rows = state->reader->begin(stmt);
    // Only SQLite and PostgreSQL run other statements on a connection while a result is still
    // being read (the key's description below, a write); elsewhere the rows all come now.
    const bool inSteps =
        firstRows > 0 && (odbc->dialect == Dialect::SQLite || odbc->dialect == Dialect::PostgreSQL);
    const bool ended = state->reader->read(inSteps ? firstRows : std::numeric_limits<long>::max());
    if (ended) {
        state->reader.reset();
        stmt.reset();
    }
    // A statement that returns no rows (an UPDATE) has run, and leaves the recordset closed.
    if (rows->columnCount() == 0) return {};

    QString table, schema;
    parseSimpleTable(sql, activeConnection.dialect(), table, schema);
    d->adopt(std::move(rows), &activeConnection, source, lockType);
    d->table = table;
    d->schema = schema;
    if (d->lockType != adLockReadOnly && d->store->columnCount() > 0) {
        RecordWriter writer(*odbc, *d->store, table, schema);
        const QString base = writer.tableOf(0);
        if (!base.isEmpty())
            d->store->setKeyColumns(writer.keyColumns(base, writer.schemaOf(0), false));
    }
    if (ended) return {};
    state->connectionAlive = activeConnection.lifetime();
    return std::unique_ptr<RecordFeed>(new RecordFeed(std::move(state)));
}

void Recordset::Open(const QString& source, const QString& connectionString, long cursorType,
                     long lockType, long options) {
    if (d->open) raiseAdoError(adErrObjectOpen, recordsetSource);
    auto own = std::make_unique<Connection>();
    own->setCursorLocation(adUseClient);
    own->Open(connectionString);
    Open(source, *own, cursorType, lockType, options);
    d->ownConnection = std::move(own);
}

void Recordset::Close() {
    d->requireOpen();
    // An edit nobody wrote is dropped with the recordset, as the caller chose to close it.
    d->mode = Impl::EditMode::None;
    d->buffer.clear();
    d->changed.clear();
    d->open = false;
    d->store.reset();
    d->connection = nullptr;
    d->connectionAlive.reset();
    d->ownConnection.reset();
}

long Recordset::State() const {
    return d->open ? adStateOpen : adStateClosed;
}

bool Recordset::BOF() const {
    d->requireOpen();
    return d->store->rowCount() == 0 || d->position < 0;
}

bool Recordset::Eof() const {
    d->requireOpen();
    return d->store->rowCount() == 0 || d->position >= d->store->rowCount();
}

void Recordset::MoveFirst() {
    d->requireOpen();
    d->finishEdit(*this);
    if (d->store->rowCount() == 0) raiseAdoError(adErrNoCurrentRecord, recordsetSource);
    d->position = 0;
}

void Recordset::MoveLast() {
    d->requireOpen();
    d->finishEdit(*this);
    if (d->store->rowCount() == 0) raiseAdoError(adErrNoCurrentRecord, recordsetSource);
    d->position = d->store->rowCount() - 1;
}

void Recordset::MoveNext() {
    d->requireOpen();
    if (Eof()) raiseAdoError(adErrNoCurrentRecord, recordsetSource);
    d->finishEdit(*this);
    ++d->position;
}

void Recordset::MovePrevious() {
    d->requireOpen();
    if (BOF()) raiseAdoError(adErrNoCurrentRecord, recordsetSource);
    d->finishEdit(*this);
    --d->position;
}

long Recordset::RecordCount() const {
    d->requireOpen();
    return d->store->rowCount();
}

long Recordset::AbsolutePosition() const {
    d->requireOpen();
    return d->atRecord() ? d->position + 1 : adPosUnknown;
}

void Recordset::setAbsolutePosition(long position) {
    d->requireOpen();
    if (position < 1 || position > d->store->rowCount())
        raiseAdoError(adErrInvalidArgument, recordsetSource);
    d->finishEdit(*this);
    d->position = position - 1;
}

std::vector<std::vector<Variant>> Recordset::GetRows(long rows) {
    d->requireOpen();
    d->finishEdit(*this);
    if (!d->atRecord()) raiseAdoError(adErrNoCurrentRecord, recordsetSource);
    const long available = d->store->rowCount() - d->position;
    const long count = rows < 0 ? available : std::min(rows, available);
    std::vector<std::vector<Variant>> result(std::size_t(d->store->columnCount()));
    for (long c = 0; c < d->store->columnCount(); ++c) {
        auto& column = result[std::size_t(c)];
        column.reserve(std::size_t(count));
        for (long r = 0; r < count; ++r)
            column.push_back(d->store->value(d->position + r, c));
    }
    d->position += count;
    return result;
}

long Recordset::FieldCount() const {
    d->requireOpen();
    return d->store->columnCount();
}

Field Recordset::Fields(long ordinal) {
    d->requireOpen();
    if (ordinal < 0 || ordinal >= d->store->columnCount()) {
        raiseAdoError(adErrItemNotFound, recordsetSource, u"(Campo %1)"_s.arg(ordinal));
    }
    return Field(this, ordinal);
}

Field Recordset::Fields(const QString& name) {
    d->requireOpen();
    const QString wanted = name.trimmed();
    const auto& columns = d->store->columns();
    for (long i = 0; i < long(columns.size()); ++i) {
        if (columns[std::size_t(i)].name.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return Field(this, i);
    }
    raiseAdoError(adErrItemNotFound, recordsetSource, u"(Campo \"%1\")"_s.arg(wanted));
}

void Recordset::AddNew() {
    d->requireUpdatable();
    d->finishEdit(*this);
    d->liveConnection();
    const long n = d->store->columnCount();
    d->positionBeforeAdd = d->position;
    d->store->appendRow(std::vector<Variant>(std::size_t(n), Variant::null()));
    d->position = d->store->rowCount() - 1;
    d->mode = Impl::EditMode::New;
    d->buffer.assign(std::size_t(n), Variant::null());
    d->changed.assign(std::size_t(n), false);
}

void Recordset::Update() {
    d->requireOpen();
    if (d->mode == Impl::EditMode::None) return;
    d->requireUpdatable();
    OdbcConnection& odbc = *d->liveConnection().odbc();
    RecordWriter writer(odbc, *d->store, d->table, d->schema);
    const long row = d->position;
    if (d->mode == Impl::EditMode::Changed) {
        writer.update(row, d->buffer, d->changed);
    } else {
        const RecordWriter::GeneratedKey key = writer.insert(d->buffer, d->changed);
        if (key.column >= 0) {
            d->buffer[std::size_t(key.column)] = key.value;
            d->changed[std::size_t(key.column)] = true;
        }
    }
    // Written: the recordset now holds what the database holds.
    for (long c = 0; c < d->store->columnCount(); ++c) {
        if (d->changed[std::size_t(c)]) d->store->setCell(row, c, d->buffer[std::size_t(c)]);
    }
    d->mode = Impl::EditMode::None;
    d->buffer.clear();
    d->changed.clear();
}

void Recordset::CancelUpdate() {
    d->requireOpen();
    if (d->mode == Impl::EditMode::New) {
        d->store->removeRow(d->store->rowCount() - 1);
        d->position = std::clamp(d->positionBeforeAdd, -1L, d->store->rowCount());
    }
    d->mode = Impl::EditMode::None;
    d->buffer.clear();
    d->changed.clear();
}

void Recordset::Delete(long affect) {
    d->requireUpdatable();
    if (affect != adAffectCurrent) {
        raiseAdoError(adErrFeatureNotAvailable, recordsetSource,
                      u"Solo se puede eliminar el registro actual."_s);
    }
    if (d->mode == Impl::EditMode::New) {
        // The new record was never written: deleting it is dropping it.
        CancelUpdate();
        return;
    }
    d->requireCurrent();
    OdbcConnection& odbc = *d->liveConnection().odbc();
    RecordWriter writer(odbc, *d->store, d->table, d->schema);
    writer.remove(d->position);
    d->mode = Impl::EditMode::None;
    d->buffer.clear();
    d->changed.clear();
    d->store->removeRow(d->position);
}

bool Recordset::editing() const {
    return d->mode != Impl::EditMode::None;
}

long Recordset::EditMode() const {
    switch (d->mode) {
    case Impl::EditMode::Changed:
        return adEditInProgress;
    case Impl::EditMode::New:
        return adEditAdd;
    case Impl::EditMode::None:
        break;
    }
    return adEditNone;
}

long Recordset::CursorType() const {
    return d->cursorType;
}

long Recordset::LockType() const {
    return d->lockType;
}

QString Recordset::Source() const {
    return d->source;
}

Connection* Recordset::ActiveConnection() const {
    if (!d->connection || d->connectionAlive.expired()) return nullptr;
    return d->connection;
}

std::shared_ptr<const RowStore> Recordset::rows() const {
    return d->store;
}

long Recordset::currentIndex() const {
    return d->atRecord() ? d->position : -1;
}

} // namespace ado
