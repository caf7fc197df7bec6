#include "platform/settingsstore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

SettingsStore::SettingsStore(const QString &group)
    // The path is looked up on every open so that XDG_CONFIG_HOME is honoured as it is now.
    : m_settings(std::make_unique<QSettings>(
          QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
              QStringLiteral("/Brelmark/Snapdredge.ini"),
          QSettings::IniFormat))
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
