#pragma once

#include <QString>

// Holds the application folder that the start-up hands to the library.
class Aplicacion {
public:
    void SetApplicationFolder(const QString& folder) { folder_ = folder; }
    // The folder last set (empty before the start-up sets it).
    const QString& applicationFolder() const { return folder_; }

private:
    QString folder_;
};
