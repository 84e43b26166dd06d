#include "TestDatabase.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
struct Db {
    sqlite3* handle = nullptr;
    explicit Db(const QString& path) {
        if (sqlite3_open(path.toUtf8().constData(), &handle) != SQLITE_OK) {
            ADD_FAILURE() << "cannot open " << path.toStdString();
        }
        sqlite3_busy_timeout(handle, 2000);
    }
    ~Db() { sqlite3_close(handle); }
};
} // namespace

TestDatabase::TestDatabase(const QString& script, const QString& fileName) {
    folderPath_ = dir_.path();
    path_ = dir_.filePath(fileName);
    Db db(path_);
    if (!script.isEmpty()) exec(script);
}

void TestDatabase::exec(const QString& sql) const {
    Db db(path_);
    char* error = nullptr;
    if (sqlite3_exec(db.handle, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << "SQL rejected: " << (error ? error : "?") << "\n" << sql.toStdString();
        sqlite3_free(error);
    }
}

QString TestDatabase::scalar(const QString& sql) const {
    Db db(path_);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.handle, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "SQL rejected: " << sqlite3_errmsg(db.handle);
        return {};
    }
    QString result;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        if (sqlite3_column_type(stmt, 0) == SQLITE_NULL) {
            result = QStringLiteral("NULL");
        } else {
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
    }
    sqlite3_finalize(stmt);
    return result;
}

QString TestDatabase::connectionString() const {
    return QStringLiteral("Provider=SQLite;Data Source=%1;").arg(path_);
}

QString TestDatabase::demoScript() {
    QFile f(QStringLiteral(CONTACTOS_SOURCE_DIR "/demo/contactos.sql"));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "demo script missing";
        return {};
    }
    return QString::fromUtf8(f.readAll());
}
