#pragma once

#include <QProcess>
#include <QString>

// Another operator reading: the sqlite3 shell, a real second process, holding a read transaction
// ("BEGIN;" then a SELECT) on a database file until stop(). While it reads, a writer of the file
// cannot commit. The shell is ended when the object goes.
class ReaderProcess {
public:
    // Starts the shell and returns once its read lock is held (checked from outside, so the
    // shell's output buffering does not matter). Fails the test when it cannot.
    explicit ReaderProcess(const QString& databaseFile);
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
