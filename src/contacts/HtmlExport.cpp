#include "HtmlExport.h"

#include "data/PlatformText.h"
#include "shared/RuntimeError.h"
#include "shared/TextFile.h"
#include "shared/Util.h"

#include <QSaveFile>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

class PageFile {
public:
    explicit PageFile(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::WriteOnly)) fail();
    }
    void line(const QString& text) {
        // Every text reaching here is escaped, so the encoding never loses a character.
        QByteArray bytes = TextFile::encode1252(text);
        bytes.append("\r\n", 2);
        if (file_.write(bytes) != bytes.size()) fail();
    }
    void commit() {
        if (!file_.commit()) fail();
    }
    void cancel() { file_.cancelWriting(); }

private:
    [[noreturn]] void fail() {
        raiseError(ErrorNumber::PathFileAccess,
                   QStringLiteral("No se puede escribir el archivo %1: %2")
                       .arg(file_.fileName(), file_.errorString()),
                   QStringLiteral("Exportar_HTML"));
    }
    QSaveFile file_;
};

void appendReference(QString& out, char32_t codePoint) {
    out += u"&#"_s + QString::number(quint32(codePoint)) + u';';
}

} // namespace

QString HtmlExport::EspaciosHTML(short count) {
    return count > 0 ? QStringLiteral("&nbsp;").repeated(count) : QString();
}

QString HtmlExport::escape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;"_s;
            continue;
        case u'<':
            out += u"&lt;"_s;
            continue;
        case u'>':
            out += u"&gt;"_s;
            continue;
        case u'"':
            out += u"&quot;"_s;
            continue;
        default:
            break;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            appendReference(out, QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else if (c.isSurrogate()) {
            appendReference(out, 0xFFFD); // half a pair is no character at all
        } else if (!TextFile::has1252(c)) {
            appendReference(out, c.unicode());
        } else {
            out += c;
        }
    }
    return out;
}

HtmlExport::Result HtmlExport::write(const QString& path, Grid& grid, const QString& caption,
                                     const QString& programFolder,
                                     const ExportNames::Progress& progress) {
    using platformtext::trimBlanks;
    PageFile page(path);
    page.line(QStringLiteral("<html>"));
    page.line(QString());
    page.line(QStringLiteral("</head>"));
    page.line(QString());
    page.line(u"<body background=\""_s + escape(Util().AddPathSeparator(programFolder)) +
              u"stone.jpg\" text=\"navy\">"_s);
    page.line(QStringLiteral("<br>"));
    page.line(u"<H1 ALIGN = CENTER>"_s + escape(caption) + u"</H1>"_s);
    page.line(QStringLiteral("<HR>"));
    page.line(QStringLiteral("<br>"));
    page.line(QStringLiteral("<br>"));
    page.line(QStringLiteral("<TABLE Border=2 ALIGN = CENTER>"));
    page.line(QStringLiteral("<TR>"));

    const long cols = grid.Cols();
    for (long k = 0; k < cols; ++k) {
        page.line(u"<TH bgcolor = \"yellow\">"_s + EspaciosHTML(6) +
                  escape(trimBlanks(grid.TextMatrix(0, k))) + EspaciosHTML(6));
    }

    Result result;
    const long dataRows = std::max(0L, grid.Rows() - 1);
    for (long r = 1; r <= dataRows; ++r) {
        QString line = QStringLiteral("<TR> ");
        for (long j = 0; j < cols; ++j) {
            grid.setCurrentCell(r, j);
            const QString cell = trimBlanks(grid.TextMatrix(r, j));
            line += cell.isEmpty() ? QStringLiteral("<TD>&nbsp") : u"<TD>"_s + escape(cell);
        }
        page.line(line);
        ++result.rows;
        if (progress && !progress(r, dataRows)) {
            page.cancel();
            result.cancelled = true;
            return result;
        }
    }

    page.line(QStringLiteral("</TABLE>"));
    page.line(QStringLiteral("</BODY>"));
    page.line(QStringLiteral("</HTML>"));
    page.commit();
    result.written = true;
    return result;
}
