#pragma once

#include "data/ado/Recordset.h"

#include <QObject>
#include <QString>
#include <memory>

namespace ado {
class Connection;
}
class GridSource;

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

    // Reloads from the record source, with the busy cursor and the window kept painted. A
    // table-type source that holds a complete SELECT statement (the filter's) runs as the
    // statement it is.
    void Refresh();
    // The current recordset (closed until the first Refresh).
    ado::Recordset& Recordset() { return *recordset_; }
    // The recordset's rows as the grid shows them.
    std::shared_ptr<const GridSource> gridSource() const;

Q_SIGNALS:
    // The recordset was replaced by a Refresh.
    void refreshed();

private:
    QString connectionString_;
    QString recordSource_;
    long commandType_ = 8;
    std::unique_ptr<ado::Connection> connection_;
    QString openedWith_;
    std::unique_ptr<ado::Recordset> recordset_;
};
