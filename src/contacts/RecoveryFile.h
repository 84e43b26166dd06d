#pragma once

#include "PendingRow.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

// Keeps the contacts window's pending row in a file outside the program, so that neither a close
// with the database away nor a crash loses what the operator typed. The files lie in the folder
// "recuperacion" of the operator's data folder: one for each run of the program that has a row
// pending, named after its database (the connection string without its password, which is never
// written), locked while its run is alive. A later run on the same database offers the rows of
// the runs that ended, whether they closed or were killed.
class RecoveryFile {
public:
    // The file of this run for the database of `connectionString`, in `dataFolder`.
    RecoveryFile(const QString& dataFolder, const QString& connectionString);
    // Lets go of the files; the run's file stays when it holds a row.
    ~RecoveryFile();
    RecoveryFile(const RecoveryFile&) = delete;
    RecoveryFile& operator=(const RecoveryFile&) = delete;

    // Writes the row, replacing the run's file whole (a crash never leaves half of it). Raises
    // RuntimeError 75 (path or file access) when it cannot be written.
    void save(const PendingRow& row);
    // Removes the run's file: nothing is pending.
    void clear();
    // Whether the run's file holds a row.
    bool holdsRow() const { return saved_; }
    // The run's file.
    const QString& path() const { return path_; }

    // A row kept by an earlier run, and when it was kept.
    struct Kept {
        QString path;
        QDateTime saved;
        PendingRow row;
    };
    // The files of earlier runs on this database, oldest first (not read yet).
    QStringList keptFiles() const;
    // Reads a kept file and holds it for this run, so that no other run offers it meanwhile.
    // Nothing when a run that is still alive holds it. Raises RuntimeError when the file cannot
    // be read or is not a row kept for this database (it is then left as it is).
    std::optional<Kept> take(const QString& path);
    // Lets go of a kept file, which stays for a later run.
    void release(const QString& path);
    // Removes a kept file whose row this run took over.
    void discard(const QString& path);

    // The database as the files name it: the connection string's entries without the password,
    // a SQLite file by its absolute path.
    static QString databaseOf(const QString& connectionString);

private:
    struct Lock;

    QString folder_;
    QString database_;
    QString prefix_;
    QString path_;
    bool saved_ = false;
    std::unique_ptr<Lock> own_;
    std::map<QString, std::unique_ptr<Lock>> held_;
};
