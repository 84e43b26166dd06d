#include "RecordsetGridSource.h"

#include "data/SqlHelpers.h"
#include "data/ado/AdoTypes.h"
#include "data/ado/RowStore.h"

#include <QDate>
#include <QTime>

RecordsetGridSource::RecordsetGridSource(std::shared_ptr<const ado::RowStore> rows)
    : rows_(std::move(rows)), rowCount_(int(rows_->rowCount())) {}

// The row count is what the data control read: rows a recordset appends later (a new record)
// belong to the grid's own inserted rows, not to the source.
int RecordsetGridSource::rowCount() const {
    return rowCount_;
}

int RecordsetGridSource::columnCount() const {
    return int(rows_->columnCount());
}

QString RecordsetGridSource::columnName(int column) const {
    return rows_->columns()[size_t(column)].name;
}

QString RecordsetGridSource::text(int row, int column) const {
    // A text cell shows as it is (a Null as nothing), without going through a Variant.
    if (rows_->kind(column) == ado::RowStore::CellKind::Text) return rows_->text(row, column);
    QDate date;
    QTime time;
    if (rows_->dateAt(row, column, date, time)) return writeLocaleDate(date, time);
    return displayText(rows_->value(row, column));
}

void RecordsetGridSource::appendText(int row, int column, QString& out) const {
    if (ADOText(rows_->columns()[size_t(column)].type) ||
        rows_->columns()[size_t(column)].type == ado::adChar ||
        rows_->columns()[size_t(column)].type == ado::adWChar) {
        rows_->appendTextTo(row, column, out);
    } else {
        out += text(row, column);
    }
}

GridSource::Kind RecordsetGridSource::sortKind(int row, int column, double& number) const {
    const long type = rows_->columns()[size_t(column)].type;
    if (rows_->isNull(row, column)) return Kind::Text;
    QDate date;
    QTime time;
    if (rows_->dateAt(row, column, date, time)) {
        // Days since 30/12/1899, as the platform counts dates.
        static const qint64 base = QDate(1899, 12, 30).toJulianDay();
        number = double(date.toJulianDay() - base) + time.msecsSinceStartOfDay() / 86400000.0;
        return Kind::Number;
    }
    if (ADONumeric(type) || ADOCurrency(type) || adodate(type)) {
        number = rows_->value(row, column).toDouble();
        return Kind::Number;
    }
    return Kind::Text;
}

bool RecordsetGridSource::holdsNumbers(int column) const {
    using CellKind = ado::RowStore::CellKind;
    const CellKind kind = ado::RowStore::kindOf(rows_->columns()[size_t(column)].type);
    return kind != CellKind::Text && kind != CellKind::Boolean;
}
