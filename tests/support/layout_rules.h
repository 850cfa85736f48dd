// The rule every window's layout keeps, checked on the tables in twips (unit tests) and on the real windows in
// pixels (under Wine, at every DPI): each control inside its window, and no two visible controls overlapping by
// more than a touch (a 255-twip row on a 240-twip grid overlaps the next by 15 twips: one pixel at 100 %),
// except a container and what it holds, and the controls a window places so on purpose. Platform-free.
#pragma once

#include <algorithm>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "alerts/frm_outputbox_layout.h"
#include "alerts/log_form_layout.h"
#include "filemon/dir_form_layout.h"
#include "procmon/pro_form_layout.h"
#include "ui/layout.h"

namespace korimo::test {

struct WindowLayout {
    const char* window;
    std::span<const ui::ControlSpec> controls;
    int width, height; // twips
    std::set<std::wstring_view> reachBelow; // pro_form's Picture1 shows only its top strip, on purpose
    std::set<std::pair<std::wstring_view, std::wstring_view>> stacked;
};

inline std::vector<WindowLayout> PanelLayouts() {
    return {
        {"pro_form", procmon::ProControls(), procmon::kProWidthTwips, procmon::kProHeightTwips,
         {L"Picture1", L"process", L"proText1", L"proText0"}, {}},
        {"dir_form", filemon::DirControls(), filemon::kDirWidthTwips, filemon::kDirHeightTwips, {}, {}},
        {"log_form", alerts::LogControls(), alerts::kLogWidthTwips, alerts::kLogHeightTwips, {},
         {{L"Picture1", L"Picture2"}, {L"text", L"Text1"}}}, // swatches in front of each other; the two views
        {"Frm_Outputbox", alerts::OutputboxControls(), alerts::kOutputboxWidthTwips, alerts::kOutputboxHeightTwips,
         {}, {}},
    };
}

// The faults of a window whose controls lie at `rects` (one per entry of the layout's table, in its units)
// inside a client area `width` × `height`; empty when it keeps the rule.
inline std::vector<std::string> LayoutFaults(const WindowLayout& layout, const std::vector<ui::PixelRect>& rects,
                                             int width, int height, int touch) {
    std::vector<std::string> faults;
    const auto name = [&](std::size_t i) {
        const std::wstring_view n = layout.controls[i].name;
        return std::string(layout.window) + "." + std::string(n.begin(), n.end());
    };
    const auto contains = [](const ui::PixelRect& a, const ui::PixelRect& b) {
        return a.left <= b.left && a.top <= b.top && a.right() >= b.right() && a.bottom() >= b.bottom();
    };
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const ui::PixelRect& r = rects[i];
        if (r.left < 0 || r.top < 0 || r.right() > width ||
            (r.bottom() > height && !layout.reachBelow.count(layout.controls[i].name)))
            faults.push_back(name(i) + " leaves its window");
    }
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const ui::ControlSpec &a = layout.controls[i], &b = layout.controls[j];
            if (!a.visible || !b.visible || contains(rects[i], rects[j]) || contains(rects[j], rects[i]) ||
                layout.stacked.count({a.name, b.name}))
                continue;
            const int across = std::min(rects[i].right(), rects[j].right()) - std::max(rects[i].left, rects[j].left);
            const int down = std::min(rects[i].bottom(), rects[j].bottom()) - std::max(rects[i].top, rects[j].top);
            if (across > touch && down > touch)
                faults.push_back(name(i) + " and " + name(j) + " overlap by " + std::to_string(across) + " x " +
                                 std::to_string(down));
        }
    return faults;
}

} // namespace korimo::test
