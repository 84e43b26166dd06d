#include "CellStore.h"

#include "TextOrder.h"
#include "shared/RuntimeError.h"
#include "shared/Variant.h"

#include <QLocale>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Reads a whole cell text as a number under the default locale. Most texts of a table (names,
// addresses, mails) start with a letter, so they are refused before the locale's parser is asked.
class NumberReader {
public:
    NumberReader() {
        const QLocale locale;
        point_ = locale.decimalPoint();
        minus_ = locale.negativeSign();
    }

    bool read(QStringView text, double& out) const {
        qsizetype i = 0;
        const qsizetype n = text.size();
        while (i < n && text[i].isSpace())
            ++i;
        if (i == n) return false;
        const QChar c = text[i];
        const bool plausible = c.isDigit() || c == u'+' || c == u'-' || c == u'.' || c == u',' ||
                               text.sliced(i).startsWith(point_) ||
                               text.sliced(i).startsWith(minus_);
        if (!plausible) return false;
        if (std::none_of(text.begin() + i, text.end(), [](QChar ch) { return ch.isDigit(); })) {
            return false;
        }
        double value = 0;
        if (!readLocaleNumber(text.toString(), value) || !std::isfinite(value)) return false;
        out = value;
        return true;
    }

private:
    QString point_;
    QString minus_;
};

// A double as an unsigned key of the same order; -0 and NaN are taken as 0.
std::uint64_t orderedBits(double value) {
    if (value == 0.0 || std::isnan(value)) value = 0.0;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
}

// The first eight bytes of a key, in the order a whole comparison gives them (a shorter key pads
// with 0, which sorts first as a shorter key does).
std::uint64_t keyPrefix(std::string_view key) {
    std::uint64_t prefix = 0;
    for (std::size_t k = 0; k < 8; ++k)
        prefix = (prefix << 8) | (k < key.size() ? std::uint8_t(key[k]) : 0u);
    return prefix;
}

// Rows whose keys tell how much room all the keys of a column will take.
constexpr std::size_t sampleRows = 256;

