#pragma once

#include "app/form1.h"

#include <QTest>
#include <memory>

// The main window set up as the program does at start, shown and exposed.
inline bool openMainWindow(std::unique_ptr<TForm1> &form)
{
    form = std::make_unique<TForm1>();
    QString error;
    if (!form->formCreate(&error))
        return false;
    form->createToolWindows();
    form->resize(1000, 700);
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowExposed(form.get());
}
