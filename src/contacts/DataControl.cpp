#include "DataControl.h"

#include "RecordsetGridSource.h"
#include "data/ado/Connection.h"
#include "data/ado/FetchProgress.h"
#include "data/ado/RowStore.h"

#include <QApplication>

DataControl::DataControl(QObject* parent)
    : QObject(parent), recordset_(std::make_unique<ado::Recordset>()) {}

DataControl::~DataControl() = default;

void DataControl::setConnectionString(const QString& text) { connectionString_ = text; }

void DataControl::Refresh() {
    if (!connection_ || openedWith_ != connectionString_ || connection_->State() != ado::adStateOpen) {
        auto connection = std::make_unique<ado::Connection>();
        connection->setCursorLocation(ado::adUseClient);
        connection->Open(connectionString_);
        connection_ = std::move(connection);
        openedWith_ = connectionString_;
    }
    const QString source = recordSource_.trimmed();
    const bool statement = source.startsWith(QStringLiteral("SELECT "), Qt::CaseInsensitive) ||
                           source.startsWith(QStringLiteral("SELECT\t"), Qt::CaseInsensitive);
    const long options = statement ? ado::adCmdText : commandType_;
    auto next = std::make_unique<ado::Recordset>();
    {
        // A long load keeps the window painted; the operator's input waits until it is done.
        struct Repaint {
            ado::FetchProgress previous = ado::setFetchProgress(
                [](long) { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
            Repaint() { QApplication::setOverrideCursor(Qt::WaitCursor); }
            ~Repaint() {
                ado::setFetchProgress(std::move(previous));
                QApplication::restoreOverrideCursor();
            }
        } repaint;
        next->Open(recordSource_, *connection_, ado::adOpenStatic, ado::adLockOptimistic, options);
    }
    recordset_ = std::move(next);
    Q_EMIT refreshed();
    Q_EMIT rowsRead(RowsRead());
    Q_EMIT loadEnded(true);
}

bool DataControl::Loading() const {
    return false;
}

bool DataControl::FinishLoad() {
    return true;
}

void DataControl::StopLoad() {}

long DataControl::RowsRead() const {
    return recordset_->State() == ado::adStateOpen ? long(recordset_->rows()->rowCount()) : 0;
}

std::shared_ptr<const GridSource> DataControl::gridSource() const {
    if (recordset_->State() != ado::adStateOpen) return {};
    return std::make_shared<RecordsetGridSource>(recordset_->rows());
}
