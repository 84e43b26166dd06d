#include "contacts/FlexGrid.h"
#include "QtPrinters.h"
#include "TableSource.h"
#include "shared/RuntimeError.h"
#include "shared/Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Ten rows of a contacts-like table: id, nombre, importe.
std::shared_ptr<TableSource> contacts(int rows = 10) {
    std::vector<std::vector<Variant>> cells;
    for (int i = 1; i <= rows; ++i) {
        cells.push_back({Variant(i), Variant(u"Nombre %1"_s.arg(i)), Variant(i * 1.5)});
    }
    return std::make_shared<TableSource>(QStringList{u"id"_s, u"nombre"_s, u"importe"_s},
                                         std::move(cells));
}

// What a handler saw when LeaveCell was raised.
struct Leave {
    int row;
    int col;
};

class FlexGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        window_.resize(600, 400);
        grid_ = new FlexGrid(&window_);
        grid_->setGeometry(8, 48, 520, 300);
        other_ = new QLineEdit(&window_);
        other_->setGeometry(8, 8, 100, 24);
        grid_->load(contacts());
        QObject::connect(grid_, &FlexGrid::LeaveCell, grid_, [this] {
            leaves_.push_back({grid_->Row(), grid_->Col()});
        });
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    void TearDown() override { QLocale::setDefault(saved_); }

    QPoint cellCenter(int row, int col) const {
        return grid_->visualRect(grid_->model()->index(row - 1, col)).center();
    }
    void click(int row, int col) {
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, cellCenter(row, col));
    }
    QStringList column(int col) const {
        QStringList out;
        for (int r = 0; r < grid_->Rows(); ++r)
            out << grid_->TextMatrix(r, col);
        return out;
    }
    static long errorOf(const std::function<void()>& body) {
        try {
            body();
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    }

    QWidget window_;
    FlexGrid* grid_ = nullptr;
    QLineEdit* other_ = nullptr;
    std::vector<Leave> leaves_;

private:
    QLocale saved_;
};

