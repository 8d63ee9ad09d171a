#include "imagedata/errpointssnapshot.h"

#include "imagedata/errpoints.h"

ErrPointsSnapshot::ErrPointsSnapshot() : copy(new ErrPoints), from(&globalErrPoints) {}

ErrPointsSnapshot::ErrPointsSnapshot(ErrPoints *holder)
    : from(holder != nullptr ? holder : &globalErrPoints)
{
    copy = QSharedPointer<const ErrPoints>(new ErrPoints(*from));
}
