#pragma once

#include <sql.h>
#include <sqlext.h>

namespace ado {

// Owns one ODBC handle (environment, connection or statement) and frees it when it goes. A
// connection handle is disconnected first when it is still connected. Freeing never fails loudly:
// the driver may already have lost the server, and a destructor has nobody to tell.
class OdbcHandle {
public:
    OdbcHandle() = default;
    OdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    ~OdbcHandle() { reset(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    OdbcHandle(OdbcHandle&& other) noexcept;
    OdbcHandle& operator=(OdbcHandle&& other) noexcept;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
    // Marks a connection handle as connected, so that reset() disconnects it first.
    void setConnected(bool connected) { connected_ = connected; }
    bool connected() const { return connected_; }
    // Frees the handle now (disconnecting a connected connection handle).
    void reset();
    // Forgets the handle without freeing it (its connection already freed it).
    void release() {
        handle_ = nullptr;
        connected_ = false;
    }

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = nullptr;
    bool connected_ = false;
};

} // namespace ado
