#include "mainwindow/runfailures.h"

#include <QByteArray>
#include <algorithm>
#include <iterator>

void RunFailures::start(int boxes)
{
    reasons.clear();
    emptiedMaps.clear();
    refusal.clear();
    total = boxes;
    count = 0;
    std::fill(std::begin(partCounts), std::end(partCounts), 0);
}

void RunFailures::add(const NoResult &why)
{
    count++;
    for (int bit = 0; bit < Parts; bit++) {
        if (why.parts == 0 || (why.parts & (1u << bit)))
            partCounts[bit]++;
    }
    for (Reason &r : reasons) {
        if (qstrcmp(r.text, why.reason) == 0 && qstrcmp(r.context, why.context) == 0) {
            r.count++;
            return;
        }
    }
    reasons.append({why.context, why.reason, 1});
}

bool RunFailures::failedEverywhere(int bit) const
{
    return total > 0 && bit >= 0 && bit < Parts && partCounts[bit] >= total;
}

void RunFailures::refuse(const QString &why)
{
    refusal = why;
}

QString RunFailures::summary() const
{
    if (!refusal.isEmpty())
        return refusal;
    if (count == 0 || reasons.isEmpty())
        return QString();
    const Reason *most = &reasons.first();
    for (const Reason &r : reasons) {
        if (r.count > most->count)
            most = &r;
    }
    return tr("%1 of %2 boxes had no fit: %3")
        .arg(QString::number(count), QString::number(total),
             QCoreApplication::translate(most->context, most->text));
}

void RunFailures::empty(Analyzed2DRes *map, const AnalyzeCond &area)
{
    if (!map)
        return;
    map->setArea(area);
    if (!emptied(map))
        emptiedMaps.append(map);
}

bool RunFailures::emptied(const Analyzed2DRes *map) const
{
    return map && std::any_of(emptiedMaps.cbegin(), emptiedMaps.cend(),
                              [map](const QPointer<const Analyzed2DRes> &p) { return p == map; });
}
