#include "waitfor.h"

#include <QElapsedTimer>
#include <QTest>

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(5);
    return done();
}
