#include "Util.h"

#include "Prompts.h"
#include "RuntimeError.h"

#include <QRegularExpression>
#include <cmath>

int Util::ReportError(const RuntimeError& error, const Variant&, const QString& label) {
    return prompts().reportError(error, label);
}

QString Util::StripChars(const QString& text, const QString& c1, const QString& c2,
                         const QString& c3) const {
    QString result = text;
    for (const QString* c : {&c1, &c2, &c3}) {
        if (!c->isEmpty()) result.remove(*c);
    }
    return result;
}

QString Util::ReplaceText(const QString& text, const QString& find, const QString& replacement) const {
    if (find.isEmpty()) return text;
    QString result = text;
    return result.replace(find, replacement, Qt::CaseSensitive);
}

QString Util::SubstituteText(const QString& text, const QString& oldText, const QString& newText) const {
    if (oldText.isEmpty()) return text;
    QString result = text;
    return result.replace(oldText, newText, Qt::CaseInsensitive);
}

Currency Util::ToCurrency(const QString& text) const {
    const QString t = text.trimmed();
    int i = 0;
    const int n = int(t.size());
    bool negative = false;
    if (i < n && (t[i] == u'-' || t[i] == u'+')) negative = t[i++] == u'-';
    // The leading run of digits and separators.
    const int start = i;
    while (i < n && ((t[i].isDigit() && t[i].unicode() < 128) || t[i] == u',' || t[i] == u'.')) ++i;
    QString run = t.mid(start, i - start);
    if (!run.contains(QRegularExpression(QStringLiteral("[0-9]")))) return Currency{};
    const qsizetype lastComma = run.lastIndexOf(u',');
    const qsizetype lastPoint = run.lastIndexOf(u'.');
    qsizetype decimal = -1;
    if (lastComma >= 0 && lastPoint >= 0) {
        decimal = std::max(lastComma, lastPoint);
    } else {
        const QChar sep = lastComma >= 0 ? u',' : u'.';
        const qsizetype last = std::max(lastComma, lastPoint);
        // One separator is the decimal one; several of the same kind group thousands.
        if (last >= 0 && run.count(sep) == 1) decimal = last;
    }
    QString digits;
    for (qsizetype k = 0; k < run.size(); ++k) {
        if (k == decimal) digits += u'.';
        else if (run[k].isDigit()) digits += run[k];
    }
    const double value = QStringView(digits).toDouble();
    return Currency::fromDouble(negative ? -value : value);
}

long Util::ToLong(const QString& text) const {
    const double v = std::nearbyint(ToCurrency(text).toDouble());
    if (std::fabs(v) > 2147483647.0) raiseError(ErrorNumber::Overflow, QStringLiteral("ToLong"));
    return long(v);
}

Variant Util::NullToEmpty(const Variant& value) const {
    return value.isNull() ? Variant(QString()) : value;
}

long Util::CountWords(const QString& text) const {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return long(text.split(blanks, Qt::SkipEmptyParts).size());
}

QString Util::FitToWidth(const QString& text, int width) const {
    QString result = text;
    for (QChar& c : result) {
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    }
    while (result.endsWith(u' ')) result.chop(1);
    if (width >= 0 && result.size() > width) {
        result.truncate(width);
        while (result.endsWith(u' ')) result.chop(1);
    }
    return result;
}

void Util::PrepareForm(QObject*, bool) const {}

namespace {
const QByteArray encodeKey = QByteArrayLiteral("Kx2-contactos");
}

QString Util::EncodeText(const QString& text) const {
    QByteArray bytes = text.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(bytes[i] ^ encodeKey[i % encodeKey.size()]);
    return QStringLiteral("~") +
           QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString Util::DecodeText(const QString& text) const {
    if (!text.startsWith(u'~')) return text;
    const auto decoded = QByteArray::fromBase64Encoding(text.mid(1).toLatin1(),
                                                        QByteArray::Base64UrlEncoding |
                                                            QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return text;
    QByteArray bytes = *decoded;
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(bytes[i] ^ encodeKey[i % encodeKey.size()]);
    return QString::fromUtf8(bytes);
}

QString Util::AddPathSeparator(const QString& folder) const {
    QString result = folder;
    while (result.endsWith(u'/') && result.size() > 1) result.chop(1);
    return result.endsWith(u'/') ? result : result + u'/';
}
