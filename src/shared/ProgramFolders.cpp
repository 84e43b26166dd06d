#include "ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The name of the program's own folder under each XDG root and under share/.
const QString programName = QStringLiteral("contactos");

// An installation tree puts the program in PREFIX/bin and its resources in PREFIX/share/contactos.
// Judged by the layout rather than by permissions alone, so that root (whom no permission stops)
// never writes into /usr/bin either.
QString installedResources(const QString& executableFolder) {
    const QDir bin(executableFolder);
    if (bin.dirName() != QStringLiteral("bin")) return {};
    const QString share =
        QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/")) + u'/' + programName);
    return QFileInfo(share).isDir() ? share : QString();
}

} // namespace

ProgramFolders::ProgramFolders(const QString& executableFolder, const QString& dataHome,
                               const QStringList& configFolders) {
    const QString resources = installedResources(executableFolder);
    installed_ = !resources.isEmpty() || !QFileInfo(executableFolder).isWritable();
    const QString operatorFolder = configFolders.isEmpty()
                                       ? executableFolder
                                       : QDir(configFolders.first()).filePath(programName);
    if (!installed_) {
        *this = beside(executableFolder);
        operatorFolder_ = operatorFolder;
        return;
    }
    operatorFolder_ = operatorFolder;
    dataFolder_ = QDir(dataHome).filePath(programName);
    resourceFolder_ = resources.isEmpty() ? executableFolder : resources;
    for (const QString& root : configFolders)
        configFolders_ << QDir(root).filePath(programName);
}

ProgramFolders ProgramFolders::beside(const QString& folder) {
    ProgramFolders f;
    f.dataFolder_ = folder;
    f.resourceFolder_ = folder;
    f.configFolders_ = QStringList{folder};
    f.operatorFolder_ = folder;
    return f;
}

ProgramFolders ProgramFolders::ofThisProgram() {
    const QString executableFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return ProgramFolders(executableFolder,
                          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                          QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation));
}

QString ProgramFolders::configFolder(const QString& fileName) const {
    for (const QString& folder : configFolders_) {
        if (QFileInfo::exists(QDir(folder).filePath(fileName))) return folder;
    }
    return configFolders_.value(0);
}
