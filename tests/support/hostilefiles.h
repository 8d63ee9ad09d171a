#ifndef HOSTILEFILES_H
#define HOSTILEFILES_H

#include <QStringList>

class TestFiles;

// Paths that no text reader may read to the end or block on: a directory, a
// FIFO with no writer, /dev/zero and a regular file whose first line is
// longer than any reader takes (made in files' folder).
QStringList hostileTextFiles(const TestFiles &files);

#endif
