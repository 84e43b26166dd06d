#include "RowWriter.h"

#include "CellStore.h"
#include "DataControl.h"
#include "EditState.h"
#include "FlexGrid.h"
#include "GridSource.h"
#include "data/DB_Dll.h"
#include "data/SqlHelpers.h"
#include "data/ado/AdoTypes.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "shared/Util.h"
#include "startup/ModGlobal.h"

#include <QColor>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

RowWriter::RowWriter(FlexGrid& grid, DataControl& data1, DB_Dll& db, EditState& state)
    : grid_(grid), data1_(data1), db_(db), state_(state),
      registro_(std::make_unique<ado::Recordset>()), elimina_(std::make_unique<ado::Recordset>()) {}

RowWriter::~RowWriter() = default;

void RowWriter::setLoadedSource(std::shared_ptr<const GridSource> source) {
    loaded_ = std::move(source);
    written_.clear();
    newRecords_.clear();
    failure_.reset();
}

QString RowWriter::sentenciaRegistro(const QString& table, const QString& key) {
    // The key exactly as the cell holds it: a text key ' 5 ' is not the record '5'.
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]{1,18}$"));
    const QString literal = integer.match(key).hasMatch()
                                ? key
                                : u'\'' + QString(key).replace(u'\'', QStringLiteral("''")) + u'\'';
    return QStringLiteral("select top 1 * from ") + table + QStringLiteral(" where id = ") +
           literal;
}

QString RowWriter::storedText(int row, int column) const {
    const auto it =
        written_.find(std::uint64_t(grid_.cells().rowId(row - 1)) << 16 | std::uint32_t(column));
    if (it != written_.end()) return it->second;
    const int source = grid_.cells().sourceRow(row - 1);
    if (source < 0 || !loaded_ || column >= loaded_->columnCount()) return {};
    return loaded_->text(source, column);
}

void RowWriter::remember(int row, int column, const QString& text) {
    written_[std::uint64_t(grid_.cells().rowId(row - 1)) << 16 | std::uint32_t(column)] = text;
}

QStringList RowWriter::rowTexts(int row) const {
    QStringList texts;
    for (int c = 0; c < grid_.Cols(); ++c)
        texts << grid_.TextMatrix(row, c);
    return texts;
}

CellRule RowWriter::rule(int column) const {
    ado::Recordset& rs = data1_.Recordset();
    if (rs.State() != ado::adStateOpen || column < 0 || column >= rs.FieldCount()) return {};
    return CellRule(rs.Fields(column));
}

CellRule::Record RowWriter::recordOf(int row) const {
    return state_.gRegistroNuevo && int(std::nearbyint(state_.gFilaPendiente)) == row
               ? CellRule::Record::New
               : CellRule::Record::Existing;
}

bool RowWriter::holdsNoRecord(int row) const {
    if (row <= 0 || row >= grid_.Rows() || grid_.cells().sourceRow(row - 1) >= 0) return false;
    return !newRecords_.contains(grid_.cells().rowId(row - 1)) &&
           recordOf(row) == CellRule::Record::Existing;
}

bool RowWriter::hasText(int row) const {
    for (int c = 0; c < grid_.Cols(); ++c) {
        if (!grid_.TextMatrix(row, c).trimmed().isEmpty()) return true;
    }
    return false;
}

bool RowWriter::failedUnchanged() const {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    return failure_ && row > 0 && row < grid_.Rows() &&
           grid_.cells().rowId(row - 1) == failure_->rowId && rowTexts(row) == failure_->texts;
}

int RowWriter::refusedColumn() const {
    if (!failure_) return -1;
    return failure_->refused.empty() ? failure_->firstChanged : failure_->refused.front();
}

namespace {

// The error prompt of the writes: 4 retries, 5 skips the step, any other answer abandons. The
// database's own text is often English and never says which row it is about: a Spanish line that
// says what failed comes first.
int ask(const RuntimeError& e, const QString& what) {
    return ModGlobal::gUtil().ReportError(
        RuntimeError(e.number(), what + QStringLiteral("\n") + e.description(), e.source()));
}

QString writing(int row) {
    return QStringLiteral("No se pudo grabar la fila %1 en la base de datos.").arg(row);
}

bool among(const std::vector<int>& columns, int c) {
    return std::find(columns.begin(), columns.end(), c) != columns.end();
}

} // namespace

