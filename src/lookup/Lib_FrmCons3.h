#pragma once

#include "ConfigReader.h"
#include "SentenciaConsulta.h"
#include "shared/Collection.h"
#include "shared/Util.h"
#include "shared/Variant.h"

#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

class DB_Dll;
class QComboBox;
class QFrame;
class QKeyEvent;
class QPushButton;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;
namespace ado {
class Recordset;
}

// The list lookup window: runs one statement, shows a row per record and a column per field in
// a report list with a search box above every column, and hands the operator's choice back
// through its public properties. Shown modally through prompts().execDialog; the rows are loaded
// when it is first shown. Every error is handled inside (reported, shown or skipped as each
// routine does); nothing escapes to the caller.
class Lib_FrmCons3 : public QDialog {
    Q_OBJECT
public:
    // The window with its controls, querying through `db` and reading the price-class headers
    // through `leerConfiguracion`; the widths file is looked for in `carpetaPrograma`.
    Lib_FrmCons3(DB_Dll& db, ConfigReader leerConfiguracion, QString carpetaPrograma,
                 QWidget* parent = nullptr);
    ~Lib_FrmCons3() override;

    // Public properties.
    Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4; // in: colours of the stock levels
    QString MuestraStock;            // in: "SI" (any case) colours article rows by stock level
    QString SQL;                     // in: the statement; rewritten by the searches
    QString CampoDevuelto;           // in: header of the column whose value is returned
    CollectionRef CmpsDevueltos;     // in: headers of the columns returned in single selection
    bool CheckBoxes = false;         // in: a check box per row; every checked row is returned
    Variant ValorDevuelto;           // out: the single value returned
    QString FiltroInicial;           // in: text put into the first search box after loading
    bool OrdenarPorLwv = false;      // in: the list sorts its rows by the first column
    CollectionRef Valores;           // out: the values returned; null after cancelling
    CollectionRef Cantidades;        // out: created empty at every load, never filled
    bool UsaCantidades = false;      // in: the quantity keys work
    QString ValoresDefault;          // in: rows whose returned value occurs in it start checked
    bool CfgUsaConsultaLIKE = false; // in: a new search matches anywhere instead of the start
    bool GrabarCfg = false;          // in: the column widths are saved when the window closes

    // Position (from 1) of the first column whose trimmed header equals the trimmed name,
    // ignoring case; 0 when none does.
    int IndiceColumna(const QString& Columna) const;
    // Closes the window: saves the column widths when GrabarCfg is true, then removes the rows.
    // An error is shown in a message box "Aviso al Operador" and the closing ends there.
    void Cerrar();

    // The controls.
    QFrame* Frame1() const { return frame1_; }
    QPushButton* CmdAceptar() const { return cmdAceptar_; }
    QPushButton* CmdCancelar() const { return cmdCancelar_; }
    QPushButton* CmdNueva() const { return cmdNueva_; }
    QWidget* picFields() const { return picFields_; }
    QTreeWidget* ListView1() const { return listView1_; }
    QScrollBar* HScroll1() const { return hScroll1_; }
    // Search box `indice` (0 is part of the window; the others are created while loading).
    QComboBox* CmbSearch(int indice) const;
    int CmbSearchCount() const { return int(cajas_.size()); }
    // The field name search box `indice` belongs to.
    QString campoDeCaja(int indice) const;

    // The window's private state, for reading.
    bool ModoArticulos() const { return modoArticulos_; }
    const QString& SentenciaOriginal() const { return sentenciaOriginal_; }
    const QString& SentenciaActual() const { return sentenciaActual_; }
    const QString& ClausulaOrden() const { return clausulaOrden_; }
    const QString& TablaConsulta() const { return tablaConsulta_; }
    short BusquedaActual() const { return busquedaActual_; }

    // A column's width in twips (column from 1).
    double anchoColumna(int columna) const;
    // The text of cell `posicion` of a row: 1 is the row's main text, k > 1 its sub-item k - 1.
    // Raises RuntimeError 380 for a position outside the columns.
    QString celda(const QTreeWidgetItem* fila, int posicion) const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc and the window's close box cancel, as "&Cancelar" does.
    void reject() override;

private:
    void cargar();
    void Encolumnar(ado::Recordset& rs);
    void Leer(ado::Recordset& rs);
    void LeerAnchos();
    void CalcularAncho();
    void redimensionar();
    void aceptar();
    void cancelar();
    void nuevaBusquedaOriginal();
    void busquedaIncremental(int indice);
    void nuevaBusqueda(int indice);
    bool teclaLista(QKeyEvent* event, int codigo);
    bool teclaCaja(int indice, int codigo);
    void ordenarPorColumna(int columna);
    void informarFaltante();
    void agregarALaCaja(const QString& texto);
    void cantidad(int codigo, bool shift);
    QComboBox* crearCaja(int indice);
    int indiceDeCaja(QObject* objeto) const;
    void colorDeCaja(int indice, long color);
    QTreeWidgetItem* filaSeleccionada() const;
    void ordenar();
    int px(double twips) const;
    double tw(int pixels) const;

    DB_Dll& db_;
    ConfigReader leer_;
    QString carpetaPrograma_;
    Util util_;

    QFrame* frame1_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdNueva_ = nullptr;
    QWidget* picFields_ = nullptr;
    QTreeWidget* listView1_ = nullptr;
    QScrollBar* hScroll1_ = nullptr;
    std::vector<QComboBox*> cajas_;
    QStringList camposCajas_;

    bool modoArticulos_ = false;
    QString sentenciaOriginal_;
    QString sentenciaActual_;
    QString clausulaOrden_;
    // The statement's base and ORDER BY part since the first search; none before it.
    std::optional<SentenciaConsulta::Partes> partes_;
    QString tablaConsulta_;
    short busquedaActual_ = 0;

    bool cargado_ = false;
    bool ordenada_ = false; // the list keeps its rows sorted (by the first column or a click)
    int columnaOrden_ = 0;
    bool descendente_ = false;
};
