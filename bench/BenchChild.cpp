#include "BenchChild.h"

#include "BenchProcess.h"
#include "contacts/CellStore.h"
#include "contacts/DataControl.h"
#include "contacts/ExcelExport.h"
#include "contacts/ExportNames.h"
#include "contacts/FilterView.h"
#include "contacts/FlexGrid.h"
#include "contacts/FrmContactos.h"
#include "contacts/HtmlExport.h"
#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "startup/ModGlobal.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The operator of a benchmark run answers nothing: any prompt means the run measured a failure,
// so it is printed and the run fails.
class NoPrompts final : public Prompts {
public:
    int failures = 0;

    int message(const QString& text, const QString& title, Prompt::Buttons, Prompt::Icon,
                Prompt::Default) override {
        fail(u"message"_s, title + u": "_s + text);
        return Prompt::Cancel;
    }
    QString input(const QString& prompt, const QString& title, const QString&) override {
        fail(u"input"_s, title + u": "_s + prompt);
        return {};
    }
    std::optional<QString> saveFile(const Prompt::SaveDialog& dialog) override {
        fail(u"saveFile"_s, dialog.filter);
        return std::nullopt;
    }
    int reportError(const RuntimeError& error, const QString& label) override {
        fail(u"reportError"_s, QString::number(error.number()) + u" "_s + error.description() +
                                   u" ("_s + label + u")"_s);
        return Prompt::Abort;
    }
    int execDialog(QDialog&) override {
        fail(u"execDialog"_s, QString());
        return 0;
    }

private:
    void fail(const QString& kind, const QString& text) {
        ++failures;
        std::fprintf(stderr, "unexpected prompt (%s): %s\n", qPrintable(kind), qPrintable(text));
    }
};

// Counts the paint events of the whole application, to tell whether the window kept repainting.
class PaintCounter final : public QObject {
public:
    long paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The grid as the window's page writer reads it (the window's own adapter is private to it).
class GridForPage final : public HtmlExport::Grid {
public:
    explicit GridForPage(FlexGrid& grid) : grid_(grid) {}
    long Rows() const override { return grid_.Rows(); }
    long Cols() const override { return grid_.Cols(); }
    QString TextMatrix(long row, long col) const override {
        return grid_.TextMatrix(int(row), int(col));
    }
    void setCurrentCell(long row, long col) override {
        grid_.setRow(int(row));
        grid_.setCol(int(col));
    }

private:
    FlexGrid& grid_;
};

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void out(const char* key, double value) {
    std::printf("%s %.3f\n", key, value);
}

int columnNamed(FlexGrid& grid, const QString& name) {
    for (int c = 0; c < grid.Cols(); ++c) {
        if (grid.TextMatrix(0, c).compare(name, Qt::CaseInsensitive) == 0) return c;
    }
    raiseError(5, u"No hay columna "_s + name, u"bench"_s);
}

// The grid's own handling of its viewport's events, reachable from a filter (QAbstractScrollArea
// hands them to it through a filter of its own).
struct ViewportAccess : QAbstractScrollArea {
    using QAbstractScrollArea::viewportEvent;
};

// Times the first paint of the grid's viewport that shows rows of the database: the paint is done
// here, as the scroll area would do it, so the time is taken once the rows are painted.
class FirstRowsPaint final : public QObject {
public:
    FirstRowsPaint(FlexGrid& grid, const QElapsedTimer& clock) : grid_(grid), clock_(clock) {
        grid.viewport()->installEventFilter(this);
    }
    double paintedMs = -1;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (paintedMs >= 0 || event->type() != QEvent::Paint || watched != grid_.viewport())
            return false;
        if (grid_.model()->rowCount() < 1 || grid_.cells().sourceRow(0) < 0) return false;
        const bool done = (grid_.*(&ViewportAccess::viewportEvent))(event);
        paintedMs = double(clock_.nsecsElapsed()) / 1e6;
        return done;
    }

private:
    FlexGrid& grid_;
    const QElapsedTimer& clock_;
};

// The start of data1.Refresh, where the data control tells it.
template <class Control, class Slot> bool connectLoadStarted(Control* control, Slot slot) {
    if constexpr (requires { &Control::loadStarted; }) {
        QObject::connect(control, &Control::loadStarted, control, slot);
        return true;
    } else {
        return false;
    }
}

// Moments of the window's load, in ms from the start of its construction (-1: not seen).
struct LoadTimes {
    double constructed = -1; // FrmContactos built
    double startedUp = -1;   // ModGlobal::Inicializar done (Form_Load fills the sort selector next)
    double refreshStart = -1; // data1.Refresh began (only where the data control tells it)
    double gridReset = -1;    // the grid takes the first rows (data1.Refresh done)
    double refreshed = -1;    // the grid holds them
    double formLoaded = -1;   // Form_Load returned
    double firstRows = -1;    // first paint of the grid showing rows of the database
    double loaded = -1;       // every row read and in the grid
    double connectionMs = -1; // a further connection like data1's, opened and closed after the load
};

