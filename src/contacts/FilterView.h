#pragma once

#include <QFrame>
#include <functional>

class DataControl;
class DB_Dll;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The filter builder `FrmFiltro`: the operator composes a criterion from field, operator and value
// (or types it) and a sort order; "&Aceptar" turns it into one SELECT that becomes the record
// source of `data1`, and the grid is reloaded.
class FilterView final : public QFrame {
    Q_OBJECT
public:
    FilterView(DataControl& data1, DB_Dll& db, QWidget* parent);

    QGroupBox* Frame3;
    QLabel* lblFieldName;
    QLabel* lblOperator;
    QLabel* lblValue;
    QComboBox* cboField;
    QComboBox* cboOperator;
    QComboBox* cboValue;
    QPushButton* cmdAnd;
    QPushButton* cmdOr;
    QPushButton* cmdGetValues;
    QLabel* LblSql;
    QPlainTextEdit* txtCriteria;
    QGroupBox* Frame2;
    QRadioButton* OptOrden0;
    QRadioButton* OptOrden1;
    QListWidget* lstFields;
    QPushButton* cmdOK;
    QPushButton* cmdQuitar;
    QPushButton* cmdCancel;

    // Fills the field pickers from the fields of data1's current recordset. A failure ends the
    // filling where it happened and travels to the caller.
    void Cargar_Datos();
    // Builds the statement, makes it data1's record source and reloads. Failures travel.
    void AplicarFiltro();
    // Makes the whole table data1's record source again and reloads. Failures travel.
    void QuitarFiltro();
    // True while data1 shows a filter's statement rather than the whole table.
    bool filtered() const;
    // The table the grid shows when no filter is applied.
    QString table;
    // The statement AplicarFiltro would build now.
    QString sentencia() const;

    // Asked before the grid is reloaded by "&Aceptar"; false keeps the filter view as it is
    // (the window uses it to write a pending row first).
    std::function<bool()> beforeReload;
    // Called when the view is to give way to the grid again.
    std::function<void()> closed;

    void cboField_Click();
    void cmdGetValues_Click();
    void cmdAnd_Click();
    void cmdOr_Click();
    void txtCriteria_Change();
    void cmdOK_Click();
    void cmdQuitar_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void appendComparison(const QString& connector);
    // Reloads through `reload` with the busy cursor, and gives way to the grid when it worked; a
    // failure is shown after `what` failed.
    void reloadAndClose(const std::function<void()>& reload, const QString& what);

    DataControl& data1_;
    DB_Dll& db_;
};
