#include "CellBlock.h"

#include "CellStore.h"

namespace {

bool needsQuotes(QStringView cell) {
    if (cell.startsWith(u'"')) return true;
    for (const QChar c : cell) {
        if (c == u'\t' || c == u'\n' || c == u'\r') return true;
    }
    return false;
}

void appendUtf8(char32_t c, QByteArray& out) {
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
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
    if (!needsQuotes(cell)) {
        out.append(cell);
        return;
    }
    out.append(u'"');
    for (const QChar c : cell) {
        if (c == u'"') out.append(u'"');
        out.append(c);
    }
    out.append(u'"');
}

void CellBlock::appendHtml(QStringView cell, QByteArray& out) {
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const char16_t c = cell[i].unicode();
        switch (c) {
        case u'&':
            out.append("&amp;");
            continue;
        case u'<':
            out.append("&lt;");
            continue;
        case u'>':
            out.append("&gt;");
            continue;
        case u'"':
            out.append("&quot;");
            continue;
        case u'\r':
            if (i + 1 < cell.size() && cell[i + 1] == u'\n') ++i;
            out.append("<br>");
            continue;
        case u'\n':
            out.append("<br>");
            continue;
        default:
            break;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < cell.size() && cell[i + 1].isLowSurrogate()) {
            appendUtf8(QChar::surrogateToUcs4(c, cell[i + 1].unicode()), out);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(0xFFFD, out); // half a pair: no valid UTF-8 for it
        } else {
            appendUtf8(c, out);
        }
    }
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
    copy.html.append("<html><head><meta charset=\"utf-8\"></head><body><table>\n");
    QString cell;
    const auto line = [&](bool header, const auto& textOf) {
        copy.html.append("<tr>");
        for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
            cell.resize(0);
            textOf(c, cell);
            if (c > range.firstColumn) copy.text.append(u'\t');
            appendQuoted(cell, copy.text);
            copy.html.append(header ? "<th>" : "<td>");
            appendHtml(cell, copy.html);
            copy.html.append(header ? "</th>" : "</td>");
        }
        copy.text.append(u'\n');
        copy.html.append("</tr>\n");
    };
    if (titles) line(true, [&](int c, QString& out) { out.append(cells.header(c)); });
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        const long long done = r - range.firstRow;
        if (progress && done % reportEvery == 0 && !progress(done, total)) return std::nullopt;
        line(false, [&](int c, QString& out) { cells.appendText(r, c, out); });
    }
    copy.html.append("</table></body></html>\n");
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
