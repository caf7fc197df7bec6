#pragma once

#include <QString>
#include <memory>

class QSettings;

// Our stand-in for the registry key the settings live under: an INI file
// (~/.config/Brelmark/Snapdredge.ini, relocated by XDG_CONFIG_HOME), every
// value a string, readable by its owner only. One object is one open of the
// key: reads and writes go to the file when the object is destroyed or synced.
class SettingsStore
{
public:
    // group "Snapdredge" for the settings, "Newsreaper" for run_path, "desktop"
    // for the wallpaper values.
    explicit SettingsStore(const QString &group = QStringLiteral("Snapdredge"));
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Empty when the value is missing; callers treat empty as missing.
    QString value(const QString &name) const;
    void setValue(const QString &name, const QString &text);
    void remove(const QString &name);
    bool sync();

    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_dirty = false;
};
