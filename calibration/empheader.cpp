#include "calibration/empheader.h"

EMPHeader::EMPHeader()
    : valid(false), xOffset(0), yOffset(0), width(0), height(0), binHalfWidth(0),
      binHalfHeight(0), areaX0(0), areaX1(0), areaY0(0), areaY1(0), stdEdgeEnergy(0),
      spacing(0)
{
}

QRectF EMPHeader::areaRect() const
{
    return QRectF(areaX0, areaY0, double(areaX1) - areaX0, double(areaY1) - areaY0);
}
