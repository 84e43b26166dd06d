// Timings of the grid on a million rows, printed, never asserted (speed is measured, not tested).
// Run by hand: test_contacts --gtest_also_run_disabled_tests --gtest_filter='*LargeGrid*'
// (ROWS=n for another size, ONLY_MODE=m for one sort mode, SKIP_SORTS=1 for none). Also the
// copy of every cell to the clipboard's forms and a find that looks at every cell.
#include "contacts/CellBlock.h"
#include "contacts/CellFinder.h"
#include "contacts/CellStore.h"
#include "contacts/FlexGrid.h"
#include "shared/Variant.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <time.h>

using namespace Qt::StringLiterals;

namespace {

// Columns held as a recordset holds them: texts in one UTF-16 buffer per column, numbers in
// plain vectors, a null flag per cell.
class ColumnSource final : public GridSource {
public:
    struct Column {
        QString name;
        bool numeric = false;
        QString texts;
        std::vector<qsizetype> offsets{0};
        std::vector<double> numbers;
        std::vector<bool> nulls;
    };

    std::vector<Column> columns;
    int rows = 0;

    int rowCount() const override { return rows; }
    int columnCount() const override { return int(columns.size()); }
    QString columnName(int column) const override { return columns[std::size_t(column)].name; }
    QString text(int row, int column) const override {
        QString out;
        appendText(row, column, out);
        return out;
    }
    void appendText(int row, int column, QString& out) const override {
        const Column& c = columns[std::size_t(column)];
        if (c.nulls[std::size_t(row)]) return;
        if (c.numeric) {
            out += writeLocaleNumber(c.numbers[std::size_t(row)]);
            return;
        }
        const qsizetype from = c.offsets[std::size_t(row)];
        out += QStringView(c.texts).sliced(from, c.offsets[std::size_t(row) + 1] - from);
    }
    Kind sortKind(int row, int column, double& number) const override {
        const Column& c = columns[std::size_t(column)];
        if (!c.numeric || c.nulls[std::size_t(row)]) return Kind::Text;
        number = c.numbers[std::size_t(row)];
        return Kind::Number;
    }
};

// Processor time of this thread: steadier than the wall clock on a machine shared with others.
qint64 cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

long residentKb() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

TEST(LargeGrid, DISABLED_MillionRowsTimings) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    const int rows =
        qEnvironmentVariableIsSet("ROWS") ? qEnvironmentVariableIntValue("ROWS") : 1000000;
    const QStringList names{u"id"_s,     u"nombre"_s,   u"apellidos"_s, u"direccion"_s,
                            u"ciudad"_s, u"telefono"_s, u"email"_s,     u"importe"_s,
                            u"cp"_s,     u"notas"_s,    u"pais"_s,      u"saldo"_s};
    const QStringList words{u"Ana"_s,   u"luis"_s,  u"Pérez"_s, u"García"_s, u"Madrid"_s,
                            u"calle"_s, u"Mayor"_s, u"Ñandú"_s, u"zeta"_s,   u"Oviedo"_s};
    std::mt19937 random(42);
    const long rssBefore = residentKb();
    QElapsedTimer timer;
    timer.start();
    auto source = std::make_shared<ColumnSource>();
    source->rows = rows;
    for (int c = 0; c < names.size(); ++c) {
        ColumnSource::Column column;
        column.name = names[c];
        column.numeric = c == 0 || c == 7 || c == 11;
        column.nulls.assign(rows, false);
        if (column.numeric)
            column.numbers.resize(rows);
        else
            column.offsets.reserve(rows + 1);
        for (int r = 0; r < rows; ++r) {
            if (c != 0 && random() % 20 == 0) column.nulls[std::size_t(r)] = true;
            if (column.numeric) {
                column.numbers[std::size_t(r)] =
                    c == 0 ? r + 1 : double(random() % 1000000) / 100.0;
            } else {
                const int n = 1 + int(random() % 3);
                for (int w = 0; w < n; ++w) {
                    if (w) column.texts += u' ';
                    column.texts += words[int(random() % words.size())];
                }
                column.offsets.push_back(column.texts.size());
            }
        }
        source->columns.push_back(std::move(column));
    }
    const qint64 buildMs = timer.restart();
    const long rssSource = residentKb();

