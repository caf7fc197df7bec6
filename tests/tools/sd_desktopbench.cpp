// Times one search run by the desktop program's main window (offscreen or on
// a display), from the start command to the end of the run, for comparing
// with `snapdredge get` on the same site.
// Usage: sd_desktopbench URL THREADS [DEPTH]   (XDG_DATA_HOME / XDG_CONFIG_HOME name the home)
// The search stays within the site, as `get --within-site` does.
#include "app/form1.h"
#include "cli/cli.h"
#include "app/statuspanelbar.h"
#include "crawl/crawlengine.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installImageMessageFilter();
    QApplication::setApplicationName(QStringLiteral("Snapdredge"));
    QApplication::setOrganizationName(QStringLiteral("Brelmark"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: sd_desktopbench URL THREADS\n");
        return 2;
    }
    TForm1 form;
    QString error;
    if (!form.formCreate(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    form.createToolWindows();
    form.resize(1200, 800);
    form.show();
    form.settings().thread_num = QString::fromLocal8Bit(argv[2]).toInt();
    form.settings().size1 = 100000;
    form.settings().save_mode = 0;
    form.settings().urllink = false;
    if (argc > 3)
        form.settings().max_level = QString::fromLocal8Bit(argv[3]).toInt();
    form.addressBox()->setEditText(QString::fromLocal8Bit(argv[1]));
    // SD_BENCH_NO_STATUS: the status bar does not repaint, to see what its painting costs.
    if (qEnvironmentVariableIsSet("SD_BENCH_NO_STATUS"))
        form.statusPanels()->setUpdatesEnabled(false);
    QEventLoop loop;
    QObject::connect(&form, &TForm1::runEnded, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    form.getAnyPicture();
    if (form.engine()->isRunning())
        loop.exec();
    const RunCounters &c = form.engine()->counters();
    std::printf("desktop %.2f s, saved %d, failed %d\n", timer.nsecsElapsed() / 1e9, c.picturesSaved,
                c.picturesFailed);
    form.setExitWithoutAsking(true);
    return 0;
}
