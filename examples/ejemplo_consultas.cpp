// How a program of the suite uses the lookup component: it starts up on a database (here the
// demo SQLite file given as the argument), then asks the run's component for a list lookup of the
// articles and a tree lookup of the families, and prints what the operator picked.
//
//     ejemplo_consultas build/demo.db [--captura lista.png]
//
// With --captura the list window is saved as a picture once it is shown and then cancelled, so
// its look can be checked on a display without an operator.
#include "lookup/Lib_ClsCons3.h"
#include "shared/QtPrompts.h"
#include "startup/ModGlobal.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

// The operator's prompts; in capture mode the first window is saved and cancelled, and load
// errors are ignored so that nothing waits for a hand on the keyboard.
class Operador final : public Prompts {
public:
    explicit Operador(QString captura)
        : captura_(std::move(captura)), sinOperador_(!captura_.isEmpty()) {}
    int message(const QString& text, const QString& title, Prompt::Buttons buttons,
                Prompt::Icon icon, Prompt::Default defaultButton) override {
        return qt_.message(text, title, buttons, icon, defaultButton);
    }
    QString input(const QString& prompt, const QString& title, const QString& proposed) override {
        return qt_.input(prompt, title, proposed);
    }
    std::optional<QString> saveFile(const Prompt::SaveDialog& dialog) override {
        return qt_.saveFile(dialog);
    }
    int reportError(const RuntimeError& error, const QString& label) override {
        if (sinOperador_) return Prompt::Ignore;
        return qt_.reportError(error, label);
    }
    int execDialog(QDialog& dialog) override {
        if (!captura_.isEmpty()) {
            const QString archivo = captura_;
            captura_.clear();
            QTimer::singleShot(1000, &dialog, [&dialog, archivo] {
                if (!dialog.grab().save(archivo))
                    std::fprintf(stderr, "No se pudo guardar %s\n", qPrintable(archivo));
                dialog.reject();
            });
        }
        return qt_.execDialog(dialog);
    }

private:
    QtPrompts qt_;
    QString captura_;
    bool sinOperador_;
};

void imprimir(const char* titulo, const Lib_ClsCons3& c) {
    std::printf("%s\n  ValorDevuelto: %s\n  Valores:", titulo,
                qPrintable(c.ValorDevuelto.toDisplayString()));
    if (!c.Valores) {
        std::printf(" (ninguno: consulta cancelada)\n");
        return;
    }
    for (long i = 1; i <= c.Valores->Count(); ++i)
        std::printf(" [%s]", qPrintable(c.Valores->Item(i).toDisplayString()));
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // As every program of the suite should: the drivers print and read numbers in the C form,
    // whatever the operator's locale (QApplication took it from the environment).
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("EJEMPLO_CONSULTAS"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "Uso: ejemplo_consultas BASE.db [--captura ARCHIVO.png]\n");
        return 2;
    }
    const QString base = QFileInfo(args[1]).absoluteFilePath();
    const qsizetype posCaptura = args.indexOf(QStringLiteral("--captura"));
    Operador operador(posCaptura > 0 && posCaptura + 1 < args.size() ? args[posCaptura + 1]
                                                                     : QString());
    installPrompts(&operador);

    QString conexion;
    try {
        ModGlobal::Inicializar(false,
                               QStringLiteral("@Server=SQLITE;@DbName=") + base +
                                   QStringLiteral(";@Usuario=admin;@Password=;"),
                               conexion);
    } catch (const ProgramEnd&) {
        std::fprintf(stderr, "No se pudo abrir la base de datos %s\n", qPrintable(base));
        return 1;
    }
    Lib_ClsCons3& consultas = ModGlobal::gConsultas();

    // A list lookup: the row's code and description come back in Valores.
    CollectionRef campos = newCollection();
    campos->Add(QStringLiteral("IDARTICULO"));
    campos->Add(QStringLiteral("DESCRIPCION"));
    if (posCaptura > 0) {
        // The stock columns let the window colour the rows by stock level.
        consultas.ConsultaSearch(
            QStringLiteral("SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock, PRECIO1, PRECIO2 "
                           "FROM STK_MA_ARTICULOS ORDER BY IDARTICULO"),
            &campos);
        imprimir("Captura de la consulta de articulos", consultas);
        return 0;
    }
    consultas.ConsultaSearch(QStringLiteral("V_MA_ARTICULOS"), &campos);
    imprimir("Consulta de articulos", consultas);

    // A tree lookup of the families: the code of the node picked.
    consultas.CampoDevuelto = QStringLiteral("IDFAMILIA");
    consultas.ConsultaSearch(
        QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA"),
        nullptr, {}, nullptr, nullptr, {}, true);
    imprimir("Consulta de familias", consultas);
    return 0;
}
