#include "pages/Look.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace sorvex;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrepareApplication();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
