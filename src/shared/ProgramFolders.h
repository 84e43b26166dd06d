#pragma once

#include <QString>
#include <QStringList>

// Where the program's files lie. Run from a folder the operator can write (a build, a copy in a
// folder of the operator's), every file lies beside the program, as the suite has always kept
// them. Installed, that folder is not the operator's: the files the program writes go to the
// operator's data folder, the INI file is looked up in the operator's configuration folder and
// then in the system's, and the read-only resources come from the installed data folder.
class ProgramFolders {
public:
    // The folders of the program whose executable lies in `executableFolder`, given the
    // operator's data folder (~/.local/share) and the configuration folders, the operator's
    // first (~/.config, then /etc/xdg).
    ProgramFolders(const QString& executableFolder, const QString& dataHome,
                   const QStringList& configFolders);

    // Every file in `folder`.
    static ProgramFolders beside(const QString& folder);
    // This program's: its executable's folder and the environment's XDG folders.
    static ProgramFolders ofThisProgram();

    // True when the program runs installed: it lies in the "bin" folder of an installation tree
    // (its resources in "../share/contactos"), whoever runs it, even root; or its folder is not
    // writable by whoever runs it.
    bool installed() const { return installed_; }
    // The files the program writes: the masks, the column widths.
    const QString& dataFolder() const { return dataFolder_; }
    // The read-only resources: the exported page's picture.
    const QString& resourceFolder() const { return resourceFolder_; }
    // The folder of the INI file `fileName`: the first configuration folder that holds it, the
    // operator's when none does (so that a missing file reads as its defaults).
    QString configFolder(const QString& fileName) const;
    // The operator's own configuration folder (~/.config/contactos), installed or not: what is
    // the operator's alone, such as where the window was left, never lies beside a program that
    // several operators may run.
    const QString& operatorFolder() const { return operatorFolder_; }

private:
    ProgramFolders() = default;

    bool installed_ = false;
    QString dataFolder_;
    QString resourceFolder_;
    QStringList configFolders_;
    QString operatorFolder_;
};
