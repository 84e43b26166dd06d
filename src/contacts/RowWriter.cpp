#include "RowWriter.h"

#include "CellStore.h"
#include "DataControl.h"
#include "EditState.h"
#include "FlexGrid.h"
#include "GridSource.h"
#include "data/DB_Dll.h"
#include "data/SqlHelpers.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/Util.h"
#include "startup/ModGlobal.h"

#include <QRegularExpression>
#include <cmath>

RowWriter::RowWriter(FlexGrid& grid, DataControl& data1, DB_Dll& db, EditState& state)
    : grid_(grid), data1_(data1), db_(db), state_(state), registro_(std::make_unique<ado::Recordset>()),
      elimina_(std::make_unique<ado::Recordset>()) {}

RowWriter::~RowWriter() = default;

void RowWriter::setLoadedSource(std::shared_ptr<const GridSource> source) {
    loaded_ = std::move(source);
    written_.clear();
}

QString RowWriter::sentenciaRegistro(const QString& table, const QString& key) {
    // The key exactly as the cell holds it: a text key ' 5 ' is not the record '5'.
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]{1,18}$"));
    const QString literal = integer.match(key).hasMatch() ? key : u'\'' + QString(key).replace(u'\'', QStringLiteral("''")) + u'\'';
    return QStringLiteral("select top 1 * from ") + table + QStringLiteral(" where id = ") + literal;
}

QString RowWriter::storedText(int row, int column) const {
    const int source = grid_.cells().sourceRow(row - 1);
    if (source < 0 || !loaded_) return {};
    const auto it = written_.find((long long)(source) << 16 | column);
    if (it != written_.end()) return it->second;
    return loaded_->text(source, column);
}

void RowWriter::remember(int row, int column, const QString& text) {
    const int source = grid_.cells().sourceRow(row - 1);
    if (source >= 0) written_[(long long)(source) << 16 | column] = text;
}

// The value a cell gives its field: texts of bounded fields fitted to their size.
namespace {
Variant cellValue(const DB_Dll& db, ado::Field field, const QString& text, bool emptyIsNull) {
    if (ADOText(field.Type()) && field.DefinedSize() < 256) return db.util().FitToWidth(text, int(field.DefinedSize()));
    if (emptyIsNull && text.trimmed().isEmpty()) return Variant::null();
    return text;
}
} // namespace

// Writes the changed cells of an existing record. Returns false when the write was abandoned.
bool RowWriter::writeExisting(int row) {
    const int first = state_.gTieneId ? 1 : 0;
    std::vector<int> changed;
    for (int c = first; c < grid_.Cols(); ++c) {
        const bool fromSource = grid_.cells().sourceRow(row - 1) >= 0;
        if (fromSource ? grid_.TextMatrix(row, c) != storedText(row, c) : grid_.isCellWritten(row, c)) changed.push_back(c);
    }
    if (changed.empty()) return true;

    Stage stage = Stage::None;
    bool abandoned = false;
    // Retry runs the step again. A value the field refuses ends the write (nothing of the row is
    // written); the update itself may be skipped with "ignore" as before.
    const auto cancel = [&] {
        if (stage == Stage::OneRecord && registro_->State() == ado::adStateOpen && registro_->editing()) registro_->CancelUpdate();
        abandoned = true;
        return OnFailure::Leave;
    };
    bool inFields = false;
    Procedure p([&](const RuntimeError& e) {
        const int answer = ModGlobal::gUtil().ReportError(e);
        if (answer == Prompt::Retry) return OnFailure::Retry;
        if (answer == Prompt::Ignore && !inFields) return OnFailure::Next;
        stage = Stage::OneRecord;
        return cancel();
    });
    QString sql = sentenciaRegistro(state_.RecordSource, grid_.TextMatrix(row, 0));
    p.step([&] { db_.AbrirRecordset(sql, *registro_, {}, ado::adOpenDynamic, ado::adLockOptimistic, -1, true); });
    // A failed open was reported there; the row stays pending without a second prompt.
    if (p.left() || registro_->State() != ado::adStateOpen) return false;
    inFields = true;
    for (int c : changed) {
        const QString text = grid_.TextMatrix(row, c);
        bool declined = false;
        p.step([&] {
            ado::Field field = registro_->Fields(c);
            const QString now = GridSource::displayText(field.Value());
            const QString before = storedText(row, c);
            if (grid_.cells().sourceRow(row - 1) >= 0 && now != before && now != text) {
                const int answer = prompts().message(
                    QStringLiteral("Otro usuario modificó el campo %1 de este registro desde que se leyó.\n"
                                   "Valor leído: %2\nValor actual: %3\nSu valor: %4\n\n¿Desea reemplazarlo con su valor?")
                        .arg(field.Name(), before, now, text),
                    QStringLiteral("Registro modificado"), Prompt::Buttons::YesNo, Prompt::Icon::Question);
                if (answer != Prompt::Yes) {
                    declined = true;
                    return;
                }
            }
            field.setValue(cellValue(db_, field, text, false));
        });
        if (p.left()) return false;
        if (declined) {
            // Nothing is written; the row shows what is stored now.
            if (registro_->editing()) registro_->CancelUpdate();
            for (int k = first; k < grid_.Cols(); ++k) {
                const QString stored = GridSource::displayText(registro_->Fields(k).Value());
                grid_.setTextMatrix(row, k, stored);
                remember(row, k, stored);
            }
            return true;
        }
    }
    inFields = false;
    stage = Stage::OneRecord;
    p.step([&] { registro_->Update(); });
    stage = Stage::None;
    if (p.left()) return false;
    for (int c : changed) remember(row, c, GridSource::displayText(registro_->Fields(c).Value()));
    return !abandoned;
}

