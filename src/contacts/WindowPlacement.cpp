#include "WindowPlacement.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWidget>

WindowPlacement::WindowPlacement(QString path, QString key)
    : path_(std::move(path)), key_(std::move(key)) {}

bool WindowPlacement::restore(QWidget& window) const {
    if (path_.isEmpty() || !QFileInfo::exists(path_)) return false;
    const QSettings settings(path_, QSettings::IniFormat);
    const QByteArray geometry = settings.value(key_).toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

bool WindowPlacement::save(const QWidget& window) const {
    if (path_.isEmpty() || !QDir().mkpath(QFileInfo(path_).absolutePath())) return false;
    QSettings settings(path_, QSettings::IniFormat);
    settings.setValue(key_, window.saveGeometry());
    settings.sync();
    return settings.status() == QSettings::NoError;
}
