#include "cli/clirun.h"

#include "cli/clicontext.h"
#include "cli/clihost.h"
#include "cli/commands.h"
#include "crawl/crawlengine.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(interruptPipe[1], &byte, 1);
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

void printSummary(const CrawlEngine &engine)
{
    const RunCounters &c = engine.counters();
    printErr(QStringLiteral("Saved %1, failed %2, folder %3, search \"%4\"")
                 .arg(c.picturesSaved)
                 .arg(c.picturesFailed)
                 .arg(engine.pictureFolder(), engine.searchName()));
}

int runSearchToEnd(CrawlEngine &engine, CliHost &host, const std::function<bool()> &start)
{
    if (interruptPipe[0] < 0) {
        if (::pipe(interruptPipe) != 0)
            return ExitFailure;
        ::fcntl(interruptPipe[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(interruptPipe[1], F_SETFD, FD_CLOEXEC);
    }
    QEventLoop loop;
    bool stoppedByUser = false;
    bool ended = false;
    QSocketNotifier notifier(interruptPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&]() {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(interruptPipe[0], &byte, 1);
        if (engine.isRunning()) {
            stoppedByUser = true;
            engine.stop();
        }
    });
    QObject::connect(&engine, &CrawlEngine::finished, &loop, [&]() {
        ended = true;
        loop.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);

    const bool started = start();
    if (!started) {
        std::signal(SIGINT, SIG_DFL);
        // A refusal has said why; a failure (a database that cannot be made) too, and is no usage error.
        return engine.lastRunError().isEmpty() ? ExitUsage : ExitFailure;
    }
    if (!ended && engine.isRunning())
        loop.exec();
    std::signal(SIGINT, SIG_DFL);
    host.endProgress();
    printSummary(engine);
    if (!engine.lastRunError().isEmpty())
        printErr(engine.lastRunError());
    if (stoppedByUser)
        return ExitStopped;
    return engine.lastRunError().isEmpty() ? ExitDone : ExitFailure;
}
