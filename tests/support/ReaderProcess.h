#pragma once

#include <QProcess>
#include <QString>

// Another operator: the sqlite3 shell, a real second process, holding a transaction on a
// database file until stop(). Reading ("BEGIN;" then a SELECT), it keeps a writer of the file
// from committing; writing ("BEGIN EXCLUSIVE;"), it keeps everyone else from reading too. The
// shell is ended when the object goes.
class ReaderProcess {
public:
    enum class Lock { Read, Exclusive };

    // Starts the shell and returns once its lock is held (the shell says so through a file
    // beside the database). Fails the test when it cannot.
    explicit ReaderProcess(const QString& databaseFile, Lock lock = Lock::Read);
    ~ReaderProcess();
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

    // Ends the read transaction and the shell.
    void stop();

    // True when a connection with no patience at all can read and write the file now: nobody
    // holds a lock that would make another program wait.
    static bool freeAtOnce(const QString& databaseFile);

private:
    QProcess shell_;
    QString file_;
};
