#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The addresses searches were started from, oldest first, and their file
// "urlhistory.dat" in the sites folder: a count line, then one address a
// line, every line ended by CR LF. The desktop's address box and the command
// line share the file, so both add to one history.
class AddressHistory : public QObject
{
    Q_OBJECT
public:
    static QString fileName() { return QStringLiteral("urlhistory.dat"); }

    explicit AddressHistory(QObject *parent = nullptr);

    // Reads `path` and makes it the file every remember writes. A missing
    // file, or a count line that is 0 or not a number, leaves the list as it is.
    void load(const QString &path, int limit);
    // Makes `text` the newest address. A stored address equal to it but for
    // letter case counts as it: the stored text moves to the end. Writes the file.
    void remember(const QString &text, int limit);

    QStringList addresses() const { return m_addresses; }
    QString path() const { return m_path; }

Q_SIGNALS:
    void changed();

private:
    bool save() const;

    QStringList m_addresses;
    QString m_path;
};
