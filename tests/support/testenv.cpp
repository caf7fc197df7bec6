#include "testenv.h"

#include <QDir>
#include <QStandardPaths>

TestEnv::TestEnv()
{
    m_oldData = qgetenv("XDG_DATA_HOME");
    m_oldConfig = qgetenv("XDG_CONFIG_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
}

TestEnv::~TestEnv()
{
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

QString TestEnv::dataHome() const
{
    return m_dir.path() + QStringLiteral("/data");
}

QString TestEnv::configHome() const
{
    return m_dir.path() + QStringLiteral("/config");
}

QString TestEnv::workingFolder() const
{
    return dataHome() + QStringLiteral("/Brelmark/Snapdredge");
}

QString TestEnv::searchFolder() const
{
    return workingFolder() + QStringLiteral("/mysearch/");
}

QString TestEnv::settingsFile() const
{
    return configHome() + QStringLiteral("/Brelmark/Snapdredge.ini");
}

QProcessEnvironment TestEnv::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    return env;
}

TestEnv::Result TestEnv::run(const QStringList &args, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(SNAPDREDGE_BINARY), args);
    Result r;
    if (!process.waitForStarted())
        return r;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}
