#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "analysis/ui/lcfreference.h"
#include "display/_filedialog.h"
#include "display/xafsfileselect.h"
#include "imagedata/analyzed2dres.h"
#include "support/testfiles.h"

namespace {

QString fe2o3()
{
    return sourceDataPath("spectra/fe2o3_rt1.dat");
}

// The reference file normalised on its own, in its own energies.
XafsSpectrum plainReference(int mode)
{
    XafsSpectrum s;
    EXPECT_TRUE(s.load(fe2o3()));
    s.normalizeIfNotEmpty(mode);
    return s;
}

// The value a fit takes from a reference at sample energy e: the derived
// spectrum read at e plus the reference's own offset.
double fitValue(const LcfRefData &d, double e)
{
    const XafsSpectrum &s = d.spectrum;
    return s.doubleNormalizedPreBaseAt(e + (s.useOffset ? s.offset : 0.0));
}

// Energies across the Fe K edge, where the normalised curve is steep.
const double probeEnergies[] = {7100.0, 7112.0, 7118.0, 7125.0, 7131.0, 7160.0};

void expectShiftedOnce(const LCFReference &row, const XafsSpectrum &base, double dE,
                       const char *step)
{
    const LcfRefData d = row.snapshot();
    EXPECT_DOUBLE_EQ(d.spectrum.offset, dE) << step;
    EXPECT_DOUBLE_EQ(d.spectrum.shift, dE) << step;
    for (double e : probeEnergies)
        EXPECT_NEAR(fitValue(d, e), base.doubleNormalizedPreBaseAt(e + dE), 1e-12)
            << step << " at " << e;
    EXPECT_DOUBLE_EQ(d.spectrum.midx, base.midx) << step;
}

void editDeltaE(LCFReference &row, const QString &text)
{
    row.deltaEEdit()->setText(text);
    emit row.deltaEEdit()->editingFinished();
}

} // namespace

TEST(LCFReferenceRow, FreshRowIsEmptyAndOwnsTwoEmptyMaps)
{
    LCFReference row;
    EXPECT_EQ(row.deltaEEdit()->text(), "0");
    for (QLineEdit *e : {row.dMutEdit(), row.midEEdit(), row.fractionEdit(), row.amountEdit()})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_FALSE(row.isVictreenBox()->isChecked());
    EXPECT_TRUE(row.useOffset);
    EXPECT_DOUBLE_EQ(row.offset, 0.0);
    EXPECT_DOUBLE_EQ(row.fraction, 0.0);

    ASSERT_EQ(row.maps.size(), 2);
    EXPECT_EQ(row.maps[0]->name, "LCF Ref 1");
    EXPECT_EQ(row.maps[1]->name, "LCF Ref 2");
    for (Analyzed2DRes *m : row.maps)
        EXPECT_EQ(m->data, nullptr);

    // The chooser's use box is shown (checked), yet without a file the row is not in use.
    QCheckBox *use = row.fileSelect()->findChild<QCheckBox *>("Use");
    ASSERT_NE(use, nullptr);
    EXPECT_TRUE(use->isVisibleTo(&row));
    EXPECT_FALSE(row.inUse());
    EXPECT_FALSE(row.snapshot().inUse);

    // The row is its spectrum, also through the meta-object.
    XafsSpectrum *base = &row;
    EXPECT_EQ(row.qt_metacast("XafsSpectrum"), static_cast<void *>(base));
}

TEST(LCFReferenceRow, LoadsAndNormalisesTheChosenFile)
{
    LCFReference row;
    QSignalSpy loaded(&row, &LCFReference::newFileSelected);
    // The chooser's dialog reports a file: the row reads and normalises it.
    emit row.fileSelect()->fileDialog()->fileSelected(fe2o3());
    EXPECT_EQ(loaded.count(), 1);

    const XafsSpectrum base = plainReference(1);
    ASSERT_GT(row.count(), 100);
    EXPECT_EQ(row.count(), base.count());
    EXPECT_GT(row.dMut, 0.0);
    EXPECT_DOUBLE_EQ(row.dMut, base.dMut);
    EXPECT_DOUBLE_EQ(row.midx, base.midx);
    EXPECT_GT(row.midx, 7100.0);
    EXPECT_LT(row.midx, 7140.0);
    EXPECT_EQ(row.dMutEdit()->text(), QString::number(base.dMut, 'g', 6));
    EXPECT_EQ(row.midEEdit()->text(), QString::number(base.midx, 'g', 6));

    const LcfRefData d = row.snapshot();
    EXPECT_TRUE(row.inUse());
    EXPECT_TRUE(d.inUse);
    EXPECT_EQ(d.spectrum.points, base.points);
    ASSERT_EQ(d.spectrum.doubleNormalizedPreBase.count(), base.count());
    for (double e : probeEnergies)
        EXPECT_DOUBLE_EQ(fitValue(d, e), base.doubleNormalizedPreBaseAt(e));
}

