#pragma once

// Operator scenario tests: the built program on a private X display (Xvfb with the openbox window
// manager), driven with real key and mouse events (xdotool), its database file and exported files
// read back afterwards. Nothing in the program is replaced: its prompts are Qt's own message boxes
// and dialogs, found by their titles and answered with keys (their texts are the unit tests'
// business: the scripted operator there records every message).
//
// Adding a scenario: put a TEST_F(OperatorScenario, Name) in any .cpp of this folder (each file of
// the folder joins the test_scenario executable). A scenario usually reads
//
//     start();                                    // a copy of the demo database, the window up
//     goTo(3, 1);                                 // current cell (row 3, column 1) by keys
//     editCell(u"Juan Pérez"_s);                  // Enter, the text typed, Enter
//     key("Down"); key("Right");                  // leaving the row writes it
//     EXPECT_TRUE(waitForStored(u"SELECT ... WHERE id = 3"_s, u"Juan Pérez"_s));
//     const QString box = waitWindow(u"^Valor no válido"_s);   // a prompt, by its title
//     answer(box, u"Return"_s);                  // or an access key: alt+o for "Omitir"
//     closeProgram();                             // Alt+F4, then the process must end
//
// Every wait polls with a deadline; none sleeps a fixed time. Events reach the program in order,
// so once a later effect is seen (a row stored, a window shown, the process ended) everything
// typed before it was handled: check what must NOT have happened after such a point.
//
// Each test gets its own display (Xvfb picks a free number), window manager, program folder copy
// of the database and home folder, so tests run side by side. The desktop's file opener (what
// xdg-open would start) is a recorder: opened() lists the files the program asked to open.

#include "support/TestDatabase.h"

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

class OperatorScenario : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program: started on a copy of the demo database (or on `schema`), under es_AR. Returns
    // when its main window is shown and active.
    void start(const QString& schema = TestDatabase::demoScript());
    // The program started on the database of a parameter string (a server's), or again on the
    // last one. With `toGrid` the grid takes the focus; without, a prompt the start shows keeps it.
    void launch(const QString& parameters, bool toGrid = true);
    void restart(bool toGrid = true) { launch(parameters_, toGrid); }
    // Ends the program as a crash does (SIGKILL): nothing of it runs any more.
    void kill();
    // The folder where the program keeps the rows it could not write (its data folder's).
    static QString keptFolder();
    // Closes the main window as the operator does (Alt+F4) and waits for the program to end.
    // False when it did not end (a prompt is still open).
    bool closeProgram();
    // Waits for the program to end by itself.
    bool waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool running() const;

    // The database file, read directly.
    TestDatabase& db() { return *db_; }
    QString stored(const QString& sql) const { return db_->scalar(sql); }
    // Polls a query until it gives `expected`; false (with the last value in the failure) at the
    // deadline.
    bool waitForStored(const QString& sql, const QString& expected,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Keys, as xdotool names them ("Return", "Escape", "ctrl+Home", "Insert"), to the active
    // window.
    void key(const QString& keys);
    void key(const char* keys) { key(QString::fromUtf8(keys)); }
    // Types a text, accents and all, to the active window.
    void typeText(const QString& text);
    // Moves the current cell to (row, col) by keys: Ctrl+Home, then Down and Right. Only for rows
    // that need no scrolling past the first page when exactness matters to the scenario.
    void goTo(int row, int col);
    // Edits the current cell as the operator does: Enter opens the editor on its text, the text
    // typed replaces it, Enter closes the edit.
    void editCell(const QString& text);
    // Makes the main window larger (or smaller) as the operator does, by pixels.
    void growWindow(int dx, int dy);
    // Where a window's client area lies on the screen (the main window's by default).
    QRect placement(const QString& window = {});
    // Clicks (count 2: double-clicks) at a point of the main window's client area.
    void click(QPoint at, int count = 1);

    // Waits for a visible window of the program whose title matches `titlePattern` (a POSIX
    // regular expression); returns its id ("" at the deadline). The window is made active.
    QString waitWindow(const QString& titlePattern,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Waits until the window is gone.
    bool waitWindowGone(const QString& window,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Makes a window active and sends it keys; waits until it is gone when `closes`.
    bool answer(const QString& window, const QString& keys, bool closes = true);
    // Answers the save dialog ("Guardar como") with a full path.
    bool saveAs(const QString& path);

    // A picture of the main window (or of any window).
    QImage screenshot(const QString& window = {});
    // Saves a picture of the screen into the scenario output folder, for a person to look at.
    QString saveScreenshot(const QString& name);

    // Where the grid draws its cells, measured from pictures of the window: the current cell's
    // frame at (1, col) and (2, col) after Ctrl+Home. With the first row at the top, row r lies
    // at cell.top() + (r - 1) * pitch. Leaves the current cell at (1, col).
    struct GridLayout {
        QRect cell;             // cell (1, col), window coordinates
        int pitch = 0;          // from one row to the next
        int viewportBottom = 0; // the last pixel row where the grid shows cells
        int top(int row) const { return cell.top() + (row - 1) * pitch; }
        QPoint at(int row) const { return {cell.center().x(), top(row) + pitch / 2}; }
    };
    GridLayout measureGrid(int col);
    // The frame the grid draws around its current cell, in window coordinates (empty when none).
    QRect currentCellFrame(const QImage& shot) const;
    // The toolbar's three buttons (Filtro, HTM, Excel), centres in window coordinates.
    std::vector<QPoint> toolbarButtons(const QImage& shot) const;

    // Files the program asked the desktop to open.
    QStringList opened() const;
    // A folder of the test for exported files.
    QString outputFolder() const { return work_->filePath(QStringLiteral("salida")); }
    QString mainWindow() const { return mainWindow_; }

    // Runs a helper program to its end (bounded); its standard output, nothing on a failure.
    std::optional<QString> run(const QString& program, const QStringList& arguments,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout);

private:
    void startDisplay();
    QStringList environment() const;
    void stopProcess(QProcess& process);

    std::unique_ptr<QTemporaryDir> work_;
    std::unique_ptr<TestDatabase> db_;
    QProcess xvfb_;
    QProcess windowManager_;
    QProcess program_;
    QString display_;
    QString mainWindow_;
    QString parameters_;
};
