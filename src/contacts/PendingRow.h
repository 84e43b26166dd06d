#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A grid row whose edits are not written yet, as it can be kept outside the window: the table,
// whether it is a record begun in the grid, the record's key (column 0's text; empty for a begun
// record), the grid's column names, the texts the row was loaded with (what was stored then) and
// the texts it shows now.
struct PendingRow {
    QString table;
    bool newRecord = false;
    QString key;
    QStringList columns;
    QStringList loaded;
    QStringList typed;

    // The columns whose shown text differs from the loaded one (for a begun record, the ones
    // that hold more than blanks).
    QList<int> changedColumns() const {
        QList<int> changed;
        for (qsizetype c = 0; c < typed.size(); ++c) {
            const QString before = c < loaded.size() ? loaded[c] : QString();
            if (newRecord ? !typed[c].trimmed().isEmpty() : typed[c] != before) changed << int(c);
        }
        return changed;
    }
};
