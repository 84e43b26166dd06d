#include "RowStore.h"

#include "AdoTypes.h"
#include "GrowingArray.h"
#include "shared/RuntimeError.h"

#include <QDate>
#include <QStringEncoder>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

constexpr std::int64_t msPerDay = 86400000;

using Bits = GrowingArray<std::uint64_t>;

bool bit(const Bits& bits, std::size_t i) {
    return (bits[i >> 6] >> (i & 63)) & 1u;
}

void setBit(Bits& bits, std::size_t i, bool value) {
    if ((i >> 6) >= bits.size()) bits.resize((i >> 6) + 1, 0);
    const std::uint64_t mask = std::uint64_t(1) << (i & 63);
    if (value) {
        bits[i >> 6] |= mask;
    } else {
        bits[i >> 6] &= ~mask;
    }
}

// Sets bit i of a bitmap that holds bits 0 to i - 1, as appending a cell does.
inline void appendBit(Bits& bits, std::size_t i, bool value) {
    if ((i >> 6) >= bits.size()) bits.push_back(0);
    if (value) bits[i >> 6] |= std::uint64_t(1) << (i & 63);
}

// Removes bit i of a bitmap of `count` bits, moving the later bits down by one.
void eraseBit(Bits& bits, std::size_t i, std::size_t count) {
    if (i >= count) return;
    const std::size_t words = (count + 63) >> 6;
    const std::size_t w = i >> 6;
    const unsigned b = unsigned(i & 63);
    const std::uint64_t word = bits[w];
    const std::uint64_t low = b == 0 ? 0 : (word & ((std::uint64_t(1) << b) - 1));
    const std::uint64_t high = b == 63 ? 0 : ((word >> (b + 1)) << b);
    bits[w] = low | high;
    for (std::size_t k = w; k + 1 < words; ++k) {
        bits[k] |= (bits[k + 1] & 1u) << 63;
        bits[k + 1] >>= 1;
    }
    // The last bit now lies past the end: clear it so that a later append starts clean.
    const std::size_t last = count - 1;
    bits[last >> 6] &= ~(std::uint64_t(1) << (last & 63));
}

// A plain decimal number as SQLite writes one: integers without leading zeros, reals with a point.
bool plainInteger(std::string_view t, std::int64_t& out) {
    if (t.empty()) return false;
    std::size_t i = t[0] == '-' ? 1 : 0;
    if (i >= t.size()) return false;
    if (t[i] == '0' && t.size() > i + 1) return false;
    for (std::size_t k = i; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9') return false;
    }
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), out);
    return error == std::errc() && end == t.data() + t.size();
}

bool plainReal(std::string_view t, double& out) {
    if (t.empty()) return false;
    std::size_t i = t[0] == '-' ? 1 : 0;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else if ((c == 'e' || c == 'E') && digits) {
            break;
        } else {
            return false;
        }
    }
    if (!digits || !point) return false;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), out);
    return error == std::errc() && end == t.data() + t.size() && std::isfinite(out);
}

} // namespace

struct RowStore::Column {
    CellKind kind = CellKind::Text;
    std::size_t count = 0;
    Bits nulls; // one bit per cell
    Bits flags; // booleans: one bit per cell
    GrowingArray<std::int64_t> numbers;
    GrowingArray<double> reals;
    // Texts live as UTF-8 (half the bytes of UTF-16 for the mostly ASCII texts of a table), one
    // after the other; a cell is its place and length there. A text written over another is
    // added at the end (the old bytes stay until the store goes).
    GrowingArray<char> bytes;
    struct Span {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };
    GrowingArray<Span> spans; // one per cell

    // Puts a text after the others and returns where it starts.
    std::uint32_t store(const char* text, std::size_t n, const QString& columnName) {
        if (n == 0) return 0;
        if (bytes.size() + n > std::numeric_limits<std::uint32_t>::max()) {
            raiseError(
                adErrUnspecified,
                u"Los textos del campo \"%1\" no caben en la memoria del conjunto de registros."_s
                    .arg(columnName),
                u"ADODB.Recordset"_s);
        }
        const auto start = std::uint32_t(bytes.size());
        bytes.append(text, n);
        return start;
    }

