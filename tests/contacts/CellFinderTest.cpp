// Finding in the grid's cells: the Spanish folding and the sliced search through the cells.
#include "contacts/CellFinder.h"
#include "QtPrinters.h"
#include "TableSource.h"
#include "contacts/CellStore.h"
#include "contacts/TextFold.h"

#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Direction = CellFinder::Direction;
using From = CellFinder::From;
using Result = CellFinder::Result;

TEST(TextFold, CaseAndAccentsGoButTheEnyeStays) {
    EXPECT_EQ(TextFold::fold(u"José PÉREZ Güemes Ålborg Ça"_s), u"jose perez guemes alborg ca"_s);
    EXPECT_EQ(TextFold::fold(u"ÁÉÍÓÚÜáéíóúü"_s), u"aeiouuaeiouu"_s);
    // "ñ" is a letter of its own in the Spanish order.
    EXPECT_EQ(TextFold::fold(u"NÚÑEZ Ñandú"_s), u"nuñez ñandu"_s);
    EXPECT_NE(TextFold::fold(u"Núñez"_s), TextFold::fold(u"Nunez"_s));
    // Decomposed letters fold as the precomposed ones.
    EXPECT_EQ(TextFold::fold(u"Jose\u0301 N\u0303andu\u0301"_s), u"jose ñandu"_s);
    // Beyond the Latin table, and outside the basic plane.
    EXPECT_EQ(TextFold::fold(u"ΣΟΦΊΑ Ấ 🐦"_s), u"σοφια a 🐦"_s);
}

class CellFinderTest : public ::testing::Test {
protected:
    // 3 columns: id, name, town.
    void SetUp() override {
        cells.load(std::make_shared<TableSource>(
            QStringList{u"id"_s, u"Nombre"_s, u"Localidad"_s},
            std::vector<std::vector<Variant>>{
                {Variant(1), Variant(u"Ramón López"_s), Variant(u"Córdoba"_s)},
                {Variant(2), Variant(u"Valentina Ferrán"_s), Variant(u"Salta"_s)},
                {Variant(3), Variant(u"María Domínguez"_s), Variant(u"Paraná"_s)},
                {Variant(4), Variant(u"RAMON LOPEZ"_s), Variant(u"Ñandú"_s)},
            }));
    }
    // Runs a search to its end, a few cells at a time; the cell found (row, column) or (-1, -1).
    std::pair<int, int> find(const QString& text, Direction direction, int row, int column,
                             From from, bool matchCase = false) {
        CellFinder finder(cells);
        finder.start(text, matchCase, direction, row, column, from);
        Result result = Result::Searching;
        int slices = 0;
        while ((result = finder.step(2)) == Result::Searching)
            ++slices;
        EXPECT_LE(slices, 6); // 12 cells, 2 at a time
        wrapped = finder.wrapped();
        if (result != Result::Found) return {-1, -1};
        return {finder.row(), finder.column()};
    }
    CellStore cells;
    bool wrapped = false;
};

TEST_F(CellFinderTest, GoesThroughTheCellsRowByRowAndRoundTheEnd) {
    // Typing searches from the current cell itself; "Siguiente" from the one after it.
    EXPECT_EQ(find(u"ramon"_s, Direction::Forward, 0, 1, From::Cell), std::pair(0, 1));
    EXPECT_FALSE(wrapped);
    EXPECT_EQ(find(u"ramon"_s, Direction::Forward, 0, 1, From::NextCell), std::pair(3, 1));
    EXPECT_EQ(find(u"ramon"_s, Direction::Forward, 3, 1, From::NextCell), std::pair(0, 1));
    EXPECT_TRUE(wrapped);
    // Back: the cell before, and round the start.
    EXPECT_EQ(find(u"lopez"_s, Direction::Backward, 3, 1, From::NextCell), std::pair(0, 1));
    EXPECT_FALSE(wrapped);
    EXPECT_EQ(find(u"lopez"_s, Direction::Backward, 0, 1, From::NextCell), std::pair(3, 1));
    EXPECT_TRUE(wrapped);
    // The only match, from itself: found again after going round.
    EXPECT_EQ(find(u"salta"_s, Direction::Forward, 1, 2, From::NextCell), std::pair(1, 2));
    EXPECT_TRUE(wrapped);
    // Texts of numbers are cells too.
    EXPECT_EQ(find(u"3"_s, Direction::Forward, 0, 0, From::Cell), std::pair(2, 0));
}

TEST_F(CellFinderTest, MatchesAsTheSpanishOrderOrExactly) {
    EXPECT_EQ(find(u"DOMINGUEZ"_s, Direction::Forward, 0, 0, From::Cell), std::pair(2, 1));
    EXPECT_EQ(find(u"parana"_s, Direction::Forward, 0, 0, From::Cell), std::pair(2, 2));
    EXPECT_EQ(find(u"ñandu"_s, Direction::Forward, 0, 0, From::Cell), std::pair(3, 2));
    EXPECT_EQ(find(u"nandu"_s, Direction::Forward, 0, 0, From::Cell), std::pair(-1, -1));
    // Matching case: the text as it stands, accents included.
    EXPECT_EQ(find(u"RAMON"_s, Direction::Forward, 0, 0, From::Cell, true), std::pair(3, 1));
    EXPECT_EQ(find(u"Ramon"_s, Direction::Forward, 0, 0, From::Cell, true), std::pair(-1, -1));
    EXPECT_EQ(find(u"Ramón"_s, Direction::Forward, 0, 0, From::Cell, true), std::pair(0, 1));
    EXPECT_EQ(find(QString(), Direction::Forward, 0, 0, From::Cell), std::pair(-1, -1));
    // The header is no cell of the grid.
    EXPECT_EQ(find(u"localidad"_s, Direction::Forward, 0, 0, From::Cell), std::pair(-1, -1));
}

TEST_F(CellFinderTest, SeesTheGridAsItIsShown) {
    // Sorted and written over: the search follows the display order and the written texts.
    cells.sort(1, 1, CellStore::SortMode::TextDescending);
    cells.setText(3, 2, u"Ushuaia"_s);
    EXPECT_EQ(cells.text(0, 1), u"Valentina Ferrán"_s);
    EXPECT_EQ(find(u"ferran"_s, Direction::Forward, 0, 0, From::Cell), std::pair(0, 1));
    EXPECT_EQ(find(u"ushuaia"_s, Direction::Forward, 0, 0, From::Cell), std::pair(3, 2));
    // Rows removed between two slices are skipped, not read past the end.
    CellFinder finder(cells);
    finder.start(u"zzz"_s, false, Direction::Forward, 3, 2, From::Cell);
    EXPECT_EQ(finder.step(1), Result::Searching);
    cells.removeRows(1, 3);
    Result result = Result::Searching;
    while ((result = finder.step(5)) == Result::Searching) {
    }
    EXPECT_EQ(result, Result::NotFound);
}

} // namespace
