#include "OdbcHandle.h"

#include <utility>

namespace ado {

OdbcHandle::OdbcHandle(OdbcHandle&& other) noexcept
    : type_(other.type_), handle_(std::exchange(other.handle_, SQLHANDLE(nullptr))),
      connected_(std::exchange(other.connected_, false)) {}

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, SQLHANDLE(nullptr));
        connected_ = std::exchange(other.connected_, false);
    }
    return *this;
}

void OdbcHandle::reset() {
    if (handle_ == SQL_NULL_HANDLE) return;
    // Results are ignored on purpose: there is no one to report a failed release to, and the
    // handle is gone for us either way.
    if (type_ == SQL_HANDLE_DBC && connected_) (void)SQLDisconnect(handle_);
    (void)SQLFreeHandle(type_, handle_);
    handle_ = nullptr;
    connected_ = false;
}

} // namespace ado
