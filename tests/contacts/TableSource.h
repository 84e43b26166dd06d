#pragma once

#include "contacts/GridSource.h"
#include "shared/Variant.h"

#include <QStringList>
#include <vector>

// A small in-memory source for the grid tests: typed values per cell, row by row. Numbers report
// themselves as numbers, as the recordset's source does.
class TableSource final : public GridSource {
public:
    TableSource(QStringList names, std::vector<std::vector<Variant>> rows)
        : names_(std::move(names)), rows_(std::move(rows)) {}

    int rowCount() const override { return int(rows_.size()); }
    int columnCount() const override { return int(names_.size()); }
    QString columnName(int column) const override { return names_[column]; }
    QString text(int row, int column) const override { return displayText(cell(row, column)); }
    Kind sortKind(int row, int column, double& number) const override {
        const Variant& v = cell(row, column);
        switch (v.type()) {
        case Variant::Type::Integer:
        case Variant::Type::Double:
        case Variant::Type::Currency:
        case Variant::Type::Date:
            number = v.toDouble();
            return Kind::Number;
        default:
            return Kind::Text;
        }
    }

private:
    const Variant& cell(int row, int column) const {
        return rows_[std::size_t(row)][std::size_t(column)];
    }

    QStringList names_;
    std::vector<std::vector<Variant>> rows_;
};
