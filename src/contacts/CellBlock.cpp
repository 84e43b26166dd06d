#include "CellBlock.h"

#include "CellStore.h"

#include <algorithm>
#include <string_view>

namespace {

bool needsQuotes(QStringView cell) {
    if (cell.startsWith(u'"')) return true;
    for (const QChar c : cell) {
        if (c == u'\t' || c == u'\n' || c == u'\r') return true;
    }
    return false;
}

// Writes into a growing array through a pointer: appending a few characters at a time through
// QString and QByteArray costs more than the characters themselves on a million rows.
template <class Array, class Unit> class Sink {
public:
    explicit Sink(Array& out) : out_(out), used_(out.size()) {}
    // Room for at least `n` more units; write them, then tell how many with wrote().
    Unit* room(qsizetype n) {
        if (used_ + n > out_.size()) out_.resize(std::max(out_.size() * 2, used_ + n + 4096));
        return reinterpret_cast<Unit*>(out_.data()) + used_;
    }
    void wrote(qsizetype n) { used_ += n; }
    void put(std::string_view bytes) {
        std::copy(bytes.begin(), bytes.end(), room(qsizetype(bytes.size())));
        used_ += qsizetype(bytes.size());
    }
    void put(Unit unit) {
        *room(1) = unit;
        ++used_;
    }
    ~Sink() { out_.resize(used_); }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

private:
    Array& out_;
    qsizetype used_;
};
using TextSink = Sink<QString, char16_t>;
using HtmlSink = Sink<QByteArray, char>;

char* utf8(char32_t c, char* p) {
    if (c < 0x80) {
        *p++ = char(c);
    } else if (c < 0x800) {
        *p++ = char(0xC0 | (c >> 6));
        *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = char(0xE0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    } else {
        *p++ = char(0xF0 | (c >> 18));
        *p++ = char(0x80 | ((c >> 12) & 0x3F));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    return p;
}

void quoted(QStringView cell, TextSink& out) {
    if (!needsQuotes(cell)) {
        std::copy(cell.utf16(), cell.utf16() + cell.size(), out.room(cell.size()));
        out.wrote(cell.size());
        return;
    }
    char16_t* const start = out.room(cell.size() * 2 + 2);
    char16_t* p = start;
    *p++ = u'"';
    for (const QChar c : cell) {
        if (c == u'"') *p++ = u'"';
        *p++ = c.unicode();
    }
    *p++ = u'"';
    out.wrote(p - start);
}

void html(QStringView cell, HtmlSink& out) {
    // "&quot;" is the longest a unit can grow.
    char* const start = out.room(cell.size() * 6);
    char* p = start;
    const auto put = [&p](std::string_view s) { p = std::copy(s.begin(), s.end(), p); };
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const char16_t c = cell[i].unicode();
        switch (c) {
        case u'&':
            put("&amp;");
            continue;
        case u'<':
            put("&lt;");
            continue;
        case u'>':
            put("&gt;");
            continue;
        case u'"':
            put("&quot;");
            continue;
        case u'\r':
            if (i + 1 < cell.size() && cell[i + 1] == u'\n') ++i;
            put("<br>");
            continue;
        case u'\n':
            put("<br>");
            continue;
        default:
            break;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < cell.size() && cell[i + 1].isLowSurrogate()) {
            p = utf8(QChar::surrogateToUcs4(c, cell[i + 1].unicode()), p);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            p = utf8(0xFFFD, p); // half a pair: no valid UTF-8 for it
        } else {
            p = utf8(c, p);
        }
    }
    out.wrote(p - start);
}

// Rows between two reports: a call per row would cost more than the row.
constexpr int reportEvery = 2048;

} // namespace

QString CellBlock::Copy::block() const {
    if (!single) return text;
    QString out;
    appendQuoted(text, out);
    return out;
}

void CellBlock::appendQuoted(QStringView cell, QString& out) {
    TextSink sink(out);
    quoted(cell, sink);
}

void CellBlock::appendHtml(QStringView cell, QByteArray& out) {
    HtmlSink sink(out);
    html(cell, sink);
}

std::optional<CellBlock::Copy> CellBlock::copy(const CellStore& cells, const Range& range,
                                               bool titles, const Progress& progress) {
    Copy copy;
    if (range.single() && !titles) {
        copy.single = true;
        cells.appendText(range.firstRow, range.firstColumn, copy.text);
        return copy;
    }
    const long long total = range.lastRow - range.firstRow + 1;
    {
        TextSink text(copy.text);
        HtmlSink table(copy.html);
        table.put("<html><head><meta charset=\"utf-8\"></head><body><table>\n");
        QString cell;
        const auto line = [&](bool header, const auto& textOf) {
            table.put("<tr>");
            for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
                cell.resize(0);
                textOf(c, cell);
                if (c > range.firstColumn) text.put(u'\t');
                quoted(cell, text);
                table.put(header ? "<th>" : "<td>");
                html(cell, table);
                table.put(header ? "</th>" : "</td>");
            }
            text.put(u'\n');
            table.put("</tr>\n");
        };
        if (titles) line(true, [&](int c, QString& out) { out.append(cells.header(c)); });
        for (int r = range.firstRow; r <= range.lastRow; ++r) {
            const long long done = r - range.firstRow;
            if (progress && done % reportEvery == 0 && !progress(done, total)) return std::nullopt;
            line(false, [&](int c, QString& out) { cells.appendText(r, c, out); });
        }
        table.put("</table></body></html>\n");
    }
    if (progress && !progress(total, total)) return std::nullopt;
    return copy;
}

std::vector<QStringList> CellBlock::parse(QStringView text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    const qsizetype n = text.size();
    const auto isLineEnd = [](QChar c) { return c == u'\n' || c == u'\r'; };
    qsizetype i = 0;
    while (i < n) {
        // A cell in quotes, when its closing quote ends the cell.
        bool quoted = false;
        if (text[i] == u'"') {
            cell.resize(0);
            qsizetype j = i + 1;
            while (j < n) {
                if (text[j] != u'"') {
                    cell.append(text[j++]);
                } else if (j + 1 < n && text[j + 1] == u'"') {
                    cell.append(u'"');
                    j += 2;
                } else {
                    break;
                }
            }
            if (j < n && (j + 1 == n || text[j + 1] == u'\t' || isLineEnd(text[j + 1]))) {
                quoted = true;
                i = j + 1;
            }
        }
        if (!quoted) {
            cell.resize(0);
            while (i < n && text[i] != u'\t' && !isLineEnd(text[i]))
                cell.append(text[i++]);
        }
        row.append(cell);
        if (i >= n) break;
        if (text[i] == u'\t') {
            ++i;
            if (i == n) row.append(QString()); // a line ending in a tab ends with an empty cell
            continue;
        }
        // A line end.
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        ++i;
        rows.push_back(row);
        row.clear();
    }
    if (!row.isEmpty()) rows.push_back(row);
    return rows;
}