TEST(LCFReferenceRow, FractionAndAmountFormats)
{
    LCFReference row;
    const struct
    {
        double f;
        const char *shown;
    } fractions[] = {{0.123456, "12.35"}, {0.05, " 5.00"}, {-0.1, "-10.00"}, {1.5, "150.00"}};
    for (const auto &c : fractions) {
        row.setFraction(c.f);
        EXPECT_EQ(row.fractionEdit()->text(), c.shown) << c.f;
        EXPECT_DOUBLE_EQ(row.fraction, c.f);
        EXPECT_DOUBLE_EQ(row.snapshot().fraction, c.f);
    }

    row.setAmount(0.000012345);
    EXPECT_EQ(row.amountEdit()->text(), "1.2345e-05");
    row.setAmount(0.123456789);
    EXPECT_EQ(row.amountEdit()->text(), "0.123457");
    // The amount is only shown.
    EXPECT_DOUBLE_EQ(row.fraction, 1.5);
}

TEST(LCFReferenceRow, EditedDeltaESetsBothShifts)
{
    LCFReference row;
    QSignalSpy edited(&row, &LCFReference::newDeltaE);
    editDeltaE(row, "2.5");
    EXPECT_EQ(edited.count(), 1);
    EXPECT_DOUBLE_EQ(row.offset, 2.5);
    EXPECT_DOUBLE_EQ(row.shift, 2.5);

    for (const char *bad : {"abc", "", "nan"}) {
        DebugCapture log;
        editDeltaE(row, bad);
        EXPECT_DOUBLE_EQ(row.offset, 0.0) << bad;
        EXPECT_DOUBLE_EQ(row.shift, 0.0) << bad;
        EXPECT_EQ(row.deltaEEdit()->text(), bad);
        EXPECT_TRUE(log.contains("LCFReference: DeltaE")) << bad;
    }
    EXPECT_EQ(edited.count(), 4);
}

TEST(LCFReferenceRow, DeltaEIsAppliedOnceHoweverOftenTheRowIsNormalised)
{
    const XafsSpectrum linear = plainReference(1);
    LCFReference row;

    // Shift first, then the file: the normalisation must not take the shift in.
    editDeltaE(row, "3");
    row.fileSelect()->load(fe2o3());
    expectShiftedOnce(row, linear, 3.0, "load after DeltaE");

    row.isVictreenBox()->setChecked(true);
    row.isVictreenBox()->setChecked(false);
    expectShiftedOnce(row, linear, 3.0, "IsVictreen toggled twice");

    row.fileSelect()->load(fe2o3());
    row.fileSelect()->load(fe2o3());
    expectShiftedOnce(row, linear, 3.0, "reloaded twice");

    // The window's batch form, repeated: each sets the shift, none adds to it.
    row.setStd(true, 3.0, fe2o3(), "0");
    row.setStd(true, 3.0, fe2o3(), "0");
    expectShiftedOnce(row, linear, 3.0, "setStd twice");
    row.setStd(true, -4.0, fe2o3(), "0");
    expectShiftedOnce(row, linear, -4.0, "setStd with a new shift");

    // Shift set after the load gives the same reference.
    LCFReference later;
    later.fileSelect()->load(fe2o3());
    editDeltaE(later, "-4");
    expectShiftedOnce(later, linear, -4.0, "DeltaE after load");

    // With the Victoreen background the same holds.
    row.isVictreenBox()->setChecked(true);
    row.fileSelect()->load(fe2o3());
    expectShiftedOnce(row, plainReference(0), -4.0, "Victoreen reload");
}

TEST(LCFReferenceRow, IsVictreenRenormalisesButKeepsShownValues)
{
    LCFReference row;
    row.fileSelect()->load(fe2o3());
    const QString dMutText = row.dMutEdit()->text();
    const QString midEText = row.midEEdit()->text();
    QSignalSpy loaded(&row, &LCFReference::newFileSelected);
    QSignalSpy edited(&row, &LCFReference::newDeltaE);

    const XafsSpectrum vic = plainReference(0);
    const XafsSpectrum linear = plainReference(1);
    ASSERT_NE(vic.doubleNormalizedPreBaseAt(7160.0), linear.doubleNormalizedPreBaseAt(7160.0));

    row.isVictreenBox()->setChecked(true);
    for (double e : probeEnergies)
        EXPECT_DOUBLE_EQ(fitValue(row.snapshot(), e), vic.doubleNormalizedPreBaseAt(e)) << e;
    EXPECT_EQ(row.dMutEdit()->text(), dMutText);
    EXPECT_EQ(row.midEEdit()->text(), midEText);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_EQ(edited.count(), 0);

    row.isVictreenBox()->setChecked(false);
    for (double e : probeEnergies)
        EXPECT_DOUBLE_EQ(fitValue(row.snapshot(), e), linear.doubleNormalizedPreBaseAt(e)) << e;
}

