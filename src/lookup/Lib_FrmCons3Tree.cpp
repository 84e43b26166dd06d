#include "Lib_FrmCons3Tree.h"

#include "BotonesConsulta.h"
#include "BusquedaIncremental.h"
#include "SentenciaConsulta.h"
#include "data/DB_Dll.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "shared/Teclado.h"
#include "shared/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString fuente = QStringLiteral("Lib_FrmCons3Tree");

// Designed sizes of the controls, in twips; the window keeps them whatever its size.
constexpr double anchoVentana = 6600, altoVentana = 7200;
constexpr double anchoMarco = BotonesConsulta::anchoMarco, altoMarco = BotonesConsulta::altoMarco;
constexpr double margen = 60;
constexpr int nivelesMarcados = 3;

[[noreturn]] void sinObjeto() {
    raiseError(91, QStringLiteral("Variable de objeto o bloque With no establecida"), fuente);
}

bool esIgual(const QString& a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

Lib_FrmCons3Tree::Lib_FrmCons3Tree(DB_Dll& db, QWidget* parent) : QDialog(parent), db_(db) {
    setObjectName(QStringLiteral("Lib_FrmCons3Tree"));
    setWindowTitle(QStringLiteral("Consulta..."));
    resize(px(anchoVentana), px(altoVentana));

    picFields_ = new QWidget(this);
    picFields_->setObjectName(QStringLiteral("picFields"));
    const double anchoFranja = anchoVentana - 2 * margen;
    const double altoFranja = altoVentana - altoMarco - 3 * margen;
    picFields_->setGeometry(px(margen), px(margen), px(anchoFranja), px(altoFranja));

    cmbSearch_ = new QComboBox(picFields_);
    cmbSearch_->setObjectName(QStringLiteral("CmbSearch0"));
    cmbSearch_->setEditable(true);
    cmbSearch_->setInsertPolicy(QComboBox::NoInsert);
    cmbSearch_->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    cmbSearch_->setGeometry(0, 0, px(anchoFranja), cmbSearch_->sizeHint().height());

    treeV_ = new QTreeWidget(picFields_);
    treeV_->setObjectName(QStringLiteral("TreeV"));
    treeV_->setHeaderHidden(true);
    treeV_->setColumnCount(1);
    treeV_->setRootIsDecorated(true);
    treeV_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeV_->setSelectionMode(QAbstractItemView::SingleSelection);
    const int arribaArbol = cmbSearch_->height() + px(margen);
    treeV_->setGeometry(0, arribaArbol, px(anchoFranja), px(altoFranja) - arribaArbol);

    const BotonesConsulta botones = BotonesConsulta::crear(this);
    frame1_ = botones.frame1;
    cmdAceptar_ = botones.aceptar;
    cmdCancelar_ = botones.cancelar;
    cmdNueva_ = botones.nueva;
    frame1_->setGeometry(px((anchoVentana - anchoMarco) / 2), px(altoVentana - altoMarco - margen),
                         px(anchoMarco), px(altoMarco));

    connect(cmdAceptar_, &QPushButton::clicked, this, [this] { aceptar(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { cancelar(); });
    connect(cmdNueva_, &QPushButton::clicked, this, [this] { ArmarTreeVAutomatico(); });
    connect(treeV_, &QTreeWidget::itemDoubleClicked, this, [this] { aceptar(); });
    connect(treeV_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int columna) {
        if (columna == 0 && !propagando_) marcarDescendientes(item);
    });
    connect(cmbSearch_, &QComboBox::editTextChanged, this, [this] { busquedaIncremental(); });
    connect(cmbSearch_, &QComboBox::activated, this, [this] { busquedaIncremental(); });
    cmbSearch_->installEventFilter(this);
    if (cmbSearch_->lineEdit()) cmbSearch_->lineEdit()->installEventFilter(this);
    mostrarArbol();
}

Lib_FrmCons3Tree::~Lib_FrmCons3Tree() = default;

int Lib_FrmCons3Tree::px(double twips) const {
    return Twips::toPixels(twips, logicalDpiX());
}

QTreeWidgetItem* Lib_FrmCons3Tree::itemDeNodo(int nodo) const {
    return nodo >= 0 && nodo < int(items_.size()) ? items_[size_t(nodo)] : nullptr;
}

int Lib_FrmCons3Tree::nodoDeItem(const QTreeWidgetItem* item) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == item) return int(i);
    }
    return -1;
}

