#ifndef CROSSSVIEW_H
#define CROSSSVIEW_H

#include "core/spectrum.h"
#include "display/chcoord.h"
#include "display/dispa.h"

// One intensity profile through the image: along a row (values upwards) or,
// when vertical, along a column (position upwards, values to the right),
// with a marker line at the pointer's position along the profile.
class CrossSView : public DispA
{
    Q_OBJECT

public:
    explicit CrossSView(QWidget *parent = nullptr);

    ChCoord profileCoord;
    Spectrum profile;   // x = position along the row or column, y = value
    int vertical;       // 0: horizontal plot, else vertical
    int markerPos;      // marker position in the profile's x units

public slots:
    void draw(QPainter *p);
};

#endif
