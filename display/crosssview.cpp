#include "display/crosssview.h"

#include <QPainter>
#include <QPolygon>

CrossSView::CrossSView(QWidget *parent) : DispA(parent), vertical(0), markerPos(0)
{
    zoomEnabled = false;
    panEnabled = false;
    connect(this, &DispA::drawImage1, this, &CrossSView::draw);
}

void CrossSView::draw(QPainter *p)
{
    if (p == nullptr)
        return;
    profileCoord.setScreenRange(0, height(), width(), 0);
    if (profile.isEmpty())
        return;
    const double s = profile.useOffset ? profile.offset : 0.0;
    // An empty range (all values equal) maps to the middle of the plot.
    QPolygon line;
    line.reserve(profile.points.size());
    if (vertical == 0) {
        profileCoord.setRealRange(profile.xMin - s, profile.yMin, profile.xMax - s, profile.yMax);
        for (const QPointF &pt : profile.points)
            line << QPoint(ChCoord::toInt(profileCoord.realToScreenX(pt.x() - s)),
                           ChCoord::toInt(profileCoord.realToScreenY(pt.y())));
    } else {
        profileCoord.setRealRange(profile.yMin, profile.xMin - s, profile.yMax, profile.xMax - s);
        for (const QPointF &pt : profile.points)
            line << QPoint(ChCoord::toInt(profileCoord.realToScreenX(pt.y())),
                           ChCoord::toInt(profileCoord.realToScreenY(pt.x() - s)));
    }
    p->setPen(QPen());
    p->drawPolyline(line);

    p->setPen(QColor(192, 192, 0));
    if (vertical == 0) {
        const int x = ChCoord::toInt(profileCoord.realToScreenX(markerPos));
        p->drawLine(x, 0, x, height());
    } else {
        const int y = ChCoord::toInt(profileCoord.realToScreenY(markerPos));
        p->drawLine(0, y, width(), y);
    }
}
