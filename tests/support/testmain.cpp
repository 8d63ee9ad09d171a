#include <QApplication>
#include <gtest/gtest.h>

#include "app/startup.h"

// Test programs run headless with the globals set up as at start-up.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                       : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    initApplication();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
