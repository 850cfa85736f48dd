// Window and control geometry in twips (1/1440 inch), converted to pixels with the display's real DPI.
#pragma once

#include <span>
#include <string_view>

namespace korimo::ui {

enum class ControlKind {
    PictureButton, // push button drawn by us: white background, small picture, caption
    CheckBox,
    Label,     // static text; clickable where the window wants it
    ImageArea, // no window of its own: a click area over a mark drawn on the face
    TextView,        // read-only multi-line text, both scroll bars: lines are not wrapped
    WrappedTextView, // read-only multi-line text, vertical scroll bar: lines wrap at the view's width
    Swatch,          // a clickable square showing a colour
    TextBox,         // one line the user types into
    ListBox,
    Frame,           // a sunken panel that other controls sit on
    OptionButton,    // one of a group of round buttons; the group starts at the entry marked startsGroup
};

struct ControlSpec {
    std::wstring_view name; // the control's name, array index included: L"Check1(2)"
    ControlKind kind;
    std::wstring_view caption;
    int left, top, width, height; // twips
    int id;                       // command id of the control's window; an image area's names it, with no window
    bool visible = true;
    bool startsGroup = false; // the first of a group of option buttons
};

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool Contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
    bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// Rounds half away from zero, as MulDiv does, so the host build and Windows agree to the pixel.
int TwipsToPixels(int twips, int dpi);

// Converts the edges rather than the sizes, so controls that touch in twips still touch in pixels.
PixelRect TwipsToPixels(int left, int top, int width, int height, int dpi);
PixelRect ControlRect(const ControlSpec& entry, int dpi);

// Where a panel goes when docked: its left edge on the main window's left, its top on the main window's bottom.
PixelPoint DockedPanelOrigin(const PixelRect& mainWindow);

// Top-left corner that centres a window of the given size on a screen of the given size.
PixelPoint CentredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Top-left corner of a window at the bottom centre of an area (a monitor's work area, without the taskbar),
// `bottomMargin` pixels above the area's bottom edge.
PixelPoint BottomCentreOrigin(const PixelRect& area, int windowWidth, int windowHeight, int bottomMargin);

// Where a window goes so that it lies wholly inside the area, moved as little as possible; one larger than the
// area keeps its top-left corner on the area's.
PixelPoint BroughtInside(const PixelRect& area, const PixelRect& window);

// A size in pixels at one DPI, as it is at another (a window's rectangle when its monitor's scaling changes).
int RescaledPixels(int pixels, int fromDpi, int toDpi);

const ControlSpec* FindControl(std::span<const ControlSpec> table, std::wstring_view name);
const ControlSpec* FindControl(std::span<const ControlSpec> table, int id);

} // namespace korimo::ui
