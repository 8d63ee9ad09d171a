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
