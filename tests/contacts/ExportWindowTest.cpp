// The export buttons of the window: which records the workbook holds, the names of the written
// files, and what the operator is told when an export leaves no new file or cannot be opened.
#include "ContactsWindowFixture.h"
#include "contacts/ExportNames.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Rows 13 to `last` added to the small table, each with a money value with cents.
QString withRows(int last) {
    return contactsSchema() +
           u"WITH RECURSIVE n(i) AS (SELECT 13 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
           "INSERT INTO MA_contactos (id, nombre, Saldo) SELECT i, 'Fila ' || i, i * 1.25 FROM n;"_s
               .arg(last);
}

// The first column of every row of the workbook's sheet, read with openpyxl.
QStringList firstColumn(const QString& path) {
    QProcess python;
    python.start(u"/usr/bin/python3"_s,
                 {u"-c"_s,
                  u"import openpyxl, sys\n"
                  "ws = openpyxl.load_workbook(open(sys.argv[1], 'rb')).active\n"
                  "for r in ws.iter_rows(min_row=6):\n"
                  "    print(r[0].value)\n"_s,
                  path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// Records the files the window asks the desktop to open; `refuse` makes the desktop fail.
struct Desktop {
    QStringList opened;
    bool refuse = false;
    ExportNames::Opener previous =
        ExportNames::setOpener([this](const QString& path, const std::function<void()>& failed) {
            opened << path;
            if (refuse) failed();
        });
    ~Desktop() { ExportNames::setOpener(previous); }
};

struct ExportWindow : ContactsWindow {
    QTemporaryDir out;
    Desktop desktop;
    QString file(const QString& name) const { return out.filePath(name); }
};

TEST_F(ExportWindow, AfterAnInsertTheWorkbookHoldsEveryRecordFromTheFirst) {
    open(withRows(400));
    FlexGrid& g = grid();
    click(5, 1);
    QTest::keyClick(&g, Qt::Key_Insert);
    type(5, 1, u"Nuevo"_s);
    moveAway(8);
    ASSERT_EQ(stored(u"SELECT count(*) FROM MA_contactos"_s), u"401"_s);
    ASSERT_FALSE(w->state.gRegistroNuevo);

    ScriptedPrompts operatorAnswers;
    // A name typed with ".xls" is written under the extension of the workbook's format.
    operatorAnswers.save(file(u"lista.xls"_s));
    w->Toolbar2_ButtonClick(u"Excel"_s);
    EXPECT_FALSE(QFile::exists(file(u"lista.xls"_s)));
    ASSERT_EQ(desktop.opened, QStringList{file(u"lista.xlsx"_s)});
    const QStringList ids = firstColumn(file(u"lista.xlsx"_s));
    ASSERT_EQ(ids.size(), 401);
    EXPECT_EQ(ids.front(), u"1"_s);
    EXPECT_EQ(ids[399], u"400"_s);
    EXPECT_EQ(ids.back(), u"401"_s); // the new record, written last
}

TEST_F(ExportWindow, TheOperatorIsToldWhenAnExportLeavesNoNewFileOrCannotBeOpened) {
    open(withRows(5200));
    ScriptedPrompts operatorAnswers;
    const QString old = file(u"lista.xlsx"_s);
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior");
    }

    // Cancelled in its progress dialog: the earlier file is kept, and is not opened.
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<QProgressDialog*>(widget);
                progress && progress->isVisible())
                progress->cancel();
        }
    });
    canceller.start(1);
    operatorAnswers.save(old).message(Prompt::Ok);
    w->Toolbar2_ButtonClick(u"Excel"_s);
    canceller.stop();
    auto told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, u"Se canceló la exportación. Se conservó el archivo anterior:\n"_s +
                                QDir::toNativeSeparators(old));
    QFile kept(old);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "anterior");
    EXPECT_TRUE(desktop.opened.isEmpty());

    // A folder that cannot be written: the first line says the export failed.
    operatorAnswers.save(file(u"no existe/lista"_s)).message(Prompt::Ok);
    w->Toolbar2_ButtonClick(u"Excel"_s);
    told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_TRUE(told[1].text.startsWith(u"No se pudo completar la exportación.\nNo se puede "
                                        "escribir el archivo"_s))
        << told[1].text.toStdString();
    EXPECT_TRUE(told[1].text.endsWith(u"No se escribió ningún archivo."_s));
    EXPECT_TRUE(desktop.opened.isEmpty());

    // Written, but the desktop cannot open it: the operator learns where it lies.
    desktop.refuse = true;
    const QString page = file(u"mis datos.htm"_s);
    operatorAnswers.save(page).message(Prompt::Ok);
    w->Toolbar2_ButtonClick(u"HTM"_s);
    told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[2].text, ExportNames::notOpenedText(page));
    EXPECT_TRUE(told[2].text.endsWith(u"\n\n"_s + QDir::toNativeSeparators(page)));
    EXPECT_EQ(desktop.opened, QStringList{page});

    // A table without records writes no workbook and opens nothing.
    desktop.refuse = false;
    desktop.opened.clear();
    w->Toolbar2_ButtonClick(u"Filtro"_s);
    w->FrmFiltro->txtCriteria->setPlainText(u"id < 0"_s);
    w->FrmFiltro->cmdOK->click();
    ASSERT_EQ(grid().Rows(), 2); // the header and the blank row
    operatorAnswers.save(file(u"vacio"_s)).message(Prompt::Ok);
    w->Toolbar2_ButtonClick(u"Excel"_s);
    told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[3].text, u"La tabla no tiene registros para exportar. No se escribió ningún "
                            "archivo."_s);
    EXPECT_FALSE(QFile::exists(file(u"vacio.xlsx"_s)));
    EXPECT_TRUE(desktop.opened.isEmpty());
}

} // namespace
