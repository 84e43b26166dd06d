#include "ResultReader.h"

#include "FetchProgress.h"

#include "AdoTypes.h"
#include "shared/RuntimeError.h"

#include <QDate>
#include <QTime>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <sqlucode.h>
#include <string>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

constexpr SQLULEN blockRows = 512;
constexpr std::size_t blockBytesLimit = 4u << 20; // keeps the row arrays of wide rows in bounds
constexpr SQLLEN currencyBufferBytes = 64;

// The exact money value of a decimal text ("12.5", "-0.0001"), rounded half away from zero at
// the fourth decimal. Texts in other forms go through a double.
bool parseCurrency(const char* text, std::size_t length, std::int64_t& scaled) {
    std::size_t i = 0;
    while (i < length && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint64_t units = 0;
    int decimals = 0;
    bool digits = false, point = false;
    int roundDigit = -1;
    for (; i < length; ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            digits = true;
            if (!point || decimals < 4) {
                const auto digit = std::uint64_t(ch - '0');
                if (units > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
                units = units * 10 + digit;
                if (point) ++decimals;
            } else if (roundDigit < 0) {
                roundDigit = ch - '0';
            }
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    while (i < length && text[i] == ' ')
        ++i;
    if (!digits) return false;
    if (i < length) {
        // An exponent or other form: the double is good enough for what a driver writes that way.
        bool ok = false;
        const double d = QByteArray(text, qsizetype(length)).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(d) || std::fabs(d) > 9.2e14) return false;
        scaled = std::int64_t(std::llround(d * 10000.0));
        return true;
    }
    for (; decimals < 4; ++decimals) {
        if (units > std::numeric_limits<std::uint64_t>::max() / 10) return false;
        units *= 10;
    }
    if (roundDigit >= 5) units += 1;
    if (units > std::uint64_t(std::numeric_limits<std::int64_t>::max())) return false;
    scaled = negative ? -std::int64_t(units) : std::int64_t(units);
    return true;
}

// The cell of a date: checked, and encoded without a QDateTime (see RowStore::encodeDateTime).
bool encodeTimestamp(const SQL_TIMESTAMP_STRUCT& ts, std::int64_t& out) {
    const QDate date(ts.year, ts.month, ts.day);
    const QTime time(ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000));
    if (!date.isValid() || !time.isValid()) return false;
    out = RowStore::encodeDateTime(date, time);
    return true;
}

// ADO gives a time of day on the platform's day zero.
bool encodeTime(const SQL_TIME_STRUCT& t, std::int64_t& out) {
    const QTime time(t.hour, t.minute, t.second);
    if (!time.isValid()) return false;
    out = RowStore::encodeDateTime(QDate(1899, 12, 30), time);
    return true;
}

struct ColumnPlan {
    SQLUSMALLINT number = 0; // 1-based
    RowStore::CellKind kind = RowStore::CellKind::Text;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN elementBytes = 0;
    bool bound = false;
    bool utf8 = false; // a text bound as SQL_C_CHAR, which the driver gives in UTF-8
    // A number or date bound as SQL_C_CHAR and read by the program; `cType` is the type that
    // asks the driver for the value when the text is in a form the program does not read.
    bool asText = false;
    std::vector<char> buffer;
    std::vector<SQLLEN> indicators;
};

SQLSMALLINT cTypeFor(RowStore::CellKind kind, long adoType) {
    switch (kind) {
    case RowStore::CellKind::Text:
        return SQL_C_WCHAR;
    case RowStore::CellKind::Integer:
        return SQL_C_SBIGINT;
    case RowStore::CellKind::Double:
        return SQL_C_DOUBLE;
    case RowStore::CellKind::Currency:
        return SQL_C_CHAR;
    case RowStore::CellKind::Date:
        return adoType == adDBTime ? SQL_C_TYPE_TIME : SQL_C_TYPE_TIMESTAMP;
    case RowStore::CellKind::Boolean:
        return SQL_C_BIT;
    }
    return SQL_C_WCHAR;
}

SQLLEN elementBytesFor(const ColumnPlan& p, const ColumnType& t) {
    if (p.asText) return currencyBufferBytes; // a longer text is no number or date of ours
    if (p.utf8) {
        // A likely size, not a bound: a longer value is read again whole. Small buffers keep
        // the driver's copy (which pads the buffer out) cheap; the room beyond the declared
        // size is for letters of two bytes.
        const SQLLEN declared =
            t.longData ? 255 : SQLLEN(t.definedSize) + SQLLEN(t.definedSize) / 2;
        return std::clamp<SQLLEN>(declared + 1, 64, 1024);
    }
    switch (p.cType) {
    case SQL_C_WCHAR: {
        // Room for the declared size twice over: a server's size may count bytes or code points
        // where we count UTF-16 units, and binary columns come as two hex digits per byte.
        const SQLLEN chars = t.type == adGUID ? 40 : SQLLEN(t.definedSize) * 2 + 1;
        return chars * SQLLEN(sizeof(SQLWCHAR));
    }
    case SQL_C_SBIGINT:
        return sizeof(std::int64_t);
    case SQL_C_DOUBLE:
        return sizeof(double);
    case SQL_C_CHAR:
        return currencyBufferBytes;
    case SQL_C_TYPE_TIME:
        return sizeof(SQL_TIME_STRUCT);
    case SQL_C_TYPE_TIMESTAMP:
        return sizeof(SQL_TIMESTAMP_STRUCT);
    case SQL_C_BIT:
        return sizeof(unsigned char);
    }
    return 0;
}

// Stores one fixed-size value (bound or read with SQLGetData) into the row store.
void storeFixed(RowStore& store, long column, SQLSMALLINT cType, const char* data,
                SQLLEN indicator) {
    if (indicator == SQL_NULL_DATA) {
        store.appendNull(column);
        return;
    }
    switch (cType) {
    case SQL_C_SBIGINT: {
        std::int64_t v;
        std::memcpy(&v, data, sizeof v);
        store.appendInteger(column, v);
        return;
    }
    case SQL_C_DOUBLE: {
        double v;
        std::memcpy(&v, data, sizeof v);
        store.appendDouble(column, v);
        return;
    }
    case SQL_C_BIT:
        store.appendInteger(column, data[0] != 0 ? 1 : 0);
        return;
    case SQL_C_CHAR: {
        std::int64_t scaled = 0;
        const std::size_t length =
            indicator >= 0 ? std::min<std::size_t>(std::size_t(indicator), currencyBufferBytes - 1)
                           : std::strlen(data);
        if (parseCurrency(data, length, scaled)) {
            store.appendInteger(column, scaled);
        } else {
            store.appendNull(column); // a text in a money column that is no amount at all
        }
        return;
    }
    case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT ts;
        std::memcpy(&ts, data, sizeof ts);
        std::int64_t encoded = 0;
        if (encodeTimestamp(ts, encoded)) {
            store.appendInteger(column, encoded);
        } else {
            store.appendNull(column);
        }
        return;
    }
    case SQL_C_TYPE_TIME: {
        SQL_TIME_STRUCT t;
        std::memcpy(&t, data, sizeof t);
        std::int64_t encoded = 0;
        if (encodeTime(t, encoded)) {
            store.appendInteger(column, encoded);
        } else {
            store.appendNull(column);
        }
        return;
    }
    }
    store.appendNull(column);
}

