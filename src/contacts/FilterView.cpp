#include "FilterView.h"

#include "DataControl.h"
#include "FilterText.h"
#include "data/DB_Dll.h"
#include "data/SqlHelpers.h"
#include "data/ado/AdoTypes.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

using Twips::place;

// The mouse pointer as an hourglass for the life of the object.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

FilterView::FilterView(DataControl& data1, DB_Dll& db, QWidget* parent)
    : QFrame(parent), data1_(data1), db_(db) {
    setObjectName(QStringLiteral("FrmFiltro"));
    place(this, 0, 0, 8175, 4575);

    Frame3 = place(new QGroupBox(QStringLiteral("Filtros de Lectura"), this), 120, 120, 7935, 2895);
    lblFieldName = place(new QLabel(QStringLiteral("Nombre del campo:"), Frame3), 120, 240, 1680, 195);
    lblOperator = place(new QLabel(QStringLiteral("Operador:"), Frame3), 2520, 240, 1020, 195);
    lblValue = place(new QLabel(QStringLiteral("Valor:"), Frame3), 4560, 240, 3255, 195);
    cboField = place(new QComboBox(Frame3), 120, 480, 2295, 315);
    cboOperator = place(new QComboBox(Frame3), 2520, 480, 1935, 315);
    cboValue = place(new QComboBox(Frame3), 4560, 480, 3255, 315);
    cboValue->setEditable(true);
    cboValue->setInsertPolicy(QComboBox::NoInsert);
    cboValue->setEditText(QStringLiteral("cValue"));
    cmdAnd = place(new QPushButton(QStringLiteral("&Agregar al criterio"), Frame3), 120, 840, 2280, 315);
    cmdOr = place(new QPushButton(QStringLiteral("&O por criterio"), Frame3), 2520, 840, 1935, 315);
    cmdGetValues = place(new QPushButton(QStringLiteral("&Lista de posibles valores"), Frame3), 4560, 840, 3255, 315);
    LblSql = place(new QLabel(QStringLiteral("Sentencia SQL"), Frame3), 120, 1200, 2055, 255);
    QFont bold = LblSql->font();
    bold.setBold(true);
    LblSql->setFont(bold);
    txtCriteria = place(new QPlainTextEdit(Frame3), 120, 1440, 7695, 1335);
    txtCriteria->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCriteria->setPlainText(QStringLiteral("Where"));

    Frame2 = place(new QGroupBox(QStringLiteral("ORDEN DE LECTURA"), this), 120, 3120, 6375, 1215);
    OptOrden0 = place(new QRadioButton(QStringLiteral("&Ascendente"), Frame2), 120, 240, 1335, 255);
    OptOrden1 = place(new QRadioButton(QStringLiteral("&Descendente"), Frame2), 120, 600, 1335, 255);
    OptOrden0->setChecked(true);
    lstFields = place(new QListWidget(Frame2), 1680, 240, 4575, 840);
    lstFields->setSelectionMode(QAbstractItemView::MultiSelection);

    // The way back to the whole table stands between the two answers of the view.
    cmdOK = place(new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                                  QStringLiteral("&Aceptar"), this),
                  6600, 3120, 1455, 375);
    cmdOK->setDefault(true);
    cmdQuitar = place(new QPushButton(style()->standardIcon(QStyle::SP_DialogResetButton),
                                      QStringLiteral("&Quitar filtro"), this),
                      6600, 3540, 1455, 375);
    cmdQuitar->setToolTip(QStringLiteral("Vuelve a mostrar toda la tabla"));
    cmdCancel = place(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Cancelar"), this),
                      6600, 3960, 1455, 375);

    connect(cboField, &QComboBox::activated, this, [this] { cboField_Click(); });
    connect(cmdGetValues, &QPushButton::clicked, this, [this] { cmdGetValues_Click(); });
    connect(cmdAnd, &QPushButton::clicked, this, [this] { cmdAnd_Click(); });
    connect(cmdOr, &QPushButton::clicked, this, [this] { cmdOr_Click(); });
    connect(txtCriteria, &QPlainTextEdit::textChanged, this, [this] { txtCriteria_Change(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdQuitar, &QPushButton::clicked, this, [this] { cmdQuitar_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void FilterView::Cargar_Datos() {
    cboField->clear();
    cboValue->clear();
    cboValue->setEditText(QString());
    lstFields->clear();
    ado::Recordset& rs = data1_.Recordset();
    for (long i = 0; i < rs.FieldCount(); ++i) {
        ado::Field f = rs.Fields(i);
        const QString t = FilterText::ConCorchetes(f.Properties(QStringLiteral("BASETABLENAME")).toString());
        const QString c = FilterText::ConCorchetes(f.Properties(QStringLiteral("BASECOLUMNNAME")).toString());
        cboField->addItem(t + u'.' + c);
        lstFields->addItem(c);
    }
}

void FilterView::cboField_Click() {
    cboValue->clear();
    cboValue->setEditText(QString());
}

void FilterView::cmdGetValues_Click() {
    try {
        if (cboValue->count() > 1) cboValue->clear();
        BusyCursor busy;
        QString f = cboField->currentText();
        const QString t = stSTF(f, 0);
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select Distinct ") + f + QStringLiteral(" from ") + t, db_.gCnn(), ado::adOpenStatic,
                ado::adLockOptimistic, -1);
        while (!rs.Eof()) {
            const Variant v = rs.Fields(0).Value();
            if (!v.isNull() && !v.toString().trimmed().isEmpty()) cboValue->addItem(v.toString());
            rs.MoveNext();
        }
        rs.Close();
        cboValue->setEditText(cboValue->count() > 0 ? cboValue->itemText(0) : QString());
        cboValue->setFocus();
    } catch (const RuntimeError& e) {
        prompts().message(
            QStringLiteral("No se pudo leer la lista de posibles valores del campo.\n\n") +
                e.description(),
            QString(), Prompt::Buttons::Ok, Prompt::Icon::None);
        cboValue->setEditText(QString());
    }
}

// Both connectors skip a failing step and go on with the next one.
void FilterView::appendComparison(const QString& connector) {
    Procedure p(Handler::skip());
    if (cboField->currentText().isEmpty()) return;
    long type = -1;
    p.step([&] {
        QString entry = cboField->currentText();
        const QString column = StripBrackets(stSTF(entry, 1));
        type = data1_.Recordset().Fields(column).Type();
    });
    p.step([&] {
        if (!txtCriteria->toPlainText().isEmpty()) {
            txtCriteria->setPlainText(txtCriteria->toPlainText() + QStringLiteral("\r\n") + connector);
        }
    });
    p.step([&] {
        txtCriteria->setPlainText(txtCriteria->toPlainText() + cboField->currentText() + u' ' +
                                  cboOperator->currentText() + FilterText::criterionValue(type, cboValue->currentText()));
    });
    p.step([&] { cboField->setFocus(); });
}

void FilterView::cmdAnd_Click() { appendComparison(QStringLiteral("And ")); }

void FilterView::cmdOr_Click() { appendComparison(QStringLiteral(" Or ")); }

void FilterView::txtCriteria_Change() { cmdOK->setEnabled(!txtCriteria->toPlainText().trimmed().isEmpty()); }

QString FilterView::sentencia() const {
    // The box keeps line breaks as LF; the criterion has always held CR LF pairs.
    const QString criterio = FilterText::criterio(txtCriteria->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
    QStringList order;
    for (int i = 0; i < lstFields->count(); ++i) {
        if (lstFields->item(i)->isSelected()) order << lstFields->item(i)->text();
    }
    const QString orderList = order.join(u',');
    const QString direction = OptOrden0->isChecked() ? QStringLiteral(" ASC ") : QStringLiteral(" DESC ");
    const QString orderBy = orderList.trimmed().isEmpty() ? QString() : QStringLiteral("ORDER BY ") + orderList + direction;
    QString tables;
    QStringList fields;
    for (int i = 0; i < cboField->count(); ++i) {
        QString entry = cboField->itemText(i);
        const QString table = stSTF(entry, 0);
        // A plain substring test, as the builder has always made it.
        if (!tables.contains(table + u',', Qt::CaseInsensitive)) tables += table + u',';
        if (!cboField->itemText(i).trimmed().isEmpty()) fields << cboField->itemText(i);
    }
    if (tables.endsWith(u',')) tables.chop(1);
    return QStringLiteral("SELECT ") + fields.join(u',') + QStringLiteral(" FROM ") + tables + QStringLiteral(" WHERE ") +
           criterio + u' ' + orderBy;
}

void FilterView::AplicarFiltro() {
    const QString statement = sentencia();
    const QString previous = data1_.RecordSource();
    data1_.setRecordSource(statement);
    try {
        data1_.Refresh();
    } catch (const RuntimeError&) {
        // A rejected statement must not stay behind for the next reload (a deletion's).
        data1_.setRecordSource(previous);
        throw;
    }
}

void FilterView::QuitarFiltro() {
    const QString previous = data1_.RecordSource();
    data1_.setRecordSource(table);
    try {
        data1_.Refresh();
    } catch (const RuntimeError&) {
        data1_.setRecordSource(previous);
        throw;
    }
}

bool FilterView::filtered() const {
    return data1_.RecordSource().compare(table, Qt::CaseInsensitive) != 0;
}

void FilterView::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    cmdQuitar->setEnabled(filtered());
}

void FilterView::reloadAndClose(const std::function<void()>& reload, const QString& what) {
    try {
        BusyCursor busy;
        QApplication::processEvents();
        if (beforeReload && !beforeReload()) return;
        reload();
        QApplication::processEvents();
    } catch (const RuntimeError& e) {
        // The database's own text is often English: the first line says what failed. A lost
        // connection is no rejection of the statement, and its own message says so in Spanish.
        const QString first = e.number() == ado::adErrInvalidConnection
                                  ? what.left(what.indexOf(u':')) + u'.'
                                  : what;
        prompts().message(first + QStringLiteral("\n\n") + e.description(), QString(),
                          Prompt::Buttons::Ok, Prompt::Icon::None);
        return;
    }
    if (closed) closed();
}

void FilterView::cmdOK_Click() {
    reloadAndClose([this] { AplicarFiltro(); },
                   QStringLiteral("No se pudo aplicar el filtro: la base de datos no aceptó la "
                                  "sentencia."));
}

void FilterView::cmdQuitar_Click() {
    reloadAndClose([this] { QuitarFiltro(); },
                   QStringLiteral("No se pudo volver a leer la tabla completa."));
}

void FilterView::cmdCancel_Click() {
    if (closed) closed();
}
