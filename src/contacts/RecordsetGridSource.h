#pragma once

#include "GridSource.h"

#include <memory>

namespace ado {
class RowStore;
}

// A recordset's rows as the grid shows them, read in place from the recordset's row store: as many
// as the data control has read so far (records a write appends later are not the source's).
class RecordsetGridSource final : public GridSource {
public:
    explicit RecordsetGridSource(std::shared_ptr<const ado::RowStore> rows);
    // Shows `rows` rows of the store (more as a load goes on); the data control's to set.
    void setRowCount(int rows) { rowCount_ = rows; }

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
