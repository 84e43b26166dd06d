// The main window as the window manager sees it: where it opens, at what size, maximised or not.
#include "OperatorScenario.h"

#include <QRect>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Within a few pixels: the window manager's frame is added and taken away on the way.
bool near(const QRect& a, const QRect& b, int slack = 4) {
    return std::abs(a.x() - b.x()) <= slack && std::abs(a.y() - b.y()) <= slack &&
           std::abs(a.width() - b.width()) <= slack && std::abs(a.height() - b.height()) <= slack;
}

std::string text(const QRect& r) {
    return QStringLiteral("%1x%2+%3+%4")
        .arg(r.width())
        .arg(r.height())
        .arg(r.x())
        .arg(r.y())
        .toStdString();
}

} // namespace

class WindowScenario : public OperatorScenario {
protected:
    // A double click on the title bar, which maximises a window and restores it again.
    void toggleMaximised() {
        // The title bar lies just above the client area.
        ASSERT_TRUE(
            run(u"xdotool"_s, {u"mousemove"_s, u"--sync"_s, u"--window"_s, mainWindow(),
                               QString::number(placement().width() / 2), u"-8"_s, u"click"_s,
                               u"--repeat"_s, u"2"_s, u"--delay"_s, u"80"_s, u"1"_s})
                .has_value());
    }
};

TEST_F(WindowScenario, TheWindowOpensWhereAndHowTheOperatorLeftIt) {
    start();
    // The first time, at its designed size (8250 x 4635 twips).
    EXPECT_EQ(placement().size(), QSize(550, 309)) << text(placement());

    // Moved and enlarged by the operator, it comes back there.
    ASSERT_TRUE(run(u"xdotool"_s, {u"windowmove"_s, u"--sync"_s, mainWindow(), u"140"_s, u"90"_s})
                    .has_value());
    growWindow(190, 141);
    ASSERT_TRUE(waitUntil([&] { return placement().size() == QSize(740, 450); }, 5s))
        << text(placement());
    const QRect left = placement();
    ASSERT_TRUE(closeProgram());
    start();
    EXPECT_TRUE(waitUntil([&] { return near(placement(), left); }, 5s))
        << text(placement()) << " instead of " << text(left);

    // Maximised, it opens maximised, and restoring it gives back the size it had before.
    toggleMaximised();
    ASSERT_TRUE(waitUntil([&] { return placement().width() > 1200; }, 5s)) << text(placement());
    ASSERT_TRUE(closeProgram());
    start();
    EXPECT_TRUE(waitUntil([&] { return placement().width() > 1200; }, 5s)) << text(placement());
    toggleMaximised();
    EXPECT_TRUE(waitUntil([&] { return near(placement(), left); }, 5s))
        << text(placement()) << " instead of " << text(left);
    ASSERT_TRUE(closeProgram());
}
