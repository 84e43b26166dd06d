#pragma once

#include "Connection.h"
#include "Recordset.h"
#include "RowStore.h"

#include <memory>
#include <vector>

namespace ado {

// The state of a Recordset, shared by Recordset, Field and Connection (which makes the
// recordsets of Execute and OpenSchema).
struct Recordset::Impl {
    enum class EditMode { None, Changed, New };

    bool open = false;
    std::shared_ptr<RowStore> store;
    long position = 0; // current record; -1 before the first (BOF), rowCount after the last (EOF)
    long cursorType = adOpenForwardOnly;
    long lockType = adLockReadOnly;
    QString source;
    Connection* connection = nullptr;
    std::weak_ptr<void> connectionAlive;
    std::unique_ptr<Connection> ownConnection;
    QString table; // the table of a simple "SELECT ... FROM table", for drivers that name none
    QString schema;

    EditMode mode = EditMode::None;
    std::vector<Variant> buffer;
    std::vector<bool> changed; // changed fields; for a new record, the fields given a value
    long positionBeforeAdd = -1;

    // Takes a fetched result as the recordset's rows and opens it on the first record.
    void adopt(std::shared_ptr<RowStore> rows, Connection* on, const QString& text, long lock);
    // The statement that a source and its options stand for (a table name for adCmdTable...).
    static QString commandText(const QString& source, long options);

    void requireOpen() const;      // 3704
    void requireCurrent() const;   // 3021
    void requireUpdatable() const; // 3251 on a read-only recordset
    bool atRecord() const;
    // The connection writes go through: 3704 when it is closed or gone.
    Connection& liveConnection() const;
    // Writes the edit under way before a move, as ADO does.
    void finishEdit(Recordset& owner);
    // Whether a field takes Null. Some drivers (SQLite's) describe every column of a result as
    // nullable: a field of a base table is then looked up in the table's own description (once).
    bool takesNull(long ordinal) const;
    mutable std::vector<signed char>
        nullInTable; // by ordinal: 1 takes Null, 0 not; empty: not read
};

} // namespace ado
