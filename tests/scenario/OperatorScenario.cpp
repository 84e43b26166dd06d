#include "OperatorScenario.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <iostream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto pollEvery = 25ms;

QString tool(const QString& name) {
    const QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty()) ADD_FAILURE() << name.toStdString() << " is missing: run scripts/setup";
    return found;
}

} // namespace

bool OperatorScenario::waitUntil(const std::function<bool()>& condition,
                                 std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (true) {
        if (condition()) return true;
        if (clock.elapsed() > timeout.count()) return false;
        QThread::msleep(pollEvery.count());
    }
}

std::optional<QString> OperatorScenario::run(const QString& program, const QStringList& arguments,
                                             std::chrono::milliseconds timeout) const {
    QProcess p;
    p.setEnvironment(environment());
    p.start(program, arguments);
    if (!p.waitForFinished(int(timeout.count()))) {
        p.kill();
        p.waitForFinished(1000);
        return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList OperatorScenario::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys()) {
        if (name.startsWith(u"LC_"_s) || name.startsWith(u"QT_"_s)) env.remove(name);
    }
    const QString home = work_->filePath(u"home"_s);
    env.insert(u"DISPLAY"_s, display_);
    env.insert(u"HOME"_s, home);
    env.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
    env.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, work_->filePath(u"run"_s));
    env.insert(u"LANG"_s, u"es_AR.UTF-8"_s);
    env.insert(u"LC_ALL"_s, u"es_AR.UTF-8"_s);
    env.insert(u"LANGUAGE"_s, u"es_AR:es"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"NO_AT_BRIDGE"_s, u"1"_s);
    // The desktop's file opener, as Qt finds it.
    env.insert(u"PATH"_s, work_->filePath(u"bin"_s) + u':' + env.value(u"PATH"_s));
    return env.toStringList();
}

