// The sum-up image: the I1 frames of the ranges kept by the analysis
// window's SumUpCtrl, added box by box over the analysis area.
#include <QDebug>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/sumupctrl.h"
#include "core/wholefile.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "mainwindow/body.h"
#include "ui_body.h"

void Body::setupSumUp()
{
    connect(analyzer, &Analyzer::askSumUp, this, &Body::doSumUp);
}

void Body::doSumUp()
{
    // Without a frame the walker keeps its empty start values and the map
    // gets no cells.
    AnalyzeCond walker;
    askAnalyzeCond(walker);

    Analyzed2DRes &map = analyzer->sumUpMap;
    map.setArea(walker);

    const QVector<SumUpCtrl::Range> ranges = analyzer->sumUpCtrl()->ranges();
    const int frames = i1Frames.size();
    do {
        if (walker.rowStart) {
            if (map.useProcImg)
                qDebug() << walker.y << map.procMin << map.procMax;
            else
                qDebug() << walker.y << map.min << map.max;
        }
        double sum = 0;
        for (const SumUpCtrl::Range &r : ranges) {
            // Only the frames that exist: a range may reach far past them.
            const int from = qMax(r.from, 0);
            const int to = qMin(r.to, frames);
            for (int i = from; i < to; i++)
                sum += i1Frames[i]->boxSum(walker.x, walker.y, walker.halfW, walker.halfH);
        }
        map.setData(walker.x, walker.y, walker.halfW, walker.halfH, sum);
    } while (walker.next());

    map.colorScale = ui->CBar->scale();
    map.genImg();
    if (map.image)
        WholeFile::saveImage(*map.image, QStringLiteral("sumUpImg.png"));
    ui->dispA->update();
}
