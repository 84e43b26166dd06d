#pragma once

#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "shared/Util.h"
#include "shared/Variant.h"

#include <QString>
#include <memory>
#include <optional>
#include <variant>

// The active connection a recordset is opened on: the shared one (nothing given), a Connection
// object, or a connection string for a connection of the recordset's own.
using ConexionActiva = std::variant<std::monostate, ado::Connection*, QString>;

// The suite's data-access class: the shared connection `gCnn` and its connection data, the
// operation that opens it (asking the operator through frmAcceso when needed), and the SQL helpers
// that every part of the suite uses: recordsets and commands, value lookups, literal and name
// helpers, the Oracle dialect and synonym rewriting, the script runner and the schema helpers.
//
// Text arguments that the suite's callers expect rewritten are taken by reference.
class DB_Dll {
public:
    DB_Dll();
    ~DB_Dll();
    DB_Dll(const DB_Dll&) = delete;
    DB_Dll& operator=(const DB_Dll&) = delete;

    // Public state, in declaration order.
    std::shared_ptr<Util> CmdDlg; // public state only; nothing in this program uses it
    bool gOpenFlag = false;
    Variant gIgnoraPassWord;      // public state only
    // The shared connection, created (unopened) on first use.
    ado::Connection& gCnn();
    std::unique_ptr<ado::Recordset> glrcs; // public state only
    Variant gCursorLocation;               // public state only
    QString gProveedor;
    QString gDsn; // public state only
    QString gServidor;
    QString gDbName;
    QString gUsuario;
    bool gEsAdmin = false;
    QString gUserPassWord;
    QString gConnString;
    QString gExtended;
    bool ParametrosSQL = false; // public state only

    // Value lookups. The maximum/minimum: a number, or Empty when the query returns no row;
    // errors travel to the caller. `Condicion` absent (nullopt) adds no WHERE.
    Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const Variant& Tipo = {},
                        const std::optional<QString>& Condicion = std::nullopt);
    Variant BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const Variant& Tipo = {},
                        const std::optional<QString>& Condicion = std::nullopt);

    // Opens gCnn (see the class comment); the outcome is gOpenFlag.
    void OpenServerADODB(bool PideParametrosSQL = false, long lCursor = 3, const QString& ConnString = {},
                         bool ValidaAdmin = true);
    // Does nothing.
    void OpenLocalADODB(const QString& ConnString = {}, const QString& CadenaID = QStringLiteral("User Id"),
                        const QString& CadenaPWD = QStringLiteral("Password"));

    // Existence checks; failures are shown in an Abort/Retry/Ignore box "Aviso al Operador".
    // With `Lrcs` the recordset is left open on the first matching row.
    bool ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = QStringLiteral("Codigo"),
                         ado::Recordset* Lrcs = nullptr, const Variant& TipoDato = 8, const QString& Condicion = {},
                         bool SoloLectura = false);
    bool ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = QStringLiteral("Codigo"),
                       ado::Recordset* Lrcs = nullptr, const Variant& TipoDato = 8, const QString& Condicion = {});
    // The text of column CampoDevuelto of the first row whose Campo matches; "" when none.
    QString DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                       const QString& Campo = QStringLiteral("Codigo"), const Variant& TipoDato = 8,
                       const QString& Condicion = {}, bool UsaTrim = true);

    // Field type classes of ADO type codes.
    bool adodate(const Variant& Qtype) const;
    bool ADOText(const Variant& Qtype) const;
    bool ADONumeric(const Variant& Qtype) const;
    bool ADOCurrency(const Variant& Qtype) const;
    bool ADOBoolean(const Variant& Qtype) const;

    // Closes the recordset when it is open; failures go to ReportError "CierraRecordset".
    void CierraRecordset(ado::Recordset& LrcsTemp);
    // Does nothing.
    void QConsulta(QString& TB, const Variant& Rsp, QString& Cl1, QString& Cl2,
                   const QString& CmpDisplay = QStringLiteral("Codigo"), const Variant& SQLWHERE = {});
    // Does nothing.
    void QGridConsulta(QString& Sentencia, QString& CampoDevuelto1, QString& gCnnString,
                       const Variant& CampoDevuelto2 = {}, const Variant& CampoDevuelto3 = {});

    // Literal and name helpers.
    QString stSTF(QString& rsName, int rnPart);
    QString AddBrackets(const QString& rObjName) const;
    QString StripConnect(const QString& rsTblName) const;
    QString StripBrackets(const QString& rsObjName) const;
    QString StripOwner(QString& rsTblName) const;
    QString StripFileName(const QString& rsFileName) const;

    // Runs a data-changing statement on gCnn (script runner on Oracle); SentenciaSQL receives the
    // rewritten text. Handles its own errors (see the implementation) and always returns.
    void EjecutaConsultaSQL(QString& SentenciaSQL, long* RecordsAffected = nullptr);
    // Opens Lrcs with the statement (closed first when open); SentenciaSQL receives the synonym
    // rewriting. Failures go to ReportError "AbrirRecordset".
    void AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs, const ConexionActiva& ConexionActiva = {},
                        long CursorType = 0, long LockType = 1, long Options = -1, bool ConvOracle = true);
    // The statement in the Oracle dialect (see the implementation for the ten steps).
    QString ORACLE_Dicc(const QString& Valor);
    Variant BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const Variant& Tipo = 8,
                              const QString& Condicion = {});

    QString pJETOLEDB40() const { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    QString pJETOLEDB35() const { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }
    QString pSQLOLEDB() const { return QStringLiteral("SQLOLEDB"); }

    // The value as a SQL literal ("'" text, "@" number, other Tipo unquoted; Null as NULL / 0).
    Variant SQLValue(const Variant& Valor, const QString& Tipo = QStringLiteral("'"));

    // Schema helpers.
    void AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                  const std::optional<Variant>& ValorDefault = std::nullopt);
    bool ExisteTablaDB(const QString& Tabla);
    bool ExisteCampoDB(const QString& Tabla, const QString& Campo);
    bool VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar = true, const QString& Tipo = {},
                    bool PermiteNulos = false, const std::optional<Variant>& ValorDefault = std::nullopt);

    // Points the shared tables to their restricted synonyms for a non-administrator.
    QString SS_TSinonimos(const QString& SQL) const;

    // The class's own utility object.
    const Util& util() const { return util_; }

private:
    bool askConnectionData();
    void buildConnString();
    bool retryAfterFailure(const RuntimeError& error);
    void EjecutaScriptSQL(QString& script, long& RecordsAffected);

    std::unique_ptr<ado::Connection> cnn_;
    Util util_;
};