    QWidget window;
    window.resize(800, 600);
    FlexGrid grid(&window);
    grid.setGeometry(8, 48, 780, 540);
    window.show();
    timer.restart();
    grid.load(source);
    QApplication::processEvents();
    grid.viewport()->repaint();
    const qint64 loadMs = timer.restart();
    const long rssGrid = residentKb();

    std::printf("source built in memory: %lld ms, %ld MB\n", buildMs,
                (rssSource - rssBefore) / 1024);
    std::printf("grid load + first paint: %lld ms, grid adds %ld MB (store %zu KB)\n", loadMs,
                (rssGrid - rssSource) / 1024, grid.cells().bytes() / 1024);

    for (int col : {1, 7}) {
        if (qEnvironmentVariableIsSet("SKIP_SORTS")) break;
        for (int mode = 1; mode <= 6; ++mode) {
            if (qEnvironmentVariableIsSet("ONLY_MODE") &&
                qEnvironmentVariableIntValue("ONLY_MODE") != mode)
                continue;
            grid.load(source);
            grid.setCol(col);
            timer.restart();
            const qint64 cpu = cpuMs();
            grid.Sort(mode);
            grid.viewport()->repaint();
            std::printf("sort mode %d on %s column: %lld ms (processor %lld ms)\n", mode,
                        col == 1 ? "text" : "numeric", timer.elapsed(), cpuMs() - cpu);
        }
    }

    // The writers' road: every cell in display order, the current cell moved to each one.
    timer.restart();
    qsizetype chars = 0;
    for (int r = 1; r < grid.Rows(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c) {
            grid.setRow(r);
            grid.setCol(c);
            chars += grid.TextMatrix(r, c).size();
        }
    }
    std::printf("Row/Col + TextMatrix over every cell: %lld ms (%lld chars)\n", timer.elapsed(),
                qint64(chars));
    timer.restart();
    for (int r = 1; r < grid.Rows(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c)
            chars += grid.TextMatrix(r, c).size();
    }
    std::printf("TextMatrix alone: %lld ms\n", timer.restart());
    QString line;
    for (int r = 0; r < grid.cells().rowCount(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c)
            grid.cells().appendText(r, c, line);
        chars += line.size();
        line.clear();
    }
    std::printf("cells().appendText alone: %lld ms\n", timer.restart());
    for (int r = 1; r < grid.Rows(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c) {
            grid.setRow(r);
            grid.setCol(c);
        }
    }
    std::printf("Row/Col alone: %lld ms\n", timer.restart());

    // Copy: every cell with the titles, as Ctrl+A and "Copiar con títulos" build it.
    {
        CellBlock::Range all;
        all.lastRow = grid.cells().rowCount() - 1;
        all.lastColumn = grid.Cols() - 1;
        const long rss = residentKb();
        timer.restart();
        const auto copy = CellBlock::copy(grid.cells(), all, true);
        std::printf(
            "copy of every cell: %lld ms, text %lld MB, HTML %lld MB, process grew %ld MB\n",
            timer.restart(), qint64(copy->text.size() * 2 / 1048576),
            qint64(copy->html.size() / 1048576), (residentKb() - rss) / 1024);
    }
    // Find: a text no cell holds, so every cell is looked at (the find bar does it in slices).
    for (const bool matchCase : {false, true}) {
        CellFinder finder(grid.cells());
        finder.start(u"pérez xyz"_s, matchCase, CellFinder::Direction::Forward, 0, 0,
                     CellFinder::From::Cell);
        timer.restart();
        while (finder.step(20000) == CellFinder::Result::Searching) {
        }
        std::printf("find through every cell (%s): %lld ms\n",
                    matchCase ? "matching case" : "folded", timer.restart());
    }
    QLocale::setDefault(saved);
}

} // namespace
