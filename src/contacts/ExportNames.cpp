#include "ExportNames.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <memory>

namespace {

bool openWithDesktop(const QString& path) {
    // xdg-open on this desktop: the path goes as a URL, never through a shell, so blanks,
    // quotes and shell characters in it need no quoting.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

ExportNames::Opener& opener() {
    static ExportNames::Opener current = openWithDesktop;
    return current;
}

// The dialog is a child of the window for placement, so the window may delete it first.
struct ProgressWindow {
    QElapsedTimer shown; // since the dialog was last brought up to date
    QPointer<QWidget> parent;
    QPointer<QProgressDialog> dialog;
    ~ProgressWindow() { delete dialog.data(); }
};

} // namespace

QString ExportNames::htmlFilter() {
    return QStringLiteral("Páginas Web (*.htm)|*.htm|");
}
QString ExportNames::excelFilter() {
    return QStringLiteral("Documento de Excel(*.xls)|*.xls|");
}
QString ExportNames::htmlExtension() {
    return QStringLiteral(".htm");
}
QString ExportNames::excelExtension() {
    return QStringLiteral(".xls");
}

std::optional<Prompt::SaveDialog> ExportNames::dialogFor(const QString& buttonKey) {
    Prompt::SaveDialog dialog;
    dialog.flags = dialogFlags;
    if (buttonKey.compare(u"htm", Qt::CaseInsensitive) == 0) {
        dialog.filter = htmlFilter();
        dialog.defaultExt = htmlExtension();
        return dialog;
    }
    if (buttonKey.compare(u"excel", Qt::CaseInsensitive) == 0) {
        dialog.filter = excelFilter();
        dialog.defaultExt = excelExtension();
        return dialog;
    }
    return std::nullopt;
}

QString ExportNames::completeName(const QString& chosen, const QString& defaultExtension) {
    if (chosen.trimmed().isEmpty()) return {};
    const QString last4 = chosen.right(4);
    if (last4.compare(u".htm", Qt::CaseInsensitive) == 0 ||
        last4.compare(u".xls", Qt::CaseInsensitive) == 0 ||
        chosen.endsWith(u".xlsx", Qt::CaseInsensitive)) {
        return chosen;
    }
    return chosen + defaultExtension;
}

ExportNames::Writer ExportNames::writerFor(const QString& name) {
    const QString last3 = name.right(3);
    if (last3.compare(u"htm", Qt::CaseInsensitive) == 0) return Writer::Html;
    if (last3.compare(u"xls", Qt::CaseInsensitive) == 0 ||
        name.endsWith(u".xlsx", Qt::CaseInsensitive))
        return Writer::Excel;
    return Writer::None;
}

void ExportNames::AbrirArchivo(const QString& path, bool flag) {
    Q_UNUSED(flag);
    if (opener()) opener()(path);
}

ExportNames::Opener ExportNames::setOpener(Opener replacement) {
    Opener previous = opener();
    opener() = replacement ? std::move(replacement) : Opener(openWithDesktop);
    return previous;
}

ExportNames::Progress ExportNames::progressDialog(QWidget* parent, long long threshold) {
    auto window = std::make_shared<ProgressWindow>();
    window->parent = parent;
    return [window, threshold](long long done, long long total) {
        if (total <= threshold) return true;
        if (!window->dialog) {
            auto* dialog = new QProgressDialog(window->parent);
            dialog->setWindowTitle(QStringLiteral("Exportar"));
            dialog->setLabelText(QStringLiteral("Exportando los registros..."));
            dialog->setCancelButtonText(QStringLiteral("Cancelar"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->setMinimumDuration(0);
            window->dialog = dialog;
        }
        // Shown a few times a second: painting it for every row would cost more than the row.
        if (done < total && window->shown.isValid() && window->shown.elapsed() < 50) {
            const bool goOn = !window->dialog->wasCanceled();
            if (!goOn) window->dialog->hide();
            return goOn;
        }
        window->shown.start();
        QProgressDialog* dialog = window->dialog.data();
        // The dialog counts in int; a larger total is shown in proportion.
        const double scale = total > INT_MAX ? double(INT_MAX) / double(total) : 1.0;
        dialog->setMaximum(int(double(total) * scale));
        dialog->setValue(int(double(std::clamp(done, 0LL, total)) * scale));
        QCoreApplication::processEvents();
        const bool goOn = !dialog->wasCanceled();
        if (done >= total || !goOn) dialog->hide();
        return goOn;
    };
}