void OperatorScenario::SetUp() {
    work_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(work_->isValid());
    for (const char* folder : {"home", "run", "bin", "salida"})
        QDir(work_->path()).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(work_->filePath(u"run"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile opener(work_->filePath(u"bin/xdg-open"_s));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(
        u"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n"_s.arg(work_->filePath(u"abiertos.txt"_s))
            .toUtf8());
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    startDisplay();
}

void OperatorScenario::startDisplay() {
    for (const char* t : {"Xvfb", "openbox", "xdotool", "xmodmap", "import"})
        ASSERT_FALSE(tool(QString::fromLatin1(t)).isEmpty());
    // Xvfb picks a free display itself and tells its number on the descriptor given.
    xvfb_.start(tool(u"Xvfb"_s), {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s,
                                  u"-nolisten"_s, u"tcp"_s, u"-dpi"_s, u"96"_s});
    ASSERT_TRUE(xvfb_.waitForStarted(5000));
    QByteArray number;
    ASSERT_TRUE(waitUntil(
        [&] {
            xvfb_.waitForReadyRead(int(pollEvery.count()));
            number += xvfb_.readAllStandardOutput();
            return number.contains('\n') || xvfb_.state() == QProcess::NotRunning;
        },
        10s))
        << "Xvfb gave no display number";
    ASSERT_TRUE(number.contains('\n'))
        << "Xvfb ended: " << xvfb_.readAllStandardError().toStdString();
    display_ = u":"_s + QString::fromLatin1(number.trimmed());

    windowManager_.setEnvironment(environment());
    windowManager_.start(tool(u"openbox"_s), {u"--sm-disable"_s});
    ASSERT_TRUE(windowManager_.waitForStarted(5000));
    // The window manager is up once it answers for the desktops it manages.
    ASSERT_TRUE(waitUntil(
        [&] { return run(tool(u"xdotool"_s), {u"get_num_desktops"_s}, 2s).has_value(); }, 10s))
        << "openbox did not start: " << windowManager_.readAllStandardError().toStdString();
    // Spanish letters on keys of their own (F13 and up): xdotool would otherwise map a key for
    // each letter while typing, and a program may read the key before it learns the new map.
    QStringList keys;
    const char* const letters[] = {
        "aacute Aacute",         "eacute Eacute",         "iacute Iacute",
        "oacute Oacute",         "uacute Uacute",         "ntilde Ntilde",
        "udiaeresis Udiaeresis", "masculine ordfeminine", "questiondown exclamdown"};
    int code = 191;
    for (const char* l : letters)
        keys << u"-e"_s << u"keycode %1 = %2"_s.arg(code++).arg(QString::fromLatin1(l));
    ASSERT_TRUE(run(tool(u"xmodmap"_s), keys).has_value()) << "xmodmap refused the Spanish letters";
}

void OperatorScenario::stopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

void OperatorScenario::TearDown() {
    if (HasFailure()) {
        if (!display_.isEmpty()) {
            const QString shot = saveScreenshot(
                QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()));
            if (!shot.isEmpty())
                std::cerr << "screen at the failure: " << shot.toStdString() << '\n';
        }
        std::cerr << "program's messages:\n"
                  << program_.readAllStandardError().toStdString() << '\n';
    }
    stopProcess(program_);
    stopProcess(windowManager_);
    stopProcess(xvfb_);
    // The program run from the build keeps the rows it could not write beside itself: a test
    // leaves none of its own there.
    const QDir kept(keptFolder());
    for (const QString& name : kept.entryList({u"*.json"_s}, QDir::Files)) {
        QFile file(kept.filePath(name));
        if (db_ && file.open(QIODevice::ReadOnly) &&
            file.readAll().contains(db_->path().toUtf8())) {
            file.remove();
            QFile::remove(kept.filePath(name) + u".lock"_s);
        }
    }
}

void OperatorScenario::start(const QString& schema) {
    db_ = std::make_unique<TestDatabase>(schema, u"contactos.db"_s);
    launch(u"@Server=SQLITE;@DbName=%1;@Usuario=admin;@Password=;"_s.arg(db_->path()));
}

void OperatorScenario::launch(const QString& parameters, bool toGrid) {
    parameters_ = parameters;
    program_.setEnvironment(environment());
    program_.setWorkingDirectory(work_->path());
    program_.start(QStringLiteral(CONTACTOS_PROGRAM), {parameters});
    ASSERT_TRUE(program_.waitForStarted(5000)) << "cannot start " << CONTACTOS_PROGRAM;
    mainWindow_ = waitWindow(u"^CONTACTOS$"_s, 20s);
    ASSERT_FALSE(mainWindow_.isEmpty())
        << "the window did not show: " << program_.readAllStandardError().toStdString();
    // The sort selector has the focus at start: a click on the grid's header gives it to the grid
    // (the grid starts 720 twips, 48 pixels, down the window).
    if (toGrid) click({30, 57});
}

void OperatorScenario::kill() {
    program_.kill();
    program_.waitForFinished(5000);
}

QString OperatorScenario::keptFolder() {
    return QFileInfo(QStringLiteral(CONTACTOS_PROGRAM)).absolutePath() + u"/recuperacion"_s;
}

bool OperatorScenario::running() const {
    return program_.state() != QProcess::NotRunning;
}

bool OperatorScenario::waitForExit(std::chrono::milliseconds timeout) {
    return waitUntil([&] { return program_.waitForFinished(int(pollEvery.count())) || !running(); },
                     timeout);
}

bool OperatorScenario::closeProgram() {
    if (!answer(mainWindow_, u"alt+F4"_s, false)) return false;
    return waitForExit(10s);
}

bool OperatorScenario::waitForStored(const QString& sql, const QString& expected,
                                     std::chrono::milliseconds timeout) {
    QString last;
    if (waitUntil([&] { return (last = stored(sql)) == expected; }, timeout)) return true;
    ADD_FAILURE() << sql.toStdString() << " gives \"" << last.toStdString() << "\", not \""
                  << expected.toStdString() << '"';
    return false;
}

void OperatorScenario::key(const QString& keys) {
    QStringList arguments{u"key"_s, u"--delay"_s, u"20"_s};
    arguments += keys.split(u' ', Qt::SkipEmptyParts);
    EXPECT_TRUE(run(tool(u"xdotool"_s), arguments).has_value())
        << "xdotool key " << keys.toStdString();
}

void OperatorScenario::typeText(const QString& text) {
    EXPECT_TRUE(
        run(tool(u"xdotool"_s), {u"type"_s, u"--delay"_s, u"15"_s, u"--"_s, text}, 30s).has_value())
        << "xdotool type " << text.toStdString();
}

void OperatorScenario::goTo(int row, int col) {
    QStringList keys{u"ctrl+Home"_s};
    for (int r = 1; r < row; ++r)
        keys << u"Down"_s;
    for (int c = 0; c < col; ++c)
        keys << u"Right"_s;
    key(keys.join(u' '));
}

void OperatorScenario::editCell(const QString& text) {
    key(u"Return ctrl+a"_s);
    if (text.isEmpty())
        key(u"BackSpace"_s);
    else
        typeText(text);
    key(u"Return"_s);
}

QRect OperatorScenario::placement(const QString& window) {
    const std::optional<QString> shell =
        run(tool(u"xdotool"_s),
            {u"getwindowgeometry"_s, u"--shell"_s, window.isEmpty() ? mainWindow_ : window});
    if (!shell) return {};
    QRect r;
    for (const QString& line : shell->split(u'\n')) {
        const int value = line.section(u'=', 1).toInt();
        if (line.startsWith(u"X="_s)) r.moveLeft(value);
        if (line.startsWith(u"Y="_s)) r.moveTop(value);
        if (line.startsWith(u"WIDTH="_s)) r.setWidth(value);
        if (line.startsWith(u"HEIGHT="_s)) r.setHeight(value);
    }
    return r;
}

void OperatorScenario::growWindow(int dx, int dy) {
    const std::optional<QString> geometry =
        run(tool(u"xdotool"_s), {u"getwindowgeometry"_s, u"--shell"_s, mainWindow_});
    ASSERT_TRUE(geometry.has_value());
    int width = 0, height = 0;
    for (const QString& line : geometry->split(u'\n')) {
        if (line.startsWith(u"WIDTH="_s)) width = line.mid(6).toInt();
        if (line.startsWith(u"HEIGHT="_s)) height = line.mid(7).toInt();
    }
    ASSERT_TRUE(run(tool(u"xdotool"_s), {u"windowsize"_s, u"--sync"_s, mainWindow_,
                                         QString::number(width + dx), QString::number(height + dy)})
                    .has_value());
}

void OperatorScenario::click(QPoint at, int count) {
    EXPECT_TRUE(run(tool(u"xdotool"_s),
                    {u"mousemove"_s, u"--sync"_s, u"--window"_s, mainWindow_,
                     QString::number(at.x()), QString::number(at.y()), u"click"_s, u"--repeat"_s,
                     QString::number(count), u"--delay"_s, u"90"_s, u"1"_s})
                    .has_value());
}

QString OperatorScenario::waitWindow(const QString& titlePattern,
                                     std::chrono::milliseconds timeout) {
    QString found;
    const QStringList search{u"search"_s,
                             u"--all"_s,
                             u"--onlyvisible"_s,
                             u"--pid"_s,
                             QString::number(program_.processId()),
                             u"--name"_s,
                             titlePattern};
    if (!waitUntil(
            [&] {
                const std::optional<QString> ids = run(tool(u"xdotool"_s), search, 2s);
                if (!ids || ids->trimmed().isEmpty()) return false;
                found = ids->split(u'\n', Qt::SkipEmptyParts).last().trimmed();
                return true;
            },
            timeout)) {
        ADD_FAILURE() << "no window \"" << titlePattern.toStdString() << '"';
        return {};
    }
    // Active before anything is typed into it.
    waitUntil(
        [&] {
            run(tool(u"xdotool"_s), {u"windowactivate"_s, found}, 2s);
            const std::optional<QString> active =
                run(tool(u"xdotool"_s), {u"getactivewindow"_s}, 2s);
            return active && active->trimmed() == found;
        },
        5s);
    return found;
}

bool OperatorScenario::waitWindowGone(const QString& window, std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            const std::optional<QString> visible =
                run(tool(u"xdotool"_s),
                    {u"search"_s, u"--all"_s, u"--onlyvisible"_s, u"--pid"_s,
                     QString::number(program_.processId()), u"--name"_s, u"."_s},
                    2s);
            return !visible || !visible->split(u'\n', Qt::SkipEmptyParts).contains(window);
        },
        timeout);
}

