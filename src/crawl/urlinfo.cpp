#include "crawl/urlinfo.h"

#include "settings/textrules.h"

QString urlinfo::toText() const
{
    if (address.trimmed().isEmpty())
        return {};
    QString text;
    text.reserve(address.size() + referrer.size() + linkAddress.size() + 32);
    text += address;
    text += u'|';
    text += QString::number(addressClass);
    text += u'|';
    text += QString::number(width);
    text += u'|';
    text += QString::number(height);
    text += u'|';
    text += QString::number(reserved);
    text += u'|';
    if (hasLinkTarget) {
        text += u"**";
        text += linkAddress;
        text += u'|';
        text += QString::number(linkClass);
        text += u'|';
        text += QString::number(linkWidth);
        text += u'|';
        text += QString::number(linkHeight);
        text += u'|';
        text += QString::number(linkReserved);
        text += u'|';
    }
    text += u"*#";
    text += referrer;
    text += u'|';
    return text;
}

urlinfo urlinfo::fromText(const QString &text)
{
    urlinfo info;
    substrinfo field = readField(text, 1);
    info.address = field.text;
    field = readField(text, field.next);
    info.addressClass = readInteger(field.text);
    field = readField(text, field.next);
    info.width = readInteger(field.text);
    field = readField(text, field.next);
    info.height = readInteger(field.text);
    field = readField(text, field.next);
    info.reserved = readInteger(field.text);

    const qsizetype link = text.indexOf(u"**");
    info.hasLinkTarget = link >= 0;
    if (info.hasLinkTarget) {
        field = readField(text, int(link) + 3);
        info.linkAddress = field.text;
        field = readField(text, field.next);
        info.linkClass = readInteger(field.text);
        field = readField(text, field.next);
        info.linkWidth = readInteger(field.text);
        field = readField(text, field.next);
        info.linkHeight = readInteger(field.text);
        field = readField(text, field.next);
        info.linkReserved = readInteger(field.text);
    }
    const qsizetype ref = text.indexOf(u"*#");
    if (ref >= 0)
        info.referrer = readField(text, int(ref) + 3).text;
    return info;
}
