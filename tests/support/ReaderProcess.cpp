#include "ReaderProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// The file's lock as a connection without a busy timeout sees it: SQLITE_OK when it could take
// every lock (nobody reads or writes), else the refusal.
int tryExclusive(const QString& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return SQLITE_CANTOPEN;
    }
    int rc = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

} // namespace

ReaderProcess::ReaderProcess(const QString& databaseFile, Lock lock) : file_(databaseFile) {
    shell_.setProgram(QStringLiteral("sqlite3"));
    shell_.setArguments({QStringLiteral("-batch"), databaseFile});
    shell_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    shell_.setStandardOutputFile(QProcess::nullDevice());
    shell_.start();
    if (!shell_.waitForStarted(10000)) {
        ADD_FAILURE() << "the sqlite3 shell does not start: " << shell_.errorString().toStdString();
        return;
    }
    // Once its transaction holds the lock, the shell writes a word to a file of its own: the
    // test goes on only then (its standard output would be buffered until it ends).
    const QString marker = databaseFile + QStringLiteral(".lector");
    QFile::remove(marker);
    QByteArray script = ".timeout 10000\n";
    script +=
        lock == Lock::Read ? "BEGIN;\nSELECT count(*) FROM sqlite_master;\n" : "BEGIN EXCLUSIVE;\n";
    script += ".output '" + QFile::encodeName(marker) + "'\n.print listo\n.output stdout\n";
    shell_.write(script);
    shell_.waitForBytesWritten(10000);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QFile done(marker);
        if (done.open(QIODevice::ReadOnly) && done.readAll() == "listo\n") break;
        if (waited.elapsed() > 10000 || shell_.state() == QProcess::NotRunning) {
            ADD_FAILURE() << "the sqlite3 shell never took its lock";
            return;
        }
        QThread::msleep(10);
    }
    QFile::remove(marker);
}

void ReaderProcess::stop() {
    if (shell_.state() == QProcess::NotRunning) return;
    shell_.write("COMMIT;\n.quit\n");
    shell_.waitForBytesWritten(10000);
    shell_.closeWriteChannel();
    if (!shell_.waitForFinished(10000)) {
        shell_.kill();
        shell_.waitForFinished(2000);
    }
}

ReaderProcess::~ReaderProcess() {
    stop();
}

bool ReaderProcess::freeAtOnce(const QString& databaseFile) {
    return tryExclusive(databaseFile) == SQLITE_OK;
}