int compareNumbers(double a, double b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

// The keys of one sorted column, one entry per display row, built once per sort. A text's key is
// its collation key when it has one (see TextOrder), else the text itself, compared by the
// collator.
struct CellStore::SortKeys {
    SortMode mode = SortMode::None;
    const TextOrder* order = nullptr;
    std::vector<double> number;           // numeric and generic sorts
    std::vector<std::uint8_t> isText;     // generic sort: 1 when the cell sorts as text
    std::vector<std::uint8_t> byCollator; // 1 when the row's text has no key
    std::string texts;                    // text and generic sorts: every key, one after another
    std::vector<std::size_t> offset;      // start of each row's key, plus the end
    // The texts themselves, kept only when some row has no key: such a row is compared by the
    // collator with every other row.
    QString originals;
    std::vector<qsizetype> originalOffset;

    bool numeric() const {
        return mode == SortMode::NumericAscending || mode == SortMode::NumericDescending;
    }
    bool generic() const {
        return mode == SortMode::GenericAscending || mode == SortMode::GenericDescending;
    }
    std::string_view textAt(std::uint32_t row) const {
        return std::string_view(texts).substr(offset[row], offset[row + 1] - offset[row]);
    }
    QStringView originalAt(std::uint32_t row) const {
        return QStringView(originals).sliced(originalOffset[row],
                                             originalOffset[row + 1] - originalOffset[row]);
    }
    bool keyed(std::uint32_t row) const { return byCollator.empty() || !byCollator[row]; }
    int compareTexts(std::uint32_t a, std::uint32_t b) const {
        if (keyed(a) && keyed(b)) return textAt(a).compare(textAt(b));
        return order->compare(originalAt(a), originalAt(b));
    }
    int compare(std::uint32_t a, std::uint32_t b) const {
        if (numeric()) return compareNumbers(number[a], number[b]);
        if (generic()) {
            if (isText[a] != isText[b]) return isText[a] ? 1 : -1;
            if (!isText[a]) return compareNumbers(number[a], number[b]);
        }
        return compareTexts(a, b);
    }
};

CellStore::CellStore() = default;

void CellStore::load(std::shared_ptr<const GridSource> source) {
    source_ = std::move(source);
    sourceRows_ = source_ ? std::max(0, source_->rowCount()) : 0;
    sourceColumns_ = source_ ? std::max(0, source_->columnCount()) : 0;
    columns_ = sourceColumns_;
    headers_.assign(std::size_t(columns_), QString());
    for (int c = 0; c < columns_; ++c)
        headers_[std::size_t(c)] = source_->columnName(c);
    overlay_.clear();
    order_.clear();
    order_.shrink_to_fit();
    order_.resize(std::size_t(sourceRows_));
    std::iota(order_.begin(), order_.end(), std::uint32_t(0));
    nextBlankId_ = firstBlankId;
}

void CellStore::sourceGrew() {
    const int rows = source_ ? std::max(0, source_->rowCount()) : 0;
    if (rows <= sourceRows_) return;
    const std::size_t had = order_.size();
    order_.resize(had + std::size_t(rows - sourceRows_));
    std::iota(order_.begin() + std::ptrdiff_t(had), order_.end(), std::uint32_t(sourceRows_));
    sourceRows_ = rows;
}

const QString* CellStore::written(std::uint32_t id, int column) const {
    if (overlay_.empty()) return nullptr;
    const auto it = overlay_.find(cellKey(id, column));
    return it == overlay_.end() ? nullptr : &it->second;
}

QString CellStore::text(int row, int column) const {
    const std::uint32_t id = order_[std::size_t(row)];
    if (const QString* w = written(id, column)) return *w;
    if (fromSource(id, column)) return source_->text(int(id), column);
    return {};
}

void CellStore::appendText(int row, int column, QString& out) const {
    const std::uint32_t id = order_[std::size_t(row)];
    if (const QString* w = written(id, column))
        out += *w;
    else if (fromSource(id, column))
        source_->appendText(int(id), column, out);
}

void CellStore::setText(int row, int column, const QString& text) {
    overlay_[cellKey(order_[std::size_t(row)], column)] = text;
}

bool CellStore::isWritten(int row, int column) const {
    return written(order_[std::size_t(row)], column) != nullptr;
}

bool CellStore::readsAsNumber(int row, int column) const {
    // A number or date column keeps its alignment whatever is typed into it.
    if (column < sourceColumns_ && source_->holdsNumbers(column)) return true;
    const std::uint32_t id = order_[std::size_t(row)];
    double number = 0;
    if (!written(id, column) && fromSource(id, column) &&
        source_->sortKind(int(id), column, number) == GridSource::Kind::Number) {
        return true;
    }
    return NumberReader().read(text(row, column), number);
}

int CellStore::sourceRow(int row) const {
    const std::uint32_t id = order_[std::size_t(row)];
    return id < std::uint32_t(sourceRows_) ? int(id) : -1;
}

std::uint32_t CellStore::newBlankId() {
    if (nextBlankId_ == std::numeric_limits<std::uint32_t>::max())
        raiseError(ErrorNumber::Overflow);
    return nextBlankId_++;
}

void CellStore::insertRows(int row, int count) {
    if (count <= 0) return;
    std::vector<std::uint32_t> ids(static_cast<std::size_t>(count));
    for (auto& id : ids)
        id = newBlankId();
    order_.insert(order_.begin() + row, ids.begin(), ids.end());
}

void CellStore::removeRows(int row, int count) {
    if (count <= 0) return;
    const auto first = order_.begin() + row;
    const auto last = first + count;
    if (!overlay_.empty()) {
        if (std::size_t(count) * std::size_t(columns_) <= overlay_.size()) {
            for (auto it = first; it != last; ++it) {
                for (int c = 0; c < columns_; ++c)
                    overlay_.erase(cellKey(*it, c));
            }
        } else {
            // Many rows against few written cells: one pass over the written cells instead.
            std::vector<std::uint32_t> gone(first, last);
            std::sort(gone.begin(), gone.end());
            std::erase_if(overlay_, [&](const auto& entry) {
                return std::binary_search(gone.begin(), gone.end(),
                                          std::uint32_t(entry.first >> 32));
            });
        }
    }
    order_.erase(first, last);
}

void CellStore::setColumnCount(int count) {
    if (count < columns_) {
        std::erase_if(overlay_,
                      [&](const auto& entry) { return int(std::uint32_t(entry.first)) >= count; });
        sourceColumns_ = std::min(sourceColumns_, count);
    }
    headers_.resize(std::size_t(count));
    columns_ = count;
}

void CellStore::buildKeys(SortKeys& keys, int column, SortMode mode, const TextOrder* order) const {
    const std::size_t n = order_.size();
    keys.mode = mode;
    keys.order = order;
    const bool wantNumbers = keys.numeric() || keys.generic();
    const bool wantTexts = !keys.numeric();
    if (wantNumbers) keys.number.assign(n, 0.0);
    if (keys.generic()) keys.isText.assign(n, 0);
    if (wantTexts) keys.offset.assign(n + 1, 0);
    const NumberReader reader;
    QString scratch;
    bool anyByCollator = false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t id = order_[i];
        const QString* w = written(id, column);
        const bool source = !w && fromSource(id, column);
        if (wantTexts) keys.offset[i] = keys.texts.size();
        double number = 0;
        if (wantNumbers && source &&
            source_->sortKind(int(id), column, number) == GridSource::Kind::Number) {
            keys.number[i] = number;
            continue;
        }
        scratch.clear();
        if (w)
            scratch = *w;
        else if (source)
            source_->appendText(int(id), column, scratch);
        if (wantNumbers && reader.read(scratch, number)) {
            keys.number[i] = number;
            continue;
        }
        if (keys.numeric()) continue;
        if (keys.generic()) keys.isText[i] = 1;
        // Room for every key at once, measured on the first rows: growing a large buffer step by
        // step costs more than building the keys (each step is fresh memory to fault in).
        if (i == sampleRows && n > 2 * sampleRows) {
            keys.texts.reserve(
                std::size_t(double(keys.texts.size()) / double(sampleRows) * double(n) * 1.25) +
                64);
        }
        if (!order->appendKey(scratch, keys.texts)) {
            if (!anyByCollator) keys.byCollator.assign(n, 0);
            anyByCollator = true;
            keys.byCollator[i] = 1;
        }
    }
    if (wantTexts) keys.offset[n] = keys.texts.size();
    if (!anyByCollator) return;
    // Rows without a key meet every other row through the collator, which wants the texts.
    keys.originalOffset.assign(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        keys.originalOffset[i] = keys.originals.size();
        const std::uint32_t id = order_[i];
        if (const QString* w = written(id, column))
            keys.originals += *w;
        else if (fromSource(id, column))
            source_->appendText(int(id), column, keys.originals);
    }
    keys.originalOffset[n] = keys.originals.size();
}