// Writes the changed cells of an existing record. A value the operator skips ("Omitir") stays
// refused and the rest is written; abandoning writes nothing.
RowWriter::Outcome RowWriter::writeExisting(int row, std::vector<int>& refused,
                                            std::vector<int>& changed) {
    const int first = state_.gTieneId ? 1 : 0;
    for (int c = first; c < grid_.Cols(); ++c) {
        if (grid_.TextMatrix(row, c) != storedText(row, c)) changed.push_back(c);
    }
    if (changed.empty()) return Outcome::Written;

    bool opened = false;
    bool abandoned = false;
    Procedure p([&](const RuntimeError& e) {
        const int answer = ask(e, writing(row));
        if (answer == Prompt::Retry) return OnFailure::Retry;
        // Without the record nothing can be written, whatever the answer.
        if (answer == Prompt::Ignore && opened) return OnFailure::Next;
        if (registro_->State() == ado::adStateOpen && registro_->editing())
            registro_->CancelUpdate();
        abandoned = true;
        return OnFailure::Leave;
    });
    const QString key = grid_.TextMatrix(row, 0);
    p.step([&] {
        QString sql = sentenciaRegistro(state_.RecordSource, key);
        db_.AbrirRecordset(sql, *registro_, {}, ado::adOpenDynamic, ado::adLockOptimistic, -1,
                           true);
        if (registro_->State() == ado::adStateOpen && registro_->Eof()) {
            raiseError(
                ado::adErrRowNotFound,
                QStringLiteral(
                    "El registro %1 ya no está en la base de datos: otro operador lo eliminó. "
                    "Lo que escribió sigue en la grilla.")
                    .arg(key.trimmed()),
                state_.RecordSource);
        }
    });
    // A failed open was reported there (a lost connection among others): there is no record to
    // write into, and nothing more to ask.
    if (p.left() || registro_->State() != ado::adStateOpen) return Outcome::Failed;

    opened = true;
    const bool fromSource = grid_.cells().sourceRow(row - 1) >= 0;
    for (int c : changed) {
        const QString text = grid_.TextMatrix(row, c);
        bool declined = false;
        const bool set = p.step([&] {
            ado::Field field = registro_->Fields(c);
            const QString now = GridSource::displayText(field.Value());
            const QString before = storedText(row, c);
            if (fromSource && now != before && now != text) {
                const int answer = prompts().message(
                    QStringLiteral(
                        "Otro usuario modificó el campo %1 de este registro desde que se leyó.\n"
                        "Valor leído: %2\nValor actual: %3\nSu valor: %4\n\n¿Desea reemplazarlo "
                        "con su valor?")
                        .arg(field.Name(), before, now, text),
                    QStringLiteral("Registro modificado"), Prompt::Buttons::YesNo,
                    Prompt::Icon::Question);
                if (answer != Prompt::Yes) {
                    declined = true;
                    return;
                }
            }
            field.setValue(rule(c).value(text, CellRule::Record::Existing, db_.util()));
        });
        if (abandoned) {
            refused = {c};
            return Outcome::Failed;
        }
        if (!set) refused.push_back(c);
        if (declined) {
            // Nothing is written; the row shows what is stored now.
            if (registro_->editing()) registro_->CancelUpdate();
            for (int k = first; k < grid_.Cols() && k < registro_->FieldCount(); ++k) {
                const QString stored = GridSource::displayText(registro_->Fields(k).Value());
                grid_.setTextMatrix(row, k, stored);
                remember(row, k, stored);
            }
            refused.clear();
            return Outcome::Written;
        }
    }

    const bool updated = p.step([&] { registro_->Update(); });
    if (abandoned) return Outcome::Failed;
    std::vector<int> written;
    for (int c : changed) {
        if (!among(refused, c)) written.push_back(c);
    }
    if (!updated) {
        // "Omitir" on the update: the database refused the row as a whole, so each value is tried
        // on its own; the ones it refuses stay marked and pending.
        if (registro_->editing()) registro_->CancelUpdate();
        std::vector<int> alone;
        for (int c : written) {
            try {
                registro_->Fields(c).setValue(rule(c).value(
                    grid_.TextMatrix(row, c), CellRule::Record::Existing, db_.util()));
                registro_->Update();
                alone.push_back(c);
            } catch (const RuntimeError&) {
                if (registro_->editing()) registro_->CancelUpdate();
                refused.push_back(c);
            }
        }
        written = alone;
    }
    for (int c : written)
        remember(row, c, GridSource::displayText(registro_->Fields(c).Value()));
    return refused.empty() ? Outcome::Written : Outcome::Failed;
}

