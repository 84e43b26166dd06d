#pragma once

#include <QString>
#include <vector>

namespace ado {

// One provider error of a Connection's Errors collection: a diagnostic record of the driver.
struct ProviderError {
    QString SQLState;    // the driver's SQLSTATE ("08001")
    long Number = 0;     // the OLE DB code mapped from the SQLSTATE and message (adErr...)
    QString Description; // the driver's message
    long NativeError = 0;
    QString Source;      // the driver or provider name
};

// The Errors collection of a connection, counted from 0 as ADO counts it.
class Errors {
public:
    long Count() const { return long(items_.size()); }
    // The error at 0-based position; run-time error 3265 outside 0..Count-1.
    const ProviderError& Item(long index) const;
    void Clear() { items_.clear(); }

    void append(const ProviderError& e) { items_.push_back(e); }

private:
    std::vector<ProviderError> items_;
};

} // namespace ado
