#include "PostgresServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVersionNumber>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString serverUser = QStringLiteral("postgres");

bool asRoot() {
    return ::geteuid() == 0;
}

// The newest server of the machine: Debian keeps it out of PATH, under its version's folder.
QString serverBinaries() {
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QVersionNumber best;
    QString found;
    for (const QString& v : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber n = QVersionNumber::fromString(v);
        if (QFile::exists(versions.filePath(v + QStringLiteral("/bin/initdb"))) && n > best) {
            best = n;
            found = versions.filePath(v + QStringLiteral("/bin"));
        }
    }
    if (found.isEmpty()) {
        const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
        if (!initdb.isEmpty()) found = QFileInfo(initdb).absolutePath();
    }
    return found;
}

// A loopback port nobody listens on now (the server takes it a moment later; a lost race is
// retried with another port).
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t length = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

void giveToServerUser(const QString& path) {
    if (!asRoot()) return;
    if (const passwd* pw = ::getpwnam("postgres")) {
        if (::chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) != 0)
            ADD_FAILURE() << "chown " << path.toStdString();
    }
}

QStringList psqlArguments(int port, const QString& user, const QString& database) {
    return {QStringLiteral("-X"), QStringLiteral("-q"),
            QStringLiteral("-A"), QStringLiteral("-t"),
            QStringLiteral("-F"), QStringLiteral("|"),
            QStringLiteral("-P"), QStringLiteral("null=NULL"),
            QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
            QStringLiteral("-h"), PostgresServer::host(),
            QStringLiteral("-p"), QString::number(port),
            QStringLiteral("-U"), user,
            QStringLiteral("-d"), database};
}

QProcessEnvironment psqlEnvironment(const QString& user) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), PostgresServer::password(user));
    env.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    return env;
}

} // namespace

QString PostgresServer::password(const QString& user) {
    return QStringLiteral("Clave-") + user + QStringLiteral("-7731");
}

QStringList PostgresServer::serverCommand(const QString& program,
                                          const QStringList& arguments) const {
    QStringList command;
    if (asRoot())
        command << QStringLiteral("runuser") << QStringLiteral("-u") << serverUser
                << QStringLiteral("--");
    command << bin_ + u'/' + program;
    return command + arguments;
}

bool PostgresServer::runServerTool(const QString& program, const QStringList& arguments,
                                   QString* output) const {
    const QStringList command = serverCommand(program, arguments);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    const bool finished = p.waitForFinished(120000);
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

PostgresServer::PostgresServer() {
    bin_ = serverBinaries();
    if (bin_.isEmpty()) {
        ADD_FAILURE() << "No PostgreSQL server on this machine (initdb): run scripts/setup.";
        return;
    }
    if (asRoot() && !::getpwnam("postgres")) {
        ADD_FAILURE() << "The server refuses root and there is no \"postgres\" system user: run "
                         "scripts/setup.";
        return;
    }
    const QString folder = dir_.path();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther);
    giveToServerUser(folder);
    data_ = folder + QStringLiteral("/data");
    const QString pwfile = folder + QStringLiteral("/pw");
    {
        QFile f(pwfile);
        if (!f.open(QIODevice::WriteOnly)) {
            ADD_FAILURE() << "cannot write " << pwfile.toStdString();
            return;
        }
        f.write(password().toUtf8() + '\n');
    }
    giveToServerUser(pwfile);
    QString log;
    if (!runServerTool(QStringLiteral("initdb"),
                       {QStringLiteral("-D"), data_, QStringLiteral("-U"), QStringLiteral("admin"),
                        QStringLiteral("--pwfile=") + pwfile, QStringLiteral("-A"),
                        QStringLiteral("scram-sha-256"), QStringLiteral("-E"),
                        QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
                        QStringLiteral("--no-sync")},
                       &log)) {
        ADD_FAILURE() << "initdb failed:\n" << log.toStdString();
        return;
    }
    QFile::remove(pwfile);

    // The watchdog stops the server and removes its folder once this process is gone, however it
    // ended; after a normal end it finds nothing left to do.
    {
        QProcess watchdog;
        watchdog.setProgram(QStringLiteral("sh"));
        watchdog.setArguments(
            QStringList{
                QStringLiteral("-c"),
                QStringLiteral("pid=$1; dir=$2; shift 2; "
                               "while kill -0 \"$pid\" 2>/dev/null; do sleep 1; done; "
                               "\"$@\" -D \"$dir/data\" -m immediate stop; rm -rf \"$dir\""),
                QStringLiteral("watchdog"), QString::number(QCoreApplication::applicationPid()),
                folder} +
            serverCommand(QStringLiteral("pg_ctl"), {}));
        watchdog.setStandardOutputFile(QProcess::nullDevice());
        watchdog.setStandardErrorFile(QProcess::nullDevice());
        watchdog.startDetached();
    }

    for (int attempt = 0; attempt < 3 && !running_; ++attempt) {
        port_ = freePort();
        running_ = startOnPort(&log);
    }
    if (!running_) {
        QFile serverLog(folder + QStringLiteral("/server.log"));
        serverLog.open(QIODevice::ReadOnly);
        ADD_FAILURE() << "the PostgreSQL server did not start:\n"
                      << log.toStdString() << serverLog.readAll().toStdString();
        return;
    }
    psql(QStringLiteral("postgres"), QStringLiteral("CREATE ROLE operador LOGIN PASSWORD '%1';")
                                         .arg(password(QStringLiteral("operador"))));
}