// Completes the record begun in data1's recordset. The record stays begun when its write fails,
// so that the next attempt completes this record and no other.
RowWriter::Outcome RowWriter::writeNew(int row, std::vector<int>& refused) {
    ado::Recordset& rs = data1_.Recordset();
    bool abandoned = false;
    Procedure p([&](const RuntimeError& e) {
        const int answer = ask(e, writing(row));
        if (answer == Prompt::Retry) return OnFailure::Retry;
        if (answer == Prompt::Ignore) return OnFailure::Next;
        abandoned = true;
        return OnFailure::Leave;
    });
    if (rs.State() == ado::adStateOpen && rs.EditMode() != ado::adEditAdd)
        p.step([&] { rs.AddNew(); });
    if (p.left()) return Outcome::Failed;
    for (int c = 0; c < grid_.Cols() && c < rs.FieldCount(); ++c) {
        const bool set = p.step([&] {
            rs.Fields(c).setValue(
                rule(c).value(grid_.TextMatrix(row, c), CellRule::Record::New, db_.util()));
        });
        if (abandoned) {
            refused = {c};
            return Outcome::Failed;
        }
        if (!set) refused.push_back(c);
    }
    if (!p.step([&] { rs.Update(); })) {
        refused.clear();
        return Outcome::Failed;
    }
    // The record exists now: the row holds an existing record, whatever was skipped.
    state_.gRegistroNuevo = false;
    newRecords_.insert(grid_.cells().rowId(row - 1));
    // The grid shows the key the database gave the record, so the row can be edited again.
    Procedure after(Handler::skip());
    after.step([&] {
        if (state_.gTieneId)
            grid_.setTextMatrix(row, 0, GridSource::displayText(rs.Fields(0).Value()));
    });
    for (int c = 0; c < grid_.Cols() && c < rs.FieldCount(); ++c) {
        if (among(refused, c)) {
            remember(row, c, QString());
        } else {
            after.step([&] { remember(row, c, GridSource::displayText(rs.Fields(c).Value())); });
        }
    }
    after.step([&] { grid_.Refresh(); });
    return refused.empty() ? Outcome::Written : Outcome::Failed;
}

// A begun record left untouched (or abandoned): out of the recordset and out of the grid.
void RowWriter::dropNew(int row) {
    ado::Recordset& rs = data1_.Recordset();
    Procedure p(Handler::skip());
    p.step([&] {
        if (rs.State() == ado::adStateOpen && rs.EditMode() == ado::adEditAdd) rs.CancelUpdate();
    });
    p.step([&] {
        if (grid_.Rows() > 2) {
            grid_.RemoveItem(row);
        } else {
            for (int c = 0; c < grid_.Cols(); ++c)
                grid_.setTextMatrix(row, c, QString());
        }
    });
    state_.gRegistroNuevo = false;
    settle();
}

// Nothing is pending any more: the row was written, dropped or put back.
void RowWriter::settle() {
    forgetFailure();
    state_.gFilaPendiente = 0;
    if (pendingChanged) pendingChanged(0);
}

void RowWriter::fail(int row, std::vector<int> refused, int firstChanged) {
    forgetFailure();
    failure_ =
        Failure{grid_.cells().rowId(row - 1), rowTexts(row), std::move(refused), firstChanged};
    for (int c : failure_->refused)
        grid_.setCellTint(row, c, QColor(255, 170, 170));
}

void RowWriter::forgetFailure() {
    if (failure_) grid_.clearCellTints();
    failure_.reset();
}

void RowWriter::GrabaRegistro() {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    if (row <= 0 || row >= grid_.Rows()) {
        state_.gRegistroNuevo = false;
        settle();
        return;
    }
    // While the data control still reads the table, its statement holds the table (SQLite's file
    // lock): a write waits for the rest of the rows.
    if (!state_.gRegistroNuevo || hasText(row)) data1_.FinishLoad();
    std::vector<int> refused;
    if (state_.gRegistroNuevo) {
        // A record begun and never typed into is not written: nothing is invented.
        if (!hasText(row)) {
            dropNew(row);
            return;
        }
        int firstTyped = 0;
        while (firstTyped < grid_.Cols() - 1 &&
               grid_.TextMatrix(row, firstTyped).trimmed().isEmpty())
            ++firstTyped;
        if (writeNew(row, refused) == Outcome::Written) {
            settle();
        } else {
            fail(row, std::move(refused), firstTyped);
        }
        return;
    }
    std::vector<int> changed;
    if (writeExisting(row, refused, changed) == Outcome::Written) {
        settle();
    } else {
        fail(row, std::move(refused), changed.empty() ? grid_.Col() : changed.front());
    }
}

