#pragma once

#include "RuntimeError.h"

#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>

// What a procedure's error handler decides about a failed step.
enum class OnFailure {
    Retry,     // run the failing step again (Resume)
    Next,      // go on with the next step (Resume Next)
    Leave,     // leave the procedure with the state reached
    Propagate, // let the error travel to the caller
};

using ErrorPolicy = std::function<OnFailure(const RuntimeError&)>;

// The handler styles of the suite's procedures, as policies for Procedure.
namespace Handler {
// The shared error prompt with the procedure's label: 4 retries, 5 goes on, any other leaves.
ErrorPolicy report(const QString& label);
// The shared error prompt without a label (the save routines of the contacts window).
ErrorPolicy reportUnlabelled();
// A message box of the procedure's own: the description with Abort, Retry and Ignore, the
// critical-stop icon and the title given. Retry retries, Ignore goes on, Abort leaves.
ErrorPolicy abortRetryIgnore(const QString& title);
// Every failing step is skipped silently (On Error Resume Next).
ErrorPolicy skip();
// The error travels to the caller.
ErrorPolicy propagate();
// The procedure is left silently at the failing step.
ErrorPolicy leave();
// The listed error numbers go on with the next step; any other is decided by `otherwise`.
ErrorPolicy passOver(std::initializer_list<long> numbers, ErrorPolicy otherwise);
} // namespace Handler

// Runs a procedure as a sequence of steps under one error policy. A failed step is retried,
// skipped or ends the procedure as the policy says; once left, further steps do nothing, so a
// procedure reads as its list of statements:
//
//     Procedure p(Handler::report("AbrirRecordset"));
//     p.step([&] { CierraRecordset(rs); });
//     p.step([&] { sql = SS_TSinonimos(sql); });
//     if (p.left()) return;
//
// Exceptions other than RuntimeError are turned into one (number 51, internal error).
class Procedure {
public:
    explicit Procedure(ErrorPolicy policy) : policy_(std::move(policy)) {}

    // Runs one step unless the procedure was left. Returns true when the step ran to its end.
    bool step(const std::function<void()>& body);

    // A step that yields a value (a test, a read); `otherwise` is the value when the step fails
    // and the procedure goes on or is left.
    template <class T> T value(const std::function<T()>& body, T otherwise) {
        T result = std::move(otherwise);
        step([&] { result = body(); });
        return result;
    }

    bool left() const { return left_; }
    // The last error that the policy saw, if any.
    const std::optional<RuntimeError>& lastError() const { return lastError_; }

private:
    ErrorPolicy policy_;
    bool left_ = false;
    std::optional<RuntimeError> lastError_;
};
