#include "settings/textrules.h"

int readInteger(QStringView text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

substrinfo readField(const QString &text, int pos)
{
    substrinfo result;
    const qsizetype length = text.size();
    if (pos < 1)
        pos = 1;
    if (pos > length) {
        result.next = int(length) + 2;
        return result;
    }
    const qsizetype bar = text.indexOf(u'|', pos - 1);
    if (bar < 0) {
        result.text = text.mid(pos - 1);
        result.next = int(length) + 2;
    } else {
        result.text = text.mid(pos - 1, bar - (pos - 1));
        result.next = int(bar) + 2;
    }
    return result;
}

QByteArray byteComplement(QByteArray bytes)
{
    for (char &c : bytes)
        c = char(~static_cast<unsigned char>(c));
    return bytes;
}

QString complementForStorage(const QString &plain)
{
    return QString::fromLatin1(byteComplement(plain.toUtf8()));
}

QString plainFromStorage(const QString &stored)
{
    return QString::fromUtf8(byteComplement(stored.toLatin1()));
}

QString fileNameSafe(const QString &text)
{
    QString out = text;
    for (QChar &ch : out) {
        const char16_t c = ch.unicode();
        const bool bad = c < 32 || c == 127 || (c >= 129 && c <= 144) || (c >= 147 && c <= 159) ||
                         c == u'"' || c == u'*' || c == u'/' || c == u':' || c == u'<' || c == u'>' ||
                         c == u'?' || c == u'\\' || c == u'|';
        if (bad)
            ch = u'-';
    }
    return out;
}
