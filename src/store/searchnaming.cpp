#include "store/searchnaming.h"

#include "settings/textrules.h"

QString cutToBytes(const QString &text, int bytes)
{
    if (text.toUtf8().size() <= bytes)
        return text;
    QString out = text;
    while (!out.isEmpty() && out.toUtf8().size() > bytes) {
        out.chop(1);
        // Never leave half of a surrogate pair behind.
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
    }
    return out;
}

QString uniqueSearchName(QString name, const QStringList &taken)
{
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("NoneTitle");
    name = cutToBytes(fileNameSafe(name), SearchNameByteLimit).trimmed();
    while (taken.contains(name)) {
        QString base = name;
        int n = 2;
        const qsizetype open = name.lastIndexOf(u'(');
        if (name.endsWith(u')') && open >= 0) {
            bool ok = false;
            const int counted = name.mid(open + 1, name.size() - open - 2).toInt(&ok);
            if (ok && counted > 0) {
                base = name.left(open);
                n = counted + 1;
            }
        }
        const QString suffix = u'(' + QString::number(n) + u')';
        name = cutToBytes(base, SearchNameByteLimit - int(suffix.size())) + suffix;
    }
    return name;
}
