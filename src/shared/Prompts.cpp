#include "Prompts.h"

#include "RuntimeError.h"

namespace {

// Without an operator nothing can be answered: fail loudly rather than pick an answer.
class NoPrompts final : public Prompts {
public:
    int message(const QString& text, const QString&, Prompt::Buttons, Prompt::Icon,
                Prompt::Default) override {
        fail(text);
    }
    QString input(const QString& prompt, const QString&, const QString&) override { fail(prompt); }
    std::optional<QString> saveFile(const Prompt::SaveDialog&) override { fail(QStringLiteral("Guardar")); }
    int reportError(const RuntimeError& error, const QString&) override { fail(error.description()); }
    int execDialog(QDialog&) override { fail(QStringLiteral("ventana")); }

private:
    [[noreturn]] static void fail(const QString& what) {
        throw RuntimeError(ErrorNumber::InvalidCall,
                           QStringLiteral("No hay operador para responder: %1").arg(what),
                           QStringLiteral("Prompts"));
    }
};

NoPrompts noPrompts;
Prompts* current = nullptr;

} // namespace

Prompts& prompts() { return current ? *current : noPrompts; }

Prompts* installPrompts(Prompts* p) {
    Prompts* previous = current;
    current = p;
    return previous;
}
