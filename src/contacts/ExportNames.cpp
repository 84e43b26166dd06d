#include "ExportNames.h"

#include "shared/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <algorithm>
#include <climits>
#include <memory>

namespace {

// The desktop's opener, xdg-open, started directly: the path goes as one argument, never through
// a shell, so blanks, quotes and shell characters in it need no quoting. Without a desktop
// environment xdg-open runs the program it finds in the foreground, so its end is not waited for;
// an exit code other than 0 means that it found no program or the program could not start. An
// opener still running when the program ends is left running (a process object that is
// destroyed kills its process), together with the program it started.
void openWithDesktop(const QString& path, std::function<void()> failed) {
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({QFileInfo(path).absoluteFilePath()});
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) failed();
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         failed();
                         opener->deleteLater();
                     });
    opener->start(QIODevice::NotOpen);
}

ExportNames::Opener& opener() {
    static ExportNames::Opener current = openWithDesktop;
    return current;
}

// The dialog is a child of the window for placement, so the window may delete it first.
struct ProgressWindow {
    QElapsedTimer shown;   // since the dialog was last brought up to date
    QElapsedTimer started; // since the task's first report
    QPointer<QWidget> parent;
    QPointer<QProgressDialog> dialog;
    QString title = QStringLiteral("Exportar");
    QString label = QStringLiteral("Exportando los registros...");
    ~ProgressWindow() { delete dialog.data(); }

    // Brings the dialog up to date; false once the operator cancelled. A negative total stands
    // for one not known: the bar only shows that the task goes on, and a "%1" in the label
    // counts what is done.
    bool report(long long done, long long total) {
        if (!dialog) {
            auto* d = new QProgressDialog(parent);
            d->setWindowTitle(title);
            d->setLabelText(label);
            d->setCancelButtonText(QStringLiteral("Cancelar"));
            d->setWindowModality(Qt::WindowModal);
            d->setAutoClose(false);
            d->setAutoReset(false);
            d->setMinimumDuration(0);
            dialog = d;
        }
        const bool unknown = total < 0;
        // Shown a few times a second: painting it for every row would cost more than the row.
        if ((unknown || done < total) && shown.isValid() && shown.elapsed() < 50) {
            const bool goOn = !dialog->wasCanceled();
            if (!goOn) dialog->hide();
            return goOn;
        }
        shown.start();
        QProgressDialog* d = dialog.data();
        if (unknown) {
            d->setRange(0, 0);
            if (label.contains(QStringLiteral("%1")))
                d->setLabelText(label.arg(QLocale().toString(done)));
            if (!d->isVisible()) d->show();
        } else {
            // The dialog counts in int; a larger total is shown in proportion.
            const double scale = total > INT_MAX ? double(INT_MAX) / double(total) : 1.0;
            d->setMaximum(int(double(total) * scale));
            d->setValue(int(double(std::clamp(done, 0LL, total)) * scale));
        }
        QCoreApplication::processEvents();
        const bool goOn = !d->wasCanceled();
        if ((!unknown && done >= total) || !goOn) d->hide();
        return goOn;
    }
};

} // namespace

QString ExportNames::htmlFilter() {
    return QStringLiteral("Páginas Web (*.htm)|*.htm|");
}
QString ExportNames::excelFilter() {
    return QStringLiteral("Documento de Excel(*.xlsx)|*.xlsx|");
}
QString ExportNames::htmlExtension() {
    return QStringLiteral(".htm");
}
QString ExportNames::excelExtension() {
    return QStringLiteral(".xlsx");
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
        chosen.endsWith(u".xlsx", Qt::CaseInsensitive)) {
        return chosen;
    }
    // The workbook is an Office Open XML package: under a ".xls" name spreadsheet programs warn
    // that its format and its extension do not match.
    if (last4.compare(u".xls", Qt::CaseInsensitive) == 0)
        return chosen + (last4.back().isUpper() ? u'X' : u'x');
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
    opener()(path, [path] {
        prompts().message(notOpenedText(path), QStringLiteral("Aviso al operador"),
                          Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
    });
}

QString ExportNames::notOpenedText(const QString& path) {
    return QStringLiteral("El archivo se guardó, pero no se pudo abrir con el programa del "
                          "escritorio. Puede abrirlo usted desde:\n\n%1")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
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
        return window->report(done, total);
    };
}

ExportNames::Progress ExportNames::progressDialog(QWidget* parent, const QString& title,
                                                  const QString& label,
                                                  std::chrono::milliseconds delay) {
    auto window = std::make_shared<ProgressWindow>();
    window->parent = parent;
    window->title = title;
    window->label = label;
    return [window, delay](long long done, long long total) {
        if (!window->started.isValid()) window->started.start();
        if (!window->dialog && window->started.elapsed() < delay.count()) return true;
        return window->report(done, total);
    };
}
