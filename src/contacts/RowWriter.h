#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <unordered_map>

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
// go to the shared error prompt; an abandoned write keeps the row pending, with its texts.
class RowWriter {
public:
    RowWriter(FlexGrid& grid, DataControl& data1, DB_Dll& db, EditState& state);
    ~RowWriter();

    // The rows the grid was loaded with, to tell the operator's changes (and other users') apart.
    void setLoadedSource(std::shared_ptr<const GridSource> source);

    void GrabaRegistro();
    void GrabaElimina();
    // Drops the pending row's unsaved texts at the operator's request: an existing row shows
    // its stored texts again, a begun record is removed.
    void Descartar();

    // The statement that reads the record of a key: the key as a number when it is one, else as
    // a quoted text literal, blanks kept.
    static QString sentenciaRegistro(const QString& table, const QString& key);

    // Called whenever the pending row changes (0: none), so the window can mark it.
    std::function<void(int row)> pendingChanged;

private:
    enum class Stage { None, OneRecord, NewRecord };
    bool writeExisting(int row);
    void writeNew(int row);
    QString storedText(int row, int column) const;
    void remember(int row, int column, const QString& text);

    FlexGrid& grid_;
    DataControl& data1_;
    DB_Dll& db_;
    EditState& state_;
    std::unique_ptr<ado::Recordset> registro_;
    std::unique_ptr<ado::Recordset> elimina_;
    std::shared_ptr<const GridSource> loaded_;
    // Texts known to be stored since the load (our own writes), by source row and column.
    std::unordered_map<long long, QString> written_;
};
