#include "QtPrompts.h"

#include "RuntimeError.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

namespace {

QMessageBox::Icon qtIcon(Prompt::Icon icon) {
    switch (icon) {
    case Prompt::Icon::Critical: return QMessageBox::Critical;
    case Prompt::Icon::Question: return QMessageBox::Question;
    case Prompt::Icon::Exclamation: return QMessageBox::Warning;
    case Prompt::Icon::Information: return QMessageBox::Information;
    case Prompt::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString titleOrApp(const QString& title) {
    return title.isEmpty() ? QApplication::applicationName() : title;
}

} // namespace

int QtPrompts::message(const QString& text, const QString& title, Prompt::Buttons buttons,
                       Prompt::Icon icon, Prompt::Default defaultButton) {
    QMessageBox box(qtIcon(icon), titleOrApp(title), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    struct Choice {
        const char* caption;
        int reply;
        QMessageBox::ButtonRole role;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case Prompt::Buttons::Ok: choices = {{"Aceptar", Prompt::Ok, QMessageBox::AcceptRole}}; break;
    case Prompt::Buttons::OkCancel:
        choices = {{"&Aceptar", Prompt::Ok, QMessageBox::AcceptRole},
                   {"&Cancelar", Prompt::Cancel, QMessageBox::RejectRole}};
        break;
    // The platform's answers carry their access keys (Alt+S, Alt+N, Alt+A, Alt+R, Alt+O).
    case Prompt::Buttons::YesNo:
        choices = {{"&Sí", Prompt::Yes, QMessageBox::YesRole},
                   {"&No", Prompt::No, QMessageBox::NoRole}};
        break;
    case Prompt::Buttons::AbortRetryIgnore:
        choices = {{"&Anular", Prompt::Abort, QMessageBox::RejectRole},
                   {"&Reintentar", Prompt::Retry, QMessageBox::AcceptRole},
                   {"&Omitir", Prompt::Ignore, QMessageBox::DestructiveRole}};
        break;
    }
    std::vector<std::pair<QAbstractButton*, int>> made;
    for (const Choice& c : choices) made.emplace_back(box.addButton(QString::fromUtf8(c.caption), c.role), c.reply);
    const bool second = defaultButton == Prompt::Default::Second && made.size() > 1;
    box.setDefaultButton(static_cast<QPushButton*>(made[second ? 1 : 0].first));
    if (buttons == Prompt::Buttons::OkCancel || buttons == Prompt::Buttons::YesNo) box.setEscapeButton(made.back().first);
    if (buttons == Prompt::Buttons::Ok) box.setEscapeButton(made.front().first);
    box.exec();
    for (const auto& [button, reply] : made) {
        if (box.clickedButton() == button) return reply;
    }
    // Closed without a button: the cancelling answer of each set.
    switch (buttons) {
    case Prompt::Buttons::Ok: return Prompt::Ok;
    case Prompt::Buttons::OkCancel: return Prompt::Cancel;
    case Prompt::Buttons::YesNo: return Prompt::No;
    case Prompt::Buttons::AbortRetryIgnore: return Prompt::Abort;
    }
    return Prompt::Cancel;
}

QString QtPrompts::input(const QString& prompt, const QString& title, const QString& proposed) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(titleOrApp(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposed);
    dialog.setOkButtonText(QStringLiteral("Aceptar"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString qtNameFilter(const QString& platformFilter) {
    const QStringList parts = platformFilter.split(u'|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        filters << (description.contains(u'(') ? description.left(description.indexOf(u'(')).trimmed() : description) +
                       QStringLiteral(" (") + patterns + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> QtPrompts::saveFile(const Prompt::SaveDialog& d) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Guardar como"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(qtNameFilter(d.filter));
    // The caller appends the default extension by its own rule.
    dialog.setDefaultSuffix(QString());
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (d.flags & 0x2) == 0);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Guardar"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    if (!d.fileName.isEmpty()) dialog.selectFile(d.fileName);
    // The list's Spanish column names are longer than the English ones its widths were made for:
    // they show whole, and the name column takes the rest.
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < header->count(); ++c)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

int QtPrompts::reportError(const RuntimeError& error, const QString& label) {
    QString text = QStringLiteral("Error %1: %2").arg(error.number()).arg(error.description());
    if (!error.source().isEmpty()) text += QStringLiteral("\nOrigen: ") + error.source();
    if (!label.isEmpty()) text += QStringLiteral("\nProcedimiento: ") + label;
    return message(text, QStringLiteral("Error"), Prompt::Buttons::AbortRetryIgnore, Prompt::Icon::Critical);
}

int QtPrompts::execDialog(QDialog& dialog) { return dialog.exec(); }
