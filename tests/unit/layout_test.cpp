#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "alerts/frm_outputbox_layout.h"
#include "alerts/log_form_layout.h"
#include "app/frmmain_layout.h"
#include "filemon/dir_form_layout.h"
#include "procmon/pro_form_layout.h"
#include "ui/layout.h"
#include "../support/layout_rules.h"

using namespace korimo;

TEST(TwipsToPixels, RoundsLikeMulDivAtCommonScalings) {
    EXPECT_EQ(ui::TwipsToPixels(9525, 96), 635);
    EXPECT_EQ(ui::TwipsToPixels(5475, 96), 365);
    EXPECT_EQ(ui::TwipsToPixels(9525, 144), 953); // 952.5 rounds away from zero
    EXPECT_EQ(ui::TwipsToPixels(5475, 144), 548);
    EXPECT_EQ(ui::TwipsToPixels(7, 96), 0);
    EXPECT_EQ(ui::TwipsToPixels(8, 96), 1);
    EXPECT_EQ(ui::TwipsToPixels(-8, 96), -1);
    EXPECT_EQ(ui::TwipsToPixels(2000000000, 144), 200000000); // no overflow for huge values
}

TEST(TwipsToPixels, AdjacentRectsStayAdjacentAfterRounding) {
    // Two areas that touch in twips must touch in pixels at any DPI, not overlap or leave a gap.
    for (int dpi : {96, 120, 144, 168, 192}) {
        for (int left = 0; left < 300; left += 7) {
            const ui::PixelRect a = ui::TwipsToPixels(left, 0, 255, 255, dpi);
            const ui::PixelRect b = ui::TwipsToPixels(left + 255, 0, 255, 255, dpi);
            EXPECT_EQ(a.right(), b.left) << "dpi " << dpi << " left " << left;
        }
    }
}

TEST(Docking, PanelGoesUnderTheMainWindowAtItsLeftEdge) {
    const ui::PixelRect main{200, 150, 635, 365};
    EXPECT_EQ(ui::DockedPanelOrigin(main), (ui::PixelPoint{200, 515}));
    EXPECT_EQ(ui::CentredOrigin(1280, 1024, 635, 365), (ui::PixelPoint{323, 330}));
    EXPECT_EQ(ui::CentredOrigin(1920, 1080, 953, 548), (ui::PixelPoint{484, 266}));
    EXPECT_EQ(ui::BottomCentreOrigin({0, 0, 1280, 1024}, 405, 150, 60), (ui::PixelPoint{438, 814}));
    // Above a taskbar 48 pixels high, on a second monitor to the right of the first.
    EXPECT_EQ(ui::BottomCentreOrigin({1280, 0, 1920, 1032}, 405, 150, 60), (ui::PixelPoint{2038, 822}));
}

TEST(Placement, AWindowIsBroughtInsideAnAreaMovedAsLittleAsPossible) {
    const ui::PixelRect area{1280, 0, 1920, 1032};
    EXPECT_EQ(ui::BroughtInside(area, {1500, 300, 400, 150}), (ui::PixelPoint{1500, 300})); // inside: stays
    EXPECT_EQ(ui::BroughtInside(area, {1500, 1000, 400, 150}), (ui::PixelPoint{1500, 882})); // under the taskbar
    EXPECT_EQ(ui::BroughtInside(area, {-900, -50, 400, 150}), (ui::PixelPoint{1280, 0}));   // a monitor that went
    EXPECT_EQ(ui::BroughtInside(area, {3100, 500, 400, 150}), (ui::PixelPoint{2800, 500}));
    EXPECT_EQ(ui::BroughtInside(area, {1500, 500, 2400, 150}), (ui::PixelPoint{1280, 500})); // wider than the area
    EXPECT_EQ(ui::RescaledPixels(635, 96, 144), 953);
    EXPECT_EQ(ui::RescaledPixels(953, 144, 96), 635);
    EXPECT_EQ(ui::RescaledPixels(-12, 96, 120), -15);
}

// Every window's table, in twips as it is laid out (the same rule holds for the real windows in pixels at every
// DPI, tests/win).
TEST(Layouts, EveryControlLiesInsideItsWindowAndNoneOverlapsBeyondATouch) {
    auto layouts = test::PanelLayouts();
    layouts.push_back({"frmmain", app::MainControls(), app::kMainClientWidthTwips, app::kMainClientHeightTwips, {}, {}});
    for (const test::WindowLayout& layout : layouts) {
        std::vector<ui::PixelRect> rects;
        for (const ui::ControlSpec& c : layout.controls) rects.push_back({c.left, c.top, c.width, c.height});
        for (const std::string& fault : test::LayoutFaults(layout, rects, layout.width, layout.height, 15))
            ADD_FAILURE() << fault;
    }
}

TEST(MainLayout, ControlsAreFoundByNameAndIdAndHiddenPlaceholdersStayHidden) {
    const auto controls = app::MainControls();
    ASSERT_NE(ui::FindControl(controls, L"Check1(2)"), nullptr);
    EXPECT_EQ(ui::FindControl(controls, L"Check1(2)")->caption, L"自动保存日志");
    EXPECT_EQ(ui::FindControl(controls, app::IDC_COMMAND4)->caption, L"收缩");
    EXPECT_FALSE(ui::FindControl(controls, L"Command5")->visible);
    EXPECT_FALSE(ui::FindControl(controls, L"Command6")->visible);
    EXPECT_EQ(ui::FindControl(controls, L"Nothing"), nullptr);
    EXPECT_EQ(ui::FindControl(controls, 0), nullptr); // image areas have no id to find
}
