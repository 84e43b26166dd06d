#pragma once

#include <QString>
#include <exception>

// A run-time error as the suite's code raises and handles it: the platform's error number (5, 13,
// 384, 3265 ...) or a provider's OLE DB code (0x80040E37 ...), a description and the source that
// raised it. Every failure that a handler may retry, skip or report travels as this one class.
class RuntimeError : public std::exception {
public:
    RuntimeError(long number, QString description, QString source = {});

    long number() const { return number_; }
    const QString& description() const { return description_; }
    const QString& source() const { return source_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    long number_;
    QString description_;
    QString source_;
    QByteArray what_;
};

// The platform's error numbers that the program raises or tests for.
namespace ErrorNumber {
constexpr long InvalidCall = 5;       // invalid procedure call or argument
constexpr long Overflow = 6;
constexpr long SubscriptOutOfRange = 9;
constexpr long TypeMismatch = 13;
constexpr long FileNotFound = 53;
constexpr long BadFileMode = 54;
constexpr long PathFileAccess = 75;
constexpr long ObjectRequired = 424;
constexpr long InvalidUseOfNull = 94;
constexpr long ObjectAlreadyLoaded = 360;
constexpr long CannotResizeWindow = 384;
constexpr long ItemNotFound = 3265;   // item not found in the collection (ADO Fields)
constexpr long OperationNotAllowed = 3704; // operation not allowed when the object is closed
} // namespace ErrorNumber

// Raises a run-time error with the platform's description of the number.
[[noreturn]] void raiseError(long number, const QString& source = {});
// Raises a run-time error with a description of its own.
[[noreturn]] void raiseError(long number, const QString& description, const QString& source);

// The platform's Spanish description of a run-time error number ("" when unknown).
QString errorDescription(long number);
