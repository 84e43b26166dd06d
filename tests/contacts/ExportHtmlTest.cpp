#include "contacts/HtmlExport.h"
#include "shared/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The grid as the window shows it: row 0 the header; every move of the current cell recorded.
class TableGrid : public HtmlExport::Grid {
public:
    explicit TableGrid(std::vector<QStringList> cells) : cells_(std::move(cells)) {}
    long Rows() const override { return long(cells_.size()); }
    long Cols() const override { return cells_.empty() ? 0 : long(cells_[0].size()); }
    QString TextMatrix(long row, long col) const override { return cells_[std::size_t(row)][col]; }
    void setCurrentCell(long row, long col) override {
        moves.emplace_back(row, col);
        if (failAt == moves.size())
            throw RuntimeError(0x80040E38, u"La fila ha cambiado"_s, u"GrabaRegistro"_s);
    }

    std::vector<std::pair<long, long>> moves;
    std::size_t failAt = 0;

private:
    std::vector<QStringList> cells_;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TableGrid sampleGrid() {
    return TableGrid({
        {u"Nombre"_s, u" Notas "_s, QString()},
        {u"a<b & \"c\""_s, QString(), u"   "_s},
        {u"\u03A9mega \u20AC"_s, u"\U0001F600"_s, u" Peña "_s},
    });
}

} // namespace

TEST(ExportHtml, WritesThePageLineByLineInWindows1252WithEscapedTexts) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lista.htm"_s);
    TableGrid grid = sampleGrid();

    const HtmlExport::Result result =
        HtmlExport::write(path, grid, u"CONTACTOS <Año>"_s, u"/opt/contactos"_s, {});

    EXPECT_TRUE(result.written);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.rows, 2);
    const QByteArray six = "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";
    const QByteArray expected = "<html>\r\n"
                                "\r\n"
                                "</head>\r\n"
                                "\r\n"
                                "<body background=\"/opt/contactos/stone.jpg\" text=\"navy\">\r\n"
                                "<br>\r\n"
                                "<H1 ALIGN = CENTER>CONTACTOS &lt;A\xF1o&gt;</H1>\r\n"
                                "<HR>\r\n"
                                "<br>\r\n"
                                "<br>\r\n"
                                "<TABLE Border=2 ALIGN = CENTER>\r\n"
                                "<TR>\r\n"
                                "<TH bgcolor = \"yellow\">" +
                                six + "Nombre" + six +
                                "\r\n"
                                "<TH bgcolor = \"yellow\">" +
                                six + "Notas" + six +
                                "\r\n"
                                "<TH bgcolor = \"yellow\">" +
                                six + six +
                                "\r\n"
                                "<TR> <TD>a&lt;b &amp; &quot;c&quot;<TD>&nbsp<TD>&nbsp\r\n"
                                "<TR> <TD>&#937;mega \x80<TD>&#128512;<TD>Pe\xF1"
                                "a\r\n"
                                "</TABLE>\r\n"
                                "</BODY>\r\n"
                                "</HTML>\r\n";
    EXPECT_EQ(readAll(path), expected);

    // Every data cell became the current one in turn, so pending rows were written; the grid
    // ends on its last cell and the header row is never visited.
    const std::vector<std::pair<long, long>> moves{{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}};
    EXPECT_EQ(grid.moves, moves);
}

TEST(ExportHtml, EscapesMarkupAndCharactersOutsideTheCodePage) {
    EXPECT_EQ(HtmlExport::escape(u"<script>alert(\"&\")</script>"),
              u"&lt;script&gt;alert(&quot;&amp;&quot;)&lt;/script&gt;"_s);
    // Windows-1252 letters stay, others become references; half a surrogate pair is no character.
    EXPECT_EQ(HtmlExport::escape(u"ñ€Š\u0141\U0001D11E"), u"ñ€Š&#321;&#119070;"_s);
    EXPECT_EQ(HtmlExport::escape(QString(QChar(0xD800)) + u'x'), u"&#65533;x"_s);
    EXPECT_EQ(HtmlExport::EspaciosHTML(2), u"&nbsp;&nbsp;"_s);
    EXPECT_EQ(HtmlExport::EspaciosHTML(0), QString());
}

