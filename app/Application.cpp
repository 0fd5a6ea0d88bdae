#include "app/Application.h"

#include "pages/Dispatch.h"
#include "pages/Look.h"
#include "pages/Wizard.h"
#include "pages/frmStart.h"

#include <QApplication>

namespace sorvex {

static void StartUp()
{
    PrepareApplication();
    CreatePages();
    Form1->show();
}

int RunApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (Dispatch(StartUp))
        QApplication::exec();
    DestroyPages();
    return 0;
}

} // namespace sorvex
