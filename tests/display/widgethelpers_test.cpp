#include <QSettings>
#include <QWidget>
#include <gtest/gtest.h>

#include "display/widgethelpers.h"
#include "support/testfiles.h"

namespace {

TEST(Helpers, WindowGeometryRoundTrip)
{
    TestFiles files;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, files.dir());
    QWidget w;
    bool popUp = false;
    restoreWindowGeometry(&w, "Fresh", &popUp);
    EXPECT_EQ(w.size(), QSize(400, 400));
    EXPECT_EQ(w.pos(), QPoint(200, 200));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(popUp);

    w.resize(321, 123);
    w.hide();
    saveWindowGeometry(&w, "Win", false);
    QWidget v;
    popUp = true;
    restoreWindowGeometry(&v, "Win", &popUp);
    EXPECT_EQ(v.size(), QSize(321, 123));
    EXPECT_FALSE(v.isVisible());
    EXPECT_FALSE(popUp);
}

TEST(Helpers, StyleSheetOnWidgetOrNull)
{
    const QString pink = "background-color: rgb(255, 192, 192);";
    QWidget w;
    applyStyleSheet(&w, pink);
    EXPECT_EQ(w.styleSheet(), pink);
    applyStyleSheet(nullptr, pink);
}

}  // namespace
