#include "RecoveryFile.h"

#include "data/ado/AdoConnectionString.h"
#include "data/ado/ProviderSettings.h"
#include "shared/RuntimeError.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString source = u"Recuperación"_s;
constexpr int formatVersion = 1;

[[noreturn]] void fail(const QString& text) {
    raiseError(ErrorNumber::PathFileAccess, text, source);
}

QJsonArray array(const QStringList& texts) {
    return QJsonArray::fromStringList(texts);
}

QStringList texts(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& v : value.toArray())
        list << v.toString();
    return list;
}

} // namespace

// A lock the system drops with its process however the process ends (a kill included), so a file
// is never taken for abandoned while its run is alive, nor held for ever by a run that died.
struct RecoveryFile::Lock {
    explicit Lock(QString file) : path(std::move(file)) {}
    ~Lock() { unlock(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    bool tryLock() {
        if (fd >= 0) return true;
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            unlock();
            return false;
        }
        return true;
    }
    void unlock() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    // Removed while still held, so nobody locks a file that is about to go.
    void remove() {
        QFile::remove(path);
        unlock();
    }

    QString path;
    int fd = -1;
};

QString RecoveryFile::databaseOf(const QString& connectionString) {
    const ado::AdoConnectionString parsed(connectionString);
    const bool sqlite = ado::ProviderSettings::dialectOf(connectionString) == ado::Dialect::SQLite;
    QStringList entries;
    for (const auto& [key, value] : parsed.entries()) {
        const QString k = key.toLower();
        if (k == u"pwd"_s || k == u"password"_s) continue;
        QString v = value;
        if (sqlite && (k == u"data source"_s || k == u"database"_s || k == u"dbq"_s))
            v = QDir::cleanPath(QFileInfo(v).absoluteFilePath());
        entries << k + u'=' + v;
    }
    entries.sort();
    return entries.join(u';');
}

RecoveryFile::RecoveryFile(const QString& dataFolder, const QString& connectionString)
    : folder_(QDir(dataFolder).filePath(u"recuperacion"_s)),
      database_(databaseOf(connectionString)) {
    prefix_ = QString::fromLatin1(
        QCryptographicHash::hash(database_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    path_ = QDir(folder_).filePath(
        prefix_ + u'-' + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss-zzz"_s) + u'-' +
        QString::number(QCoreApplication::applicationPid()) + u".json"_s);
}

RecoveryFile::~RecoveryFile() = default;

void RecoveryFile::save(const PendingRow& row) {
    if (!QDir().mkpath(folder_))
        fail(u"No se puede crear la carpeta de recuperación \"%1\"."_s.arg(folder_));
    if (!own_) own_ = std::make_unique<Lock>(path_ + u".lock"_s);
    own_->tryLock();
    const QJsonObject o{
        {u"contactos"_s, formatVersion},
        {u"base"_s, database_},
        {u"guardado"_s, QDateTime::currentDateTime().toString(Qt::ISODateWithMs)},
        {u"tabla"_s, row.table},
        {u"registroNuevo"_s, row.newRecord},
        {u"clave"_s, row.key},
        {u"columnas"_s, array(row.columns)},
        {u"leidos"_s, array(row.loaded)},
        {u"escritos"_s, array(row.typed)},
    };
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        fail(u"No se puede escribir el archivo de recuperación \"%1\": %2"_s.arg(
            path_, file.errorString()));
    }
    saved_ = true;
}

void RecoveryFile::clear() {
    if (saved_) QFile::remove(path_);
    saved_ = false;
    if (own_) own_->remove();
    own_.reset();
}

QStringList RecoveryFile::keptFiles() const {
    QStringList files;
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({prefix_ + u"-*.json"_s}, QDir::Files, QDir::Name)) {
        const QString file = dir.filePath(name);
        if (file != path_) files << file;
    }
    return files;
}

std::optional<RecoveryFile::Kept> RecoveryFile::take(const QString& path) {
    auto lock = std::make_unique<Lock>(path + u".lock"_s);
    if (!lock->tryLock()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(u"No se puede leer el archivo de recuperación \"%1\": %2"_s.arg(path,
                                                                             file.errorString()));
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject o = document.object();
    Kept kept;
    kept.path = path;
    kept.saved = QDateTime::fromString(o.value(u"guardado"_s).toString(), Qt::ISODateWithMs);
    PendingRow& row = kept.row;
    row.table = o.value(u"tabla"_s).toString();
    row.newRecord = o.value(u"registroNuevo"_s).toBool();
    row.key = o.value(u"clave"_s).toString();
    row.columns = texts(o.value(u"columnas"_s));
    row.loaded = texts(o.value(u"leidos"_s));
    row.typed = texts(o.value(u"escritos"_s));
    const bool sound = error.error == QJsonParseError::NoError && document.isObject() &&
                       o.value(u"contactos"_s).toInt() == formatVersion &&
                       o.value(u"base"_s).toString() == database_ && !row.columns.isEmpty() &&
                       row.loaded.size() == row.columns.size() &&
                       row.typed.size() == row.columns.size();
    if (!sound) {
        fail(u"El archivo de recuperación \"%1\" está dañado o no es de esta base de datos; se "
             u"deja como está."_s.arg(path));
    }
    held_[path] = std::move(lock);
    return kept;
}

void RecoveryFile::release(const QString& path) {
    held_.erase(path);
}

void RecoveryFile::discard(const QString& path) {
    QFile::remove(path);
    if (auto it = held_.find(path); it != held_.end()) {
        it->second->remove();
        held_.erase(it);
    }
}
