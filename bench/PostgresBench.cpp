#include "PostgresBench.h"

#include "BenchRun.h"
#include "data/ado/ProviderSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;
using namespace BenchRun;

namespace {

const QString sourceDir = QStringLiteral(CONTACTOS_SOURCE_DIR);
const QString toolDir = QStringLiteral(CONTACTOS_BENCH_TOOL_DIR);
// The folder of the running server, for the exit handler.
QString serverFolder;

void stopServer() {
    if (serverFolder.isEmpty()) return;
    QProcess::execute(sourceDir + u"/scripts/pg-demo"_s, {u"stop"_s, serverFolder});
    serverFolder.clear();
}

struct Server {
    QString port;
    QStringList psql(const QString& database) const {
        return {u"-X"_s, u"-q"_s,        u"-A"_s, u"-t"_s, u"-v"_s, u"ON_ERROR_STOP=1"_s,
                u"-h"_s, u"127.0.0.1"_s, u"-p"_s, port,    u"-U"_s, u"admin"_s,
                u"-d"_s, database};
    }
    QString scalar(const QString& database, const QString& sql) const {
        return QString::fromUtf8(run(u"psql"_s, psql(database) << u"-c"_s << sql).output).trimmed();
    }
};

Server start(const QString& dataDir) {
    const QString folder = dataDir + u"/pg-server"_s;
    if (QFileInfo::exists(folder)) {
        QProcess::execute(sourceDir + u"/scripts/pg-demo"_s, {u"stop"_s, folder});
    }
    std::atexit(stopServer);
    serverFolder = folder;
    const QString output =
        QString::fromUtf8(run(sourceDir + u"/scripts/pg-demo"_s, {folder}).output);
    const QRegularExpressionMatch m =
        QRegularExpression(u"@Server=PG:127\\.0\\.0\\.1:(\\d+);"_s).match(output);
    if (!m.hasMatch()) die(u"scripts/pg-demo gave no parameter string"_s);
    qputenv("PGPASSWORD", "demo");
    return Server{m.captured(1)};
}

// The demo database's own PostgreSQL script with the row count of its contacts in place of the
// demo's, in a database of its own.
QString database(const Server& server, const QString& dataDir, long rows) {
    const QString name = u"contactos_%1"_s.arg(rows);
    std::fprintf(stderr, "making %s\n", qPrintable(name));
    QFile demo(sourceDir + u"/demo/contactos-postgresql.sql"_s);
    if (!demo.open(QIODevice::ReadOnly)) die(u"cannot read demo/contactos-postgresql.sql"_s);
    QString script = QString::fromUtf8(demo.readAll());
    const QString count = u"generate_series(1, 320)"_s;
    if (!script.contains(count))
        die(u"demo/contactos-postgresql.sql no longer holds its row count"_s);
    script.replace(count, u"generate_series(1, %1)"_s.arg(rows));
    const QString scriptFile = dataDir + u"/contactos_%1.pgsql"_s.arg(rows);
    QFile out(scriptFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(script.toUtf8()) < 0)
        die(u"cannot write "_s + scriptFile);
    out.close();
    server.scalar(u"postgres"_s, u"CREATE DATABASE %1"_s.arg(name));
    run(u"psql"_s, server.psql(name) << u"-f"_s << scriptFile, true);
    // Read once before measuring, as a table in use is: hint bits set, statistics known.
    server.scalar(name, u"VACUUM (ANALYZE) MA_contactos"_s);
    QFile::remove(scriptFile);
    return name;
}

// The table's data as UTF-8 text, each value in the server's own text form, Null counting nothing.
double dataBytes(const Server& server, const QString& name) {
    QStringList terms;
    for (const char* c : {"id", "Nombre_y_Apellido", "Domicilio", "Localidad", "Telefono", "Email",
                          "Observaciones", "Notas", "FechaAlta", "Saldo", "Credito", "Activo"})
        terms << u"coalesce(octet_length(%1::text), 0)"_s.arg(QString::fromLatin1(c));
    return server.scalar(name, u"SELECT sum("_s + terms.join(u" + "_s) + u") FROM MA_contactos"_s)
        .toDouble();
}

void line(const char* what, double program, double reference, const char* refName) {
    if (reference > 0)
        std::printf("  %-34s %10.1f   %-26s %10.1f   %6.2f x\n", what, program, refName, reference,
                    program / reference);
    else
        std::printf("  %-34s %10.1f\n", what, program);
}

void goal(bool pass, const QString& text) {
    std::printf("  %s  %s\n", pass ? "PASS" : "MISS", qPrintable(text));
}

} // namespace

