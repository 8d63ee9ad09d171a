#include <QCheckBox>
#include <QFrame>
#include <QLayout>
#include <QLineEdit>
#include <QMetaMethod>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include "analysis/analyzeproc.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "display/xafsfileselect.h"
#include "support/testfiles.h"

// Sends the classic program's edge request to the worker.
class ClassicDriver : public QObject
{
    Q_OBJECT
signals:
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref);
};

namespace {

const QString Fe2O3 = "spectra/fe2o3_rt1.dat";

void registerTypes()
{
    qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
    qRegisterMetaType<SuggestElm>("SuggestElm");
    qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReference*>");
    qRegisterMetaType<QVector<ElemCtrl *>>("QVector<ElemCtrl*>");
    qRegisterMetaType<XafsSpectrum *>("XafsSpectrum*");
    qRegisterMetaType<QVector<double> *>("QVector<double>*");
    qRegisterMetaType<AElemsConds *>("AElemsConds*");
    qRegisterMetaType<AElemsConds *>("const AElemsConds*");
    qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
    qRegisterMetaType<FitAnswer>("FitAnswer");
}

Spectrum points(const QString &file)
{
    XafsSpectrum s;
    EXPECT_TRUE(s.load(sourceDataPath(file)));
    return s;
}

// The spectrum of file with every energy raised by dE.
XafsSpectrum moved(const QString &file, double dE, int mode)
{
    const Spectrum p = points(file);
    Spectrum sp;
    for (int i = 0; i < p.count(); i++)
        sp.addPoint(p.points[i].x() + dE, p.points[i].y());
    return XafsSpectrum(sp, "moved", mode);
}

} // namespace

class ClassicEdgeSearch : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { registerTypes(); }

    void SetUp() override
    {
        worker = new AnalyzeProc;
        worker->moveToThread(&thread);
        QObject::connect(&driver, &ClassicDriver::analyzeSpectrumDEdge0, worker,
                         &AnalyzeProc::analyzeSpectrumDEdge0);
        QObject::connect(worker, &AnalyzeProc::newDEdge, &driver,
                         [this](double d) { dEdges << d; });
        QObject::connect(worker, &AnalyzeProc::finished, &driver, [this] { ++finished; });
        thread.start();
    }

    void TearDown() override
    {
        thread.quit();
        thread.wait();
        delete worker;
    }

    bool waitFinished(int n)
    {
        return QTest::qWaitFor([&] { return finished >= n; }, 10000);
    }

    ClassicDriver driver;
    QThread thread;
    AnalyzeProc *worker = nullptr;
    QVector<double> dEdges;
    int finished = 0;
};

// The slot sits between the fits and the element analysis, where the main
// program's seven-argument slot sits.
TEST_F(ClassicEdgeSearch, SlotHasFourArgumentsInTheMainProgramsPlace)
{
    const QMetaObject *m = worker->metaObject();
    const int edge = m->indexOfSlot("analyzeSpectrumDEdge0(XafsSpectrum,SuggestElm,bool,XafsSpectrum)");
    ASSERT_GE(edge, 0);
    EXPECT_LT(m->indexOfMethod("analyzeSpectrumDEdge0(XafsSpectrum,SuggestElm,bool,XafsSpectrum,"
                               "double,double,double)"),
              0);
    EXPECT_EQ(m->method(edge - 1).name(), "analyzeSpectrumByMLCF");
    EXPECT_EQ(m->method(edge + 1).name(), "analyzeSpectrumElems0");
    EXPECT_EQ(m->method(edge).parameterNames(),
              QList<QByteArray>({"s", "sElm", "isMidPoint", "ref"}));
}

TEST_F(ClassicEdgeSearch, FixedSearchFindsAKnownOffset)
{
    const XafsSpectrum ref(points(Fe2O3), "ref", 1);
    XafsSpectrum s = moved(Fe2O3, 15.0, 1);
    s.shift = 0.5;
    emit driver.analyzeSpectrumDEdge0(s, SuggestElm(), false, ref);
    // The edge midpoint made to agree with the comparison's: the search then
    // starts 15 eV off and reaches the offset only with its 20 eV half-width.
    XafsSpectrum hidden = moved(Fe2O3, 15.0, 1);
    hidden.midx = ref.midx;
    emit driver.analyzeSpectrumDEdge0(hidden, SuggestElm(), false, ref);
    ASSERT_TRUE(waitFinished(2));
    ASSERT_EQ(dEdges.size(), 2);
    EXPECT_NEAR(dEdges[0], 15.0 - 0.5, 0.051);
    EXPECT_NEAR(dEdges[1], 15.0, 1e-9);
    EXPECT_DOUBLE_EQ(worker->dEdge, dEdges[1]);
}

