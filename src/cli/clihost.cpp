#include "cli/clihost.h"

#include "cli/clicontext.h"

#include <cstdio>
#include <unistd.h>

CliHost::CliHost() : m_terminal(isatty(fileno(stderr)) != 0) {}

void CliHost::setStatus(int, const QString &) {}

void CliHost::showCounters(const QString &text)
{
    m_counters = text;
    if (m_terminal && m_runActive)
        printProgress(false);
}

void CliHost::showSpeed(const QString &text)
{
    m_speed = text;
}

void CliHost::showTimes(const QString &text)
{
    // Called once a second while a search runs: the pace of the plain progress lines.
    m_times = text;
    if (m_runActive)
        printProgress(!m_terminal);
}

void CliHost::setSlotGauge(int, GaugeColor, bool, const QString &) {}

void CliHost::setSlotProgress(int, GaugeColor, int) {}

void CliHost::setCaption(const QString &) {}

void CliHost::setAddressText(const QString &) {}

void CliHost::setCommandGroup(CommandGroup group, bool on)
{
    // Stop is on exactly while a run is under way: only then is there progress to show.
    if (group == CommandGroup::Stop)
        m_runActive = on;
}

void CliHost::pictureSaved(const PictureRow &, int) {}

void CliHost::printProgress(bool force)
{
    QString line = QStringLiteral("pages:pictures->saved:failed %1").arg(m_counters);
    if (!m_speed.isEmpty())
        line += QStringLiteral("  %1").arg(m_speed);
    if (!m_times.isEmpty())
        line += QStringLiteral("  elapsed|remaining %1").arg(m_times);
    if (!force && line == m_lastPrinted)
        return;
    m_lastPrinted = line;
    if (m_terminal) {
        const QByteArray bytes = "\r" + line.toUtf8() + "\033[K";
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
        m_lineOpen = true;
    } else {
        printErr(line);
    }
}

void CliHost::endProgress()
{
    if (m_lineOpen) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        m_lineOpen = false;
    }
}

bool CliHost::askYesNo(const QString &text)
{
    // Without anyone to ask, the search keeps to what it was given.
    endProgress();
    printErr(text + QStringLiteral(" no"));
    return false;
}

void CliHost::showWarning(const QString &text)
{
    endProgress();
    m_hadMessage = true;
    printErr(text);
}

void CliHost::showError(const QString &text)
{
    endProgress();
    m_hadMessage = true;
    printErr(text);
}

void CliHost::runFinished(bool)
{
    printProgress(true);
    endProgress();
}