void RowWriter::writeNew(int row) {
    Stage stage = Stage::None;
    bool abandoned = false;
    ado::Recordset& rs = data1_.Recordset();
    Procedure p([&](const RuntimeError& e) {
        const int answer = ModGlobal::gUtil().ReportError(e);
        if (answer == Prompt::Retry) return OnFailure::Retry;
        if (answer == Prompt::Ignore) return OnFailure::Next;
        if (stage == Stage::NewRecord && rs.editing()) rs.CancelUpdate();
        abandoned = true;
        return OnFailure::Leave;
    });
    for (int c = 0; c < grid_.Cols(); ++c) {
        p.step([&] {
            ado::Field field = rs.Fields(c);
            field.setValue(cellValue(db_, field, grid_.TextMatrix(row, c), true));
        });
        if (p.left()) return;
    }
    stage = Stage::NewRecord;
    p.step([&] { rs.Update(); });
    if (p.left() || abandoned) return;
    // The grid shows the key the database gave the record, so the row can be edited again.
    p.step([&] {
        if (state_.gTieneId) grid_.setTextMatrix(row, 0, GridSource::displayText(rs.Fields(0).Value()));
    });
    p.step([&] { grid_.Refresh(); });
    stage = Stage::None;
    state_.gRegistroNuevo = false;
    state_.gFilaPendiente = 0;
    if (pendingChanged) pendingChanged(0);
}

void RowWriter::GrabaRegistro() {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    if (row <= 0 || row >= grid_.Rows()) {
        state_.gFilaPendiente = 0;
        if (pendingChanged) pendingChanged(0);
        return;
    }
    if (state_.gRegistroNuevo) {
        writeNew(row);
        return;
    }
    if (writeExisting(row)) {
        state_.gFilaPendiente = 0;
        if (pendingChanged) pendingChanged(0);
    }
}

void RowWriter::GrabaElimina() {
    Procedure p([&](const RuntimeError& e) {
        const int answer = ModGlobal::gUtil().ReportError(e);
        if (answer == Prompt::Retry) return OnFailure::Retry;
        if (answer == Prompt::Ignore) return OnFailure::Next;
        if (elimina_->State() == ado::adStateOpen && elimina_->editing()) elimina_->CancelUpdate();
        return OnFailure::Leave;
    });
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    const QString key = row > 0 && row < grid_.Rows() ? grid_.TextMatrix(row, 0) : QString();
    if (!key.trimmed().isEmpty()) {
        QString sql = sentenciaRegistro(state_.RecordSource, key);
        p.step([&] { db_.AbrirRecordset(sql, *elimina_, {}, ado::adOpenDynamic, ado::adLockOptimistic, -1, true); });
        // A failed open was reported there: nothing is deleted and no second prompt follows.
        if (elimina_->State() != ado::adStateOpen) return;
        p.step([&] { elimina_->Delete(ado::adAffectCurrent); });
        p.step([&] { grid_.RemoveItem(row); });
        if (p.left()) return;
    }
    p.step([&] { data1_.Refresh(); });
    if (p.left()) return;
    // The reload drops a record begun with Insert and not written.
    state_.gRegistroNuevo = false;
    state_.gFilaPendiente = 0;
    if (pendingChanged) pendingChanged(0);
}

void RowWriter::Descartar() {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    if (row > 0 && row < grid_.Rows()) {
        if (state_.gRegistroNuevo) {
            ado::Recordset& rs = data1_.Recordset();
            if (rs.State() == ado::adStateOpen && rs.editing()) rs.CancelUpdate();
            if (grid_.Rows() > 2) grid_.RemoveItem(row);
        } else if (grid_.cells().sourceRow(row - 1) >= 0) {
            for (int c = 0; c < grid_.Cols(); ++c) grid_.setTextMatrix(row, c, storedText(row, c));
        }
    }
    state_.gRegistroNuevo = false;
    state_.gFilaPendiente = 0;
    if (pendingChanged) pendingChanged(0);
}
