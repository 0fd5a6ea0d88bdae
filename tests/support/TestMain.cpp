#include "pages/Look.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace sorvex;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Runs end here behind no active window: the desktop's session bus hears
    // none of them. A test that listens hands the progress page a bus of its own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sorvex-tests-bus");
    QApplication application(argc, argv);
    PrepareApplication();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
