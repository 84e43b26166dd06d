#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class RuntimeError;

// Everything the program asks the operator goes through one Prompts object: message boxes, the
// input box, the save dialog, the error prompt and the modal windows. The program installs the Qt
// implementation; tests install a scripted one that answers in order and records every prompt.
namespace Prompt {

enum class Buttons { Ok, OkCancel, YesNo, AbortRetryIgnore };
enum class Icon { None, Critical, Question, Exclamation, Information };
// The button that Enter presses: the first of the set, or the second (so that a stray Enter
// answers "Cancelar" or "No" to a question whose first answer cannot be undone).
enum class Default { First, Second };

// The platform's answer values, so that handlers read as the suite's code does.
enum Reply { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct SaveDialog {
    QString filter;       // the platform's form: "Páginas Web (*.htm)|*.htm|"
    QString defaultExt;   // ".htm"
    QString fileName;     // proposed name
    long flags = 0;       // 0x2 overwrite prompt, 0x4 hide read-only, 0x2000 create prompt
};

} // namespace Prompt

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box; returns the button pressed as a Prompt::Reply.
    virtual int message(const QString& text, const QString& title, Prompt::Buttons buttons,
                        Prompt::Icon icon,
                        Prompt::Default defaultButton = Prompt::Default::First) = 0;
    // The input box; the text typed, or an empty text when cancelled (the platform cannot tell).
    virtual QString input(const QString& prompt, const QString& title, const QString& proposed) = 0;
    // The save dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<QString> saveFile(const Prompt::SaveDialog& dialog) = 0;
    // The shared error prompt: shows the error and the procedure label; answers 3, 4 or 5.
    virtual int reportError(const RuntimeError& error, const QString& label) = 0;
    // Shows a modal window and returns when it has been hidden (QDialog::exec's result).
    virtual int execDialog(QDialog& dialog) = 0;
};

// The run's prompts. Until one is installed, every prompt raises an error instead of blocking.
Prompts& prompts();
// Installs the run's prompts (not owned); returns the previous one (nullptr for none).
Prompts* installPrompts(Prompts* p);
