#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool QtTranslations::install() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    // Owned by the application, so it lives as long as the texts are asked for.
    auto* texts = new QTranslator(app);
    if (!texts->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts;
        return false;
    }
    return QCoreApplication::installTranslator(texts);
}
