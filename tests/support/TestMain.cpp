#include "pages/Look.h"
#include "tests/support/TempTree.h"

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
    // Where Qt's settings would go, before anything of Qt looks: a test sees what lands there.
    const TempTree config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    QApplication application(argc, argv);
    PrepareApplication();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
