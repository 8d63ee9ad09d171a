#include "imagedata/tiffdatabudget.h"

#include <QDebug>

TiffDataBudget::TiffDataBudget(qint64 limit, qint64 held) : limit(limit), used(qMax<qint64>(held, 0))
{
}

int TiffDataBudget::nextTurn()
{
    std::lock_guard<std::mutex> lock(mutex);
    return issued++;
}

void TiffDataBudget::waitForTurn(std::unique_lock<std::mutex> &lock, int turn)
{
    turned.wait(lock, [this, turn] { return current >= turn; });
}

bool TiffDataBudget::reserve(int turn, qint64 bytes, const QString &fileName)
{
    std::unique_lock<std::mutex> lock(mutex);
    waitForTurn(lock, turn);
    const bool fits = bytes >= 0 && bytes <= limit - used;
    if (fits)
        used += bytes;
    else
        qDebug() << "Image refused: with the frames loaded it needs"
                 << qint64((double(used) + double(bytes)) / 1048576) << "MB of the" << limit / 1048576
                 << "MB the stacks may take" << fileName;
    if (current == turn)
        current++;
    lock.unlock();
    turned.notify_all();
    return fits;
}

void TiffDataBudget::pass(int turn)
{
    std::unique_lock<std::mutex> lock(mutex);
    waitForTurn(lock, turn);
    if (current == turn)
        current++;
    lock.unlock();
    turned.notify_all();
}
