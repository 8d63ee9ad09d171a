#include <QApplication>
#include <gtest/gtest.h>

#include "app/startup.h"

#if defined(__SANITIZE_ADDRESS__)
// Qt's platform plugins keep allocations until exit; leaks are not what these runs look for.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }
#endif

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
