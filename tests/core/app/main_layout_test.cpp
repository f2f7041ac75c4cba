#include "app/main_layout.h"

#include <gtest/gtest.h>

TEST(MainLayout, PanelWidthFollowsDialogBaseUnits) {
    EXPECT_EQ(PanelWidthFromBaseUnit(8), 252);
    EXPECT_EQ(PanelWidthFromBaseUnit(6), 189);
    EXPECT_EQ(PanelWidthFromBaseUnit(7), 221);  // 220.5 rounds up, like MulDiv
}

TEST(MainLayout, WindowedPlacesToolbarsViewAndPanel) {
    MainLayout l = ComputeMainLayout(1366, 700, 252, false);
    EXPECT_EQ(l.hToolbar, (ChildRect{59, 0, 1055, 52}));
    EXPECT_EQ(l.vToolbar, (ChildRect{0, 0, 59, 700}));
    EXPECT_EQ(l.cameraView, (ChildRect{59, 52, 1055, 648}));
    EXPECT_EQ(l.panel, (ChildRect{1114, 0, 252, 700}));
}

TEST(MainLayout, FullScreenKeepsOnlyVerticalToolbarAndView) {
    MainLayout l = ComputeMainLayout(1920, 1080, 252, true);
    EXPECT_EQ(l.hToolbar, (ChildRect{0, 0, 0, 0}));
    EXPECT_EQ(l.vToolbar, (ChildRect{0, 0, 59, 1080}));
    EXPECT_EQ(l.cameraView, (ChildRect{59, 0, 1861, 1080}));
    EXPECT_EQ(l.panel, (ChildRect{0, 0, 0, 0}));
}
