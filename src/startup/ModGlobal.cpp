#include "ModGlobal.h"

#include "DefaultMasks.h"
#include "data/DB_Dll.h"
#include "data/PlatformText.h"
#include "data/ado/ProviderSettings.h"
#include "lookup/Lib_ClsCons3.h"
#include "shared/Aplicacion.h"
#include "shared/Identidad.h"
#include "shared/Ini.h"
#include "shared/Procedure.h"
#include "shared/ProgramFolders.h"
#include "shared/Prompts.h"
#include "shared/Teclado.h"
#include "shared/Util.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <optional>

namespace ModGlobal {

using platformtext::trimBlanks;

namespace {

struct Objects {
    std::unique_ptr<DB_Dll> db;
    std::unique_ptr<Lib_ClsCons3> consultas;
    std::unique_ptr<Util> util;
    std::unique_ptr<Identidad> identidad;
    std::unique_ptr<Ini> ini;
    std::unique_ptr<Aplicacion> aplicacion;
    std::unique_ptr<Teclado> teclado;
    RunValues values;
    QString commandLine;
    std::optional<ProgramFolders> folders;
};

Objects& objects() {
    static Objects o;
    return o;
}

template <class T, class... Args> T& onFirstUse(std::unique_ptr<T>& slot, Args&&... args) {
    if (!slot) slot = std::make_unique<T>(std::forward<Args>(args)...);
    return *slot;
}

const QString iniFile = QStringLiteral("CN000pr.INI");

} // namespace

DB_Dll& gDB() { return onFirstUse(objects().db); }
Lib_ClsCons3& gConsultas() { return onFirstUse(objects().consultas, gDB(), ConfigReader(&LeerConfiguracion), programFolder()); }
Util& gUtil() { return onFirstUse(objects().util); }
Identidad& gIdentidad() { return onFirstUse(objects().identidad); }
Ini& gIni() { return onFirstUse(objects().ini); }
Aplicacion& gAplicacion() { return onFirstUse(objects().aplicacion); }
Teclado& gTeclado() { return onFirstUse(objects().teclado); }
RunValues& run() { return objects().values; }

void setCommandLine(const QString& commandLine) { objects().commandLine = commandLine; }
void setProgramFolder(const QString& folder) { objects().folders = ProgramFolders::beside(folder); }
const ProgramFolders& folders() {
    std::optional<ProgramFolders>& f = objects().folders;
    if (!f) {
        f = ProgramFolders::ofThisProgram();
        // Installed, the operator's data folder may not exist yet; the masks are written there on
        // the first start.
        if (f->installed()) QDir().mkpath(f->dataFolder());
    }
    return *f;
}
QString programFolder() { return folders().dataFolder(); }
QString resourceFolder() { return folders().resourceFolder(); }

void resetForTests() {
    Objects& o = objects();
    o.consultas.reset();
    o.db.reset();
    o.util.reset();
    o.identidad.reset();
    o.ini.reset();
    o.aplicacion.reset();
    o.teclado.reset();
    o.values = RunValues{};
    o.commandLine.clear();
    o.folders.reset();
}

QString ExtraerServidor(const QString& servidor) {
    QString s = servidor;
    if (const qsizetype slash = s.indexOf(u'/'); slash >= 0) s = s.mid(slash + 1);
    if (const qsizetype colon = s.indexOf(u':'); colon >= 0) s = s.left(colon);
    return s;
}

namespace {

// A PostgreSQL server on the command line: "PG:host[:port]" ("PostgreSQL:" also; "PG" alone is
// this machine's default port). Gives the server text after the prefix, port included, and
// nothing for any other server entry.
std::optional<QString> postgresServer(const QString& server) {
    for (const QString& prefix : {QStringLiteral("PG"), QStringLiteral("POSTGRESQL")}) {
        if (server.compare(prefix, Qt::CaseInsensitive) == 0) return QString();
        if (server.startsWith(prefix + u':', Qt::CaseInsensitive)) return trimBlanks(server.mid(prefix.size() + 1));
    }
    return std::nullopt;
}

// The value of one key of the parameter string: from right after the key to the next ";" (or the
// end), every "=" removed, trimmed. Keys are found anywhere, ignoring case.
QString parameter(const QString& p, const QString& key, const QString& absent) {
    const qsizetype at = p.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0) return absent;
    const qsizetype end = p.indexOf(u';', at);
    const qsizetype start = at + key.size();
    const QString raw = end < 0 ? p.mid(start) : p.mid(start, end - start);
    return trimBlanks(gUtil().StripChars(raw, QStringLiteral("=")));
}

QString iniParameterString() {
    Util& u = gUtil();
    Ini& ini = gIni();
    const QString section = run().gSeccionEquipo + QStringLiteral("BaseDeDatos");
    const QString bar = QStringLiteral("|");
    const QString server = u.StripChars(ini.ReadIniValue(iniFile, section, QStringLiteral("Servidor"), QString()), bar);
    const QString db = u.StripChars(ini.ReadIniValue(iniFile, section, QStringLiteral("DbName"), QString()), bar);
    const QString user = u.StripChars(
        u.DecodeText(ini.ReadIniValue(iniFile, section, QStringLiteral("Usuario"), u.EncodeText(QStringLiteral("Quillon")))), bar);
    const QString password = u.StripChars(
        u.DecodeText(ini.ReadIniValue(iniFile, section, QStringLiteral("UserPassWord"), u.EncodeText(QStringLiteral("pardelo")))),
        bar);
    return QStringLiteral("@server=") + server + QStringLiteral("; @dbname= ") + db + QStringLiteral("; @usuario= ") + user +
           QStringLiteral("; @Password= ") + password + QStringLiteral("; @ParametroAdicional=; @Caja=1;vorn@");
}

void completeStartup(Procedure& p, const QString& appFolder) {
    p.step([&] { gAplicacion().SetApplicationFolder(appFolder); });
    p.step([&] {
        Lib_ClsCons3& c = gConsultas();
        c.gConnString = gDB().gConnString;
        c.gUsarMascarasConsultas = true;
        c.gRutaMascaraConsultas = gUtil().AddPathSeparator(programFolder()) + QStringLiteral("consultas.qln");
    });
    p.step([&] {
        const QString path = gConsultas().gRutaMascaraConsultas;
        if (!QFileInfo::exists(path)) GrabarMascarasDefault(path);
    });
    p.step([&] {
        if (!gDB().gDbName.isEmpty()) CargarConfiguracion(appFolder);
    });
}

} // namespace

