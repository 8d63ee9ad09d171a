#include "imagedata/errpoints.h"

#include <QDebug>
#include <QFileInfo>
#include <QStringList>

#include "core/boundedlinereader.h"
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

static QString withoutLineEnd(const QString &raw)
{
    int end = raw.size();
    while (end > 0 && raw[end - 1].isSpace())
        end--;
    return raw.left(end);
}

bool ErrPoints::load(const QString &fileName, bool append)
{
    BoundedLineReader f(fileName);
    if (!f.open(QStringLiteral("ErrPoints::load"))) {
        qDebug() << "Can't Open" << fileName << ":" << f.errorString();
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

    QString raw;
    while (f.readLine(raw)) {
        const QString line = withoutLineEnd(raw);
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
    if (f.failed()) {
        filePath.clear();
        points.clear();
        valid = false;
        return false;
    }
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

