#pragma once

#include <QString>
#include <QStringList>

// The paths of the site files saved lately, oldest first, and their file
// "sitehistory.txt" in the sites folder (one path a line, no count line).
class SiteHistory
{
public:
    static QString fileName() { return QStringLiteral("sitehistory.txt"); }

    // Drops blank lines. A file that is missing or cannot be read is made
    // anew, empty, so the next start finds one.
    void load(const QString &path);

    QStringList paths() const { return m_paths; }

private:
    QStringList m_paths;
};
