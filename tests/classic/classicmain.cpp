#include <QApplication>
#include <gtest/gtest.h>

#include "app/startup.h"
#include "variant/variant.h"

// The classic program's tests run headless, set up as its main sets it up.
int main(int argc, char **argv)
{
    Variant::setClassic(true);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                       : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    initApplication();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