void Lib_FrmCons3Tree::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (cargado_) return;
    cargado_ = true;
    cargar();
    cmbSearch_->setFocus();
}

void Lib_FrmCons3Tree::cargar() {
    Procedure p(Handler::report(QStringLiteral("FORM_LOAD")));
    p.step([&] { Valores = newCollection(); });
    p.step([&] {
        arbol_ = ArbolCodigos();
        mostrarArbol();
    });
    p.step([&] { ArmarTreeVAutomatico(); });
}

void Lib_FrmCons3Tree::ArmarTreeVAutomatico() {
    Procedure p(Handler::report(QStringLiteral("ArmarTreeVAutomatico")));
    arbol_ = ArbolCodigos();
    ado::Recordset rs;
    p.step([&] {
        db_.AbrirRecordset(SQL, rs, {}, ado::adOpenDynamic, ado::adLockReadOnly, -1, true);
    });
    // A refused statement was reported by the open; the tree keeps only its root.
    const bool vacio =
        rs.State() != ado::adStateOpen || p.value<bool>([&] { return rs.BOF() && rs.Eof(); }, true);
    if (!vacio && !p.left()) {
        p.step([&] {
            rs.MoveFirst();
            rs.MoveLast();
            rs.MoveFirst();
        });
        std::vector<std::vector<Variant>> filas;
        p.step([&] { filas = rs.GetRows(rs.RecordCount()); });
        if (!p.left()) arbol_.construir(filas, p);
    }
    Procedure cerrar(Handler::skip());
    cerrar.step([&] {
        if (rs.State() != ado::adStateClosed) rs.Close();
    });
    // The tree shows what was built, also when the building was left half way.
    mostrarArbol();
}

void Lib_FrmCons3Tree::mostrarArbol() {
    propagando_ = true;
    treeV_->clear();
    items_.assign(size_t(arbol_.nodos().size()), nullptr);
    const auto crear = [&](auto&& self, int nodo, QTreeWidgetItem* padre) -> void {
        const ArbolCodigos::Nodo& n = arbol_.nodos()[nodo];
        auto* item = padre ? new QTreeWidgetItem(padre) : new QTreeWidgetItem(treeV_);
        item->setText(0, n.texto);
        if (CheckBoxes) item->setCheckState(0, Qt::Unchecked);
        items_[size_t(nodo)] = item;
        for (int hijo : n.hijos)
            self(self, hijo, item);
    };
    for (int raiz : arbol_.raices())
        crear(crear, raiz, nullptr);
    if (items_[0]) items_[0]->setExpanded(true);
    propagando_ = false;
}

void Lib_FrmCons3Tree::marcarDescendientes(QTreeWidgetItem* item) {
    const int nodo = nodoDeItem(item);
    if (nodo < 0 || !CheckBoxes) return;
    propagando_ = true;
    const Qt::CheckState estado = item->checkState(0);
    for (int d : arbol_.descendientes(nodo, nivelesMarcados))
        items_[size_t(d)]->setCheckState(0, estado);
    propagando_ = false;
}

void Lib_FrmCons3Tree::busquedaIncremental() {
    Procedure p(Handler::skip());
    p.step([&] {
        QStringList textos;
        for (const ArbolCodigos::Nodo& n : arbol_.nodos())
            textos.append(n.texto);
        const int nodo = BusquedaIncremental::enArbol(textos, cmbSearch_->currentText());
        if (QTreeWidgetItem* item = itemDeNodo(nodo)) {
            treeV_->setCurrentItem(item);
            treeV_->scrollToItem(item);
        }
    });
}

