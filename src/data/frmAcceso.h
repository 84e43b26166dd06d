#pragma once

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The login dialog: the operator enters or corrects user, password, database, server and
// platform. It neither checks nor stores anything; the caller fills it, shows it modally and
// reads the answer.
class frmAcceso final : public QDialog {
    Q_OBJECT
public:
    explicit frmAcceso(QWidget* parent = nullptr);

    bool Aceptar = false; // true when closed with "Aceptar"

    QFrame* framAcceso;
    QLabel* lbUsuario;
    QLineEdit* TxtUserId;
    QLabel* lbcontrasena;
    QLineEdit* TxtUserPassword;
    QLabel* Label1;
    QLineEdit* TxtDbName;
    QLabel* Label2;
    QLineEdit* TxtServidor;
    QComboBox* CboPlataformaDB; // "SQL Server", "ORACLE", "SQLite", "PostgreSQL"
    QPushButton* bcAceptar;
    QPushButton* bcCancelar;

    void reject() override; // Escape and the window's close button cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void bcAceptar_Click();
    void bcCancelar_Click();
};