bool OperatorScenario::answer(const QString& window, const QString& keys, bool closes) {
    if (window.isEmpty()) return false;
    run(tool(u"xdotool"_s), {u"windowactivate"_s, u"--sync"_s, window}, 3s);
    key(keys);
    if (!closes) return true;
    const bool gone = waitWindowGone(window);
    EXPECT_TRUE(gone) << "the window stayed after " << keys.toStdString();
    return gone;
}

bool OperatorScenario::saveAs(const QString& path) {
    const QString dialog = waitWindow(u"^Guardar como"_s);
    if (dialog.isEmpty()) return false;
    key(u"ctrl+a"_s);
    typeText(path);
    // A completion list may take the first Enter.
    return waitUntil(
        [&] {
            key(u"Return"_s);
            return waitWindowGone(dialog, 1500ms);
        },
        10s);
}

QImage OperatorScenario::screenshot(const QString& window) {
    QProcess import;
    import.setEnvironment(environment());
    import.start(tool(u"import"_s),
                 {u"-window"_s, window.isEmpty() ? mainWindow_ : window, u"png:-"_s});
    if (!import.waitForFinished(10000)) return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
}

QString OperatorScenario::saveScreenshot(const QString& name) {
    const QString folder = QStringLiteral(CONTACTOS_SCENARIO_SHOTS);
    QDir().mkpath(folder);
    const QImage shot = screenshot(u"root"_s);
    const QString path = folder + u'/' + name + u".png"_s;
    return !shot.isNull() && shot.save(path) ? path : QString();
}

