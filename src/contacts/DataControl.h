#pragma once

#include "data/ado/Recordset.h"

#include "shared/RuntimeError.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>

namespace ado {
class Connection;
}
class GridSource;
class RecordsetGridSource;
class QTimer;
namespace ado {
class RecordFeed;
}

// The window's data control `data1`: a connection string, a record source and its command type;
// Refresh runs the record source on a connection of its own and holds the resulting recordset,
// which the grid shows. A failed Refresh raises RuntimeError and keeps the previous recordset.
class DataControl final : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    QString ConnectionString() const { return connectionString_; }
    void setConnectionString(const QString& text);
    QString RecordSource() const { return recordSource_; }
    void setRecordSource(const QString& source) { recordSource_ = source; }
    long CommandType() const { return commandType_; }
    void setCommandType(long type) { commandType_ = type; }

    // Runs the record source anew (a load already going on is stopped first) and reads its first
    // block of rows: `refreshed` tells that the recordset was replaced, with those rows in it.
    // The rest of the rows come while the event loop runs, in steps short enough to keep the
    // window answering, each told by `rowsRead`; `loadEnded` tells the end. A table-type source
    // that holds a complete SELECT statement (the filter's) runs as the statement it is.
    void Refresh();
    // True while rows are still being read.
    bool Loading() const;
    // Reads the rest of the rows now, with the busy cursor and the window kept painted; a wait
    // that lasts shows a window whose button stops the load. False when the rows could not all
    // be read: a failure (already told), or the operator stopped the load.
    bool FinishLoad();
    // Stops the load: the rows read so far stay in the recordset (`loadEnded(false)`).
    void StopLoad();
    // Rows read so far (the recordset's records as read from the database).
    long RowsRead() const;
    // Rows the first block holds, and the longest a later step reads for before it lets the
    // window answer again.
    void setFirstBlock(long rows) { firstBlock_ = rows; }
    void setStepMilliseconds(int ms) { stepMs_ = ms; }
    // How long FinishLoad waits before it shows its window.
    void setWaitDialogMilliseconds(int ms) { waitDialogMs_ = ms; }
    // The current recordset (closed until the first Refresh).
    ado::Recordset& Recordset() { return *recordset_; }
    // The recordset's rows as the grid shows them: the rows read so far, growing with each step
    // of the load (the same source until the next Refresh).
    std::shared_ptr<const GridSource> gridSource() const;

Q_SIGNALS:
    // A Refresh begins (before the statement runs).
    void loadStarted();
    // The recordset was replaced by a Refresh.
    void refreshed();
    // More rows were read: the recordset holds `rows` rows now.
    void rowsRead(long rows);
    // The load ended: with every row (`complete`), or stopped by the operator or by a failure.
    void loadEnded(bool complete);

private:
    QString connectionString_;
    QString recordSource_;
    long commandType_ = 8;
    std::unique_ptr<ado::Connection> connection_;
    QString openedWith_;
    void step();
    // Tells the rows read so far, unless they were told a moment ago and `now` is false.
    void showRowsRead(bool now = false);
    void endLoad(bool complete);
    void readFailed(const RuntimeError& failure);

    std::unique_ptr<ado::Recordset> recordset_;
    std::shared_ptr<RecordsetGridSource> source_;
    // Goes before the recordset and the connection: its statement is open on that connection.
    std::unique_ptr<ado::RecordFeed> feed_;
    QTimer* stepper_;
    long firstBlock_ = 2000;
    int stepMs_ = 40;
    int waitDialogMs_ = 700;
    int budgetMs_ = 40;   // the next step's length: short at first, then stepMs_
    QElapsedTimer shown_; // since the rows read were last told
};
