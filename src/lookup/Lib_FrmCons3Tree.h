#pragma once

#include "ArbolCodigos.h"
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
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The tree lookup window: runs a statement of hierarchical codes and descriptions, shows them as
// a tree shaped by the length of the codes, and returns the code (or the value looked up for it)
// of the selected node or of every checked one. Shown modally through prompts().execDialog; the
// tree is built when it is first shown. Errors are handled inside; nothing escapes.
class Lib_FrmCons3Tree : public QDialog {
    Q_OBJECT
public:
    // The window with its controls, querying through `db`.
    explicit Lib_FrmCons3Tree(DB_Dll& db, QWidget* parent = nullptr);
    ~Lib_FrmCons3Tree() override;

    // Public properties.
    QString SQL;             // in: code in the first column, description in the second
    QString CampoDevuelto;   // in: "IDFAMILIA", "IDPOSICION" or "CODIGO" (any case)
    bool CheckBoxes = false; // in: a check box per node; every checked node is returned
    Variant ValorDevuelto;   // out: the value for the selected node
    CollectionRef Valores;   // out: the values for the checked nodes; null after cancelling

    // Builds the tree from SQL (also "&Nueva Busqueda"); errors are reported as
    // "ArmarTreeVAutomatico" and the tree stays as far as it got.
    void ArmarTreeVAutomatico();
    // Closes the window: empties the tree; an error is shown in "Aviso al Operador".
    void Cerrar();

    // The controls.
    QFrame* Frame1() const { return frame1_; }
    QPushButton* CmdAceptar() const { return cmdAceptar_; }
    QPushButton* CmdCancelar() const { return cmdCancelar_; }
    QPushButton* CmdNueva() const { return cmdNueva_; }
    QWidget* picFields() const { return picFields_; }
    QTreeWidget* TreeV() const { return treeV_; }
    QComboBox* CmbSearch(int indice) const { return indice == 0 ? cmbSearch_ : nullptr; }
    // The field name of the search box ("Descripcion" after a new search).
    const QString& campoDeCaja() const { return campoCaja_; }

    // The tree as built, and the widget item of each of its nodes (same indexes).
    const ArbolCodigos& arbol() const { return arbol_; }
    QTreeWidgetItem* itemDeNodo(int nodo) const;
    // The node of a widget item; -1 for none.
    int nodoDeItem(const QTreeWidgetItem* item) const;

    // The window's private state, for reading.
    short BusquedaActual() const { return 0; }
    const QString& SentenciaActual() const { return sentenciaActual_; }
    const QString& ClausulaOrden() const { return clausulaOrden_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc and the window's close box cancel, as "&Cancelar" does.
    void reject() override;

private:
    void cargar();
    void mostrarArbol();
    void aceptar();
    void cancelar();
    void busquedaIncremental();
    void nuevaBusqueda();
    void marcarDescendientes(QTreeWidgetItem* item);
    int px(double twips) const;

    DB_Dll& db_;
    Util util_;
    ArbolCodigos arbol_;
    std::vector<QTreeWidgetItem*> items_;

    QFrame* frame1_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdNueva_ = nullptr;
    QWidget* picFields_ = nullptr;
    QTreeWidget* treeV_ = nullptr;
    QComboBox* cmbSearch_ = nullptr;
    QString campoCaja_;

    QString sentenciaActual_;
    QString clausulaOrden_;
    // The statement's base and ORDER BY part since the first search; none before it.
    std::optional<SentenciaConsulta::Partes> partes_;
    bool cargado_ = false;
    bool propagando_ = false;
};
