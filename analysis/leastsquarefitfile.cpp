#include "core/leastsquare.h"

#include <QDebug>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "core/boundedlinereader.h"

namespace {

// An item that is not a finite number counts as 0.
double itemValue(const QString &item)
{
    bool ok = false;
    const double v = item.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

} // namespace

// A line is fitted as soon as it is added; a and b follow the last fit whose
// residual is below 5 % of the root mean square of y.
void LeastSquare::fitFile(const QString &fileName, int xColumn, int yColumn, int lastHeaderLine)
{
    if (xColumn < 0 || yColumn < 0) {
        qDebug() << "LeastSquare:: negative column" << xColumn << yColumn;
        return;
    }
    if (n < 2) {
        qDebug() << "LeastSquare:: needs two coefficients, has" << n;
        return;
    }
    BoundedLineReader f(fileName);
    if (!f.open(QStringLiteral("LeastSquare::fitFile"))) {
        qDebug() << "LeastSquare:: Can't open" << fileName << ":" << f.errorString();
        return;
    }
    const QRegularExpression blanks(QStringLiteral("\\s+"));
    const int needed = std::max(xColumn, yColumn);
    double a = 0.0, b = 0.0;
    QString text;
    for (qint64 line = 0; f.readLine(text); line++) {
        const QStringList items = text.split(blanks, Qt::KeepEmptyParts);
        if (needed >= items.size() || line <= lastHeaderLine)
            continue;
        add(itemValue(items[xColumn]), itemValue(items[yColumn]));
        if (solve())
            residual();
        const double yRms = std::sqrt(sumY2 / count);
        if (yRms > 0.0 && rms / yRms < 0.05) {
            a = coefficients[0];
            b = coefficients[1];
        }
    }
    if (f.failed()) {
        qDebug() << "LeastSquare:: not fitted:" << fileName << "could not be read to its end";
        return;
    }
    qDebug() << "# a, b " << a << b;
}
