#include "app/desktop.h"

#include "app/appicons.h"
#include "app/form1.h"
#include "store/currentsearch.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

int runDesktop(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Snapdredge"));
    QApplication::setOrganizationName(QStringLiteral("Brelmark"));
    QApplication::setWindowIcon(AppIcons::programIcon());

    TForm1 form;
    QString error;
    if (!form.formCreate(&error)) {
        // Without its working folders the program could keep no search.
        QMessageBox::critical(nullptr, CurrentSearch::productLabel(), error);
        return 1;
    }
    form.createToolWindows();
    QObject::connect(&form, &TForm1::exited, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Maximized where a window manager does that; filling the screen where none does.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    return app.exec();
}
