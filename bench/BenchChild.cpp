#include "BenchChild.h"

#include "BenchProcess.h"
#include "contacts/DataControl.h"
#include "contacts/ExcelExport.h"
#include "contacts/ExportNames.h"
#include "contacts/FilterView.h"
#include "contacts/FlexGrid.h"
#include "contacts/FrmContactos.h"
#include "contacts/HtmlExport.h"
#include "data/ado/Recordset.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "startup/ModGlobal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
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

struct Window {
    NoPrompts noPrompts;
    PaintCounter counter;
    std::unique_ptr<FrmContactos> w;

    // Start-up, Form_Load (data1.Refresh and the grid's load) and the first paint.
    double open(const QString& file, const QString& programFolder) {
        ModGlobal::setProgramFolder(programFolder);
        // A database file, or a parameter string of its own (a server's).
        ModGlobal::setCommandLine(
            file.startsWith(u'@')
                ? file
                : u"@Server=SQLITE;@DbName=%1;@Usuario=admin;@Password=;"_s.arg(file));
        QElapsedTimer t;
        t.start();
        w = std::make_unique<FrmContactos>();
        w->Form_Load();
        w->show();
        settle();
        return double(t.nsecsElapsed()) / 1e6;
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
        const double loadMs = win.open(file, folder.path());
        FrmContactos& w = *win.w;
        FlexGrid& grid = *w.DataGrid1;
        out("load_ms", loadMs);
        out("load_hwm_kb", double(BenchProcess::peakKb()));
        out("load_rss_before_kb", double(rssBefore));
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