TEST_F(FlexGridTest, LoadShowsTheFieldNamesAsTheHeaderAndEveryRow) {
    EXPECT_EQ(grid_->Rows(), 11);
    EXPECT_EQ(grid_->Cols(), 3);
    EXPECT_EQ(grid_->FixedRows(), 1);
    EXPECT_EQ(grid_->Name(), u"DataGrid1"_s);
    EXPECT_EQ(grid_->TextMatrix(0, 0), u"id"_s);
    EXPECT_EQ(grid_->horizontalHeader()->model()->headerData(1, Qt::Horizontal), u"nombre"_s);
    EXPECT_EQ(grid_->TextMatrix(10, 1), u"Nombre 10"_s);
    EXPECT_EQ(grid_->TextMatrix(3, 2), u"4,5"_s);
    // Numbers to the right, texts to the left, as the suite's grid aligns them.
    EXPECT_TRUE(grid_->model()->index(2, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(grid_->model()->index(2, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
    EXPECT_EQ(grid_->Row(), 1);
    EXPECT_EQ(grid_->Col(), 0);
    EXPECT_TRUE(grid_->font().family().startsWith(u"Arial"_s) ||
                grid_->font().families().contains(u"Arial"_s));
    EXPECT_EQ(grid_->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);

    // A reload keeps the widths set after the first load; an empty result shows one blank row.
    grid_->setColWidth(1, 3000);
    grid_->setRow(4);
    grid_->load(std::make_shared<TableSource>(QStringList{u"id"_s, u"nombre"_s},
                                              std::vector<std::vector<Variant>>{}));
    EXPECT_EQ(grid_->ColWidth(1), 3000);
    EXPECT_EQ(grid_->Rows(), 2);
    EXPECT_EQ(grid_->Cols(), 2);
    EXPECT_EQ(grid_->Row(), 1);
    EXPECT_EQ(grid_->TextMatrix(1, 0), QString());
    EXPECT_TRUE(leaves_.size() == 1); // only setRow(4) left a cell; loads do not
}

TEST_F(FlexGridTest, TextMatrixAndTextReadAndWriteCells) {
    grid_->setTextMatrix(2, 1, u"Ana"_s);
    EXPECT_EQ(grid_->TextMatrix(2, 1), u"Ana"_s);
    EXPECT_TRUE(grid_->isCellWritten(2, 1));
    EXPECT_FALSE(grid_->isCellWritten(2, 0));
    grid_->setRow(2);
    grid_->setCol(1);
    EXPECT_EQ(grid_->Text(), u"Ana"_s);
    grid_->setText(QString());
    EXPECT_EQ(grid_->TextMatrix(2, 1), QString());
    grid_->setTextMatrix(0, 2, u"Importe"_s);
    EXPECT_EQ(grid_->TextMatrix(0, 2), u"Importe"_s);
    EXPECT_EQ(grid_->model()->headerData(2, Qt::Horizontal), u"Importe"_s);

    // Outside the grid: the platform's invalid-argument error, nothing changed.
    EXPECT_EQ(errorOf([&] { grid_->TextMatrix(11, 0); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->setTextMatrix(1, 3, u"x"_s); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->setRow(0); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->setCol(-1); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->Sort(7); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(grid_->Row(), 2);
}

TEST_F(FlexGridTest, AddItemRemoveItemAndRowsKeepTheRowNumbers) {
    // Insert on row 5 of a 10-row grid: blank row 5, the old row 5 becomes 6, a blank row at the
    // end (12 rows).
    grid_->load(contacts(9));
    grid_->setRow(5);
    grid_->AddItem(QString(), grid_->Row());
    EXPECT_EQ(grid_->Rows(), 11);
    EXPECT_EQ(grid_->Row(), 5); // now names the new row
    EXPECT_EQ(grid_->TextMatrix(5, 0), QString());
    EXPECT_EQ(grid_->TextMatrix(6, 0), u"5"_s);
    EXPECT_EQ(grid_->TextMatrix(4, 0), u"4"_s);
    grid_->setRows(grid_->Rows() + 1);
    EXPECT_EQ(grid_->Rows(), 12);
    EXPECT_EQ(grid_->TextMatrix(10, 0), u"9"_s);
    EXPECT_EQ(grid_->TextMatrix(11, 1), QString());
    EXPECT_EQ(grid_->Row(), 5);
    grid_->setRows(13);

    grid_->AddItem(u"99\tNueva\t\textra"_s);
    EXPECT_EQ(grid_->Rows(), 14);
    EXPECT_EQ(grid_->TextMatrix(13, 0), u"99"_s);
    EXPECT_EQ(grid_->TextMatrix(13, 1), u"Nueva"_s);
    EXPECT_EQ(grid_->TextMatrix(13, 2), QString());
    EXPECT_EQ(errorOf([&] { grid_->AddItem(QString(), 0); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->AddItem(QString(), 15); }), ErrorNumber::InvalidCall);

    grid_->RemoveItem(5);
    EXPECT_EQ(grid_->TextMatrix(5, 0), u"5"_s);
    EXPECT_EQ(grid_->Rows(), 13);

    // Shrinking drops rows from the bottom and brings the current cell inside.
    grid_->setRow(12);
    grid_->setRows(4);
    EXPECT_EQ(grid_->Row(), 3);
    EXPECT_EQ(column(0), (QStringList{u"id"_s, u"1"_s, u"2"_s, u"3"_s}));
    grid_->setRows(2);
    EXPECT_EQ(errorOf([&] { grid_->RemoveItem(1); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->setRows(1); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(grid_->Rows(), 2);
}

TEST_F(FlexGridTest, SortReordersTheDataRowsByTheSelectedColumns) {
    const std::vector<std::vector<Variant>> cells{
        {Variant(u"b"_s), Variant(2)}, {Variant(u"10"_s), Variant(1)},
        {Variant(u"A"_s), Variant(2)}, {Variant(u"9"_s), Variant(1)},
        {Variant(u"a"_s), Variant(1)}, {Variant(u"-1,5"_s), Variant(2)}};
    auto load = [&] {
        grid_->load(std::make_shared<TableSource>(QStringList{u"texto"_s, u"grupo"_s}, cells));
    };
    const QStringList original{u"texto"_s, u"b"_s, u"10"_s, u"A"_s, u"9"_s, u"a"_s, u"-1,5"_s};
    load();
    grid_->Sort(0);
    EXPECT_EQ(column(0), original);
    const std::vector<std::pair<int, QStringList>> expected{
        {1, {u"texto"_s, u"-1,5"_s, u"9"_s, u"10"_s, u"A"_s, u"a"_s, u"b"_s}},
        {2, {u"texto"_s, u"b"_s, u"A"_s, u"a"_s, u"10"_s, u"9"_s, u"-1,5"_s}},
        {3, {u"texto"_s, u"-1,5"_s, u"b"_s, u"A"_s, u"a"_s, u"9"_s, u"10"_s}},
        {4, {u"texto"_s, u"10"_s, u"9"_s, u"b"_s, u"A"_s, u"a"_s, u"-1,5"_s}},
        {5, {u"texto"_s, u"-1,5"_s, u"10"_s, u"9"_s, u"A"_s, u"a"_s, u"b"_s}},
        {6, {u"texto"_s, u"b"_s, u"A"_s, u"a"_s, u"9"_s, u"10"_s, u"-1,5"_s}},
    };
    for (const auto& [mode, order] : expected) {
        load();
        grid_->setRow(3);
        grid_->Sort(mode);
        EXPECT_EQ(column(0), order) << "mode " << mode;
        EXPECT_EQ(grid_->Row(), 3);
    }

    // By the selection, Col to ColSel, keys from left to right: grupo parts the tie of A and a.
    load();
    grid_->setCol(1);
    grid_->setColSel(0);
    grid_->Sort(5);
    EXPECT_EQ(column(0),
              (QStringList{u"texto"_s, u"-1,5"_s, u"10"_s, u"9"_s, u"a"_s, u"A"_s, u"b"_s}));
    EXPECT_EQ(column(1), (QStringList{u"grupo"_s, u"2"_s, u"1"_s, u"1"_s, u"1"_s, u"2"_s, u"2"_s}));

    // A header click selects its column; the sort follows it.
    load();
    QTest::mouseClick(grid_->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid_->columnViewportPosition(1) + 5, 5));
    EXPECT_EQ(grid_->Col(), 1);
    EXPECT_EQ(grid_->ColSel(), 1);
    EXPECT_EQ(grid_->RowSel(), grid_->Rows() - 1);
    grid_->Sort(4);
    EXPECT_EQ(column(1), (QStringList{u"grupo"_s, u"2"_s, u"2"_s, u"2"_s, u"1"_s, u"1"_s, u"1"_s}));
}

TEST_F(FlexGridTest, LeaveCellComesBeforeEveryMoveWithTheCellBeingLeft) {
    grid_->setFocus();
    QTest::keyClick(grid_, Qt::Key_Down);
    ASSERT_EQ(leaves_.size(), 1u);
    EXPECT_EQ(leaves_[0].row, 1);
    EXPECT_EQ(grid_->Row(), 2);
    QTest::keyClick(grid_, Qt::Key_Right);
    EXPECT_EQ(leaves_.back().col, 0);
    EXPECT_EQ(grid_->Col(), 1);
    QTest::keyClick(grid_, Qt::Key_Up);
    QTest::keyClick(grid_, Qt::Key_Up); // on row 1: nowhere to go, nothing left
    EXPECT_EQ(leaves_.size(), 3u);
    EXPECT_EQ(grid_->Row(), 1);

    click(4, 2);
    ASSERT_EQ(leaves_.size(), 4u);
    EXPECT_EQ(leaves_.back().row, 1);
    EXPECT_EQ(leaves_.back().col, 1);
    EXPECT_EQ(grid_->Row(), 4);
    EXPECT_EQ(grid_->Col(), 2);
    click(4, 2); // the same cell
    EXPECT_EQ(leaves_.size(), 4u);

    grid_->setRow(7);
    EXPECT_EQ(leaves_.back().row, 4);
    grid_->setCol(2); // already there
    EXPECT_EQ(leaves_.size(), 5u);

    // A handler that drops Down keeps the grid where it is.
    auto drop = QObject::connect(grid_, &FlexGrid::KeyDown, grid_, [](int& code, int) {
        if (code == 40) code = 0;
    });
    QTest::keyClick(grid_, Qt::Key_Down);
    EXPECT_EQ(grid_->Row(), 7);
    QObject::disconnect(drop);

    // A handler may touch the grid while it is left (the editor writes the cell it covered).
    auto write = QObject::connect(grid_, &FlexGrid::LeaveCell, grid_,
                                  [this] { grid_->setText(u"dejada"_s); });
    QTest::keyClick(grid_, Qt::Key_Down);
    EXPECT_EQ(grid_->TextMatrix(7, 2), u"dejada"_s);
    EXPECT_EQ(grid_->Row(), 8);
    QObject::disconnect(write);
}

TEST_F(FlexGridTest, ALeaveCellHandlerHasTheLastWordAndRowsRemovedKeepTheCellOnItsRow) {
    // A handler that removes a row above the target: the move ends on the row it aimed at.
    auto drop = QObject::connect(grid_, &FlexGrid::LeaveCell, grid_, [this] {
        if (grid_->Rows() == 11) grid_->RemoveItem(2);
    });
    click(6, 1);
    EXPECT_EQ(grid_->Row(), 5);
    EXPECT_EQ(grid_->TextMatrix(grid_->Row(), 1), u"Nombre 6"_s);
    QObject::disconnect(drop);
    // Rows removed above the current cell move it up with its row, outside LeaveCell too.
    grid_->RemoveItem(1);
    EXPECT_EQ(grid_->Row(), 4);
    EXPECT_EQ(grid_->TextMatrix(grid_->Row(), 1), u"Nombre 6"_s);
    // A handler that keeps the cell, or sends it elsewhere, wins over the move.
    auto keep = QObject::connect(grid_, &FlexGrid::LeaveCell, grid_, [this] { grid_->keepCell(); });
    click(7, 2);
    grid_->setFocus();
    QTest::keyClick(grid_, Qt::Key_Down);
    EXPECT_EQ(grid_->Row(), 4);
    EXPECT_EQ(grid_->Col(), 1);
    QObject::disconnect(keep);
    auto send = QObject::connect(grid_, &FlexGrid::LeaveCell, grid_, [this] { grid_->setRow(2); });
    click(7, 2);
    EXPECT_EQ(grid_->Row(), 2);
    EXPECT_EQ(grid_->Col(), 1);
    QObject::disconnect(send);
    // A double click whose press was sent elsewhere opens nothing.
    int doubleClicks = 0;
    QObject::connect(grid_, &FlexGrid::DblClick, grid_, [&] { ++doubleClicks; });
    auto elsewhere =
        QObject::connect(grid_, &FlexGrid::LeaveCell, grid_, [this] { grid_->keepCell(); });
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, cellCenter(6, 0));
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, cellCenter(6, 0));
    EXPECT_EQ(doubleClicks, 0);
    QObject::disconnect(elsewhere);
    click(6, 0);
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, cellCenter(6, 0));
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(FlexGridTest, AKeyDroppedByItsHandlerTypesNothing) {
    std::vector<int> presses;
    QObject::connect(grid_, &FlexGrid::KeyPress, grid_,
                     [&](int& ascii) { presses.push_back(ascii); });
    QObject::connect(grid_, &FlexGrid::KeyDown, grid_, [](int& code, int) {
        if (code == 27) code = 0;
    });
    grid_->setFocus();
    QTest::keyClick(grid_, Qt::Key_Escape);
    QTest::keyClick(grid_, Qt::Key_Return);
    EXPECT_EQ(presses, std::vector<int>{13});
}

TEST_F(FlexGridTest, KeysArriveWithThePlatformCodes) {
    std::vector<std::pair<int, int>> downs;
    std::vector<int> presses;
    QObject::connect(grid_, &FlexGrid::KeyDown, grid_,
                     [&](int& code, int shift) { downs.emplace_back(code, shift); });
    QObject::connect(grid_, &FlexGrid::KeyPress, grid_,
                     [&](int& ascii) { presses.push_back(ascii); });
    grid_->setFocus();
    const std::vector<Qt::Key> keys{Qt::Key_Return, Qt::Key_Escape, Qt::Key_Up,   Qt::Key_Down,
                                    Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Enter};
    for (Qt::Key key : keys)
        QTest::keyClick(grid_, key);
    QTest::keyClick(grid_, Qt::Key_A);
    QTest::keyClick(grid_, 'A', Qt::ShiftModifier); // Shift is a key of its own, code 16
    QTest::keyClick(grid_, 'x');
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{13, 0},
                                                       {27, 0},
                                                       {38, 0},
                                                       {40, 0},
                                                       {45, 0},
                                                       {46, 0},
                                                       {13, 0},
                                                       {65, 0},
                                                       {16, 1},
                                                       {65, 1},
                                                       {88, 0}}));
    EXPECT_EQ(presses, (std::vector<int>{13, 27, 13, 'a', 'A', 'x'}));
}

TEST_F(FlexGridTest, MouseClicksAndDoubleClicksAreReported) {
    int clicks = 0;
    int doubles = 0;
    QObject::connect(grid_, &FlexGrid::Click, grid_, [&] { ++clicks; });
    QObject::connect(grid_, &FlexGrid::DblClick, grid_, [&] {
        ++doubles;
        EXPECT_EQ(grid_->Row(), 3); // the first press chose the cell
    });
    click(2, 0);
    EXPECT_EQ(clicks, 1);
    // The platform's order: press, release (Click), press, double click, release (no Click).
    click(3, 1);
    QTest::mousePress(grid_->viewport(), Qt::LeftButton, {}, cellCenter(3, 1));
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, cellCenter(3, 1));
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, {}, cellCenter(3, 1));
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(grid_->Col(), 1);
    // Qt's own editing is off: no editor opened on the cell.
    EXPECT_EQ(grid_->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(grid_->viewport()->findChildren<QLineEdit*>().isEmpty());

    // A drag stretches the selection and leaves the current cell where the press was.
    QTest::mousePress(grid_->viewport(), Qt::LeftButton, {}, cellCenter(2, 0));
    QMouseEvent move(QEvent::MouseMove, cellCenter(4, 2),
                     grid_->viewport()->mapToGlobal(cellCenter(4, 2)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(grid_->viewport(), &move);
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, {}, cellCenter(4, 2));
    EXPECT_EQ(grid_->Row(), 2);
    EXPECT_EQ(grid_->Col(), 0);
    EXPECT_EQ(grid_->RowSel(), 4);
    EXPECT_EQ(grid_->ColSel(), 2);
}

TEST_F(FlexGridTest, FocusIsReportedAndSetFocusNeedsAVisibleGrid) {
    other_->setFocus();
    int got = 0;
    int lost = 0;
    QObject::connect(grid_, &FlexGrid::GotFocus, grid_, [&] { ++got; });
    QObject::connect(grid_, &FlexGrid::LostFocus, grid_, [&] { ++lost; });
    grid_->SetFocus();
    EXPECT_EQ(got, 1);
    EXPECT_TRUE(grid_->hasFocus());
    other_->setFocus();
    EXPECT_EQ(lost, 1);
    grid_->hide();
    EXPECT_EQ(errorOf([&] { grid_->SetFocus(); }), ErrorNumber::InvalidCall);
}

TEST_F(FlexGridTest, CellGeometryIsTheViewsCellInTwipsRelativeToTheGrid) {
    const double dpiX = grid_->logicalDpiX();
    const double dpiY = grid_->logicalDpiY();
    auto twipsX = [&](int px) { return int(std::lround(Twips::fromPixels(px, dpiX))); };
    auto twipsY = [&](int px) { return int(std::lround(Twips::fromPixels(px, dpiY))); };
    grid_->setColWidth(0, 1500);
    EXPECT_EQ(grid_->columnWidth(0), Twips::toPixels(1500, dpiX));
    EXPECT_EQ(grid_->ColWidth(0), twipsX(grid_->columnWidth(0)));
    EXPECT_EQ(errorOf([&] { grid_->ColWidth(3); }), ErrorNumber::InvalidCall);

    grid_->setRow(3);
    grid_->setCol(1);
    const QRect cell =
        grid_->visualRect(grid_->model()->index(2, 1)).translated(grid_->viewport()->pos());
    EXPECT_EQ(grid_->CellLeft(), twipsX(cell.left()));
    EXPECT_EQ(grid_->CellTop(), twipsY(cell.top()));
    EXPECT_EQ(grid_->CellWidth(), twipsX(cell.width()));
    EXPECT_EQ(grid_->CellHeight(), twipsY(cell.height()));
    // Below the header, right of the first column.
    EXPECT_GE(grid_->CellTop(), twipsY(grid_->horizontalHeader()->height()));
    EXPECT_GE(grid_->CellLeft(), grid_->ColWidth(0));

    // An editor laid at Left + CellLeft, Top + CellTop covers the cell exactly.
    QLineEdit editor(&window_);
    editor.setGeometry(Twips::toPixels(grid_->Left() + grid_->CellLeft(), dpiX),
                       Twips::toPixels(grid_->Top() + grid_->CellTop(), dpiY),
                       Twips::toPixels(grid_->CellWidth(), dpiX),
                       Twips::toPixels(grid_->CellHeight(), dpiY));
    EXPECT_EQ(editor.geometry(), cell.translated(grid_->pos()));

    grid_->setLeft(1800);
    grid_->setTop(720);
    grid_->setWidth(7935);
    grid_->setHeight(3255);
    EXPECT_EQ(grid_->pos(), QPoint(Twips::toPixels(1800, dpiX), Twips::toPixels(720, dpiY)));
    EXPECT_EQ(grid_->size(), QSize(Twips::toPixels(7935, dpiX), Twips::toPixels(3255, dpiY)));
    EXPECT_EQ(grid_->Width(), twipsX(grid_->width()));
    EXPECT_EQ(grid_->Height(), twipsY(grid_->height()));
    EXPECT_EQ(errorOf([&] { grid_->setHeight(-15); }), ErrorNumber::InvalidCall);
}

TEST_F(FlexGridTest, TopRowScrollsAndRefusesRowsPastTheEnd) {
    grid_->load(contacts(200));
    EXPECT_EQ(grid_->TopRow(), 1);
    grid_->setTopRow(50);
    EXPECT_EQ(grid_->TopRow(), 50);
    EXPECT_EQ(grid_->rowAt(0), 49);
    grid_->setTopRow(grid_->TopRow() + 1);
    EXPECT_EQ(grid_->TopRow(), 51);
    // The last row: as far as the grid scrolls, the last row then in sight.
    grid_->setTopRow(200);
    EXPECT_GT(grid_->TopRow(), 51);
    EXPECT_EQ(grid_->rowAt(grid_->viewport()->height() - 2), 199);
    const int top = grid_->TopRow();
    EXPECT_EQ(errorOf([&] { grid_->setTopRow(201); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf([&] { grid_->setTopRow(0); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(grid_->TopRow(), top);

    // Setting Row by code does not scroll; the keyboard keeps the current cell in sight.
    grid_->setTopRow(1);
    grid_->setRow(150);
    EXPECT_EQ(grid_->TopRow(), 1);
    grid_->setFocus();
    QTest::keyClick(grid_, Qt::Key_Down);
    EXPECT_EQ(grid_->Row(), 151);
    EXPECT_GT(grid_->TopRow(), 100);
    EXPECT_LE(grid_->TopRow(), 151);
}

} // namespace
