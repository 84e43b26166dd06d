#include "DataControl.h"

#include "ExportNames.h"
#include "RecordsetGridSource.h"
#include "data/ado/Connection.h"
#include "data/ado/FetchProgress.h"
#include "data/ado/RowStore.h"

#include "shared/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>

namespace {

// Rows read between two looks at the clock.
constexpr long rowsBetweenLooks = 1024;
// The rows read so far are shown once in this many steps' length while a load goes on.
constexpr int stepsBetweenShows = 5;

} // namespace

DataControl::DataControl(QObject* parent)
    : QObject(parent), recordset_(std::make_unique<ado::Recordset>()), stepper_(new QTimer(this)) {
    // Each step runs once the window has answered whatever is waiting: input, paints.
    stepper_->setSingleShot(true);
    stepper_->setInterval(0);
    connect(stepper_, &QTimer::timeout, this, &DataControl::step);
}

DataControl::~DataControl() = default;

void DataControl::setConnectionString(const QString& text) {
    connectionString_ = text;
}

void DataControl::Refresh() {
    StopLoad();
    Q_EMIT loadStarted();
    if (!connection_ || openedWith_ != connectionString_ ||
        connection_->State() != ado::adStateOpen) {
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
    std::unique_ptr<ado::RecordFeed> feed;
    {
        // Where every row comes at once (servers that read no other statement meanwhile), a long
        // load keeps the window painted; the operator's input waits until it is done.
        struct Repaint {
            ado::FetchProgress previous = ado::setFetchProgress(
                [](long) { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
            Repaint() { QApplication::setOverrideCursor(Qt::WaitCursor); }
            ~Repaint() {
                ado::setFetchProgress(std::move(previous));
                QApplication::restoreOverrideCursor();
            }
        } repaint;
        feed = next->OpenPartly(recordSource_, *connection_, ado::adOpenStatic,
                                ado::adLockOptimistic, options, firstBlock_);
    }
    recordset_ = std::move(next);
    feed_ = std::move(feed);
    source_ = recordset_->State() == ado::adStateOpen
                  ? std::make_shared<RecordsetGridSource>(recordset_->rows())
                  : nullptr;
    Q_EMIT refreshed();
    if (feed_) {
        // The first steps are short, so that the window paints the first rows before the load
        // takes its full stride.
        budgetMs_ = std::min(stepMs_, 5);
        shown_.start();
        stepper_->start();
    } else {
        endLoad(true);
    }
}

void DataControl::step() {
    if (!feed_) return;
    QElapsedTimer clock;
    clock.start();
    bool ended = false;
    try {
        do {
            ended = feed_->read(rowsBetweenLooks);
        } while (!ended && clock.elapsed() < budgetMs_);
    } catch (const RuntimeError& e) {
        readFailed(e);
        return;
    }
    if (ended) {
        endLoad(true);
    } else {
        showRowsRead();
        budgetMs_ = std::min(stepMs_, budgetMs_ * 2);
        stepper_->start();
    }
}

bool DataControl::FinishLoad() {
    if (!feed_) return true;
    stepper_->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    // A wait that lasts shows a window whose button stops the load: what waited goes on with the
    // rows read.
    const ExportNames::Progress progress = ExportNames::progressDialog(
        qobject_cast<QWidget*>(parent()), QStringLiteral("Leyendo la tabla"),
        QStringLiteral("Leyendo el resto de la tabla: %1 filas.\n\nCancelar deja de leerla y "
                       "sigue con las filas ya leídas."),
        std::chrono::milliseconds(waitDialogMs_));
    // Between reads, not within one: whatever the window does meanwhile (a paint, a timer) finds
    // the feed at rest, and may even finish it.
    while (feed_) {
        bool ended = false;
        try {
            ended = feed_->read(16 * rowsBetweenLooks);
        } catch (const RuntimeError& e) {
            readFailed(e);
            return false;
        }
        if (ended) {
            endLoad(true);
            break;
        }
        showRowsRead();
        if (!progress(long(recordset_->rows()->rowCount()), -1)) {
            StopLoad();
            return false;
        }
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

void DataControl::StopLoad() {
    if (!feed_) return;
    stepper_->stop();
    feed_->stop();
    endLoad(false);
}

void DataControl::endLoad(bool complete) {
    stepper_->stop();
    feed_.reset();
    showRowsRead(true);
    Q_EMIT loadEnded(complete);
}

void DataControl::readFailed(const RuntimeError& failure) {
    // The rows read stay: they are what the database gave, and the operator may reload.
    if (feed_) feed_->stop();
    endLoad(false);
    prompts().message(
        QStringLiteral("No se pudo terminar de leer la tabla: se leyeron %L1 filas.\n\n%2\n\n"
                       "Las filas leídas quedan en la grilla; «Recargar» vuelve a leerla entera.")
            .arg(RowsRead())
            .arg(failure.description()),
        QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

bool DataControl::Loading() const {
    return feed_ != nullptr;
}

long DataControl::RowsRead() const {
    return source_ ? source_->rowCount() : 0;
}

void DataControl::showRowsRead(bool now) {
    if (!source_) return;
    // Each growth of the grid costs its view in proportion to the rows there are (the row
    // positions are worked out again): a few a second show the load as well as one a step.
    if (!now && shown_.isValid() && shown_.elapsed() < qint64(stepsBetweenShows) * stepMs_) return;
    shown_.start();
    // Records a write adds later are the grid's own rows, not the source's: only the load's count.
    source_->setRowCount(int(recordset_->rows()->rowCount()));
    Q_EMIT rowsRead(RowsRead());
}

std::shared_ptr<const GridSource> DataControl::gridSource() const {
    return source_;
}
