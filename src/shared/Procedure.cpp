#include "Procedure.h"

#include "Prompts.h"

#include <algorithm>
#include <vector>

namespace Handler {

namespace {
OnFailure fromAnswer(int answer) {
    switch (answer) {
    case Prompt::Retry: return OnFailure::Retry;
    case Prompt::Ignore: return OnFailure::Next;
    default: return OnFailure::Leave;
    }
}
} // namespace

ErrorPolicy report(const QString& label) {
    return [label](const RuntimeError& e) { return fromAnswer(prompts().reportError(e, label)); };
}

ErrorPolicy reportUnlabelled() { return report(QString()); }

ErrorPolicy abortRetryIgnore(const QString& title) {
    return [title](const RuntimeError& e) {
        return fromAnswer(prompts().message(e.description(), title, Prompt::Buttons::AbortRetryIgnore,
                                            Prompt::Icon::Critical));
    };
}

ErrorPolicy skip() {
    return [](const RuntimeError&) { return OnFailure::Next; };
}

ErrorPolicy propagate() {
    return [](const RuntimeError&) { return OnFailure::Propagate; };
}

ErrorPolicy leave() {
    return [](const RuntimeError&) { return OnFailure::Leave; };
}

ErrorPolicy passOver(std::initializer_list<long> numbers, ErrorPolicy otherwise) {
    std::vector<long> list(numbers);
    return [list, otherwise](const RuntimeError& e) {
        if (std::find(list.begin(), list.end(), e.number()) != list.end()) return OnFailure::Next;
        return otherwise(e);
    };
}

} // namespace Handler

bool Procedure::step(const std::function<void()>& body) {
    while (!left_) {
        std::optional<RuntimeError> failure;
        try {
            body();
            return true;
        } catch (const RuntimeError& e) {
            failure = e;
        } catch (const std::exception& e) {
            failure = RuntimeError(51, QString::fromLocal8Bit(e.what()), QStringLiteral("interno"));
        }
        lastError_ = failure;
        switch (policy_(*failure)) {
        case OnFailure::Retry: continue;
        case OnFailure::Next: return false;
        case OnFailure::Leave: left_ = true; return false;
        case OnFailure::Propagate: throw *failure;
        }
    }
    return false;
}
