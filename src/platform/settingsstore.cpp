#include "platform/settingsstore.h"

#include <QFile>
#include <QSettings>

SettingsStore::SettingsStore(const QString &group)
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brelmark"),
                                             QStringLiteral("Snapdredge")))
{
    m_settings->beginGroup(group);
}

SettingsStore::~SettingsStore()
{
    sync();
}

QString SettingsStore::value(const QString &name) const
{
    return m_settings->value(name).toString();
}

void SettingsStore::setValue(const QString &name, const QString &text)
{
    m_settings->setValue(name, text);
    m_dirty = true;
}

void SettingsStore::remove(const QString &name)
{
    m_settings->remove(name);
    m_dirty = true;
}

bool SettingsStore::sync()
{
    if (!m_dirty)
        return m_settings->status() == QSettings::NoError;
    m_settings->sync();
    m_dirty = false;
    // The file holds the login and proxy passwords.
    QFile::setPermissions(m_settings->fileName(), QFile::ReadOwner | QFile::WriteOwner);
    return m_settings->status() == QSettings::NoError;
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}
