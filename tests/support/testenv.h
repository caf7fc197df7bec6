#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private home for one test: XDG_DATA_HOME and XDG_CONFIG_HOME point into a
// temporary folder, so the working folders, settings and searches of the test
// never touch the user's own.
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString dataHome() const;
    QString configHome() const;
    QString workingFolder() const;
    QString searchFolder() const; // ends with "/"
    QString settingsFile() const;

    // Runs the built `snapdredge` with this environment.
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Result run(const QStringList &args, int timeoutMs = 120000) const;
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData;
    QByteArray m_oldConfig;
};
