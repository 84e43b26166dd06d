#pragma once

#include "Prompts.h"

// The operator's prompts as Qt message boxes and dialogs, with Spanish captions on every button.
class QtPrompts final : public Prompts {
public:
    int message(const QString& text, const QString& title, Prompt::Buttons buttons,
                Prompt::Icon icon, Prompt::Default defaultButton = Prompt::Default::First) override;
    QString input(const QString& prompt, const QString& title, const QString& proposed) override;
    std::optional<QString> saveFile(const Prompt::SaveDialog& dialog) override;
    int reportError(const RuntimeError& error, const QString& label) override;
    int execDialog(QDialog& dialog) override;
};

// Turns the platform's dialog filter ("Páginas Web (*.htm)|*.htm|") into a Qt name filter.
QString qtNameFilter(const QString& platformFilter);
