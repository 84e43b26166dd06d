#include "HtmlExport.h"

#include "data/PlatformText.h"
#include "shared/RuntimeError.h"
#include "shared/TextFile.h"
#include "shared/Util.h"

#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// "&#N;" for a code point, at `d`; returns the end.
char* writeReference(char* d, char32_t codePoint) {
    char digits[8];
    int n = 0;
    do {
        digits[n++] = char('0' + codePoint % 10);
        codePoint /= 10;
    } while (codePoint != 0);
    *d++ = '&';
    *d++ = '#';
    while (n > 0)
        *d++ = digits[--n];
    *d++ = ';';
    return d;
}

template <std::size_t N> char* writeMarkup(char* d, const char (&markup)[N]) {
    std::memcpy(d, markup, N - 1);
    return d + (N - 1);
}

// Control characters a page may not carry (code 0 above all, which cuts the text for many
// readers): everything below a blank but tab, line feed, form feed and carriage return.
constexpr bool forbiddenControl(char16_t c) {
    return c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r';
}

// ASCII characters that stand for themselves in the page (all but the four of the markup and
// the forbidden controls).
constexpr auto plainAscii = [] {
    std::array<bool, 128> plain{};
    for (std::size_t c = 0; c < plain.size(); ++c)
        plain[c] = c != '&' && c != '<' && c != '>' && c != '"' && !forbiddenControl(char16_t(c));
    return plain;
}();

// The text's Windows-1252 bytes with "&", "<", ">" and '"' as entities and every character the
// code page lacks as a numeric character reference: the page says everything it was given, but
// for the controls a page may not carry, written as U+FFFD.
void appendEscaped(QByteArray& out, QStringView text) {
    // Room for the longest form of every character ("&#1114111;"), given back at the end.
    constexpr qsizetype longest = 10;
    const qsizetype n = text.size();
    const char16_t* t = text.utf16();
    const qsizetype at = out.size();
    out.resize(at + n * longest);
    char* const start = out.data();
    char* d = start + at;
    for (qsizetype i = 0; i < n; ++i) {
        // Runs of plain ASCII (nearly all of a table's text) are copied without further tests.
        while (i < n && t[i] < 0x80 && plainAscii[t[i]]) {
            *d++ = char(t[i]);
            ++i;
        }
        if (i == n) break;
        const char16_t u = t[i];
        if (u < 0x80) {
            switch (u) {
            case u'&':
                d = writeMarkup(d, "&amp;");
                break;
            case u'<':
                d = writeMarkup(d, "&lt;");
                break;
            case u'>':
                d = writeMarkup(d, "&gt;");
                break;
            case u'"':
                d = writeMarkup(d, "&quot;");
                break;
            default:
                // A forbidden control shows as the replacement character, never as its byte.
                d = writeReference(d, 0xFFFD);
            }
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(t[i + 1])) {
            d = writeReference(d, QChar::surrogateToUcs4(u, t[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            d = writeReference(d, 0xFFFD); // half a pair is no character at all
        } else if (const int b = TextFile::byte1252(u); b >= 0) {
            *d++ = char(b);
        } else {
            d = writeReference(d, u);
        }
    }
    out.resize(d - start);
}

// The page's bytes, gathered and written in large pieces through a temporary file.
class PageFile {
public:
    explicit PageFile(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::WriteOnly)) fail();
        buffer_.reserve(flushBytes + 4096);
    }
    // Markup of the page itself (ASCII).
    PageFile& operator<<(const char* markup) {
        const auto n = qsizetype(std::strlen(markup));
        const qsizetype at = buffer_.size();
        buffer_.resize(at + n);
        std::memcpy(buffer_.data() + at, markup, std::size_t(n));
        return *this;
    }
    // A text of the grid or the caller, escaped.
    PageFile& operator<<(QStringView text) {
        appendEscaped(buffer_, text);
        return *this;
    }
    void endLine() {
        *this << "\r\n";
        if (buffer_.size() >= flushBytes) flush();
    }
    void line(const char* markup) {
        *this << markup;
        endLine();
    }
    void commit() {
        flush();
        if (!file_.commit()) fail();
    }
    void cancel() { file_.cancelWriting(); }

private:
    static constexpr qsizetype flushBytes = 1 << 16;

    void flush() {
        if (file_.write(buffer_) != buffer_.size()) fail();
        buffer_.resize(0);
    }
    [[noreturn]] void fail() {
        raiseError(ErrorNumber::PathFileAccess,
                   QStringLiteral("No se puede escribir el archivo %1: %2")
                       .arg(file_.fileName(), file_.errorString()),
                   QStringLiteral("Exportar_HTML"));
    }
    QSaveFile file_;
    QByteArray buffer_;
};

} // namespace

QString HtmlExport::EspaciosHTML(short count) {
    return count > 0 ? QStringLiteral("&nbsp;").repeated(count) : QString();
}

QString HtmlExport::escape(QStringView text) {
    QByteArray bytes;
    appendEscaped(bytes, text);
    return TextFile::decode1252(bytes);
}

HtmlExport::Result HtmlExport::write(const QString& path, Grid& grid, const QString& caption,
                                     const QString& programFolder,
                                     const ExportNames::Progress& progress) {
    using platformtext::trimBlanks;
    PageFile page(path);
    page.line("<html>");
    page.line("");
    page.line("</head>");
    page.line("");
    page << "<body background=\"" << Util().AddPathSeparator(programFolder)
         << "stone.jpg\" text=\"navy\">";
    page.endLine();
    page.line("<br>");
    page << "<H1 ALIGN = CENTER>" << caption << "</H1>";
    page.endLine();
    page.line("<HR>");
    page.line("<br>");
    page.line("<br>");
    page.line("<TABLE Border=2 ALIGN = CENTER>");
    page.line("<TR>");

    const QByteArray spaces = EspaciosHTML(6).toLatin1();
    const long cols = grid.Cols();
    for (long k = 0; k < cols; ++k) {
        const QString name = grid.TextMatrix(0, k);
        page << "<TH bgcolor = \"yellow\">" << spaces.constData() << trimBlanks(QStringView(name))
             << spaces.constData();
        page.endLine();
    }

    Result result;
    const long dataRows = std::max(0L, grid.Rows() - 1);
    for (long r = 1; r <= dataRows; ++r) {
        page << "<TR> ";
        for (long j = 0; j < cols; ++j) {
            grid.setCurrentCell(r, j);
            const QString text = grid.TextMatrix(r, j);
            const QStringView cell = trimBlanks(QStringView(text));
            if (cell.isEmpty()) {
                page << "<TD>&nbsp";
            } else {
                page << "<TD>" << cell;
            }
        }
        page.endLine();
        ++result.rows;
        if (progress && !progress(r, dataRows)) {
            page.cancel();
            result.cancelled = true;
            return result;
        }
    }

    page.line("</TABLE>");
    page.line("</BODY>");
    page.line("</HTML>");
    page.commit();
    result.written = true;
    return result;
}
