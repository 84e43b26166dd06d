#pragma once

#include "GridSource.h"

#include <memory>

namespace ado {
class RowStore;
}

// A recordset's rows as the grid shows them, read in place from the recordset's row store.
class RecordsetGridSource final : public GridSource {
public:
    explicit RecordsetGridSource(std::shared_ptr<const ado::RowStore> rows);

    int rowCount() const override;
    int columnCount() const override;
    QString columnName(int column) const override;
    QString text(int row, int column) const override;
    void appendText(int row, int column, QString& out) const override;
    Kind sortKind(int row, int column, double& number) const override;
    bool holdsNumbers(int column) const override;

private:
    std::shared_ptr<const ado::RowStore> rows_;
    int rowCount_;
};
