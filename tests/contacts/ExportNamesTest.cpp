#include "contacts/ExportNames.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QProgressDialog* shownProgress() {
    for (QWidget* w : QApplication::allWidgets()) {
        auto* dialog = qobject_cast<QProgressDialog*>(w);
        if (dialog && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

} // namespace

TEST(ExportNames, DialogsOfTheExportButtons) {
    const auto html = ExportNames::dialogFor(u"HTM"_s);
    ASSERT_TRUE(html);
    EXPECT_EQ(html->filter, u"Páginas Web (*.htm)|*.htm|"_s);
    EXPECT_EQ(html->defaultExt, u".htm"_s);
    EXPECT_EQ(html->flags, 8198);
    EXPECT_TRUE(html->fileName.isEmpty());

    const auto excel = ExportNames::dialogFor(u"excel"_s);
    ASSERT_TRUE(excel);
    EXPECT_EQ(excel->filter, u"Documento de Excel(*.xlsx)|*.xlsx|"_s);
    EXPECT_EQ(excel->defaultExt, u".xlsx"_s);
    EXPECT_EQ(excel->flags, 0x2006);

    EXPECT_FALSE(ExportNames::dialogFor(u"Filtro"_s));
}

TEST(ExportNames, NameRulesAndTheWriterOfEachName) {
    const QString htm = ExportNames::htmlExtension();
    const QString xls = ExportNames::excelExtension();
    EXPECT_EQ(ExportNames::completeName(u"lista"_s, htm), u"lista.htm"_s);
    EXPECT_EQ(ExportNames::completeName(u"lista.HTM"_s, htm), u"lista.HTM"_s);
    EXPECT_EQ(ExportNames::completeName(u"lista"_s, xls), u"lista.xlsx"_s);
    EXPECT_EQ(ExportNames::completeName(u"lista.txt"_s, xls), u"lista.txt.xlsx"_s);
    EXPECT_EQ(ExportNames::completeName(u"lista.xlsx"_s, xls), u"lista.xlsx"_s);
    // The workbook's format is that of ".xlsx": a typed ".xls" becomes it, whichever button.
    EXPECT_EQ(ExportNames::completeName(u"lista.xls"_s, xls), u"lista.xlsx"_s);
    EXPECT_EQ(ExportNames::completeName(u"lista.XLS"_s, xls), u"lista.XLSX"_s);
    EXPECT_EQ(ExportNames::completeName(u"lista.xls"_s, htm), u"lista.xlsx"_s);
    EXPECT_EQ(ExportNames::completeName(u"/tmp/mis datos/lista.html"_s, htm),
              u"/tmp/mis datos/lista.html.htm"_s);
    // A cancelled dialog or a blank name: nothing to write.
    EXPECT_EQ(ExportNames::completeName(QString(), htm), QString());
    EXPECT_EQ(ExportNames::completeName(u"   "_s, xls), QString());

    using W = ExportNames::Writer;
    EXPECT_EQ(ExportNames::writerFor(u"lista.htm"_s), W::Html);
    EXPECT_EQ(ExportNames::writerFor(u"lista.HTM"_s), W::Html);
    EXPECT_EQ(ExportNames::writerFor(u"lista.txt.xlsx"_s), W::Excel);
    EXPECT_EQ(ExportNames::writerFor(u"lista.XLSX"_s), W::Excel);
    EXPECT_EQ(ExportNames::writerFor(u"lista.txt"_s), W::None);
}

TEST(ExportNames, OpensTheFileAsItIsWithoutQuoting) {
    QStringList opened;
    const ExportNames::Opener previous = ExportNames::setOpener(
        [&](const QString& path, const std::function<void()>&) { opened << path; });
    // Blanks, quotes and shell characters reach the opener untouched: no shell ever sees them.
    ExportNames::AbrirArchivo(u"/tmp/mis datos/lista.htm"_s, true);
    ExportNames::AbrirArchivo(u"/tmp/a \"b\" & c;rm x.xls"_s);
    ExportNames::setOpener(previous);
    EXPECT_EQ(opened, (QStringList{u"/tmp/mis datos/lista.htm"_s, u"/tmp/a \"b\" & c;rm x.xls"_s}));
}

namespace {

// The desktop's opener is xdg-open, found in PATH; here a script stands in for it.
struct FakeOpener {
    QTemporaryDir dir;
    QByteArray path = qgetenv("PATH");
    ExportNames::Opener previous = ExportNames::setOpener({});
    FakeOpener() { qputenv("PATH", QFile::encodeName(dir.path()) + ':' + path); }
    ~FakeOpener() {
        qputenv("PATH", path);
        ExportNames::setOpener(previous);
    }
    void script(const QByteArray& body) {
        QFile f(dir.filePath(u"xdg-open"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("#!/bin/sh\n" + body);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}

} // namespace

TEST(ExportNames, TheDesktopGetsThePathWholeAndItsRefusalIsTold) {
    FakeOpener desktop;
    ScriptedPrompts operatorAnswers;
    const QString folder = desktop.dir.filePath(u"mis datos"_s);
    QDir().mkpath(folder);
    const QString file = folder + u"/a \"b\" & c;x.htm"_s;
    QFile(file).open(QIODevice::WriteOnly);
    const QString log = desktop.dir.filePath(u"abiertos.txt"_s);

    // Opened: one argument, the path as it is; nothing to tell.
    desktop.script("printf '%s|%s\\n' \"$#\" \"$1\" > '" + QFile::encodeName(log) + "'\n");
    ExportNames::AbrirArchivo(file, true);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(log); }));
    QFile opened(log);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()), u"1|"_s + file + u'\n');
    QTest::qWait(50);
    EXPECT_TRUE(operatorAnswers.records().empty());

    // No program for the file: the operator learns where it lies.
    desktop.script("exit 3\n");
    operatorAnswers.message(Prompt::Ok);
    ExportNames::AbrirArchivo(file);
    ASSERT_TRUE(waitFor([&] { return operatorAnswers.records().size() == 1; }));
    EXPECT_EQ(operatorAnswers.records()[0].text, ExportNames::notOpenedText(file));
    EXPECT_TRUE(operatorAnswers.records()[0].text.endsWith(QDir::toNativeSeparators(file)));

    // No opener at all on this desktop.
    QFile::remove(desktop.dir.filePath(u"xdg-open"_s));
    qputenv("PATH", QFile::encodeName(desktop.dir.path()));
    operatorAnswers.message(Prompt::Ok);
    ExportNames::AbrirArchivo(file);
    ASSERT_TRUE(waitFor([&] { return operatorAnswers.records().size() == 2; }));
    EXPECT_EQ(operatorAnswers.records()[1].title, u"Aviso al operador"_s);
}

TEST(ExportNames, ProgressDialogOnlyForLongExportsAndItsCancel) {
    QWidget window;
    window.show();
    ExportNames::Progress small = ExportNames::progressDialog(&window, 100);
    EXPECT_TRUE(small(10, 100));
    EXPECT_EQ(shownProgress(), nullptr);

    ExportNames::Progress large = ExportNames::progressDialog(&window, 100);
    EXPECT_TRUE(large(0, 1000));
    QProgressDialog* dialog = shownProgress();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->labelText(), u"Exportando los registros..."_s);
    QTest::qSleep(60); // the dialog is brought up to date a few times a second
    EXPECT_TRUE(large(500, 1000));
    EXPECT_EQ(dialog->value(), 500);
    dialog->cancel();
    EXPECT_FALSE(large(600, 1000));
    EXPECT_EQ(shownProgress(), nullptr);

    // A finished export takes its dialog away.
    ExportNames::Progress finished = ExportNames::progressDialog(&window, 100);
    finished(0, 200);
    EXPECT_NE(shownProgress(), nullptr);
    EXPECT_TRUE(finished(200, 200));
    EXPECT_EQ(shownProgress(), nullptr);
}
