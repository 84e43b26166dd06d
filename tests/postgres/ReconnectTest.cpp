// The server going away under the contacts window (stopped as an administrator does, with the
// sessions ended) and coming back: the operator is told in Spanish, nothing typed is lost, and
// "Reintentar" goes on on a new connection. What cannot be written before the window closes is
// kept in a recovery file and offered at the next start.
#include "ContactsOnServer.h"
#include "data/ado/AdoTypes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString lostText = QStringLiteral("Se perdió la conexión con la base de datos");
const QColor pendingTint(255, 236, 179);

// Whatever a test did to the server, the next one finds it running.
struct ServerAway : ContactsOnServer {
    void TearDown() override {
        postgres().start();
        ContactsOnServer::TearDown();
    }
    QColor tint(int row, int col) {
        return grid()
            .model()
            ->data(grid().model()->index(row - 1, col), Qt::BackgroundRole)
            .value<QColor>();
    }
    QStringList keptFiles() {
        return QDir(programDir.filePath(QStringLiteral("recuperacion")))
            .entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    }
    QJsonObject keptFile(const QString& name) {
        QFile f(programDir.filePath(QStringLiteral("recuperacion/") + name));
        if (!f.open(QIODevice::ReadOnly)) return {};
        raw = f.readAll();
        return QJsonDocument::fromJson(raw).object();
    }
    QByteArray raw;
};

