#ifndef ERRPOINTSSNAPSHOT_H
#define ERRPOINTSSNAPSHOT_H

#include <QMetaType>
#include <QSharedPointer>

class ErrPoints;

// A bad-pixel list as it was when a load was asked for, copied in the thread
// that owns the list, together with the list it was copied from. A loader
// thread reads only the copy, which nobody changes; the holder is only handed
// on to the frames, whose owner reads it in the holder's thread.
class ErrPointsSnapshot
{
public:
    // An empty list that is not in use; its holder is the program-wide list,
    // every frame's default.
    ErrPointsSnapshot();
    // Copies *holder now; null copies the program-wide list.
    ErrPointsSnapshot(ErrPoints *holder);

    const ErrPoints *list() const { return copy.data(); }
    ErrPoints *holder() const { return from; }   // never null

private:
    QSharedPointer<const ErrPoints> copy;
    ErrPoints *from;
};

Q_DECLARE_METATYPE(ErrPointsSnapshot)

#endif
