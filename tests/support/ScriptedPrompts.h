#pragma once

#include "shared/Prompts.h"
#include "shared/RuntimeError.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// The scripted operator: answers the program's prompts in the order they were scripted, records
// every prompt, and fails the running test on a prompt that was not expected. Installs itself for
// its lifetime.
class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { Message, Input, Save, ReportError, Dialog };

    struct Record {
        Kind kind;
        QString text;  // message text, input prompt, error description
        QString title; // title, or the ReportError label
        Prompt::Buttons buttons = Prompt::Buttons::Ok;
        Prompt::Icon icon = Prompt::Icon::None;
        long number = 0; // error number for ReportError
        Prompt::Default defaultButton = Prompt::Default::First;
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // The next message box is answered with `reply`.
    ScriptedPrompts& message(int reply);
    // The next input box is answered with `text`.
    ScriptedPrompts& input(const QString& text);
    // The next save dialog chooses `path`, or is cancelled with nothing.
    ScriptedPrompts& save(std::optional<QString> path);
    // The next ReportError is answered with 3, 4 or 5; `meanwhile` runs first, while the prompt
    // is up (another operator finishing, say).
    ScriptedPrompts& reportError(int answer, std::function<void()> meanwhile = {});
    // The next modal window is shown (not blocking) and handed to `operate`, which works its real
    // widgets; its result is the dialog's result when it was hidden, else operate's return.
    ScriptedPrompts& dialog(std::function<void(QDialog&)> operate);

    const std::vector<Record>& records() const { return records_; }
    // The records of one kind.
    std::vector<Record> recordsOf(Kind kind) const;
    // True when every scripted answer was used.
    bool exhausted() const { return script_.empty(); }

    int message(const QString& text, const QString& title, Prompt::Buttons buttons,
                Prompt::Icon icon, Prompt::Default defaultButton = Prompt::Default::First) override;
    QString input(const QString& prompt, const QString& title, const QString& proposed) override;
    std::optional<QString> saveFile(const Prompt::SaveDialog& dialog) override;
    int reportError(const RuntimeError& error, const QString& label) override;
    int execDialog(QDialog& dialog) override;

private:
    struct Step {
        Kind kind;
        int reply = 0;
        QString text;
        std::optional<QString> path;
        std::function<void(QDialog&)> operate;
        std::function<void()> meanwhile;
    };
    std::optional<Step> next(Kind kind, const QString& what);

    std::deque<Step> script_;
    std::vector<Record> records_;
    Prompts* previous_ = nullptr;
};