struct Window {
    NoPrompts noPrompts;
    PaintCounter counter;
    std::unique_ptr<FrmContactos> w;
    LoadTimes times;
    // Kept here: the hooks stay connected after the load (a later Refresh finds them set).
    QElapsedTimer clock;
    bool loadComplete = true;

    // Start-up, Form_Load (data1.Refresh and the grid's load), the window shown and its first
    // paint, then the rest of the load with the event loop running, to its end.
    void open(const QString& file, const QString& programFolder) {
        ModGlobal::setProgramFolder(programFolder);
        // A database file, or a parameter string of its own (a server's).
        ModGlobal::setCommandLine(
            file.startsWith(u'@')
                ? file
                : u"@Server=SQLITE;@DbName=%1;@Usuario=admin;@Password=;"_s.arg(file));
        clock.start();
        auto now = [this] { return double(clock.nsecsElapsed()) / 1e6; };
        auto once = [now](double& at) {
            return [&at, now] {
                if (at < 0) at = now();
            };
        };
        w = std::make_unique<FrmContactos>();
        times.constructed = now();
        FrmContactos& win = *w;
        // The hooks go in after the window's own, so a slot of the window runs before them.
        QObject::connect(win.Combo1->model(), &QAbstractItemModel::rowsAboutToBeInserted,
                         win.Combo1, once(times.startedUp));
        connectLoadStarted(win.data1, once(times.refreshStart));
        QObject::connect(win.DataGrid1->model(), &QAbstractItemModel::modelAboutToBeReset,
                         win.DataGrid1, once(times.gridReset));
        QObject::connect(win.data1, &DataControl::refreshed, win.data1, once(times.refreshed));
        QObject::connect(win.data1, &DataControl::loadEnded, win.data1,
                         [this](bool all) { loadComplete = loadComplete && all; });
        FirstRowsPaint paint(*win.DataGrid1, clock);
        auto loadDone = [&win] {
            return !win.data1->Loading() &&
                   win.DataGrid1->model()->rowCount() >= win.data1->RowsRead();
        };

        win.Form_Load();
        times.formLoaded = now();
        if (loadDone()) times.loaded = now();
        win.show();
        // The event loop wakes at least this often, so nothing waits on a quiet loop.
        QTimer heartbeat;
        heartbeat.start(20);
        QDeadlineTimer deadline(std::chrono::hours(1));
        while (paint.paintedMs < 0 || times.loaded < 0) {
            QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            if (times.loaded < 0 && loadDone()) times.loaded = now();
            if (deadline.hasExpired())
                raiseError(5,
                           u"La carga no terminó (filas leídas: %1)"_s.arg(win.data1->RowsRead()),
                           u"bench"_s);
        }
        heartbeat.stop();
        times.firstRows = paint.paintedMs;
        if (!loadComplete)
            raiseError(5, u"La carga se detuvo antes de leer todas las filas"_s, u"bench"_s);
        settle();

        // A connection like the data control's own, to tell its part of data1.Refresh.
        QElapsedTimer t;
        t.start();
        {
            ado::Connection connection;
            connection.setCursorLocation(ado::adUseClient);
            connection.Open(win.data1->ConnectionString());
            connection.Close();
        }
        times.connectionMs = double(t.nsecsElapsed()) / 1e6;
    }
};

} // namespace

