#include "shared/ProgramFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// A temporary folder with the XDG roots of an operator: data home, config home and a system
// configuration folder.
struct Roots {
    QTemporaryDir tmp;
    QString path(const QString& relative) const {
        const QString p = QDir(tmp.path()).filePath(relative);
        QDir().mkpath(p);
        return p;
    }
    QString dataHome() const { return path(QStringLiteral("home/.local/share")); }
    QStringList configFolders() const {
        return {path(QStringLiteral("home/.config")), path(QStringLiteral("etc/xdg"))};
    }
};

TEST(ProgramFolders, AWritableFolderKeepsEveryFileBesideTheProgram) {
    Roots roots;
    // The build's own folder is called bin too, but has no share/contactos beside it.
    for (const QString& relative : {QStringLiteral("copia"), QStringLiteral("build/bin")}) {
        const QString exe = roots.path(relative);
        const ProgramFolders f(exe, roots.dataHome(), roots.configFolders());
        EXPECT_FALSE(f.installed()) << relative.toStdString();
        EXPECT_EQ(f.dataFolder(), exe);
        EXPECT_EQ(f.resourceFolder(), exe);
        EXPECT_EQ(f.configFolder(QStringLiteral("CN000pr.INI")), exe);
        // What is the operator's own stays in the operator's folder, even beside a build.
        EXPECT_EQ(f.operatorFolder(), roots.configFolders()[0] + QStringLiteral("/contactos"));
    }
}

TEST(ProgramFolders, AnInstallationTreeUsesTheOperatorsFoldersWhoeverRunsIt) {
    Roots roots;
    const QString exe = roots.path(QStringLiteral("usr/bin"));
    const QString share = roots.path(QStringLiteral("usr/share/contactos"));
    // Writable here (the test owns it), as /usr/bin is for root: the layout decides.
    const ProgramFolders f(exe, roots.dataHome(), roots.configFolders());
    EXPECT_TRUE(f.installed());
    EXPECT_EQ(f.dataFolder(), roots.dataHome() + QStringLiteral("/contactos"));
    EXPECT_EQ(f.resourceFolder(), share);

    const QString user = roots.configFolders()[0] + QStringLiteral("/contactos");
    const QString system = roots.configFolders()[1] + QStringLiteral("/contactos");
    const QString ini = QStringLiteral("CN000pr.INI");
    EXPECT_EQ(f.configFolder(ini), user)
        << "no INI anywhere: the operator's folder, read as defaults";
    QDir().mkpath(system);
    touch(system + u'/' + ini);
    EXPECT_EQ(f.configFolder(ini), system);
    QDir().mkpath(user);
    touch(user + u'/' + ini);
    EXPECT_EQ(f.configFolder(ini), user) << "the operator's INI comes before the system's";
    EXPECT_EQ(f.operatorFolder(), user);
}

TEST(ProgramFolders, AReadOnlyFolderOutsideAnInstallationTreeWritesInTheOperatorsFolders) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only folder; the packaging test covers it";
    Roots roots;
    const QString exe = roots.path(QStringLiteral("opt/contactos"));
    ASSERT_TRUE(QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner));
    const ProgramFolders f(exe, roots.dataHome(), roots.configFolders());
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(f.installed());
    EXPECT_EQ(f.dataFolder(), roots.dataHome() + QStringLiteral("/contactos"));
    EXPECT_EQ(f.resourceFolder(), exe) << "a copied program keeps its picture beside it";
}

} // namespace