// Asks the driver for one fixed-size value of the current row, in `cType`, and stores it.
void storeFromDriver(const OdbcConnection& c, const OdbcHandle& stmt, RowStore& store, long column,
                     SQLUSMALLINT number, SQLSMALLINT cType) {
    alignas(16) char value[currencyBufferBytes] = {};
    SQLLEN indicator = 0;
    if (!c.check(SQLGetData(stmt.get(), number, cType, value, sizeof value, &indicator), stmt,
                 OdbcAccept::SuccessOrNoData))
        indicator = SQL_NULL_DATA;
    storeFixed(store, column, cType, value, indicator);
}

// Reads `digits` decimal digits at `p`.
bool readDigits(const char*& p, const char* end, int digits, int& out) {
    if (end - p < digits) return false;
    out = 0;
    for (int k = 0; k < digits; ++k, ++p) {
        if (*p < '0' || *p > '9') return false;
        out = out * 10 + (*p - '0');
    }
    return true;
}

// "hh:mm" or "hh:mm:ss", with any fraction of a second, at `p`.
bool readTime(const char*& p, const char* end, SQL_TIME_STRUCT& t, SQLUINTEGER& fraction) {
    int hour = 0, minute = 0, second = 0;
    if (!readDigits(p, end, 2, hour) || p == end || *p++ != ':' || !readDigits(p, end, 2, minute))
        return false;
    if (p < end && *p == ':') {
        ++p;
        if (!readDigits(p, end, 2, second)) return false;
        if (p < end && *p == '.') {
            ++p;
            // Nanoseconds, as the driver gives them: the digits past the ninth are dropped.
            int digits = 0;
            std::uint64_t value = 0;
            for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits) {
                if (digits < 9) value = value * 10 + std::uint64_t(*p - '0');
            }
            if (digits == 0) return false;
            for (; digits < 9; ++digits)
                value *= 10;
            fraction = SQLUINTEGER(value);
        }
    }
    t.hour = SQLUSMALLINT(hour);
    t.minute = SQLUSMALLINT(minute);
    t.second = SQLUSMALLINT(second);
    return true;
}

