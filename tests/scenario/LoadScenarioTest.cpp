// A table large enough to take seconds to read, as the operator meets it: the first rows at once,
// a load stopped by its button's key and read again, an export that waits for the whole table.
#include "OperatorScenario.h"

#include <QFile>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int tableRows = 2000000;

// The demo database with its contacts' row count raised.
QString largeDemo() {
    QString script = TestDatabase::demoScript();
    const QString count = u"FROM seq WHERE i < 320)"_s;
    EXPECT_TRUE(script.contains(count)) << "the demo script no longer holds its row count line";
    return script.replace(count, u"FROM seq WHERE i < %1)"_s.arg(tableRows));
}

// The rows of a page written by the program (its header row apart).
qsizetype pageRows(const QString& path) {
    QFile page(path);
    if (!page.open(QIODevice::ReadOnly)) return -1;
    return page.readAll().count("<TR>") - 1;
}

} // namespace

TEST_F(OperatorScenario, ALongLoadIsStoppedKeepsItsRowsAndIsReadAgainForAnExport) {
    start(largeDemo());
    // "Detener", while the rows are still being read.
    key("alt+d");
    const QString first = outputFolder() + u"/detenida.htm"_s;
    click(toolbarButtons(screenshot())[1]);
    ASSERT_TRUE(saveAs(first));
    ASSERT_TRUE(waitUntil([&] { return opened().contains(first); }, 60s));
    const qsizetype kept = pageRows(first);
    EXPECT_GE(kept, 2000) << "the first block is shown at once";
    EXPECT_LT(kept, tableRows) << "the load ended before it was stopped";
    saveScreenshot(u"carga-detenida"_s);

    // "Recargar", then an export at once: it waits for the whole table.
    key("alt+r");
    const QString whole = outputFolder() + u"/entera.htm"_s;
    click(toolbarButtons(screenshot())[1]);
    ASSERT_TRUE(saveAs(whole));
    ASSERT_TRUE(waitUntil([&] { return opened().contains(whole); }, 120s));
    EXPECT_EQ(pageRows(whole), tableRows);
    ASSERT_TRUE(closeProgram());
}
