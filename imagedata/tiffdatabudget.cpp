#include "imagedata/tiffdatabudget.h"

#include <QDebug>

TiffDataBudget::TiffDataBudget(qint64 limit, qint64 held, qint64 perPixel)
    : limit(limit), perPixel(qMax<qint64>(perPixel, 0)), used(qMax<qint64>(held, 0))
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

bool TiffDataBudget::reserve(int turn, qint64 bytes, const QString &fileName, qint64 pixels)
{
    std::unique_lock<std::mutex> lock(mutex);
    waitForTurn(lock, turn);
    largest = qMax(largest, pixels);
    const double kept = double(perPixel) * double(largest);
    const qint64 room = kept < double(limit) ? limit - qint64(kept) : 0;
    const bool fits = bytes >= 0 && bytes <= room - used;
    if (fits) {
        used += bytes;
    } else {
        refused++;
        qDebug() << "Image refused: with the frames loaded it needs"
                 << qint64((double(used) + double(bytes)) / 1048576) << "MB of the"
                 << room / 1048576 << "MB the stacks may take" << fileName;
    }
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

int TiffDataBudget::refusals() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return refused;
}

int TiffDataBudget::turns() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return issued;
}