void CellStore::sort(int firstColumn, int lastColumn, SortMode mode) {
    const std::size_t n = order_.size();
    if (mode == SortMode::None || n < 2 || firstColumn > lastColumn) return;
    const bool texts = mode != SortMode::NumericAscending && mode != SortMode::NumericDescending;
    std::optional<TextOrder> order;
    if (texts) order.emplace();
    std::vector<SortKeys> keys(std::size_t(lastColumn - firstColumn + 1));
    for (std::size_t k = 0; k < keys.size(); ++k)
        buildKeys(keys[k], firstColumn + int(k), mode, order ? &*order : nullptr);

    // The start of the first key column rides along in each entry, so most comparisons never
    // leave the array.
    struct Entry {
        std::uint64_t key;
        std::uint32_t pos;
        std::uint32_t isText;
    };
    const SortKeys& lead = keys.front();
    std::vector<Entry> entries(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto pos = std::uint32_t(i);
        const bool isText = lead.generic() ? lead.isText[i] != 0 : !lead.numeric();
        entries[i] = {isText ? keyPrefix(lead.textAt(pos)) : orderedBits(lead.number[i]), pos,
                      std::uint32_t(isText)};
    }
    const bool descending = mode == SortMode::GenericDescending ||
                            mode == SortMode::NumericDescending || mode == SortMode::TextDescending;
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        int c = 0;
        if (a.isText != b.isText)
            c = a.isText < b.isText ? -1 : 1;
        else if (!a.isText || (lead.keyed(a.pos) && lead.keyed(b.pos))) {
            // Keys of numbers, or the starts of two collation keys.
            if (a.key != b.key)
                c = a.key < b.key ? -1 : 1;
            else if (a.isText)
                c = lead.textAt(a.pos).compare(lead.textAt(b.pos));
        } else {
            c = lead.compareTexts(a.pos, b.pos);
        }
        for (std::size_t k = 1; c == 0 && k < keys.size(); ++k)
            c = keys[k].compare(a.pos, b.pos);
        return descending ? c > 0 : c < 0;
    });
    std::vector<std::uint32_t> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = order_[entries[i].pos];
    order_.swap(sorted);
}

std::size_t CellStore::bytes() const {
    std::size_t total = sizeof(*this) + order_.capacity() * sizeof(std::uint32_t);
    for (const QString& h : headers_)
        total += sizeof(QString) + std::size_t(h.capacity()) * 2;
    total += overlay_.bucket_count() * sizeof(void*);
    for (const auto& [key, text] : overlay_) {
        total +=
            sizeof(key) + sizeof(QString) + 2 * sizeof(void*) + std::size_t(text.capacity()) * 2;
    }
    return total;
}
