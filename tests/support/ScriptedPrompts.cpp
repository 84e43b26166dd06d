#include "ScriptedPrompts.h"

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>

namespace {
const char* kindName(ScriptedPrompts::Kind k) {
    switch (k) {
    case ScriptedPrompts::Kind::Message: return "message box";
    case ScriptedPrompts::Kind::Input: return "input box";
    case ScriptedPrompts::Kind::Save: return "save dialog";
    case ScriptedPrompts::Kind::ReportError: return "ReportError";
    case ScriptedPrompts::Kind::Dialog: return "modal window";
    }
    return "?";
}
} // namespace

ScriptedPrompts::ScriptedPrompts() { previous_ = installPrompts(this); }

ScriptedPrompts::~ScriptedPrompts() {
    installPrompts(previous_);
    EXPECT_TRUE(script_.empty()) << script_.size() << " scripted answer(s) not used; next: "
                                 << kindName(script_.front().kind);
}

ScriptedPrompts& ScriptedPrompts::message(int reply) {
    script_.push_back({Kind::Message, reply, {}, {}, {}, {}});
    return *this;
}
ScriptedPrompts& ScriptedPrompts::input(const QString& text) {
    script_.push_back({Kind::Input, 0, text, {}, {}, {}});
    return *this;
}
ScriptedPrompts& ScriptedPrompts::save(std::optional<QString> path) {
    script_.push_back({Kind::Save, 0, {}, std::move(path), {}, {}});
    return *this;
}
ScriptedPrompts& ScriptedPrompts::reportError(int answer, std::function<void()> meanwhile) {
    script_.push_back({Kind::ReportError, answer, {}, {}, {}, std::move(meanwhile)});
    return *this;
}
ScriptedPrompts& ScriptedPrompts::dialog(std::function<void(QDialog&)> operate) {
    script_.push_back({Kind::Dialog, 0, {}, {}, std::move(operate), {}});
    return *this;
}

std::vector<ScriptedPrompts::Record> ScriptedPrompts::recordsOf(Kind kind) const {
    std::vector<Record> out;
    for (const Record& r : records_) {
        if (r.kind == kind) out.push_back(r);
    }
    return out;
}

std::optional<ScriptedPrompts::Step> ScriptedPrompts::next(Kind kind, const QString& what) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": " << what.toStdString()
                      << (script_.empty() ? std::string(" (script exhausted)")
                                          : std::string(" (expected ") + kindName(script_.front().kind) + ")");
        return std::nullopt;
    }
    Step s = std::move(script_.front());
    script_.pop_front();
    return s;
}

int ScriptedPrompts::message(const QString& text, const QString& title, Prompt::Buttons buttons,
                             Prompt::Icon icon, Prompt::Default defaultButton) {
    records_.push_back({Kind::Message, text, title, buttons, icon, 0, defaultButton});
    const auto s = next(Kind::Message, text);
    if (!s) return buttons == Prompt::Buttons::AbortRetryIgnore ? Prompt::Abort
                  : buttons == Prompt::Buttons::YesNo          ? Prompt::No
                  : buttons == Prompt::Buttons::OkCancel       ? Prompt::Cancel
                                                               : Prompt::Ok;
    return s->reply;
}

QString ScriptedPrompts::input(const QString& prompt, const QString& title, const QString& proposed) {
    records_.push_back({Kind::Input, prompt, title, Prompt::Buttons::OkCancel, Prompt::Icon::None, 0});
    const auto s = next(Kind::Input, prompt + QStringLiteral(" [") + proposed + u']');
    return s ? s->text : QString();
}

std::optional<QString> ScriptedPrompts::saveFile(const Prompt::SaveDialog& dialog) {
    records_.push_back({Kind::Save, dialog.filter, dialog.defaultExt, Prompt::Buttons::OkCancel,
                        Prompt::Icon::None, dialog.flags});
    const auto s = next(Kind::Save, dialog.filter);
    return s ? s->path : std::nullopt;
}

int ScriptedPrompts::reportError(const RuntimeError& error, const QString& label) {
    records_.push_back({Kind::ReportError, error.description(), label, Prompt::Buttons::AbortRetryIgnore,
                        Prompt::Icon::Critical, error.number()});
    const auto s = next(Kind::ReportError, label + QStringLiteral(": ") + error.description());
    if (!s) return Prompt::Abort;
    if (s->meanwhile) s->meanwhile();
    return s->reply;
}

int ScriptedPrompts::execDialog(QDialog& dialog) {
    records_.push_back({Kind::Dialog, dialog.windowTitle(), dialog.objectName(), Prompt::Buttons::Ok,
                        Prompt::Icon::None, 0});
    const auto s = next(Kind::Dialog, dialog.windowTitle());
    if (!s) return QDialog::Rejected;
    dialog.setResult(0);
    dialog.show();
    QApplication::processEvents();
    if (s->operate) s->operate(dialog);
    QApplication::processEvents();
    dialog.hide();
    return dialog.result();
}