QStringList OperatorScenario::opened() const {
    QFile file(work_->filePath(u"abiertos.txt"_s));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList paths;
    // Qt hands the opener a file URL.
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts))
        paths << (line.startsWith(u"file:"_s) ? QUrl(line).toLocalFile() : line);
    return paths;
}

namespace {

// The grid frames its current cell with the style's highlight colour.
bool isFrame(QRgb pixel) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return b > 150 && b - r > 80 && g > 90 && g < 190;
}

} // namespace

QRect OperatorScenario::currentCellFrame(const QImage& shot) const {
    // Below the toolbar: the grid starts 720 twips (48 pixels) from the window's top.
    QRect box;
    for (int y = 48; y < shot.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if (isFrame(line[x])) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

OperatorScenario::GridLayout OperatorScenario::measureGrid(int col) {
    GridLayout layout;
    QImage shot;
    const auto frameAfter = [&](const QString& keys, QRect& frame) {
        key(keys);
        // Polled until two pictures in a row agree: the keys have been handled.
        QRect last;
        return waitUntil(
            [&] {
                shot = screenshot().convertToFormat(QImage::Format_RGB32);
                frame = currentCellFrame(shot);
                const bool same = frame.isValid() && frame == last;
                last = frame;
                return same;
            },
            10s);
    };
    QRect first, second;
    QStringList keys{u"ctrl+Home"_s};
    for (int c = 0; c < col; ++c)
        keys << u"Right"_s;
    EXPECT_TRUE(frameAfter(keys.join(u' '), first));
    EXPECT_TRUE(frameAfter(u"Down"_s, second));
    layout.cell = first; // the frame covers the cell, the grid line below it excluded
    layout.pitch = second.top() - first.top();
    EXPECT_TRUE(frameAfter(u"Up"_s, first));
    // Down the right end of the column, past the first rows: cells are the base colour with a
    // grid line at each row's foot, until the grid's cells end.
    const int x = layout.cell.right() - 5;
    const int from = layout.cell.top() + layout.pitch + 2;
    const QRgb base = shot.pixel(x, from + layout.pitch / 2);
    const QRgb line = shot.pixel(x, layout.cell.top() + 2 * layout.pitch - 1);
    int y = from;
    while (y < shot.height() && (shot.pixel(x, y) == base || shot.pixel(x, y) == line))
        ++y;
    layout.viewportBottom = y - 1;
    return layout;
}

std::vector<QPoint> OperatorScenario::toolbarButtons(const QImage& image) const {
    const QImage shot = image.convertToFormat(QImage::Format_RGB32);
    // The toolbar lies at the top right (120 twips down, 390 high): columns with pixels other
    // than the window's background are its icons.
    const int top = 8, bottom = 34;
    const QRgb background = shot.pixel(shot.width() - 4, top + 2);
    const auto differs = [&](QRgb p) {
        return std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background)) +
                   std::abs(qBlue(p) - qBlue(background)) >
               60;
    };
    std::vector<std::pair<int, int>> runs;
    for (int x = shot.width() / 2; x < shot.width(); ++x) {
        bool marked = false;
        for (int y = top; y < bottom && !marked; ++y)
            marked = differs(shot.pixel(x, y));
        if (!marked) continue;
        if (!runs.empty() && x - runs.back().second <= 3)
            runs.back().second = x;
        else
            runs.emplace_back(x, x);
    }
    std::vector<QPoint> centres;
    for (const auto& [from, to] : runs) {
        if (to - from >= 8) centres.emplace_back((from + to) / 2, (top + bottom) / 2);
    }
    if (centres.size() > 3) centres.erase(centres.begin(), centres.end() - 3);
    return centres;
}