TEST(ExportHtml, APageNeverCarriesACharacterOfCodeZero) {
    TableGrid grid({{u"Nombre"_s}, {u"a"_s + QChar(0) + u"b"_s}, {u"c\u0001d\te"_s}});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"nul.htm"_s);
    ASSERT_TRUE(HtmlExport::write(path, grid, u"CONTACTOS"_s, dir.path()).written);
    const QByteArray page = readAll(path);
    EXPECT_FALSE(page.contains('\0'));
    EXPECT_FALSE(page.contains('\x01'));
    EXPECT_TRUE(page.contains("<TD>a&#65533;b\r\n"));
    EXPECT_TRUE(page.contains("<TD>c&#65533;d\te\r\n"));
}

TEST(ExportHtml, CancelOrFailureLeavesNoFileAndKeepsAnOldOne) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(u"nuevo.htm"_s);
    const QString old = dir.filePath(u"viejo.htm"_s);
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior");
    }

    TableGrid grid = sampleGrid();
    std::vector<std::pair<long long, long long>> reports;
    const HtmlExport::Result cancelled = HtmlExport::write(fresh, grid, u"CONTACTOS"_s, dir.path(),
                                                           [&](long long done, long long total) {
                                                               reports.emplace_back(done, total);
                                                               return false;
                                                           });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.written);
    EXPECT_EQ(reports, (std::vector<std::pair<long long, long long>>{{1, 2}}));
    EXPECT_FALSE(QFile::exists(fresh));

    // The window's cell-leave handling fails in the middle: its error travels, nothing is left.
    TableGrid failing = sampleGrid();
    failing.failAt = 4;
    EXPECT_THROW(HtmlExport::write(old, failing, u"CONTACTOS"_s, dir.path(), {}), RuntimeError);
    EXPECT_EQ(readAll(old), "anterior");

    try {
        HtmlExport::write(dir.filePath(u"no existe/lista.htm"_s), grid, u"CONTACTOS"_s, dir.path(),
                          {});
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::PathFileAccess);
        EXPECT_TRUE(e.description().startsWith(u"No se puede escribir el archivo"_s));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"viejo.htm"_s});
}

TEST(ExportHtml, ChromiumShowsTheGridAsATable) {
    const QString chromium = u"/usr/bin/chromium"_s;
    if (!QFile::exists(chromium)) GTEST_SKIP() << "Debian's chromium package is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lista.htm"_s);
    TableGrid grid = sampleGrid();
    HtmlExport::write(path, grid, u"CONTACTOS"_s, dir.path(), {});

    QProcess browser;
    browser.start(chromium, {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s,
                             u"--user-data-dir="_s + dir.filePath(u"perfil"_s), u"--dump-dom"_s,
                             QUrl::fromLocalFile(path).toString()});
    ASSERT_TRUE(browser.waitForFinished(120000));
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());

    // The browser closes the elements the page leaves open; read its table back row by row.
    QList<QStringList> rows;
    static const QRegularExpression rowPattern(u"<tr>(.*?)</tr>"_s,
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cellPattern(u"<t[hd][^>]*>(.*?)</t[hd]>"_s,
                                                QRegularExpression::DotMatchesEverythingOption);
    for (const auto& row : rowPattern.globalMatch(dom)) {
        QStringList cells;
        for (const auto& cell : cellPattern.globalMatch(row.captured(1)))
            cells << cell.captured(1).replace(u"&nbsp;"_s, u" "_s).trimmed();
        rows << cells;
    }
    ASSERT_EQ(rows.size(), 3) << dom.toStdString();
    EXPECT_EQ(rows[0], (QStringList{u"Nombre"_s, u"Notas"_s, QString()}));
    EXPECT_EQ(rows[1], (QStringList{u"a&lt;b &amp; \"c\""_s, QString(), QString()}));
    EXPECT_EQ(rows[2], (QStringList{u"\u03A9mega \u20AC"_s, u"\U0001F600"_s, u"Peña"_s}));
}
