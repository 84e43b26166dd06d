// The database going away under the operator, with the real program and its own prompts: a
// SQLite file moved away and put back, and a PostgreSQL server under a program that is killed.
// Grid row r shows the demo record of id r; column 1 is its name.
#include "OperatorScenario.h"
#include "support/PostgresServer.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QString name(int id) {
    return u"SELECT Nombre_y_Apellido FROM MA_contactos WHERE id = %1"_s.arg(id);
}

// The files in `folder` (where the program keeps unwritten rows) that hold a text.
QStringList keptWith(const QString& folder, const QString& text) {
    QStringList found;
    const QDir kept(folder);
    for (const QString& file : kept.entryList({u"*.json"_s}, QDir::Files)) {
        QFile f(kept.filePath(file));
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text.toUtf8()))
            found << kept.filePath(file);
    }
    return found;
}

} // namespace

TEST_F(OperatorScenario, ADatabaseFileMovedAwayAndPutBackLosesNothing) {
    start();
    goTo(3, 1);
    editCell(u"Movida"_s);
    const QString away = db().path() + u".fuera"_s;
    ASSERT_TRUE(QFile::rename(db().path(), away));
    // Leaving the row: the write says the connection is lost; "Reintentar" while the file is
    // still away asks again; once it is back, "Reintentar" writes the row.
    key("Down Right");
    QString error = waitWindow(u"^Error"_s);
    ASSERT_TRUE(answer(error, u"alt+r"_s));
    error = waitWindow(u"^Error"_s);
    ASSERT_TRUE(QFile::rename(away, db().path()));
    ASSERT_TRUE(answer(error, u"alt+r"_s));
    EXPECT_TRUE(waitForStored(name(3), u"Movida"_s));

    // Closed while the file is away: the row goes to the recovery file, and the next start on
    // the database, back in its place, writes it.
    const QString before = stored(name(5));
    goTo(5, 1);
    editCell(u"Cerrada sin base"_s);
    ASSERT_TRUE(QFile::rename(db().path(), away));
    ASSERT_TRUE(answer(mainWindow(), u"alt+F4"_s, false));
    error = waitWindow(u"^Error"_s);
    ASSERT_TRUE(answer(error, u"alt+a"_s)); // "Anular"
    ASSERT_TRUE(answer(waitWindow(u"^Cambios sin grabar"_s), u"alt+n"_s));
    ASSERT_TRUE(answer(waitWindow(u"^Cambios guardados para más adelante"_s), u"Return"_s));
    EXPECT_TRUE(waitForExit());
    ASSERT_TRUE(QFile::rename(away, db().path()));
    EXPECT_EQ(stored(name(5)), before);
    EXPECT_EQ(keptWith(keptFolder(), u"Cerrada sin base"_s).size(), 1);

    restart(false);
    ASSERT_TRUE(answer(waitWindow(u"^Cambios sin grabar recuperados"_s), u"alt+s"_s)); // "Sí"
    EXPECT_TRUE(waitForStored(name(5), u"Cerrada sin base"_s));
    EXPECT_TRUE(keptWith(keptFolder(), u"Cerrada sin base"_s).isEmpty());
    ASSERT_TRUE(closeProgram());
}

TEST_F(OperatorScenario, AKilledProgramsPendingRowIsOfferedAtTheNextStart) {
    PostgresServer server;
    ASSERT_TRUE(server.running());
    const QString database = u"escena"_s;
    server.createDatabase(database, PostgresServer::demoScript());
    const QString typed = u"Antes del corte %1"_s.arg(server.port());
    const QString query = u"SELECT nombre_y_apellido FROM ma_contactos WHERE id = 3"_s;
    const QString before = server.psql(database, query);
    struct Leftovers {
        QString folder;
        QString text;
        ~Leftovers() {
            for (const QString& file : keptWith(folder, text)) {
                QFile::remove(file);
                QFile::remove(file + u".lock"_s);
            }
        }
    } leftovers{keptFolder(), typed};

    launch(server.parameterString(database));
    goTo(3, 1);
    editCell(typed);
    // Kept outside the program as soon as the cell took it: a crash now loses nothing.
    ASSERT_TRUE(waitUntil([&] { return !keptWith(keptFolder(), typed).isEmpty(); }, 10s));
    kill();
    EXPECT_EQ(server.psql(database, query), before);

    restart(false);
    ASSERT_TRUE(answer(waitWindow(u"^Cambios sin grabar recuperados"_s), u"alt+s"_s)); // "Sí"
    EXPECT_TRUE(waitUntil([&] { return server.psql(database, query) == typed; }, 10s));
    EXPECT_TRUE(keptWith(keptFolder(), typed).isEmpty());
    ASSERT_TRUE(closeProgram());
}