    QUtf8StringView text(std::size_t row) const {
        const auto [start, length] = spans[row];
        if (length == 0) return QUtf8StringView("", 0);
        return QUtf8StringView(bytes.data() + start, qsizetype(length));
    }

    void pushDefault() {
        switch (kind) {
        case CellKind::Text:
            spans.push_back({});
            break;
        case CellKind::Double:
            reals.push_back(0.0);
            break;
        case CellKind::Boolean:
            appendBit(flags, count, false);
            break;
        default:
            numbers.push_back(0);
            break;
        }
    }
};

RowStore::RowStore(std::vector<ColumnInfo> columns) : columns_(std::move(columns)) {
    data_.reserve(columns_.size());
    for (const ColumnInfo& c : columns_) {
        auto col = std::make_unique<Column>();
        col->kind = kindOf(c.type);
        data_.push_back(std::move(col));
    }
}

RowStore::~RowStore() = default;

RowStore::CellKind RowStore::kindOf(long adoType) {
    switch (adoType) {
    case adSmallInt:
    case adInteger:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
    case adUnsignedInt:
    case adBigInt:
    case adUnsignedBigInt:
        return CellKind::Integer;
    case adSingle:
    case adDouble:
    case adDecimal:
    case adNumeric:
    case adVarNumeric:
        return CellKind::Double;
    case adCurrency:
        return CellKind::Currency;
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
    case adFileTime:
    case adDBFileTime:
        return CellKind::Date;
    case adBoolean:
        return CellKind::Boolean;
    default:
        return CellKind::Text;
    }
}

RowStore::CellKind RowStore::kind(long column) const {
    return data_[std::size_t(column)]->kind;
}

std::int64_t RowStore::encodeDateTime(const QDateTime& value) {
    return encodeDateTime(value.date(), value.time());
}

std::int64_t RowStore::encodeDateTime(const QDate& date, const QTime& time) {
    return date.toJulianDay() * msPerDay + time.msecsSinceStartOfDay();
}

