#include "DB_Dll.h"

#include "frmAcceso.h"
#include "data/ado/ProviderSettings.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"

#include <QComboBox>
#include <QLineEdit>

DB_Dll::DB_Dll() = default;
DB_Dll::~DB_Dll() = default;

ado::Connection& DB_Dll::gCnn() {
    if (!cnn_) cnn_ = std::make_unique<ado::Connection>();
    return *cnn_;
}

void DB_Dll::buildConnString() {
    if (gProveedor.contains(QStringLiteral("ORACLE"), Qt::CaseInsensitive)) {
        gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + gDbName + QStringLiteral(";User Id=") +
                      gUsuario + QStringLiteral(";Password=") + gUserPassWord + u';';
    } else if (gProveedor.compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0) {
        // The embedded engine: the database is a file.
        gConnString = QStringLiteral("Provider=SQLite;Data Source=") + gDbName + u';';
    } else if (gProveedor.compare(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive) == 0) {
        // A networked server: the server text may carry the port ("host:5433").
        gConnString = ado::ProviderSettings::postgresConnectionString(gServidor, gDbName, gUsuario, gUserPassWord);
    } else {
        gConnString = QStringLiteral("PROVIDER=") + gProveedor + u';' + QStringLiteral("Server=") + gServidor + u';' +
                      QStringLiteral("Database =") + gDbName + u';' + QStringLiteral("UId=") + gUsuario + u';' +
                      QStringLiteral("Pwd=") + gUserPassWord + u';' + gExtended;
    }
}

// Shows the login dialog filled with the connection data and takes the answer back. Returns
// false when the operator cancelled (gOpenFlag is then false).
bool DB_Dll::askConnectionData() {
    frmAcceso form;
    form.TxtDbName->setText(gDbName);
    form.TxtServidor->setText(gServidor);
    form.TxtUserId->setText(gUsuario);
    form.TxtUserPassword->setText(gUserPassWord);
    form.CboPlataformaDB->setCurrentIndex(0);
    prompts().execDialog(form);
    if (form.Aceptar) {
        gOpenFlag = true;
        gDbName = form.TxtDbName->text();
        gServidor = form.TxtServidor->text();
        gUsuario = form.TxtUserId->text();
        gUserPassWord = form.TxtUserPassword->text();
        switch (form.CboPlataformaDB->currentIndex()) {
        case 1: gProveedor = QStringLiteral("OraOLEDB.Oracle.1"); break;
        case 2: gProveedor = QStringLiteral("SQLite"); break;
        case 3: gProveedor = QStringLiteral("PostgreSQL"); break;
        default: break; // "SQL Server" keeps the provider as it was
        }
    } else {
        gOpenFlag = false;
    }
    return gOpenFlag;
}

// The connection handler: with a provider error the operator may correct the data and retry.
// Without one (a ready connection string naming an unknown provider, say) the description is
// shown and, when the connection did not open, the login dialog is offered all the same: ending
// here with gOpenFlag set would let the start-up go on as if connected.
bool DB_Dll::retryAfterFailure(const RuntimeError& error) {
    ado::Errors& errors = gCnn().Errors();
    if (errors.Count() > 0) {
        const ado::ProviderError& e = errors.Item(0);
        const QString text = QStringLiteral(" Estado de Sql: ") + e.SQLState + u'\r' + QStringLiteral("Numero de Error: ") +
                             QString::number(e.Number) + u'\r' + QStringLiteral("Descripcion: ") + e.Description + u'\r' +
                             QStringLiteral("Codigo Nativo: ") + QString::number(e.NativeError) + u'\r' +
                             QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
        const int answer = prompts().message(text, QStringLiteral(" Error de Conexion a Base de Datos"),
                                             Prompt::Buttons::YesNo, Prompt::Icon::Critical);
        if (answer == Prompt::Yes) {
            errors.Clear();
            if (!askConnectionData()) return false;
            buildConnString();
            return true;
        }
        gOpenFlag = false;
        return false;
    }
    prompts().message(error.description(), QString(), Prompt::Buttons::Ok, Prompt::Icon::None);
    if (gCnn().State() == ado::adStateOpen) return false;
    if (!askConnectionData()) return false;
    buildConnString();
    return true;
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin) {
    Procedure p([this](const RuntimeError& e) { return retryAfterFailure(e) ? OnFailure::Retry : OnFailure::Leave; });
    gOpenFlag = true;
    if (gProveedor.isEmpty()) gProveedor = QStringLiteral("SQLOLEDB");
    if (ConnString.trimmed().isEmpty()) {
        buildConnString();
    } else {
        gConnString = ConnString;
    }
    if (PideParametrosSQL) {
        if (!askConnectionData()) return;
        buildConnString();
    }
    p.step([&] {
        gCnn().setCursorLocation(lCursor);
        gCnn().Open(gConnString, QString(), QString(), -1);
    });
    if (p.left()) return;
    p.step([&] {
        if (!ValidaAdmin) {
            gEsAdmin = true;
            return;
        }
        const QString mark = DatosTabla(QStringLiteral("ta_usuarios"), gUsuario, QStringLiteral("Administrador"),
                                        QStringLiteral("nombre"), 8, QString(), true);
        gEsAdmin = leadingNumber(mark) == 1.0;
    });
}

void DB_Dll::OpenLocalADODB(const QString&, const QString&, const QString&) {}
