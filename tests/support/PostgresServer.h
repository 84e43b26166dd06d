#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A throw-away PostgreSQL server for tests: a cluster made by initdb in a temporary folder,
// listening on a free loopback port only, run by a non-root user (the server refuses root; as
// root, the "postgres" system user that the postgresql package creates). Its superuser is "admin".
// Stopped and removed with the object; a watchdog process stops and removes it too when the test
// program dies first. Construction fails the test (fatal) when the server cannot start.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    bool running() const { return running_; }
    // Stops the server as an administrator does ("pg_ctl stop -m fast": every session is ended)
    // and starts it again on the same folder and port, for tests of a server that goes away.
    void stop();
    void start();
    int port() const { return port_; }
    static QString host() { return QStringLiteral("127.0.0.1"); }
    static QString password(const QString& user = QStringLiteral("admin"));

    // Makes a database (dropped first when it exists) and runs `script` in it through psql.
    void createDatabase(const QString& name, const QString& script = {}) const;
    // Runs SQL through psql, a process of its own; returns its output (unaligned, tuples only,
    // "|" between fields, "NULL" for Null). Fails the test when psql fails.
    QString psql(const QString& database, const QString& sql,
                 const QString& user = QStringLiteral("admin")) const;
    // "Provider=PostgreSQL;Server=127.0.0.1;Port=…;Database=…;Uid=…;Pwd=…;"
    QString connectionString(const QString& database,
                             const QString& user = QStringLiteral("admin")) const;
    // The program's parameter string: "@Server=PG:127.0.0.1:port;@DbName=…;@Usuario=…;@Password=…;"
    QString parameterString(const QString& database,
                            const QString& user = QStringLiteral("admin")) const;
    // The demo database script of the program in its PostgreSQL form.
    static QString demoScript();

    // Another operator: psql started as a process of its own whose session stays open, so that
    // what it does (a transaction, a row lock) lasts until it is told otherwise.
    class Session {
    public:
        Session(const PostgresServer& server, const QString& database);
        ~Session();
        // Runs statements in the session and waits until psql has answered them.
        void run(const QString& sql);

    private:
        QProcess psql_;
        int marker_ = 0;
    };

private:
    QStringList serverCommand(const QString& program, const QStringList& arguments) const;
    bool runServerTool(const QString& program, const QStringList& arguments,
                       QString* output = nullptr) const;
    bool startOnPort(QString* log);

    QTemporaryDir dir_;
    QString bin_;
    QString data_;
    int port_ = 0;
    bool running_ = false;
};
