#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt's texts that Debian's translations lack: Qt 6 moved the file types of the save dialog's
// list ("Folder", "Drive") to a context the translations do not know yet.
class MissingTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const struct {
            const char* english;
            const char* spanish;
        } texts[] = {{"Drive", "Unidad"},
                     {"Folder", "Carpeta"},
                     {"File Folder", "Carpeta de archivos"},
                     {"Shortcut", "Acceso directo"},
                     {"Alias", "Alias"},
                     {"Unknown", "Desconocido"}};
        for (const auto& t : texts) {
            if (qstrcmp(sourceText, t.english) == 0) return QString::fromUtf8(t.spanish);
        }
        return {};
    }
};

} // namespace

bool QtTranslations::install() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    // Owned by the application, so they live as long as the texts are asked for.
    auto* texts = new QTranslator(app);
    if (!texts->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts;
        return false;
    }
    QCoreApplication::installTranslator(new MissingTexts(app));
    return QCoreApplication::installTranslator(texts);
}
