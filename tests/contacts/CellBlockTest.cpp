// The clipboard's forms of grid cells: tab-separated lines and an HTML table out, the
// spreadsheets' tab-separated text back in.
#include "contacts/CellBlock.h"
#include "QtPrinters.h"
#include "TableSource.h"
#include "contacts/CellStore.h"

#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

CellStore store() {
    CellStore cells;
    cells.load(std::make_shared<TableSource>(
        QStringList{u"id"_s, u"Nombre"_s, u"Notas <internas>"_s},
        std::vector<std::vector<Variant>>{
            {Variant(1), Variant(u"Ana"_s), Variant(u"línea 1\nlínea 2"_s)},
            {Variant(2), Variant(u"\"Beto\" & Cía."_s), Variant(u"con\ttab"_s)},
            {Variant(3), Variant(u"Ñandú 🐦"_s), Variant::null()},
        }));
    return cells;
}

CellBlock::Range range(int firstRow, int lastRow, int firstColumn, int lastColumn) {
    CellBlock::Range r;
    r.firstRow = firstRow;
    r.lastRow = lastRow;
    r.firstColumn = firstColumn;
    r.lastColumn = lastColumn;
    return r;
}

TEST(CellBlock, OneCellGoesAsItsTextAndItsQuotedBlock) {
    const CellStore cells = store();
    const auto copy = CellBlock::copy(cells, range(0, 0, 2, 2), false);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->single);
    // A mail program gets the text as it stands, without quotes or a line end.
    EXPECT_EQ(copy->text, u"línea 1\nlínea 2"_s);
    EXPECT_TRUE(copy->html.isEmpty());
    // The program's own block keeps the line end inside the cell.
    EXPECT_EQ(copy->block(), u"\"línea 1\nlínea 2\""_s);
    const auto back = CellBlock::parse(copy->block());
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], QStringList{u"línea 1\nlínea 2"_s});
}

TEST(CellBlock, ARangeGoesAsQuotedLinesAndAnEscapedTable) {
    const CellStore cells = store();
    const auto copy = CellBlock::copy(cells, range(0, 2, 1, 2), true);
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->single);
    EXPECT_EQ(copy->text, u"Nombre\tNotas <internas>\n"
                          "Ana\t\"línea 1\nlínea 2\"\n"
                          "\"\"\"Beto\"\" & Cía.\"\t\"con\ttab\"\n"
                          "Ñandú 🐦\t\n"_s);
    const QString html = QString::fromUtf8(copy->html);
    EXPECT_TRUE(html.contains(u"<tr><th>Nombre</th><th>Notas &lt;internas&gt;</th></tr>"_s));
    EXPECT_TRUE(html.contains(u"<td>línea 1<br>línea 2</td>"_s));
    EXPECT_TRUE(html.contains(u"<td>&quot;Beto&quot; &amp; Cía.</td><td>con\ttab</td>"_s));
    EXPECT_TRUE(html.contains(u"<td>Ñandú 🐦</td><td></td>"_s));
    EXPECT_TRUE(html.contains(u"<meta charset=\"utf-8\">"_s));
    // What goes out comes back cell for cell.
    const auto back = CellBlock::parse(copy->text);
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[2], (QStringList{u"\"Beto\" & Cía."_s, u"con\ttab"_s}));
    EXPECT_EQ(back[3], (QStringList{u"Ñandú 🐦"_s, QString()}));
}

TEST(CellBlock, OneCellWithItsTitleIsATable) {
    const CellStore cells = store();
    const auto copy = CellBlock::copy(cells, range(1, 1, 0, 0), true);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text, u"id\n2\n"_s);
    EXPECT_FALSE(copy->html.isEmpty());
}

TEST(CellBlock, ACancelledCopyGivesNothing) {
    const CellStore cells = store();
    long long calls = 0;
    const auto copy = CellBlock::copy(cells, range(0, 2, 0, 2), false, [&](long long, long long) {
        ++calls;
        return false;
    });
    EXPECT_FALSE(copy);
    EXPECT_EQ(calls, 1);
    // Told of the end as well.
    long long last = -1;
    const auto done =
        CellBlock::copy(cells, range(0, 2, 0, 2), false, [&](long long d, long long t) {
            EXPECT_EQ(t, 3);
            last = d;
            return true;
        });
    EXPECT_TRUE(done);
    EXPECT_EQ(last, 3);
}

TEST(CellBlock, ParsesWhatSpreadsheetsAndMailsPutOnTheClipboard) {
    using Rows = std::vector<QStringList>;
    EXPECT_EQ(CellBlock::parse(u""_s), Rows{});
    // A spreadsheet's one cell ends with a line end; a mail's text has none.
    EXPECT_EQ(CellBlock::parse(u"0351-4007919\n"_s), Rows{{u"0351-4007919"_s}});
    EXPECT_EQ(CellBlock::parse(u"Juan Pérez"_s), Rows{{u"Juan Pérez"_s}});
    // Windows line ends, empty cells at the ends of a line, a blank line inside the block.
    EXPECT_EQ(CellBlock::parse(u"a\tb\r\n\tc\t\r\n\r\nd"_s),
              (Rows{{u"a"_s, u"b"_s}, {QString(), u"c"_s, QString()}, {QString()}, {u"d"_s}}));
    EXPECT_EQ(CellBlock::parse(u"a\t"_s), (Rows{{u"a"_s, QString()}}));
    // Quoted cells hold tabs, line ends and doubled quotes; a lone "\r" ends a line too.
    EXPECT_EQ(CellBlock::parse(u"\"x\ty\"\t\"1\r\n2\"\r\"dice \"\"hola\"\"\""_s),
              (Rows{{u"x\ty"_s, u"1\r\n2"_s}, {u"dice \"hola\""_s}}));
    // A leading quote that does not close the cell is part of the text.
    EXPECT_EQ(CellBlock::parse(u"\"Hola\" dijo\tb"_s), (Rows{{u"\"Hola\" dijo"_s, u"b"_s}}));
    EXPECT_EQ(CellBlock::parse(u"\"sin cierre\tb"_s), (Rows{{u"\"sin cierre"_s, u"b"_s}}));
}

} // namespace