// Stores a number or date that the SQLite driver gave as the text SQLite keeps, read here rather
// than by the driver, whose own conversion costs a tenth of a large read. False for a text in
// another form, which the driver then converts.
bool storeFromText(RowStore& store, long column, const ColumnPlan& p, const char* text,
                   std::size_t length) {
    const char* begin = text;
    const char* end = text + length;
    switch (p.kind) {
    case RowStore::CellKind::Integer:
    case RowStore::CellKind::Boolean: {
        std::int64_t v = 0;
        const auto [stop, error] = std::from_chars(begin, end, v);
        if (error != std::errc() || stop != end) return false;
        store.appendInteger(column, v);
        return true;
    }
    case RowStore::CellKind::Double: {
        double v = 0;
        const auto [stop, error] = std::from_chars(begin, end, v);
        if (error != std::errc() || stop != end || !std::isfinite(v)) return false;
        store.appendDouble(column, v);
        return true;
    }
    case RowStore::CellKind::Date: {
        std::int64_t encoded = 0;
        if (p.cType == SQL_C_TYPE_TIME) {
            SQL_TIME_STRUCT t{};
            SQLUINTEGER fraction = 0;
            if (!readTime(begin, end, t, fraction) || begin != end || !encodeTime(t, encoded))
                return false;
        } else {
            SQL_TIMESTAMP_STRUCT ts{};
            int year = 0, month = 0, day = 0;
            if (!readDigits(begin, end, 4, year) || begin == end || *begin++ != '-' ||
                !readDigits(begin, end, 2, month) || begin == end || *begin++ != '-' ||
                !readDigits(begin, end, 2, day))
                return false;
            ts.year = SQLSMALLINT(year);
            ts.month = SQLUSMALLINT(month);
            ts.day = SQLUSMALLINT(day);
            if (begin < end && (*begin == ' ' || *begin == 'T')) {
                ++begin;
                SQL_TIME_STRUCT t{};
                if (!readTime(begin, end, t, ts.fraction)) return false;
                ts.hour = t.hour;
                ts.minute = t.minute;
                ts.second = t.second;
            }
            if (begin != end || !encodeTimestamp(ts, encoded)) return false;
        }
        store.appendInteger(column, encoded);
        return true;
    }
    case RowStore::CellKind::Text:
    case RowStore::CellKind::Currency:
        break;
    }
    return false;
}

// Reads a whole long value with SQLGetData into `bytes`, piece by piece: each call gives what
// fits, the last one the rest. `unit` is the size of a character of `cType` (its terminator's
// size). False for a Null.
bool getLongData(const OdbcConnection& c, const OdbcHandle& stmt, SQLUSMALLINT column,
                 SQLSMALLINT cType, std::size_t unit, std::vector<char>& piece,
                 std::string& bytes) {
    bytes.clear();
    for (;;) {
        SQLLEN indicator = 0;
        const auto bufferBytes = SQLLEN(piece.size());
        const SQLRETURN rc =
            SQLGetData(stmt.get(), column, cType, piece.data(), bufferBytes, &indicator);
        if (!c.check(rc, stmt, OdbcAccept::SuccessOrNoData)) break;
        if (indicator == SQL_NULL_DATA) return false;
        const bool truncated =
            rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator >= bufferBytes);
        if (truncated) {
            bytes.append(piece.data(), piece.size() - unit);
            // Knowing the rest's size, fetch it in one go.
            if (indicator != SQL_NO_TOTAL)
                piece.resize(
                    std::max<std::size_t>(piece.size(), std::size_t(indicator) + 2 * unit));
            continue;
        }
        bytes.append(piece.data(), std::size_t(indicator));
        break;
    }
    if (piece.size() > 131072) piece.resize(8192);
    return true;
}

} // namespace

