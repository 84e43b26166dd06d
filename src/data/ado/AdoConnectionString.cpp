#include "AdoConnectionString.h"

namespace ado {

AdoConnectionString::AdoConnectionString(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // Key: up to "=" or ";".
        const qsizetype keyStart = i;
        while (i < n && text[i] != u'=' && text[i] != u';')
            ++i;
        const QString key = text.mid(keyStart, i - keyStart).trimmed();
        if (i >= n || text[i] == u';') {
            ++i; // an entry without "=": ignored
            continue;
        }
        ++i; // "="
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        const QChar open = i < n ? text[i] : QChar();
        if (open == u'{' || open == u'"' || open == u'\'') {
            // Quoted value: a doubled closing character stands for itself.
            const QChar close = open == u'{' ? QChar(u'}') : open;
            ++i;
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            while (i < n && text[i] != u';')
                ++i; // anything after the closing quote is dropped
        } else {
            const qsizetype valueStart = i;
            while (i < n && text[i] != u';')
                ++i;
            value = text.mid(valueStart, i - valueStart).trimmed();
        }
        ++i; // ";"
        if (!key.isEmpty()) entries_.emplace_back(key, value);
    }
}

QString AdoConnectionString::value(const QStringList& keys, const QString& fallback) const {
    for (const QString& k : keys) {
        for (const auto& [key, value] : entries_) {
            if (key.compare(k, Qt::CaseInsensitive) == 0) return value;
        }
    }
    return fallback;
}

bool AdoConnectionString::has(const QStringList& keys) const {
    for (const QString& k : keys) {
        for (const auto& entry : entries_) {
            if (entry.first.compare(k, Qt::CaseInsensitive) == 0) return true;
        }
    }
    return false;
}

void AdoConnectionString::set(const QString& key, const QString& value) {
    for (auto& entry : entries_) {
        if (entry.first.compare(key, Qt::CaseInsensitive) == 0) {
            entry.second = value;
            return;
        }
    }
    entries_.emplace_back(key, value);
}

} // namespace ado