int runChild(const QString& task, const QString& file, const QString& sourceDir) {
    int argc = 1;
    char name[] = "contactos_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program's own main.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    QTemporaryDir folder;
    QFile::copy(sourceDir + u"/resources/stone.jpg"_s, folder.filePath(u"stone.jpg"_s));

    Window win;
    installPrompts(&win.noPrompts);
    app.installEventFilter(&win.counter);
    try {
        const long rssBefore = BenchProcess::residentKb();
        win.open(file, folder.path());
        FrmContactos& w = *win.w;
        FlexGrid& grid = *w.DataGrid1;
        const LoadTimes& lt = win.times;
        out("load_ms", lt.loaded);
        out("first_rows_ms", lt.firstRows);
        if (lt.refreshStart >= 0) out("first_rows_refresh_ms", lt.firstRows - lt.refreshStart);
        out("load_hwm_kb", double(BenchProcess::peakKb()));
        out("load_rss_before_kb", double(rssBefore));
        // The parts of the load, each from the end of the one before (-1: its mark was not seen).
        auto part = [](double from, double to) { return from >= 0 && to >= 0 ? to - from : -1; };
        out("part_construct_ms", lt.constructed);
        out("part_startup_ms", part(lt.constructed, lt.startedUp));
        // Without a mark at the start of data1.Refresh, the window's layout and the recovery file
        // count in the Refresh.
        out("part_layout_ms", part(lt.startedUp, lt.refreshStart));
        out("part_refresh_ms",
            part(lt.refreshStart >= 0 ? lt.refreshStart : lt.startedUp, lt.gridReset));
        out("part_grid_ms", part(lt.gridReset, lt.refreshed));
        out("part_form_load_rest_ms", part(lt.refreshed, lt.formLoaded));
        out("part_first_paint_ms", part(lt.formLoaded, lt.firstRows));
        out("part_rest_ms", lt.loaded > lt.firstRows ? lt.loaded - lt.firstRows : 0);
        out("connection_ms", lt.connectionMs);
        out("load_paints", double(win.counter.paints));
        out("grid_rows", double(grid.Rows() - 1));
        if (task == u"load"_s) return win.noPrompts.failures ? 1 : 0;

        // Exports of the whole grid, each with the peak memory it adds to the loaded window. The
        // page is its own task: it is slow enough to be run once.
        if (task == u"html"_s) {
            GridForPage page(grid);
            const long base = BenchProcess::resetPeak();
            win.counter.paints = 0;
            QElapsedTimer t;
            t.start();
            // BENCH_HTML_NO_PROGRESS=1 leaves the progress window out, to tell its cost apart.
            const ExportNames::Progress progress =
                qEnvironmentVariableIsSet("BENCH_HTML_NO_PROGRESS")
                    ? ExportNames::Progress{}
                    : ExportNames::progressDialog(&w);
            const HtmlExport::Result r = HtmlExport::write(
                folder.filePath(u"grid.htm"_s), page, w.windowTitle(), folder.path(), progress);
            out("html_ms", double(t.nsecsElapsed()) / 1e6);
            out("html_extra_kb", double(BenchProcess::peakKb() - base));
            out("html_paints", double(win.counter.paints));
            out("html_rows", double(r.rows));
            out("html_bytes", double(QFileInfo(folder.filePath(u"grid.htm"_s)).size()));
            QFile::remove(folder.filePath(u"grid.htm"_s));
            return win.noPrompts.failures ? 1 : 0;
        }
        {
            ado::Recordset& rs = w.data1->Recordset();
            rs.MoveFirst();
            ExcelExport::Options options;
            options.progress = ExportNames::progressDialog(&w);
            const long base = BenchProcess::resetPeak();
            win.counter.paints = 0;
            QElapsedTimer t;
            t.start();
            const ExcelExport::Result r =
                ExcelExport::write(folder.filePath(u"grid.xlsx"_s), rs, w.windowTitle(), options);
            out("xlsx_ms", double(t.nsecsElapsed()) / 1e6);
            out("xlsx_extra_kb", double(BenchProcess::peakKb() - base));
            out("xlsx_paints", double(win.counter.paints));
            out("xlsx_rows", double(r.records));
            out("xlsx_sheets", double(r.sheets));
            out("xlsx_bytes", double(QFileInfo(folder.filePath(u"grid.xlsx"_s)).size()));
            QFile::remove(folder.filePath(u"grid.xlsx"_s));
        }

        // Sorts on a text and on a numeric column, each mode from the order the previous one left.
        const struct {
            const char* key;
            QString column;
        } sortColumns[] = {{"text", u"Nombre_y_Apellido"_s}, {"num", u"Saldo"_s}};
        for (const auto& sc : sortColumns) {
            const int col = columnNamed(grid, sc.column);
            grid.setRow(1);
            grid.setCol(col);
            grid.setColSel(col);
            for (int mode = 1; mode <= 6; ++mode) {
                QElapsedTimer t;
                t.start();
                grid.Sort(mode);
                settle();
                const QByteArray key =
                    "sort_" + QByteArray(sc.key) + "_" + QByteArray::number(mode) + "_ms";
                out(key.constData(), double(t.nsecsElapsed()) / 1e6);
            }
        }

        // One edited row written, three times on rows spread over the table.
        {
            const int col = columnNamed(grid, u"Domicilio"_s);
            std::vector<double> times;
            const int rows = grid.Rows() - 1;
            for (const int row : {rows / 2, rows / 3 + 1, rows - 1}) {
                // A text of this run's own: a text already stored would leave nothing to write.
                grid.setTextMatrix(
                    row, col,
                    u"Calle Editada %1-%2"_s.arg(row).arg(QCoreApplication::applicationPid()));
                w.state.gFilaPendiente = row;
                QElapsedTimer t;
                t.start();
                w.GrabaRegistro();
                settle();
                times.push_back(double(t.nsecsElapsed()) / 1e6);
                if (w.state.gFilaPendiente != 0)
                    raiseError(5, u"La fila editada no se grabó"_s, u"bench"_s);
            }
            std::sort(times.begin(), times.end());
            out("write_ms", times[1]);
        }

        // A filter that keeps about a tenth of the rows (the balances spread evenly over 20,000).
        {
            w.FrmFiltro->Cargar_Datos();
            w.FrmFiltro->txtCriteria->setPlainText(u"Saldo < -1000"_s);
            QElapsedTimer t;
            t.start();
            w.FrmFiltro->AplicarFiltro();
            settle();
            out("filter_ms", double(t.nsecsElapsed()) / 1e6);
            out("filter_rows", double(grid.Rows() - 1));
        }
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "error %ld: %s\n", long(e.number()), qPrintable(e.description()));
        return 2;
    } catch (const ProgramEnd&) {
        std::fprintf(stderr, "the start-up could not connect to %s\n", qPrintable(file));
        return 2;
    }
    return win.noPrompts.failures ? 1 : 0;
}
