#ifndef BATCHARGS_H
#define BATCHARGS_H

#include <QString>

class CmdLine;

// Argument conversions shared by the batch command handlers.

// The i-th argument, or an empty string when there is none.
QString argOrEmpty(const CmdLine &cmd, int i);
// Base-10 integer; malformed or missing gives 0.
int batchInt(const QString &arg);
// Real number; malformed or missing gives 0.0.
double batchReal(const QString &arg);
// True only when the integer value is 1.
bool batchFlag(const QString &arg);
// Integer written back to a line edit (007 -> "7", a word -> "0").
QString batchIntText(const QString &arg);
// Real written back to a line edit: 'g' format, 6 significant digits.
QString batchRealText(double v);

#endif
