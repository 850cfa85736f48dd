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
    EXPECT_EQ(ui::BottomCentreOrigin(1280, 1024, 405, 150, 60), (ui::PixelPoint{438, 814}));
}

class MainLayoutAtDpi : public testing::TestWithParam<int> {};

TEST_P(MainLayoutAtDpi, EveryControlLiesInsideTheFace) {
    const int dpi = GetParam();
    const ui::PixelRect client =
        ui::TwipsToPixels(0, 0, app::kMainClientWidthTwips, app::kMainClientHeightTwips, dpi);
    for (const ui::ControlSpec& entry : app::MainControls()) {
        const ui::PixelRect r = ui::ControlRect(entry, dpi);
        EXPECT_GT(r.width, 0) << std::string(entry.name.begin(), entry.name.end());
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right(), client.width);
        EXPECT_LE(r.bottom(), client.height);
    }
}

TEST_P(MainLayoutAtDpi, VisibleControlsDoNotOverlap) {
    const int dpi = GetParam();
    std::vector<ui::PixelRect> rects;
    for (const ui::ControlSpec& entry : app::MainControls())
        if (entry.visible) rects.push_back(ui::ControlRect(entry, dpi));
    for (size_t i = 0; i < rects.size(); ++i)
        for (size_t j = i + 1; j < rects.size(); ++j) {
            const bool apart = rects[i].right() <= rects[j].left || rects[j].right() <= rects[i].left ||
                               rects[i].bottom() <= rects[j].top || rects[j].bottom() <= rects[i].top;
            EXPECT_TRUE(apart) << "controls " << i << " and " << j << " overlap at " << dpi << " dpi";
        }
}

INSTANTIATE_TEST_SUITE_P(Scalings, MainLayoutAtDpi, testing::Values(96, 120, 144, 192));

// The other windows' tables, in twips as they are laid out: every control inside its window, and no two visible
// controls overlapping by more than a touch (a 255-twip row on a 240-twip grid overlaps the next by 15 twips:
// one pixel at 100 %), except a container and what it holds, and the controls a window stacks on purpose.
TEST(PanelLayouts, EveryControlLiesInsideItsWindowAndNoneOverlapsBeyondATouch) {
    struct Table {
        const char* window;
        std::span<const ui::ControlSpec> controls;
        int width, height;
        std::set<std::wstring_view> reachBelow; // pro_form's Picture1 shows only its top strip, on purpose
        std::set<std::pair<std::wstring_view, std::wstring_view>> stacked;
    };
    const Table tables[] = {
        {"pro_form", procmon::ProControls(), procmon::kProWidthTwips, procmon::kProHeightTwips,
         {L"Picture1", L"process", L"proText1", L"proText0"}, {}},
        {"dir_form", filemon::DirControls(), filemon::kDirWidthTwips, filemon::kDirHeightTwips, {}, {}},
        {"log_form", alerts::LogControls(), alerts::kLogWidthTwips, alerts::kLogHeightTwips, {},
         {{L"Picture1", L"Picture2"}, {L"text", L"Text1"}}}, // swatches in front of each other; the two views
        {"Frm_Outputbox", alerts::OutputboxControls(), alerts::kOutputboxWidthTwips, alerts::kOutputboxHeightTwips,
         {}, {}},
    };
    constexpr int kTouch = 15;
    const auto contains = [](const ui::ControlSpec& a, const ui::ControlSpec& b) {
        return a.left <= b.left && a.top <= b.top && a.left + a.width >= b.left + b.width &&
               a.top + a.height >= b.top + b.height;
    };
    for (const Table& table : tables) {
        for (const ui::ControlSpec& c : table.controls) {
            const std::string name = std::string(table.window) + "." + std::string(c.name.begin(), c.name.end());
            EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.left + c.width <= table.width &&
                        (c.top + c.height <= table.height || table.reachBelow.count(c.name)))
                << name << " leaves its window";
        }
        for (size_t i = 0; i < table.controls.size(); ++i)
            for (size_t j = i + 1; j < table.controls.size(); ++j) {
                const ui::ControlSpec &a = table.controls[i], &b = table.controls[j];
                if (!a.visible || !b.visible || contains(a, b) || contains(b, a) || table.stacked.count({a.name, b.name}))
                    continue;
                const int across = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
                const int down = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
                EXPECT_TRUE(across <= kTouch || down <= kTouch)
                    << table.window << ": " << std::string(a.name.begin(), a.name.end()) << " and "
                    << std::string(b.name.begin(), b.name.end()) << " overlap by " << across << " x " << down;
            }
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
