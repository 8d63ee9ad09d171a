#include "imagedata/errpoints.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "core/stringutil.h"

ErrPoints globalErrPoints;

ErrPoints::ErrPoints() : valid(false), width(0), height(0) {}

ErrPoints::ErrPoints(const ErrPoints &other)
    : valid(other.valid.load()), filePath(other.filePath), points(other.points),
      width(other.width), height(other.height)
{
}

ErrPoints &ErrPoints::operator=(const ErrPoints &other)
{
    valid = other.valid.load();
    filePath = other.filePath;
    points = other.points;
    width = other.width;
    height = other.height;
    return *this;
}

static QString withoutLineEnd(const QByteArray &raw)
{
    QString line = QString::fromLocal8Bit(raw);
    int end = line.size();
    while (end > 0 && line[end - 1].isSpace())
        end--;
    line.truncate(end);
    return line;
}

bool ErrPoints::load(const QString &fileName, bool append)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can't Open" << fileName;
        filePath.clear();
        points.clear();
        valid = false;
        return false;
    }
    valid = true;
    filePath = QFileInfo(fileName).canonicalFilePath();
    if (!append) {
        points.clear();
        valid = false;
    }

    while (!f.atEnd()) {
        const QString line = withoutLineEnd(f.readLine());
        QStringList sizeItems;
        if (matchKeyItems(line, sizeItems, 2, "# Size")) {
            width = sizeItems[0].toInt();
            height = sizeItems[1].toInt();
            points.clear();
            valid = false;
            continue;
        }
        QString rest = stripComment(line).simplified();
        QString x, y;
        rest = splitItem(rest, x);
        rest = splitItem(rest, y);
        if (x.isEmpty() || y.isEmpty())
            continue;
        points.append(QPoint(x.toInt(), y.toInt()));
    }
    f.close();
    return true;
}

bool ErrPoints::contains(int x, int y) const
{
    for (const QPoint &p : points) {
        if (p.x() == x && p.y() == y)
            return true;
    }
    return false;
}

