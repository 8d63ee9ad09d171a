#ifndef ERRPOINTS_H
#define ERRPOINTS_H

#include <QMetaType>
#include <QPoint>
#include <QString>
#include <QVector>
#include <atomic>

// A list of bad detector pixels read from an error-points file:
//   "# Size <width> <height>"   detector size; drops the points read so far
//   <x> <y>                     one bad pixel per line, '#' starts a comment
// Points are in detector coordinates, in file order, duplicates kept.
class ErrPoints
{
public:
    ErrPoints();
    ErrPoints(const ErrPoints &other);
    ErrPoints &operator=(const ErrPoints &other);

    // Reads fileName; true when it could be opened. Without append the list
    // starts empty and is not in use afterwards until its holder sets valid.
    bool load(const QString &fileName, bool append);
    // Exact match of some entry; does not look at valid.
    bool contains(int x, int y) const;

    // The list is in use (set by its holder). Loader threads read it while the
    // GUI thread may switch it.
    std::atomic<bool> valid;
    QString filePath;         // canonical path of the file last loaded
    QVector<QPoint> points;   // bad pixels, detector coordinates
    int width;                // detector size from "# Size"
    int height;
};

Q_DECLARE_METATYPE(ErrPoints *)

// The program-wide list; every new TiffData points to it.
extern ErrPoints globalErrPoints;

#endif
