#pragma once

#include "AdoTypes.h"
#include "Field.h"

#include <QString>
#include <memory>
#include <vector>

namespace ado {

class Connection;
class RowStore;
class RecordFeed;

// A client-side ADO Recordset: Open fetches every row (in blocks) into a compact column store, so
// BOF, EOF, RecordCount, MoveLast and GetRows work on every driver. Writes (Update, AddNew +
// Update, Delete) are parameterised statements on the base table, located by its key and by the
// original values of the changed fields; a row that changed or vanished since it was read makes
// them fail with error adErrRowNotFound and change nothing.
//
// Every failure raises RuntimeError: provider errors with the OLE DB code of the SQLSTATE (also
// added to the connection's Errors), misuse with ADO's numbers (3021, 3265, 3704, 3705...).
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Opens a statement (or, with options adCmdTable, a table name) on an open connection.
    void Open(const QString& source, Connection& activeConnection,
              long cursorType = adOpenForwardOnly, long lockType = adLockReadOnly,
              long options = adCmdUnspecified);
    // Opens on a connection of its own, made from a connection string; closed with the recordset.
    void Open(const QString& source, const QString& connectionString,
              long cursorType = adOpenForwardOnly, long lockType = adLockReadOnly,
              long options = adCmdUnspecified);
    // Opens as Open does on an open connection, reading only the first `firstRows` rows now: the
    // rest are read through the feed returned (none when every row came at once). The records
    // read are the recordset's as they arrive; writes through the recordset wait for the end.
    std::unique_ptr<RecordFeed> OpenPartly(const QString& source, Connection& activeConnection,
                                           long cursorType, long lockType, long options,
                                           long firstRows);
    void Close();       // 3704 when already closed
    long State() const; // adStateClosed or adStateOpen

    bool BOF() const;
    // EOF is a macro of the C library, hence the spelling.
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();     // 3021 at EOF
    void MovePrevious(); // 3021 at BOF
    long RecordCount() const;
    long AbsolutePosition() const; // 1-based; -1 at BOF/EOF (adPosBOF/adPosEOF are -2/-3 in ADO)
    void setAbsolutePosition(long position);
    // Rows from the current record on: result[field][record], at most `rows` (-1: all). The
    // current record moves past the rows read.
    std::vector<std::vector<Variant>> GetRows(long rows = -1);

    long FieldCount() const;
    Field Fields(long ordinal);        // 3265 outside 0..FieldCount-1
    Field Fields(const QString& name); // case-blind, trimmed; 3265 when missing

    // Starts a new record (appended at the end and made current).
    void AddNew();
    // Writes the edit under way (a changed record or a new one). Nothing to write: no-op.
    void Update();
    // Drops the edit under way; a new record is removed again.
    void CancelUpdate();
    // Deletes the current record in the database and from the recordset (affect must be 1).
    void Delete(long affect = adAffectCurrent);
    // True while an edit (changed fields or a new record) is under way.
    bool editing() const;
    // adEditNone, adEditInProgress (changed fields of the current record) or adEditAdd (AddNew).
    long EditMode() const;

    long CursorType() const;
    long LockType() const;
    QString Source() const;
    Connection* ActiveConnection() const;

    // The rows held, for views that show a whole recordset without copying it (the grid).
    std::shared_ptr<const RowStore> rows() const;
    // Position of the current record in rows() (0-based); -1 at BOF/EOF.
    long currentIndex() const;

    struct Impl;

private:
    friend class Field;
    friend class Connection;
    // Both opens: with `firstRows` > 0 only that many rows now, the rest through the feed.
    std::unique_ptr<RecordFeed> open(const QString& source, Connection& activeConnection,
                                     long lockType, long options, long firstRows);
    std::unique_ptr<Impl> d;
};

// The rows of a recordset opened by OpenPartly that are still to be read from its statement.
// The statement stays open on the recordset's connection until the feed ends, is stopped or goes,
// so the feed must go before that connection closes.
class RecordFeed {
public:
    ~RecordFeed();
    RecordFeed(const RecordFeed&) = delete;
    RecordFeed& operator=(const RecordFeed&) = delete;

    // Reads up to `rows` more rows into the recordset; true once every row is in (the statement
    // is then closed). A failure raises RuntimeError and leaves the rows read so far.
    bool read(long rows);
    bool ended() const { return ended_; }
    // Closes the statement: the recordset keeps the rows read so far, as if they were all.
    void stop();

private:
    friend class Recordset;
    struct State;
    explicit RecordFeed(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
    bool ended_ = false;
};

} // namespace ado