QDateTime RowStore::decodeDateTime(std::int64_t value) {
    std::int64_t day = value / msPerDay;
    std::int64_t ms = value % msPerDay;
    if (ms < 0) {
        ms += msPerDay;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

bool RowStore::dateAt(long row, long column, QDate& date, QTime& time) const {
    const Column& c = *data_[std::size_t(column)];
    if (kind(column) != CellKind::Date || bit(c.nulls, std::size_t(row))) return false;
    std::int64_t day = c.numbers[std::size_t(row)] / msPerDay;
    std::int64_t ms = c.numbers[std::size_t(row)] % msPerDay;
    if (ms < 0) {
        ms += msPerDay;
        --day;
    }
    date = QDate::fromJulianDay(day);
    time = QTime::fromMSecsSinceStartOfDay(int(ms));
    return true;
}

bool RowStore::isNull(long row, long column) const {
    return bit(data_[std::size_t(column)]->nulls, std::size_t(row));
}

QUtf8StringView RowStore::textUtf8(long row, long column) const {
    const Column& c = *data_[std::size_t(column)];
    if (c.kind != CellKind::Text || bit(c.nulls, std::size_t(row))) return {};
    return c.text(std::size_t(row));
}

QString RowStore::text(long row, long column) const {
    const QUtf8StringView t = textUtf8(row, column);
    return QString::fromUtf8(t.data(), t.size());
}

void RowStore::appendTextTo(long row, long column, QString& out) const {
    const QUtf8StringView t = textUtf8(row, column);
    const qsizetype n = t.size();
    if (n == 0) return;
    // Most texts are ASCII: widened in place, without a temporary string.
    const qsizetype old = out.size();
    out.resize(old + n);
    char16_t* d = reinterpret_cast<char16_t*>(out.data()) + old;
    const auto* p = reinterpret_cast<const unsigned char*>(t.data());
    qsizetype i = 0;
    while (i < n && p[i] < 0x80) {
        d[i] = p[i];
        ++i;
    }
    if (i == n) return;
    out.resize(old + i);
    out += QString::fromUtf8(t.data() + i, n - i);
}

Variant RowStore::value(long row, long column) const {
    const Column& c = *data_[std::size_t(column)];
    const auto r = std::size_t(row);
    if (bit(c.nulls, r)) return Variant::null();
    switch (c.kind) {
    case CellKind::Text:
        return Variant(text(row, column));
    case CellKind::Integer:
        return Variant(static_cast<long long>(c.numbers[r]));
    case CellKind::Double:
        return Variant(c.reals[r]);
    case CellKind::Currency:
        return Variant(Currency{c.numbers[r]});
    case CellKind::Date:
        return Variant(decodeDateTime(c.numbers[r]));
    case CellKind::Boolean:
        return Variant(bit(c.flags, r));
    }
    return Variant::null();
}

void RowStore::appendNull(long column) {
    Column& c = *data_[std::size_t(column)];
    c.pushDefault();
    appendBit(c.nulls, c.count, true);
    ++c.count;
}

void RowStore::appendText(long column, QStringView text) {
    // Encoded into a buffer kept from cell to cell, not a new array per cell.
    thread_local QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    thread_local std::string utf8;
    utf8.resize(std::size_t(encoder.requiredSpace(text.size())));
    const char* end = encoder.appendToBuffer(utf8.data(), text);
    appendUtf8(column, utf8.data(), std::size_t(end - utf8.data()));
}

void RowStore::appendUtf8(long column, const char* text, std::size_t size) {
    if (!QByteArrayView(text, qsizetype(size)).isValidUtf8()) {
        // A database may hold bytes that are no UTF-8: kept as QString would read them (each
        // bad sequence a U+FFFD), so that every reader of the store gets well-formed text.
        const QByteArray repaired = QString::fromUtf8(text, qsizetype(size)).toUtf8();
        appendUtf8(column, repaired.constData(), std::size_t(repaired.size()));
        return;
    }
    Column& c = *data_[std::size_t(column)];
    c.spans.push_back(
        {c.store(text, size, columns_[std::size_t(column)].name), std::uint32_t(size)});
    appendBit(c.nulls, c.count, false);
    ++c.count;
}

void RowStore::appendInteger(long column, std::int64_t value) {
    Column& c = *data_[std::size_t(column)];
    if (c.kind == CellKind::Boolean) {
        appendBit(c.flags, c.count, value != 0);
    } else if (c.kind == CellKind::Double) {
        c.reals.push_back(double(value));
    } else {
        c.numbers.push_back(value);
    }
    appendBit(c.nulls, c.count, false);
    ++c.count;
}

void RowStore::appendDouble(long column, double value) {
    Column& c = *data_[std::size_t(column)];
    if (c.kind == CellKind::Double) {
        c.reals.push_back(value);
    } else if (c.kind == CellKind::Boolean) {
        appendBit(c.flags, c.count, value != 0.0);
    } else {
        c.numbers.push_back(std::int64_t(std::llround(value)));
    }
    appendBit(c.nulls, c.count, false);
    ++c.count;
}

void RowStore::endRow() {
    ++rowCount_;
    for (auto& c : data_) {
        // A column that got no cell for this row gets a Null, so the columns never disagree.
        while (c->count < std::size_t(rowCount_)) {
            c->pushDefault();
            appendBit(c->nulls, c->count, true);
            ++c->count;
        }
    }
}

void RowStore::appendRow(const std::vector<Variant>& values) {
    for (long col = 0; col < columnCount(); ++col)
        appendNull(col);
    endRow();
    setRow(rowCount_ - 1, values);
}

void RowStore::setRow(long row, const std::vector<Variant>& values) {
    for (long col = 0; col < columnCount() && std::size_t(col) < values.size(); ++col) {
        setCell(row, col, values[std::size_t(col)]);
    }
}

void RowStore::setCell(long row, long column, const Variant& value) {
    Column& c = *data_[std::size_t(column)];
    const auto r = std::size_t(row);
    if (value.isNull() || (value.isEmpty() && c.kind != CellKind::Text)) {
        setBit(c.nulls, r, true);
        return;
    }
    switch (c.kind) {
    case CellKind::Text: {
        const QByteArray text = value.toString().toUtf8();
        c.spans[r] = {
            c.store(text.constData(), std::size_t(text.size()), columns_[std::size_t(column)].name),
            std::uint32_t(text.size())};
        break;
    }
    case CellKind::Integer:
        c.numbers[r] = value.toInt64();
        break;
    case CellKind::Double:
        c.reals[r] = value.toDouble();
        break;
    case CellKind::Currency:
        c.numbers[r] = value.toCurrency().scaled;
        break;
    case CellKind::Date:
        c.numbers[r] = encodeDateTime(value.toDateTime());
        break;
    case CellKind::Boolean:
        setBit(c.flags, r, value.toBool());
        break;
    }
    setBit(c.nulls, r, false);
}

void RowStore::removeRow(long row) {
    const auto r = std::size_t(row);
    for (auto& c : data_) {
        switch (c->kind) {
        case CellKind::Text:
            c->spans.erase(r);
            break;
        case CellKind::Double:
            c->reals.erase(r);
            break;
        case CellKind::Boolean:
            eraseBit(c->flags, r, c->count);
            break;
        default:
            c->numbers.erase(r);
            break;
        }
        eraseBit(c->nulls, r, c->count);
        --c->count;
    }
    --rowCount_;
}

void RowStore::squeeze() {
    for (auto& c : data_) {
        c->spans.shrink_to_fit();
        c->numbers.shrink_to_fit();
        c->reals.shrink_to_fit();
        c->bytes.shrink_to_fit();
        c->nulls.shrink_to_fit();
        c->flags.shrink_to_fit();
    }
}

bool RowStore::retypeNumericText(long column) {
    Column& c = *data_[std::size_t(column)];
    const auto utf8 = [this](long r, long col) {
        const QUtf8StringView t = textUtf8(r, col);
        return std::string_view(t.data(), std::size_t(t.size()));
    };
    if (c.kind != CellKind::Text) return false;
    bool allIntegers = true, allReals = true, any = false;
    bool fitsInt32 = true;
    for (long r = 0; r < rowCount_ && (allIntegers || allReals); ++r) {
        if (isNull(r, column)) continue;
        any = true;
        const std::string_view t = utf8(r, column);
        std::int64_t i = 0;
        double d = 0;
        if (plainInteger(t, i)) {
            if (i < std::numeric_limits<std::int32_t>::min() ||
                i > std::numeric_limits<std::int32_t>::max())
                fitsInt32 = false;
            continue;
        }
        allIntegers = false;
        if (!plainReal(t, d)) allReals = false;
    }
    if (!any || (!allIntegers && !allReals)) return false;
    ColumnInfo& info = columns_[std::size_t(column)];
    if (allIntegers) {
        GrowingArray<std::int64_t> numbers;
        numbers.resize(std::size_t(rowCount_), 0);
        for (long r = 0; r < rowCount_; ++r) {
            if (!isNull(r, column)) plainInteger(utf8(r, column), numbers[std::size_t(r)]);
        }
        c.numbers = std::move(numbers);
        c.kind = CellKind::Integer;
        info.type = fitsInt32 ? adInteger : adBigInt;
        info.definedSize = fitsInt32 ? 4 : 8;
    } else {
        GrowingArray<double> reals;
        reals.resize(std::size_t(rowCount_), 0.0);
        for (long r = 0; r < rowCount_; ++r) {
            if (isNull(r, column)) continue;
            std::int64_t i = 0;
            if (plainInteger(utf8(r, column), i)) {
                reals[std::size_t(r)] = double(i);
            } else {
                plainReal(utf8(r, column), reals[std::size_t(r)]);
            }
        }
        c.reals = std::move(reals);
        c.kind = CellKind::Double;
        info.type = adDouble;
        info.definedSize = 8;
    }
    c.bytes.clear();
    c.spans.clear();
    return true;
}

void RowStore::setKeyColumns(const std::vector<long>& columns) {
    for (ColumnInfo& c : columns_)
        c.key = false;
    for (const long c : columns) {
        if (c >= 0 && c < columnCount()) columns_[std::size_t(c)].key = true;
    }
}

std::size_t RowStore::bytes() const {
    std::size_t total = 0;
    for (const auto& c : data_) {
        total += c->nulls.capacityBytes() + c->flags.capacityBytes() + c->numbers.capacityBytes() +
                 c->reals.capacityBytes() + c->bytes.capacityBytes() + c->spans.capacityBytes();
    }
    return total;
}

} // namespace ado
