#pragma once

#include <QString>

class QWidget;

// Where and how the operator left a window (size, position, maximised), kept in a settings file
// of the operator's, so that the window opens the same way the next time.
class WindowPlacement {
public:
    // Kept under `key` in the settings file `path` (INI format).
    WindowPlacement(QString path, QString key);

    // Gives the window the stored placement, before it is shown; false when none is stored or
    // it cannot be read (the window keeps its own size and the desktop places it). A place that
    // lies off every screen is brought back onto one.
    bool restore(QWidget& window) const;
    // Stores the window's placement; the normal size and position are kept for a maximised
    // window, so that it comes back to them when it is restored. False when the file cannot be
    // written.
    bool save(const QWidget& window) const;

private:
    QString path_;
    QString key_;
};
