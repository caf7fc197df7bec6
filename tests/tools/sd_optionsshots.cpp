// Grabs the Options dialog on each of its pages into PNG files, for looking
// at the layout under different fonts and scale factors:
//   sd_optionsshots OUTPUT_FOLDER [PREFIX]

#include "settings/gui/form4.h"
#include "settings/settings.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: sd_optionsshots OUTPUT_FOLDER [PREFIX]\n";
        return 2;
    }
    TestEnv env; // the dialog stores nothing here, but keep it off the user's files
    const QString folder = args.at(1);
    const QString prefix = args.value(2, QStringLiteral("options"));
    QDir().mkpath(folder);

    Settings settings;
    settings.picturesRoot = env.workingFolder() + QStringLiteral("/Pictures");
    settings.proxyAddress = QStringLiteral("proxy.example.net");
    for (int page = 0; page < 8; ++page) {
        settings.optionsPage = page;
        TForm4 dialog(settings, env.root());
        dialog.show();
        QApplication::processEvents();
        const QString file = QStringLiteral("%1/%2-page%3.png").arg(folder, prefix).arg(page);
        if (!dialog.grab().save(file))
            return 1;
        QTextStream(stdout) << file << " " << dialog.width() << "x" << dialog.height() << "\n";
    }
    return 0;
}