QString ResultReader::stringAttribute(const OdbcHandle& stmt, SQLUSMALLINT column,
                                      SQLUSMALLINT field) {
    std::vector<SQLWCHAR> buffer(256);
    SQLSMALLINT bytes = 0;
    if (!c_.check(SQLColAttributeW(stmt.get(), column, field, buffer.data(),
                                   SQLSMALLINT(buffer.size() * sizeof(SQLWCHAR)), &bytes, nullptr),
                  stmt, OdbcAccept::Optional))
        return {};
    if (std::size_t(bytes) >= buffer.size() * sizeof(SQLWCHAR)) {
        buffer.resize(std::size_t(bytes) / sizeof(SQLWCHAR) + 1);
        if (!c_.check(SQLColAttributeW(stmt.get(), column, field, buffer.data(),
                                       SQLSMALLINT(buffer.size() * sizeof(SQLWCHAR)), &bytes,
                                       nullptr),
                      stmt, OdbcAccept::Optional))
            return {};
    }
    const qsizetype length =
        std::min<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), qsizetype(buffer.size()) - 1);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer.data()),
                              std::max<qsizetype>(length, 0));
}

std::vector<ColumnInfo> ResultReader::describe(const OdbcHandle& stmt) {
    SQLSMALLINT count = 0;
    c_.check(SQLNumResultCols(stmt.get(), &count), stmt);
    std::vector<ColumnInfo> columns;
    types_.clear();
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(count); ++i) {
        std::vector<SQLWCHAR> name(256);
        SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        c_.check(SQLDescribeColW(stmt.get(), i, name.data(), SQLSMALLINT(name.size()), &nameLength,
                                 &sqlType, &size, &decimals, &nullable),
                 stmt);
        if (nameLength >= SQLSMALLINT(name.size())) {
            name.resize(std::size_t(nameLength) + 1);
            c_.check(SQLDescribeColW(stmt.get(), i, name.data(), SQLSMALLINT(name.size()),
                                     &nameLength, &sqlType, &size, &decimals, &nullable),
                     stmt);
        }
        ColumnInfo info;
        info.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name.data()), nameLength);
        const QString typeName = stringAttribute(stmt, i, SQL_DESC_TYPE_NAME);
        const qint64 columnSize =
            size > SQLULEN(std::numeric_limits<qint64>::max()) ? -1 : qint64(size);
        const ColumnType type = ColumnType::of(sqlType, typeName, columnSize, c_.dialect);
        info.type = type.type;
        info.definedSize = type.definedSize;
        info.nullable = nullable != SQL_NO_NULLS;
        info.baseTable = stringAttribute(stmt, i, SQL_DESC_BASE_TABLE_NAME);
        info.baseColumn = stringAttribute(stmt, i, SQL_DESC_BASE_COLUMN_NAME);
        info.baseSchema = stringAttribute(stmt, i, SQL_DESC_SCHEMA_NAME);
        SQLLEN autoUnique = SQL_FALSE;
        if (c_.check(SQLColAttributeW(stmt.get(), i, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0,
                                      nullptr, &autoUnique),
                     stmt, OdbcAccept::Optional))
            info.autoIncrement = autoUnique == SQL_TRUE;
        columns.push_back(std::move(info));
        types_.push_back(type);
    }
    return columns;
}

// What a reading in steps keeps between them: the plan of each column, the row arrays bound to
// the statement and the place reached in the last block fetched.
struct ResultReader::Reading {
    const OdbcHandle* stmt = nullptr;
    bool typeExpressions = true;
    std::vector<ColumnPlan> plans;
    std::shared_ptr<RowStore> store;
    SQLULEN fetched = 0; // rows of the last block
    SQLULEN next = 0;    // the next of them to take
    std::vector<SQLUSMALLINT> status;
    std::vector<char> piece = std::vector<char>(8192);
    std::string longValue;
    bool bound = false;
    bool ended = false;
};

ResultReader::ResultReader(const OdbcConnection& connection) : c_(connection) {}