TEST_F(ClassicEdgeSearch, MidPointIgnoresTheComparison)
{
    XafsSpectrum s(points(Fe2O3), "s", 1, 1.5);
    SuggestElm sElm;
    sElm.edgeEV = 7112.0;
    emit driver.analyzeSpectrumDEdge0(s, sElm, true, XafsSpectrum());
    ASSERT_TRUE(waitFinished(1));
    ASSERT_EQ(dEdges.size(), 1);
    EXPECT_DOUBLE_EQ(dEdges[0], s.midx - 1.5 - 7112.0);
}

class ClassicAnalyzer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { registerTypes(); }
};

TEST_F(ClassicAnalyzer, FormLacksTheSearchAndStepFields)
{
    Analyzer a;
    for (const char *name : {"frame_23", "gridLayout_27", "label_28", "label_21", "label_29",
                             "DEdgeCWStepWeV", "label_22", "DEdgeCWStepDEeV", "label_23", "frame_24",
                             "gridLayout_28", "label_24", "DEdgeCWFullRangeEV", "label_25",
                             "DEdgeCWInitDEeV", "label_26", "DEdgeCWMinDEeV", "label_27"})
        EXPECT_EQ(a.findChild<QObject *>(name), nullptr) << name;
    for (const char *name : {"DEdgeCWFile", "DEdgeCWFileSelect", "DEdgeCWStep", "DEdgeCWStepAt",
                             "label_20", "DEdgeMidPoint", "DEdgeCompWith", "DispDEdge",
                             "SelDEdgeAnal"})
        EXPECT_NE(a.findChild<QWidget *>(name), nullptr) << name;
    auto *box = a.findChild<QFrame *>("DEdgeCWSelectBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), a.findChild<QFrame *>("frame_20"));
    EXPECT_EQ(a.findChild<QLineEdit *>("DEdgeCWStepAt")->parentWidget(), box);
}

TEST_F(ClassicAnalyzer, ComparisonBoxFollowsTheChoice)
{
    Analyzer a;
    auto *box = a.findChild<QFrame *>("DEdgeCWSelectBox");
    auto *midPoint = a.findChild<QRadioButton *>("DEdgeMidPoint");
    auto *compWith = a.findChild<QRadioButton *>("DEdgeCompWith");
    ASSERT_TRUE(box && midPoint && compWith);
    EXPECT_TRUE(midPoint->isChecked());
    EXPECT_FALSE(box->isEnabled());
    compWith->setChecked(true);
    EXPECT_TRUE(box->isEnabled());
    midPoint->setChecked(true);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(compWith->isChecked());
}

// The comparison is the file's spectrum whatever "Step at" says.
TEST_F(ClassicAnalyzer, EdgeSearchComparesWithTheFileOnly)
{
    Analyzer a;
    a.findChild<QCheckBox *>("SelMLCFAnal")->setChecked(false);
    a.findChild<QCheckBox *>("SelDEdgeAnal")->setChecked(true);
    a.findChild<QRadioButton *>("DEdgeCompWith")->setChecked(true);
    a.findChild<XafsFileSelect *>("DEdgeCWFileSelect")->load(sourceDataPath(Fe2O3));
    ASSERT_GT(a.dEdgeComp.count(), 0);
    QSignalSpy finished(&a, &Analyzer::finished);

    XafsSpectrum s = moved(Fe2O3, 15.0, a.dEdgeComp.mode);
    a.analyzeSpectrum(s, SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10000));
    const double fromFile = a.lastDEdge();
    EXPECT_NEAR(fromFile, 15.0, 0.051);

    a.findChild<QRadioButton *>("DEdgeCWStep")->setChecked(true);
    a.findChild<QLineEdit *>("DEdgeCWStepAt")->setText("7000");
    a.analyzeSpectrum(s, SuggestElm());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 10000));
    EXPECT_DOUBLE_EQ(a.lastDEdge(), fromFile);
    EXPECT_EQ(a.dEdgeComp.count(), points(Fe2O3).count());
}

#include "analyzer_test.moc"
