// The sum-up ranges panel: ranges and combo items added and deleted together.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "analysis/ui/sumupctrl.h"

namespace {

// "from-to" of every range, checked against the combo items.
QStringList rangesOf(const SumUpCtrl &c)
{
    QStringList r;
    for (const SumUpCtrl::Range &e : c.ranges())
        r << QString("%1-%2").arg(e.from).arg(e.to);
    QStringList items;
    for (int i = 0; i < c.rangeCombo()->count(); i++)
        items << c.rangeCombo()->itemText(i);
    EXPECT_EQ(items, r);
    return r;
}

} // namespace

TEST(SumUpCtrl, AddsAndDeletesRangesWithTheirItems)
{
    SumUpCtrl c;
    QPushButton *add = c.findChild<QPushButton *>("AddSumUp");
    QPushButton *del = c.findChild<QPushButton *>("DelSumUp");
    del->click();   // nothing to remove
    add->click();   // the defaults
    for (const QStringList &r : {QStringList{"5", "15"}, {"20", "abc"}, {"-3", "7"}}) {
        c.fromEdit()->setText(r[0]);
        c.toEdit()->setText(r[1]);
        add->click();
    }
    // Unchecked values; a text that is no number reads 0.
    EXPECT_EQ(rangesOf(c), (QStringList{"0-1000", "5-15", "20-0", "-3-7"}));

    c.rangeCombo()->setCurrentIndex(2);
    del->click();
    EXPECT_EQ(rangesOf(c), (QStringList{"0-1000", "5-15", "-3-7"}));
    EXPECT_EQ(c.rangeCombo()->currentIndex(), 1);
    // The first one current: the former second becomes current.
    c.rangeCombo()->setCurrentIndex(0);
    del->click();
    EXPECT_EQ(rangesOf(c), (QStringList{"5-15", "-3-7"}));
    EXPECT_EQ(c.rangeCombo()->currentIndex(), 0);
    // No current entry: nothing is removed.
    c.rangeCombo()->setCurrentIndex(-1);
    del->click();
    EXPECT_EQ(rangesOf(c), (QStringList{"5-15", "-3-7"}));
}
