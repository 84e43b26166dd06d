#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace ado {

// An ADO connection string taken apart: "key=value" entries separated by ";". Keys are
// case-blind and trimmed ("Database =" is "Database"); values are trimmed and may be written in
// braces or quotes to hold ";" ("Pwd={a;b}", "Pwd='a;b'"). Entries without "=" are ignored.
class AdoConnectionString {
public:
    explicit AdoConnectionString(const QString& text);

    // The value of the first of `keys` that is present; `fallback` when none is.
    QString value(const QStringList& keys, const QString& fallback = {}) const;
    bool has(const QStringList& keys) const;
    // Sets (or adds) a key's value.
    void set(const QString& key, const QString& value);

    const std::vector<std::pair<QString, QString>>& entries() const { return entries_; }

private:
    std::vector<std::pair<QString, QString>> entries_;
};

} // namespace ado
