#include "app/desktop.h"

#include <QApplication>
#include <QMainWindow>

int runDesktop(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Snapdredge"));
    QApplication::setOrganizationName(QStringLiteral("Brelmark"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Snapdredge-default.sit"));
    window.show();
    return app.exec();
}