void RowWriter::GrabaElimina() {
    QString what;
    Procedure p([&](const RuntimeError& e) {
        const int answer = ask(e, what);
        if (answer == Prompt::Retry) return OnFailure::Retry;
        if (answer == Prompt::Ignore) return OnFailure::Next;
        if (elimina_->State() == ado::adStateOpen && elimina_->editing()) elimina_->CancelUpdate();
        return OnFailure::Leave;
    });
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    const QString key = row > 0 && row < grid_.Rows() ? grid_.TextMatrix(row, 0) : QString();
    data1_.FinishLoad();
    if (!key.trimmed().isEmpty()) {
        what = QStringLiteral("No se pudo eliminar el registro de id %1.").arg(key.trimmed());
        QString sql = sentenciaRegistro(state_.RecordSource, key);
        p.step([&] {
            db_.AbrirRecordset(sql, *elimina_, {}, ado::adOpenDynamic, ado::adLockOptimistic, -1,
                               true);
        });
        // A failed open was reported there: nothing is deleted and no second prompt follows.
        if (elimina_->State() != ado::adStateOpen) return;
        p.step([&] { elimina_->Delete(ado::adAffectCurrent); });
        p.step([&] { grid_.RemoveItem(row); });
        if (p.left()) return;
    }
    what = QStringLiteral("No se pudo volver a leer la tabla después de eliminar el registro.");
    p.step([&] { data1_.Refresh(); });
    if (p.left()) return;
    // The reload drops a record begun with Insert and not written.
    state_.gRegistroNuevo = false;
    state_.gFilaPendiente = 0;
    if (pendingChanged) pendingChanged(0);
}

std::optional<PendingRow> RowWriter::pendingRow(int editColumn, const QString& editText) const {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    if (row <= 0 || row >= grid_.Rows()) return std::nullopt;
    PendingRow p;
    p.table = state_.RecordSource;
    p.newRecord = state_.gRegistroNuevo;
    if (!p.newRecord) p.key = grid_.TextMatrix(row, 0).trimmed();
    for (int c = 0; c < grid_.Cols(); ++c) {
        p.columns << grid_.TextMatrix(0, c);
        p.loaded << (p.newRecord ? QString() : storedText(row, c));
        p.typed << (c == editColumn ? editText : grid_.TextMatrix(row, c));
    }
    if (p.changedColumns().isEmpty()) return std::nullopt;
    return p;
}

int RowWriter::restorePending(const PendingRow& kept) {
    // The columns by name: the table may have changed since.
    std::vector<int> at(std::size_t(kept.columns.size()), -1);
    for (qsizetype i = 0; i < kept.columns.size(); ++i) {
        for (int c = 0; c < grid_.Cols(); ++c) {
            if (grid_.TextMatrix(0, c).compare(kept.columns[i], Qt::CaseInsensitive) == 0) {
                at[std::size_t(i)] = c;
                break;
            }
        }
    }
    int row = 0;
    if (kept.newRecord) {
        data1_.Recordset().AddNew();
        grid_.setRows(grid_.Rows() + 1);
        row = grid_.Rows() - 1;
    } else {
        for (int r = 1; r < grid_.Rows() && row == 0; ++r) {
            if (grid_.TextMatrix(r, 0).trimmed() == kept.key) row = r;
        }
        if (row == 0) return 0;
    }
    for (int i : kept.changedColumns()) {
        const int c = at[std::size_t(i)];
        if (c < 0) continue;
        grid_.setTextMatrix(row, c, kept.typed[i]);
        if (!kept.newRecord) remember(row, c, kept.loaded[i]);
    }
    forgetFailure();
    state_.gRegistroNuevo = kept.newRecord;
    state_.gFilaPendiente = row;
    if (pendingChanged) pendingChanged(row);
    return row;
}

void RowWriter::Descartar() {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    if (row > 0 && row < grid_.Rows()) {
        if (state_.gRegistroNuevo) {
            dropNew(row);
            return;
        }
        for (int c = 0; c < grid_.Cols(); ++c)
            grid_.setTextMatrix(row, c, storedText(row, c));
    }
    state_.gRegistroNuevo = false;
    settle();
}