bool PostgresServer::startOnPort(QString* log) {
    const QString folder = dir_.path();
    const QString options =
        QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -c unix_socket_directories=%2 "
                       "-c fsync=off -c synchronous_commit=off -c full_page_writes=off "
                       "-c max_connections=30 -c shared_buffers=16MB")
            .arg(port_)
            .arg(folder);
    return runServerTool(QStringLiteral("pg_ctl"),
                         {QStringLiteral("-D"), data_, QStringLiteral("-l"),
                          folder + QStringLiteral("/server.log"), QStringLiteral("-w"),
                          QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"), options,
                          QStringLiteral("start")},
                         log);
}

PostgresServer::~PostgresServer() {
    stop();
}

void PostgresServer::stop() {
    if (!running_) return;
    running_ = false;
    runServerTool(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), data_, QStringLiteral("-m"), QStringLiteral("fast"),
                   QStringLiteral("-w"), QStringLiteral("stop")});
}

void PostgresServer::start() {
    if (running_ || data_.isEmpty()) return;
    QString log;
    running_ = startOnPort(&log);
    if (!running_)
        ADD_FAILURE() << "the PostgreSQL server did not start again:\n" << log.toStdString();
}

QString PostgresServer::psql(const QString& database, const QString& sql,
                             const QString& user) const {
    QProcess p;
    p.setProcessEnvironment(psqlEnvironment(user));
    p.start(QStringLiteral("psql"), psqlArguments(port_, user, database));
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "psql failed on: " << sql.left(300).toStdString() << "\n"
                      << p.readAllStandardError().toStdString();
        return {};
    }
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (out.endsWith(u'\n')) out.chop(1);
    return out;
}

void PostgresServer::createDatabase(const QString& name, const QString& script) const {
    // Sessions the last test left open would keep the database from being dropped.
    psql(QStringLiteral("postgres"),
         QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                        "WHERE datname = '%1' AND pid <> pg_backend_pid();\n"
                        "DROP DATABASE IF EXISTS %1;\nCREATE DATABASE %1;\n")
             .arg(name));
    if (!script.isEmpty()) psql(name, script);
    psql(name, QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO operador;"
                              "GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO operador;"));
}

QString PostgresServer::connectionString(const QString& database, const QString& user) const {
    return QStringLiteral("Provider=PostgreSQL;Server=%1;Port=%2;Database=%3;Uid=%4;Pwd=%5;")
        .arg(host())
        .arg(port_)
        .arg(database, user, password(user));
}

QString PostgresServer::parameterString(const QString& database, const QString& user) const {
    return QStringLiteral("@Server=PG:%1:%2;@DbName=%3;@Usuario=%4;@Password=%5;")
        .arg(host())
        .arg(port_)
        .arg(database, user, password(user));
}

QString PostgresServer::demoScript() {
    QFile f(QStringLiteral(CONTACTOS_SOURCE_DIR "/demo/contactos-postgresql.sql"));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read demo/contactos-postgresql.sql";
        return {};
    }
    return QString::fromUtf8(f.readAll());
}

PostgresServer::Session::Session(const PostgresServer& server, const QString& database) {
    psql_.setProcessEnvironment(psqlEnvironment(QStringLiteral("admin")));
    psql_.setProcessChannelMode(QProcess::MergedChannels);
    psql_.start(QStringLiteral("psql"),
                psqlArguments(server.port(), QStringLiteral("admin"), database));
    if (!psql_.waitForStarted(10000)) ADD_FAILURE() << "psql did not start";
}

PostgresServer::Session::~Session() {
    psql_.write("\\q\n");
    psql_.closeWriteChannel();
    if (!psql_.waitForFinished(10000)) psql_.kill();
    psql_.waitForFinished(5000);
}

void PostgresServer::Session::run(const QString& sql) {
    const QByteArray marker = "listo-" + QByteArray::number(++marker_);
    psql_.write(sql.toUtf8() + "\n\\echo " + marker + '\n');
    QByteArray seen;
    while (!seen.contains(marker)) {
        if (!psql_.waitForReadyRead(30000)) {
            ADD_FAILURE() << "psql did not answer: " << sql.toStdString() << "\n"
                          << seen.toStdString();
            return;
        }
        seen += psql_.readAll();
    }
    if (seen.contains("ERROR")) ADD_FAILURE() << "psql: " << seen.toStdString();
}