void Inicializar(bool UsarIni, const QString& Parametros, QString& ConnString) {
    Procedure p(Handler::passOver({ErrorNumber::InvalidCall}, Handler::leave()));
    RunValues& v = run();
    QString appFolder;
    p.step([&] {
        appFolder = gUtil().AddPathSeparator(programFolder());
        gIni().setFolder(folders().configFolder(iniFile));
    });
    p.step([&] {
        v.gColorLetra = 0;
        v.gColorFondo = 0xFFFFFF;
    });
    // The workstation's section names the INI sections, so it is known before the INI is read.
    p.step([&] {
        v.gSeccionEquipo = gIdentidad().FirstIdentity().toUpper() + u'|' + gIdentidad().SecondIdentity().toUpper();
    });
    QString params;
    p.step([&] {
        params = !Parametros.isEmpty() ? Parametros : objects().commandLine;
        if (trimBlanks(params).isEmpty() && UsarIni) params = iniParameterString();
    });
    p.step([&] {
        v.gFlatToolbars = leadingNumber(gIni().ReadIniValue(iniFile, v.gSeccionEquipo, QStringLiteral("FlatToolbars"),
                                                            QStringLiteral("1")));
    });
    if (p.left()) return;

    if (!gDB().gOpenFlag) {
        QString server, database, user, password;
        std::optional<QString> postgres;
        p.step([&] { v.gParametroAdicional = parameter(params, QStringLiteral("@ParametroAdicional"), QString()); });
        p.step([&] { v.gMenu = parameter(params, QStringLiteral("@Menu"), QString()); });
        p.step([&] { server = parameter(params, QStringLiteral("@Server"), QString()); });
        p.step([&] { database = parameter(params, QStringLiteral("@DbName"), QString()); });
        p.step([&] { user = parameter(params, QStringLiteral("@Usuario"), QString()); });
        p.step([&] { password = parameter(params, QStringLiteral("@Password"), QString()); });
        p.step([&] { v.gUsuarioLogeado = parameter(params, QStringLiteral("@UsuarioLogeado"), QString()); });
        p.step([&] { v.gCaja = parameter(params, QStringLiteral("@Caja"), QStringLiteral("1")); });
        p.step([&] {
            if (!server.isEmpty() && server.startsWith(u'#')) {
                server.remove(0, 1);
                if (ConnString.isEmpty()) {
                    ConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + database +
                                 QStringLiteral(";User Id=") + user + QStringLiteral(";Password=") + password + u';';
                }
            } else if (server.compare(QStringLiteral("SQLITE"), Qt::CaseInsensitive) == 0 && ConnString.isEmpty()) {
                // The embedded engine: the database names the file.
                ConnString = QStringLiteral("Provider=SQLite;Data Source=") + database + u';';
            } else if ((postgres = postgresServer(server)) && ConnString.isEmpty()) {
                ConnString = ado::ProviderSettings::postgresConnectionString(*postgres, database, user, password);
            }
        });
        p.step([&] {
            DB_Dll& db = gDB();
            db.gUsuario = user;
            db.gDbName = database;
            db.gUserPassWord = password;
            // The PostgreSQL server keeps its port, which a retry through the login dialog needs.
            db.gServidor = postgres ? *postgres : ExtraerServidor(server);
        });
        if (p.left()) return;
        p.step([&] { gDB().OpenServerADODB(trimBlanks(server).isEmpty(), 3, ConnString, true); });
        if (!gDB().gOpenFlag) throw ProgramEnd{};
        p.step([&] { v.gUsuarioLogeado = gDB().gUsuario; });
        p.step([&] { gDB().gCnn().setCommandTimeout(360); });
        p.step([&] { gDB().gCnn().setDefaultDatabase(gDB().gDbName); });
        if (p.left()) return;
    }
    p.step([&] {
        v.gDsnOdbc = QStringLiteral("DSN=") + gDB().gDbName + QStringLiteral("; UID=") + gDB().gUsuario +
                     QStringLiteral("; PWD=") + gDB().gUserPassWord;
    });
    if (p.left()) return;
    completeStartup(p, appFolder);
}

} // namespace ModGlobal
