#include <QMetaType>
#include <QVector>
#include <gtest/gtest.h>

#include "analysis/analysisrequest.h"
#include "analysis/analyzeproc.h"
#include "analysis/elemsanswer.h"
#include "analysis/fitanswer.h"
#include "batch/cmdline.h"
#include "calibration/empheader.h"
#include "core/cmdid.h"
#include "core/colorscale.h"
#include "core/xafsspectrum.h"
#include "imagedata/analyzecond.h"
#include "imagedata/errpoints.h"
#include "imagedata/errpointssnapshot.h"
#include "imagedata/tiffdata.h"

namespace {

// The test main runs the program's set-up: every type that crosses threads is
// known under every name a queued connection may use.
TEST(MetaTypes, EveryThreadCrossingTypeUnderEveryName)
{
    const struct
    {
        const char *name;
        int id;
    } expected[] = {
        {"CmdLine", qMetaTypeId<CmdLine>()},
        {"EX_CMD_ID", qMetaTypeId<EX_CMD_ID>()},
        {"XafsSpectrum", qMetaTypeId<XafsSpectrum>()},
        {"SuggestElm", qMetaTypeId<SuggestElm>()},
        {"ColorScale", qMetaTypeId<ColorScale>()},
        {"TiffData*", qMetaTypeId<TiffData *>()},
        {"ErrPoints*", qMetaTypeId<ErrPoints *>()},
        {"ErrPoints", qMetaTypeId<ErrPoints *>()},
        {"ErrPointsSnapshot", qMetaTypeId<ErrPointsSnapshot>()},
        {"AnalyzeCond", qMetaTypeId<AnalyzeCond>()},
        {"XafsSpectrum*", qMetaTypeId<XafsSpectrum *>()},
        {"QVector<double>*", qMetaTypeId<QVector<double> *>()},
        {"QVector<LCFReference*>", qMetaTypeId<QVector<LCFReference *>>()},
        {"QVector<LCFReferencd*>", qMetaTypeId<QVector<LCFReference *>>()},
        {"QVector<ElemCtrl*>", qMetaTypeId<QVector<ElemCtrl *>>()},
        {"const AElemsConds*", qMetaTypeId<const AElemsConds *>()},
        {"AnalysisRequest", qMetaTypeId<AnalysisRequest>()},
        {"FitAnswer", qMetaTypeId<FitAnswer>()},
        {"EMPHeader", qMetaTypeId<EMPHeader>()},
        {"ElemsAnswer", qMetaTypeId<ElemsAnswer>()},
    };
    for (const auto &e : expected)
        EXPECT_EQ(QMetaType::type(e.name), e.id) << e.name;
}

} // namespace