ResultReader::~ResultReader() {
    // A reading left half-way still has the row arrays bound: the statement must not outlive
    // them. Failures are of no interest here; the statement is about to go.
    if (r_ && r_->bound && r_->stmt->get()) {
        SQLFreeStmt(r_->stmt->get(), SQL_UNBIND);
        SQLSetStmtAttrW(r_->stmt->get(), SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttrW(r_->stmt->get(), SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    }
}

std::shared_ptr<RowStore> ResultReader::readAll(const OdbcHandle& stmt, bool typeExpressions) {
    std::shared_ptr<RowStore> store = begin(stmt, typeExpressions);
    while (!read(std::numeric_limits<long>::max())) {
    }
    return store;
}

std::shared_ptr<RowStore> ResultReader::begin(const OdbcHandle& stmt, bool typeExpressions) {
    r_ = std::make_unique<Reading>();
    r_->stmt = &stmt;
    r_->typeExpressions = typeExpressions;
    std::vector<ColumnInfo> columns = describe(stmt);
    const std::size_t n = columns.size();
    if (n == 0) {
        // No result set to fetch.
        r_->ended = true;
        r_->store = std::make_shared<RowStore>(std::move(columns));
        return r_->store;
    }
    std::vector<ColumnPlan>& plans = r_->plans;
    plans.resize(n);
    std::size_t firstLong = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (types_[i].longData && firstLong == n) firstLong = i;
    }
    // The SQLite driver hands texts over in UTF-8, as the file keeps them; in UTF-16 it
    // converts each one, which costs about as much as the rest of the fetch. Its declared sizes
    // are no bounds, so every column is bound, a text to a buffer of a likely size, and a longer
    // value is read again whole with SQLGetData, which that driver allows on a bound column of
    // the current row (so one row per fetch; its block fetch is no faster). PostgreSQL's Unicode
    // driver is read the same way where it gives UTF-8: a quarter less work than its UTF-16.
    const bool utf8Texts = c_.textsInUtf8 && c_.getDataBound;
    bool anyUnbound = false;
    std::size_t rowBytes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ColumnPlan& p = plans[i];
        p.number = SQLUSMALLINT(i + 1);
        p.kind = RowStore::kindOf(columns[i].type);
        p.cType = cTypeFor(p.kind, columns[i].type);
        if (utf8Texts && p.kind == RowStore::CellKind::Text) {
            p.cType = SQL_C_CHAR;
            p.utf8 = true;
        } else if (utf8Texts && c_.dialect == Dialect::SQLite) {
            // SQLite keeps numbers and dates as it reads them; PostgreSQL's driver would parse
            // and print them again to give them as text, so it gives them in their own types.
            p.asText = p.cType != SQL_C_CHAR; // money already comes as text
        }
        // Columns after a long one can only be bound when the driver lets SQLGetData read a
        // column that comes before bound ones.
        p.bound = utf8Texts || (!types_[i].longData && (i < firstLong || c_.getDataAnyColumn));
        p.elementBytes = elementBytesFor(p, types_[i]);
        if (p.bound) {
            rowBytes += std::size_t(p.elementBytes) + sizeof(SQLLEN);
        } else {
            anyUnbound = true;
        }
    }
    // SQLGetData on a block of rows is an extension few drivers have: with a long column, or
    // where a value may have to be read again, the rows come one per fetch (the bound columns
    // still arrive without a call per cell).
    SQLULEN rows = anyUnbound || utf8Texts ? 1 : blockRows;
    if (rowBytes > 0 && rows > 1)
        rows = std::clamp<SQLULEN>(blockBytesLimit / rowBytes, 1, blockRows);

    r_->store = std::make_shared<RowStore>(std::move(columns));
    r_->status.assign(rows, SQL_ROW_SUCCESS);
    c_.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_ROW_BIND_TYPE,
                             reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
             stmt);
    c_.check(
        SQLSetStmtAttrW(stmt.get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0),
        stmt);
    c_.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_ROWS_FETCHED_PTR, &r_->fetched, 0), stmt);
    c_.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_ROW_STATUS_PTR, r_->status.data(), 0), stmt);
    r_->bound = true;
    for (ColumnPlan& p : plans) {
        if (!p.bound) continue;
        p.buffer.resize(std::size_t(p.elementBytes) * rows);
        p.indicators.resize(rows);
        c_.check(SQLBindCol(stmt.get(), p.number, p.asText ? SQLSMALLINT(SQL_C_CHAR) : p.cType,
                            p.buffer.data(), p.elementBytes, p.indicators.data()),
                 stmt);
    }

    return r_->store;
}