TEST_F(ServerAway, TheRowStaysPendingUntilTheServerIsBackAndRetryWritesIt) {
    openOnServer();
    ScriptedPrompts operatorAnswers;
    type(3, 1, QStringLiteral("Carolina"));
    postgres().stop();

    // Asked twice: "Reintentar" while the server is still away fails again at once, with the
    // same words; before the second answer the administrator starts the server.
    int asked = 0;
    QElapsedTimer clock;
    std::vector<qint64> askedAt;
    OperatorWhoActsFirst operatorAndAdmin(operatorAnswers, [&](const RuntimeError& e) {
        ++asked;
        askedAt.push_back(clock.elapsed());
        EXPECT_TRUE(e.description().startsWith(lostText)) << e.description().toStdString();
        EXPECT_EQ(e.number(), ado::adErrInvalidConnection);
        // While asked, the row keeps its text and its mark.
        EXPECT_EQ(w->state.gFilaPendiente, 3);
        EXPECT_EQ(grid().TextMatrix(3, 1), QStringLiteral("Carolina"));
        EXPECT_EQ(tint(3, 1), pendingTint);
        if (asked == 2) postgres().start();
    });
    operatorAnswers.reportError(Prompt::Retry).reportError(Prompt::Retry);
    clock.start();
    moveAway(5);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(askedAt.size(), 2u);
    EXPECT_LT(askedAt[1] - askedAt[0], 20000) << "a retry on a server away must not hang";
    EXPECT_EQ(onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 3")),
              QStringLiteral("Carolina"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    EXPECT_FALSE(tint(3, 1).isValid());
    // The new connection has what the start-up set on the old one.
    EXPECT_EQ(ModGlobal::gDB().gCnn().CommandTimeout(), 360);
    EXPECT_EQ(ModGlobal::gDB().gCnn().DefaultDatabase(), database);

    // The grid's own connection went with the server too: a reload works without a word.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    w->FrmFiltro->txtCriteria->setPlainText(QStringLiteral("ma_contactos.id < 4"));
    w->FrmFiltro->cmdOK->click();
    ASSERT_EQ(grid().Rows(), 4);
    EXPECT_EQ(grid().TextMatrix(3, 1), QStringLiteral("Carolina"));
    EXPECT_TRUE(operatorAnswers.exhausted());
    // Nothing is left to recover.
    EXPECT_TRUE(keptFiles().isEmpty()) << keptFiles().join(u' ').toStdString();
}

TEST_F(ServerAway, ReloadsRefusedForALostServerLeaveTheGridAsItWas) {
    openOnServer();
    const QString first = grid().TextMatrix(1, 1);
    postgres().stop();
    ScriptedPrompts operatorAnswers;

    // The filter: the operator reads why, and the grid and the filter stay as they were.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    w->FrmFiltro->txtCriteria->setPlainText(QStringLiteral("ma_contactos.id > 9"));
    operatorAnswers.message(Prompt::Ok);
    w->FrmFiltro->cmdOK->click();
    auto told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 1u);
    // What failed, then why: the lost connection, not a statement the database refused.
    const QString said = told[0].text;
    EXPECT_TRUE(said.startsWith(QStringLiteral("No se pudo aplicar el filtro.\n\n") + lostText))
        << said.toStdString();
    // The driver's words are a short line under it, not the statement again and again.
    EXPECT_LE(said.count(u'\n'), 3) << said.toStdString();
    EXPECT_TRUE(w->FrmFiltro->isVisible());
    w->FrmFiltro->cmdCancel->click();
    EXPECT_EQ(grid().Rows(), 321);
    EXPECT_EQ(grid().TextMatrix(1, 1), first);

    // A deletion: confirmed, refused for the lost server (asked once), nothing removed.
    operatorAnswers.message(Prompt::Ok).reportError(Prompt::Abort);
    click(4, 1);
    QTest::keyClick(&grid(), Qt::Key_Delete);
    const auto errors = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].text.startsWith(lostText));
    EXPECT_EQ(grid().Rows(), 321);
    EXPECT_EQ(grid().TextMatrix(4, 0), QStringLiteral("4"));

    // An edit given up for now ("Anular"): pending, with its text and mark, and kept outside.
    operatorAnswers.reportError(Prompt::Abort);
    type(6, 1, QStringLiteral("Mía"));
    moveAway(8);
    EXPECT_EQ(w->state.gFilaPendiente, 6);
    EXPECT_EQ(grid().TextMatrix(6, 1), QStringLiteral("Mía"));
    EXPECT_EQ(tint(6, 1), pendingTint);
    ASSERT_EQ(keptFiles().size(), 1);
    EXPECT_TRUE(operatorAnswers.exhausted());

    // Back: a reload works again, once the pending row is written (through the same check).
    postgres().start();
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    w->FrmFiltro->txtCriteria->setPlainText(QStringLiteral("ma_contactos.id > 5"));
    w->FrmFiltro->cmdOK->click();
    EXPECT_EQ(onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 6")),
              QStringLiteral("Mía"));
    EXPECT_EQ(QString::number(grid().Rows() - 1),
              onServer(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id > 5")));
    EXPECT_TRUE(keptFiles().isEmpty());
}

TEST_F(ServerAway, ARowThatCannotBeWrittenAtCloseIsOfferedAtTheNextStart) {
    openOnServer();
    const QString address = grid().TextMatrix(3, 2);
    type(3, 1, QStringLiteral("Carolina"));
    type(3, 2, QStringLiteral("Calle Nueva 5"));
    postgres().stop();

    ScriptedPrompts operatorAnswers;
    // The write fails; the operator does not go back to the row; told where the row is kept.
    operatorAnswers.reportError(Prompt::Abort).message(Prompt::No).message(Prompt::Ok);
    w->close();
    EXPECT_FALSE(w->isVisible());
    auto told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_TRUE(told[0].text.contains(QStringLiteral("archivo de recuperación")));
    const QStringList files = keptFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(told[1].text.contains(files[0])) << told[1].text.toStdString();

    const QJsonObject kept = keptFile(files[0]);
    EXPECT_EQ(kept.value(QStringLiteral("clave")).toString(), QStringLiteral("3"));
    EXPECT_EQ(kept.value(QStringLiteral("escritos")).toArray().at(1).toString(),
              QStringLiteral("Carolina"));
    EXPECT_EQ(kept.value(QStringLiteral("leidos")).toArray().at(1).toString(),
              QStringLiteral("María Domínguez"));
    EXPECT_EQ(kept.value(QStringLiteral("leidos")).toArray().at(2).toString(), address);
    EXPECT_FALSE(raw.contains(PostgresServer::password().toUtf8())) << "the password was kept";
    w.reset();

    // Meanwhile the server is back and another operator changes the same address.
    postgres().start();
    onServer(QStringLiteral("UPDATE MA_contactos SET domicilio = 'Otra 9' WHERE id = 3"));

    // Declined at the next start: the file stays, the database is as it was.
    operatorAnswers.message(Prompt::No);
    startWindow();
    w->offerKeptRows();
    told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[2].title, QStringLiteral("Cambios sin grabar recuperados"));
    EXPECT_TRUE(told[2].text.contains(QStringLiteral("registro 3")));
    EXPECT_TRUE(told[2].text.contains(QStringLiteral("«María Domínguez» → «Carolina»")))
        << told[2].text.toStdString();
    EXPECT_EQ(keptFiles(), files);
    EXPECT_EQ(onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 3")),
              QStringLiteral("María Domínguez"));
    w.reset();

    // Accepted: the write asks about the address someone else changed, and the operator's
    // values go in once the operator says so.
    operatorAnswers.message(Prompt::Yes).message(Prompt::Yes);
    startWindow();
    w->offerKeptRows();
    told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(told.size(), 5u);
    EXPECT_EQ(told[4].title, QStringLiteral("Registro modificado"));
    EXPECT_TRUE(told[4].text.contains(QStringLiteral("Otra 9")));
    EXPECT_EQ(onServer(QStringLiteral(
                  "SELECT nombre_y_apellido || '|' || domicilio FROM MA_contactos WHERE id = 3")),
              QStringLiteral("Carolina|Calle Nueva 5"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    EXPECT_TRUE(keptFiles().isEmpty());
    EXPECT_TRUE(operatorAnswers.exhausted());
}

} // namespace
