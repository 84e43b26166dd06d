#include "frmAcceso.h"

#include "shared/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
int px(double twips) { return Twips::toPixels(twips); }
} // namespace

frmAcceso::frmAcceso(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAcceso"));
    setWindowTitle(QStringLiteral("Control de Acceso"));
    setFixedSize(px(5850), px(2820));

    framAcceso = new QFrame(this);
    framAcceso->setFrameShape(QFrame::Box);
    framAcceso->setGeometry(0, 0, px(5775), px(2340));

    QFont labelFont(QStringLiteral("Courier"));
    labelFont.setStyleHint(QFont::TypeWriter);
    QFont boxFont(QStringLiteral("MS Sans Serif"));
    boxFont.setStyleHint(QFont::SansSerif);

    auto label = [&](const QString& text, double left, double top) {
        auto* l = new QLabel(text, framAcceso);
        l->setFont(labelFont);
        l->move(px(left), px(top));
        return l;
    };
    auto box = [&](double left, double top) {
        auto* e = new QLineEdit(framAcceso);
        e->setFont(boxFont);
        e->setGeometry(px(left), px(top), px(3735), px(315));
        return e;
    };
    lbUsuario = label(QStringLiteral("&Usuario"), 240, 360);
    TxtUserId = box(1920, 240);
    lbcontrasena = label(QStringLiteral("&Contraseña"), 240, 720);
    TxtUserPassword = box(1920, 600);
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    Label1 = label(QStringLiteral("&Base de Datos"), 240, 1200);
    TxtDbName = box(1920, 1080);
    Label2 = label(QStringLiteral("&Servidor"), 240, 1560);
    TxtServidor = box(1920, 1440);
    lbUsuario->setBuddy(TxtUserId);
    lbcontrasena->setBuddy(TxtUserPassword);
    Label1->setBuddy(TxtDbName);
    Label2->setBuddy(TxtServidor);

    CboPlataformaDB = new QComboBox(framAcceso);
    CboPlataformaDB->addItems({QStringLiteral("SQL Server"), QStringLiteral("ORACLE"), QStringLiteral("SQLite"),
                              QStringLiteral("PostgreSQL")});
    CboPlataformaDB->setGeometry(px(1905), px(1890), px(3735), px(315));

    bcAceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    bcAceptar->setGeometry(px(1440), px(2415), px(1335), px(375));
    bcAceptar->setDefault(true);
    bcAceptar->setAutoDefault(true);
    bcCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    bcCancelar->setGeometry(px(3000), px(2415), px(1335), px(375));
    bcCancelar->setAutoDefault(false);

    setTabOrder(TxtUserId, TxtUserPassword);
    setTabOrder(TxtUserPassword, TxtDbName);
    setTabOrder(TxtDbName, TxtServidor);
    setTabOrder(TxtServidor, CboPlataformaDB);
    setTabOrder(CboPlataformaDB, bcAceptar);
    setTabOrder(bcAceptar, bcCancelar);

    connect(bcAceptar, &QPushButton::clicked, this, &frmAcceso::bcAceptar_Click);
    connect(bcCancelar, &QPushButton::clicked, this, &frmAcceso::bcCancelar_Click);
}

void frmAcceso::showEvent(QShowEvent* event) {
    // Centred on the screen when it is shown.
    if (const QScreen* s = screen()) {
        const QRect r = s->availableGeometry();
        move(r.left() + (r.width() - frameGeometry().width()) / 2, r.top() + (r.height() - frameGeometry().height()) / 2);
    }
    TxtUserId->setFocus();
    QDialog::showEvent(event);
}

void frmAcceso::bcAceptar_Click() {
    Aceptar = true;
    done(QDialog::Accepted);
}

void frmAcceso::bcCancelar_Click() {
    Aceptar = false;
    done(QDialog::Rejected);
}

void frmAcceso::reject() { bcCancelar_Click(); }
