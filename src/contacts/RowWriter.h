#pragma once

#include "CellRule.h"
#include "PendingRow.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ado {
class Recordset;
}
class DataControl;
class DB_Dll;
class FlexGrid;
class GridSource;
struct EditState;

// Carries the grid's edits into the database: `GrabaRegistro` writes the pending row (an existing
// record by its key, only the cells the operator changed; a new record through data1's own
// recordset), `GrabaElimina` deletes the record of the pending row and reloads the grid. Failures
// go to the shared error prompt; a write that fails keeps the row pending, with its texts, and
// its refused cells marked. A record begun in the grid that holds nothing is never written: it
// is dropped when its row is left.
class RowWriter {
public:
    RowWriter(FlexGrid& grid, DataControl& data1, DB_Dll& db, EditState& state);
    ~RowWriter();

    // The rows the grid was loaded with, to tell the operator's changes (and other users') apart.
    // Forgets the records written since and any failed write.
    void setLoadedSource(std::shared_ptr<const GridSource> source);

    void GrabaRegistro();
    void GrabaElimina();
    // Drops the pending row's unsaved texts at the operator's request: an existing row shows
    // its stored texts again, a begun record is removed.
    void Descartar();

    // The statement that reads the record of a key: the key as a number when it is one, else as
    // a quoted text literal, blanks kept.
    static QString sentenciaRegistro(const QString& table, const QString& key);

    // What the field of a grid column takes (no rule for a column beyond the recordset's fields).
    CellRule rule(int column) const;
    // Whose cell a row holds: the record begun in the grid and pending, or an existing one.
    CellRule::Record recordOf(int row) const;
    // True for a row that shows no record: a blank row added to the grid (at the bottom, by
    // Enter or Insert) that no write has turned into one.
    bool holdsNoRecord(int row) const;
    // True when a row has a cell with more than blanks in it.
    bool hasText(int row) const;

    // After a write that failed: true while the pending row shows what it showed then, so that
    // leaving it again does not ask again.
    bool failedUnchanged() const;
    // The cell to go back to after a failed write: the first refused cell, else the first cell
    // that was to be written; -1 when no write failed.
    int refusedColumn() const;

    // The pending row as it stands, with `editText` in column `editColumn` when an edit is open
    // there; nothing when no row is pending or it holds no change.
    std::optional<PendingRow> pendingRow(int editColumn = -1, const QString& editText = {}) const;
    // Makes a row kept from an earlier run the pending row again: the row of its record (found
    // by its key) shows the typed texts, and the texts it was loaded with stand for what is
    // stored, so that the write asks about a value someone changed meanwhile; a begun record gets
    // a new row at the bottom. Returns the grid row, or 0 when the record is not in the grid.
    int restorePending(const PendingRow& kept);

    // Called whenever the pending row changes (0: none), so the window can mark it.
    std::function<void(int row)> pendingChanged;

private:
    enum class Outcome { Written, Failed };
    Outcome writeExisting(int row, std::vector<int>& refused, std::vector<int>& changed);
    Outcome writeNew(int row, std::vector<int>& refused);
    void dropNew(int row);
    void settle();
    void fail(int row, std::vector<int> refused, int firstChanged);
    void forgetFailure();
    QStringList rowTexts(int row) const;
    QString storedText(int row, int column) const;
    void remember(int row, int column, const QString& text);

    FlexGrid& grid_;
    DataControl& data1_;
    DB_Dll& db_;
    EditState& state_;
    std::unique_ptr<ado::Recordset> registro_;
    std::unique_ptr<ado::Recordset> elimina_;
    std::shared_ptr<const GridSource> loaded_;
    // Texts known to be stored since the load (our own writes), by grid row id and column.
    std::unordered_map<std::uint64_t, QString> written_;
    // Grid rows (by id) that were blank and now hold a record written from the grid.
    std::unordered_set<std::uint32_t> newRecords_;
    // The last failed write of the pending row.
    struct Failure {
        std::uint32_t rowId = 0;
        QStringList texts;
        std::vector<int> refused;
        int firstChanged = -1;
    };
    std::optional<Failure> failure_;
};
