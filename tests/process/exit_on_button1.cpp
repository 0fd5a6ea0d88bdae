// Built with the program's own main: runs its real start-up and message loop, clicks
// "Выход" on the welcome page once the loop is running, and passes when the
// program then ends by itself with exit code 0.
#include "pages/frmStart.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace sorvex;

static void ClickExitWhenRunning()
{
    QTimer::singleShot(0, [] {
        if (!Form1 || !Form1->isVisible() || Form1->pos() != QPoint(192, 107)) {
            std::fputs("the welcome page is not shown at its place\n", stderr);
            std::exit(3);
        }
        Form1->Button1->click();
    });
    // Should the loop not end, fail instead of hanging.
    QTimer::singleShot(10000, [] {
        std::fputs("the program did not end after \"Выход\"\n", stderr);
        std::exit(2);
    });
}
Q_COREAPP_STARTUP_FUNCTION(ClickExitWhenRunning)
