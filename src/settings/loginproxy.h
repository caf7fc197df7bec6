#pragma once

#include <QString>

// The login and proxy settings, kept packed as "|"-terminated fields both in
// the stored settings (`more`) and in a search's information record.
struct LoginProxy
{
    bool login = false;
    QString loginUser;
    QString loginPassword;
    bool proxy = false;
    QString proxyAddress;
    QString proxyPort;
    QString proxyUser;
    QString proxyPassword;

    // The eight fields, each followed by "|"; flags as "1" or "0".
    QString packedLoginProxy() const;
    // Reads the eight fields from `text` at the 1-based position `pos` (a flag
    // is off only for "0"; missing fields read as empty) and returns the
    // position after them. Nothing is escaped: a "|" inside a text splits it.
    int unpackLoginProxy(const QString &text, int pos = 1);

    bool operator==(const LoginProxy &) const = default;
};