int postgresBench(const QString& self, const std::vector<long>& sizes, int runs,
                  const QString& dataDir) {
    const Server server = start(dataDir);
    std::printf("PostgreSQL %s through psqlODBC; times in ms (medians of %d runs), memory in MB.\n"
                "The program's load includes the start-up (connection, settings) and the first "
                "paint; psql's\nCOPY is a whole run of psql, its output sent to /dev/null.\n",
                qPrintable(server.scalar(u"postgres"_s, u"SHOW server_version"_s)), runs);
    double loadMs = 0, copyMs = 0, peakMb = 0, dataMb = 0;
    long rows = 0;
    for (const long size : sizes) {
        const QString name = database(server, dataDir, size);
        const QString parameters =
            u"@Server=PG:127.0.0.1:%1;@DbName=%2;@Usuario=admin;@Password=demo;"_s.arg(server.port,
                                                                                       name);
        dataMb = dataBytes(server, name) / 1048576.0;
        // psqlODBC alone, with the settings the program gives it, on the program's statement.
        const QString odbc = ado::ProviderSettings::resolve(
                                 ado::ProviderSettings::postgresConnectionString(
                                     u"127.0.0.1:"_s + server.port, name, u"admin"_s, u"demo"_s))
                                 .odbcString;
        std::vector<Figures> loads;
        std::vector<double> copySame, copyTable, driver;
        for (int i = 0; i < runs; ++i) {
            std::fprintf(stderr, "  PostgreSQL, %ld rows, run %d of %d\n", size, i + 1, runs);
            loads.push_back(parse(run(self, {u"--child"_s, u"load"_s, parameters}).output));
            // The statement the program sends for the table, and the table as it lies.
            copySame.push_back(
                run(u"psql"_s,
                    server.psql(name)
                        << u"-c"_s << u"COPY (SELECT * FROM MA_contactos ORDER BY id) TO STDOUT"_s,
                    true)
                    .wallMs);
            driver.push_back(run(toolDir + u"/driver_fetch"_s,
                                 {odbc, u"SELECT * FROM MA_contactos ORDER BY \"id\""_s})
                                 .wallMs);
            copyTable.push_back(
                run(u"psql"_s, server.psql(name) << u"-c"_s << u"COPY MA_contactos TO STDOUT"_s,
                    true)
                    .wallMs);
        }
        const Figures load = medians(loads);
        rows = size;
        loadMs = load.value(u"load_ms"_s);
        copyMs = median(copySame);
        peakMb = load.value(u"load_hwm_kb"_s) / 1024;
        std::printf("\n%ld rows (table data as UTF-8 text: %.1f MB; grid rows %.0f)\n", size,
                    dataMb, load.value(u"grid_rows"_s));
        std::printf("  %-34s %10s   %-26s %10s   %8s\n", "measure", "program", "reference", "ref.",
                    "ratio");
        line("load, ms", loadMs, copyMs, "psql COPY, same query");
        line("load, ms (vs the table's COPY)", loadMs, median(copyTable), "psql COPY of the table");
        line("load, ms (vs the driver alone)", loadMs, median(driver), "psqlODBC alone");
        line("the driver alone, ms", median(driver), copyMs, "psql COPY, same query");
        line("load peak memory (VmHWM), MB", peakMb, dataMb, "table data");
    }
    std::printf("\nGoals, at %ld rows%s:\n", rows,
                rows < 1000000 ? " (the goals are set for 1,000,000)" : "");
    goal(loadMs <= 2 * copyMs,
         u"load at most 2 x psql's read: %1 x"_s.arg(loadMs / copyMs, 0, 'f', 2));
    goal(peakMb <= 2 * dataMb + 50,
         u"load peak at most 2 x data + 50 MB: %1 MB of %2 MB allowed"_s.arg(peakMb, 0, 'f', 0)
             .arg(2 * dataMb + 50, 0, 'f', 0));
    stopServer();
    return 0;
}