void Lib_FrmCons3Tree::nuevaBusqueda() {
    Procedure p(Handler::skip());
    SentenciaConsulta::NuevaBusqueda nb;
    bool hecha = false;
    p.step([&] {
        clausulaOrden_.clear();
        campoCaja_ = QStringLiteral("Descripcion");
        const SentenciaConsulta::Partes partes =
            partes_ ? *partes_ : SentenciaConsulta::partesDe(SQL, SQL);
        nb = SentenciaConsulta::nuevaBusquedaArbol(partes, cmbSearch_->currentText());
        hecha = true;
    });
    if (!hecha) return;
    p.step([&] {
        clausulaOrden_ = nb.partes.orden;
        partes_ = nb.partes;
        SQL = nb.sql;
    });
    p.step([&] { cmbSearch_->setEditText(QString()); });
    p.step([&] { sentenciaActual_ = SQL; });
    p.step([&] { cargar(); });
}

bool Lib_FrmCons3Tree::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == cmbSearch_ || watched == cmbSearch_->lineEdit())) {
        const int codigo = KeyCode::fromQtKey(static_cast<QKeyEvent*>(event)->key());
        if (codigo == KeyCode::F5) {
            nuevaBusqueda();
            return true;
        }
        if (codigo == KeyCode::Down || codigo == KeyCode::Up || codigo == KeyCode::PageDown ||
            codigo == KeyCode::PageUp) {
            treeV_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Lib_FrmCons3Tree::aceptar() {
    Procedure p(Handler::report(QStringLiteral("HScroll1_Change")));
    const auto valorDe = [&](ado::Recordset& rs) {
        return util_.NullToEmpty(rs.Fields(CampoDevuelto).Value());
    };
    if (CheckBoxes) {
        for (int nodo = 0; nodo < int(items_.size()) && !p.left(); ++nodo) {
            p.step([&] {
                if (items_[size_t(nodo)]->checkState(0) != Qt::Checked) return;
                if (!Valores) sinObjeto();
                const QString c = arbol_.codigo(nodo);
                if (esIgual(CampoDevuelto, u"IDFAMILIA") || esIgual(CampoDevuelto, u"CODIGO")) {
                    Valores->Add(c.trimmed());
                } else if (esIgual(CampoDevuelto, u"IDPOSICION")) {
                    ado::Recordset rs;
                    if (db_.ExisteEnTabla(QStringLiteral("MA_POSICIONES"), c,
                                          QStringLiteral("IDPOSICION"), &rs, 8, QString())) {
                        Valores->Add(valorDe(rs).toString());
                    }
                }
            });
        }
    } else {
        QString c;
        p.step([&] {
            const int nodo = nodoDeItem(treeV_->currentItem());
            if (nodo < 0 || !treeV_->currentItem()->isSelected()) sinObjeto();
            c = arbol_.codigo(nodo);
        });
        p.step([&] {
            QString tabla, columna;
            if (esIgual(CampoDevuelto, u"IDFAMILIA")) {
                tabla = QStringLiteral("V_TA_FAMILIAS");
                columna = QStringLiteral("IDFAMILIA");
            } else if (esIgual(CampoDevuelto, u"IDPOSICION")) {
                tabla = QStringLiteral("MA_POSICIONES");
                columna = QStringLiteral("IDPOSICION");
            } else if (esIgual(CampoDevuelto, u"CODIGO")) {
                tabla = QStringLiteral("TA_CCOSTO");
                columna = QStringLiteral("CODIGO");
            } else {
                return;
            }
            ado::Recordset rs;
            ValorDevuelto = db_.ExisteEnTabla(tabla, c, columna, &rs, 8, QString())
                                ? valorDe(rs)
                                : Variant(QString());
        });
    }
    p.step([&] { QDialog::accept(); });
}

void Lib_FrmCons3Tree::cancelar() {
    Procedure p(Handler::skip());
    p.step([&] { ValorDevuelto = QString(); });
    p.step([&] { Valores = nullptr; });
    p.step([&] { QDialog::reject(); });
}

void Lib_FrmCons3Tree::reject() {
    cancelar();
}

void Lib_FrmCons3Tree::Cerrar() {
    Procedure p([](const RuntimeError& e) {
        prompts().message(e.description(), QStringLiteral("Aviso al Operador"), Prompt::Buttons::Ok,
                          Prompt::Icon::Critical);
        return OnFailure::Leave;
    });
    p.step([&] {
        treeV_->clear();
        items_.clear();
    });
}