bool ResultReader::read(long maxRows) {
    Reading& st = *r_;
    if (st.ended) return true;
    const OdbcHandle& stmt = *st.stmt;
    std::vector<ColumnPlan>& plans = st.plans;
    RowStore* store = st.store.get();
    std::vector<char>& piece = st.piece;
    std::string& longValue = st.longValue;
    const std::size_t n = plans.size();
    const auto& info = store->columns();
    long taken = 0;
    for (;;) {
        if (st.next >= st.fetched) {
            if (taken >= maxRows) return false;
            st.fetched = 0;
            st.next = 0;
            if (!c_.check(SQLFetchScroll(stmt.get(), SQL_FETCH_NEXT, 0), stmt,
                          OdbcAccept::SuccessOrNoData) ||
                st.fetched == 0)
                break;
        }
        for (; st.next < st.fetched && taken < maxRows; ++st.next) {
            const SQLULEN r = st.next;
            if (st.status[r] == SQL_ROW_NOROW) continue;
            if (st.status[r] == SQL_ROW_ERROR)
                c_.raise(c_.diagnostics(SQL_HANDLE_STMT, stmt.get()));
            for (std::size_t i = 0; i < n; ++i) {
                ColumnPlan& p = plans[i];
                const long column = long(i);
                if (p.bound) {
                    const SQLLEN indicator = p.indicators[r];
                    const char* data = p.buffer.data() + std::size_t(p.elementBytes) * r;
                    if (p.asText) {
                        if (indicator == SQL_NULL_DATA) {
                            store->appendNull(column);
                        } else if (indicator < 0 || indicator >= p.elementBytes ||
                                   !storeFromText(*store, column, p, data,
                                                  std::size_t(indicator))) {
                            storeFromDriver(c_, stmt, *store, column, p.number, p.cType);
                        }
                    } else if (p.utf8) {
                        if (indicator == SQL_NULL_DATA) {
                            store->appendNull(column);
                        } else if (indicator == SQL_NO_TOTAL || indicator >= p.elementBytes) {
                            if (getLongData(c_, stmt, p.number, SQL_C_CHAR, 1, piece, longValue)) {
                                store->appendUtf8(column, longValue.data(), longValue.size());
                            } else {
                                store->appendNull(column);
                            }
                        } else {
                            store->appendUtf8(column, data, std::size_t(indicator));
                        }
                    } else if (p.cType == SQL_C_WCHAR) {
                        if (indicator == SQL_NULL_DATA) {
                            store->appendNull(column);
                        } else if (indicator == SQL_NO_TOTAL || indicator >= p.elementBytes) {
                            raiseError(
                                adErrUnspecified,
                                u"El valor del campo \"%1\" es más largo que el tamaño que "
                                u"declara el controlador (%2 caracteres)."_s.arg(info[i].name)
                                    .arg(info[i].definedSize),
                                c_.driver);
                        } else {
                            store->appendText(
                                column,
                                QStringView(reinterpret_cast<const char16_t*>(data),
                                            qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR)))));
                        }
                    } else {
                        storeFixed(*store, column, p.cType, data, indicator);
                    }
                    continue;
                }
                if (p.cType == SQL_C_WCHAR) {
                    if (getLongData(c_, stmt, p.number, SQL_C_WCHAR, sizeof(SQLWCHAR), piece,
                                    longValue)) {
                        store->appendText(
                            column, QStringView(reinterpret_cast<const char16_t*>(longValue.data()),
                                                qsizetype(longValue.size() / sizeof(SQLWCHAR))));
                    } else {
                        store->appendNull(column);
                    }
                    continue;
                }
                storeFromDriver(c_, stmt, *store, column, p.number, p.cType);
            }
            store->endRow();
            ++taken;
            if ((store->rowCount() & 4095) == 0) reportFetchProgress(long(store->rowCount()));
        }
        if (taken >= maxRows) return false;
    }
    finish();
    return true;
}

void ResultReader::finish() {
    Reading& st = *r_;
    const OdbcHandle& stmt = *st.stmt;
    RowStore* store = st.store.get();
    st.ended = true;
    // The row arrays go with the reading: unbind them before the statement outlives them.
    st.bound = false;
    c_.check(SQLFreeStmt(stmt.get(), SQL_UNBIND), stmt);
    c_.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0), stmt);
    c_.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_ROW_STATUS_PTR, nullptr, 0), stmt);

    // SQLite types an expression column (count(*), max(id)...) by its values, and its driver
    // calls every such column varchar(255): numbers come back as numbers when all of them are.
    if (st.typeExpressions && c_.dialect == Dialect::SQLite) {
        for (long i = 0; i < store->columnCount(); ++i) {
            // The driver names the label as the base column of an expression, but no base table.
            if (store->columns()[std::size_t(i)].baseTable.isEmpty()) store->retypeNumericText(i);
        }
    }
    store->squeeze();
}

} // namespace ado