TEST(LCFReferenceRow, SetStdChoosesBackgroundFileUseAndShift)
{
    const XafsSpectrum vic = plainReference(0);
    const XafsSpectrum linear = plainReference(1);
    const struct
    {
        const char *isVic;
        bool checked;
    } cases[] = {{"", true},  {"vic", true}, {"VIC", true},  {"Vic", true},
                 {"2", true}, {"0", false},  {"abc", false}, {"-1", false}};
    for (const auto &c : cases) {
        LCFReference row;
        QSignalSpy loaded(&row, &LCFReference::newFileSelected);
        QSignalSpy edited(&row, &LCFReference::newDeltaE);
        row.setStd(false, 1.23456789, fe2o3(), c.isVic);

        EXPECT_EQ(row.isVictreenBox()->isChecked(), c.checked) << c.isVic;
        const XafsSpectrum &base = c.checked ? vic : linear;
        EXPECT_DOUBLE_EQ(row.dMut, base.dMut) << c.isVic;
        EXPECT_EQ(loaded.count(), 1) << c.isVic;
        EXPECT_EQ(edited.count(), 0) << c.isVic;

        EXPECT_EQ(row.deltaEEdit()->text(), "1.23457");
        EXPECT_DOUBLE_EQ(row.offset, 1.23456789);
        EXPECT_DOUBLE_EQ(row.shift, 1.23456789);
        EXPECT_FALSE(row.fileSelect()->use());
        EXPECT_FALSE(row.Spectrum::inUse);
        EXPECT_FALSE(row.inUse());
        EXPECT_FALSE(row.snapshot().inUse);
    }

    LCFReference row;
    row.setStd(true, 0.0, fe2o3(), "");
    EXPECT_TRUE(row.Spectrum::inUse);
    EXPECT_TRUE(row.snapshot().inUse);
}

TEST(LCFReferenceRow, UseBoxDrivesUseFlagAndSnapshot)
{
    LCFReference row;
    row.fileSelect()->load(fe2o3());
    row.setFraction(0.25);
    QCheckBox *use = row.fileSelect()->findChild<QCheckBox *>("Use");
    ASSERT_NE(use, nullptr);

    use->setChecked(false);
    EXPECT_FALSE(row.Spectrum::inUse);
    LcfRefData d = row.snapshot();
    EXPECT_FALSE(d.inUse);
    EXPECT_DOUBLE_EQ(d.fraction, 0.25);

    use->setChecked(true);
    EXPECT_TRUE(row.Spectrum::inUse);
    d = row.snapshot();
    EXPECT_TRUE(d.inUse);

    // A snapshot is a copy: later changes of the row do not reach it.
    row.setFraction(0.75);
    editDeltaE(row, "5");
    EXPECT_DOUBLE_EQ(d.fraction, 0.25);
    EXPECT_DOUBLE_EQ(d.spectrum.offset, 0.0);
    EXPECT_DOUBLE_EQ(row.snapshot().fraction, 0.75);
}

TEST(LCFReferenceRow, UnreadableFileLeavesNoReferenceButStaysInUse)
{
    TestFiles files;
    LCFReference row;
    row.fileSelect()->load(fe2o3());
    const QString dMutText = row.dMutEdit()->text();
    const QString midEText = row.midEEdit()->text();

    QSignalSpy loaded(&row, &LCFReference::newFileSelected);
    row.fileSelect()->load(files.path("missing.dat"));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(row.count(), 0);
    EXPECT_EQ(row.dMutEdit()->text(), dMutText);
    EXPECT_EQ(row.midEEdit()->text(), midEText);

    // Counted as in use, but nothing of the earlier file is left to fit with.
    const LcfRefData d = row.snapshot();
    EXPECT_TRUE(d.inUse);
    EXPECT_EQ(d.spectrum.count(), 0);
    EXPECT_EQ(d.spectrum.doubleNormalizedPreBase.count(), 0);
    EXPECT_EQ(d.spectrum.doubleNormalizedPostBase.count(), 0);
}
