#include "settings/loginproxy.h"

#include "settings/textrules.h"

QString LoginProxy::packedLoginProxy() const
{
    const QChar bar = u'|';
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    return flag(login) + bar + loginUser + bar + loginPassword + bar + flag(proxy) + bar + proxyAddress +
           bar + proxyPort + bar + proxyUser + bar + proxyPassword + bar;
}

int LoginProxy::unpackLoginProxy(const QString &text, int pos)
{
    substrinfo f = readField(text, pos);
    login = f.text != u"0";
    f = readField(text, f.next);
    loginUser = f.text;
    f = readField(text, f.next);
    loginPassword = f.text;
    f = readField(text, f.next);
    proxy = f.text != u"0";
    f = readField(text, f.next);
    proxyAddress = f.text;
    f = readField(text, f.next);
    proxyPort = f.text;
    f = readField(text, f.next);
    proxyUser = f.text;
    f = readField(text, f.next);
    proxyPassword = f.text;
    return f.next;
}
