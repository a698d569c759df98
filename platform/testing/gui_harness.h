#pragma once

#include "platform/gui/control.h"
#include "platform/gui/types.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace plat {
class TForm;
class TWinControl;
} // namespace plat

namespace plat::testing {

// Starts the GUI layer on Qt's offscreen platform, once per process.
void StartOffscreenGui();
// The families the layer maps fonts to that are not installed, joined by
// ", "; empty when all are there.
std::string MissingFontFamilies();

// A test with the offscreen GUI running. It fails at once, naming the
// families, when a font the layer needs is missing. Real metrics unless the
// test switches to fixed ones; every test ends with real metrics again.
class OffscreenGuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static void UseFixedMetrics();
};

// Waits until the window system shows the form (real windows); false on
// time-out.
bool WaitUntilExposed(const TForm& form);
// Saves the whole screen as a PNG.
bool SaveScreenshot(const std::string& path);

// Top-level windows on screen.
int TopLevelWindowCount();
// Widgets alive, shown or not: freed controls must leave none behind.
int WidgetCount();

// Lets Qt deliver what is queued (paints, deferred deletes, posted work).
void Flush();

// Mouse input through Qt's window-system event path, at x, y in the
// control's client coordinates. The control's form must be shown.
void MousePress(const TControl& control, int x, int y, TMouseButton button = TMouseButton::mbLeft);
void MouseRelease(const TControl& control, int x, int y, TMouseButton button = TMouseButton::mbLeft);
void MouseMove(const TControl& control, int x, int y);
void MouseClick(const TControl& control, int x, int y, TMouseButton button = TMouseButton::mbLeft);
void MouseDoubleClick(const TControl& control, int x, int y);
// One wheel notch (delta 120 up, -120 down).
void MouseWheel(const TControl& control, int x, int y, int delta);
// Types UTF-8 text into a windowed control, one key event per character.
void TypeText(TWinControl& control, const std::string& utf8);
// One key event (press or release) by its Windows key number, sent to the
// control's editor through Qt's event path as the window system would. The
// text defaults to what the key types.
void SendKey(TWinControl& control, uint16_t key, TShiftState shift, bool press, bool autoRepeat = false);
// Press and release.
void TapKey(TWinControl& control, uint16_t key, TShiftState shift = 0);
// True when the window under the control shows that cursor's shape now
// (override cursors aside).
bool ShowsCursor(const TControl& control, TCursor cursor);
// How many override cursors Qt holds.
int OverrideCursorDepth();
// The width of the largest size of the form's window icon; 0 without one.
int WindowIconSize(const TForm& form);
// Qt's own translation of one of its texts, as UTF-8.
std::string QtTranslation(const char* context, const char* text);
// True once the window system made the form's window the active one.
bool WindowIsActive(const TForm& form);
// The form's window is mapped (the window system shows it), and where.
bool WindowMapped(const TForm& form);
TPoint WindowPosition(const TForm& form);
// Where Qt maps the top left corner of a windowed control to the screen.
TPoint MappedToScreen(const TWinControl& control);
// The window system's id of the form's window (an X window on xcb).
uintptr_t NativeWindowId(const TForm& form);
// Whether the window system lets the user resize the form's window, and
// whether its frame offers a maximise button.
bool UserCanResize(const TForm& form);
bool HasMaximizeButton(const TForm& form);
// Another program takes the activation from ours.
void SimulateOtherProgramActivated();
// Whether the window system shows the form's window, and whether minimised.
bool WindowIsShown(const TForm& form);
bool WindowIsMinimized(const TForm& form);
// The user restores the minimised window through the window system.
void UserRestoresWindow(TForm& form);
// The Qt editor's own display of a control's text (a date picker's field),
// as UTF-8.
std::string ShownText(const TWinControl& control);

// A form's menu bar as Qt shows it. Texts are UTF-8 with their "&" marks;
// an item's short cut follows a tab ("Kopírovat\tCtrl+C").
struct ShownMenuItem {
    std::string text;
    bool checked = false;
    bool enabled = true;
};
// The bar's visible entries; empty without a bar.
std::vector<std::string> MenuBarEntries(const TForm& form);
// The items of the menu the bar's entry opens, "-" for separators.
std::vector<ShownMenuItem> MenuBarMenu(const TForm& form, int entry);
// The bar's entry whose menu is open; "" when none is.
std::string OpenMenuBarEntry(const TForm& form);
// Mouse clicks on the bar's entry, and on an item of the open menu by its
// text (without the short cut).
void ClickMenuBarEntry(const TForm& form, int entry);
void ClickOpenMenuItem(const std::string& text);
// A key as the window system delivers it to the form's window: through
// Qt's short-cut map first (the bar's access keys), then to the open menu,
// else to the focused widget.
void TapWindowKey(const TForm& form, uint16_t key, TShiftState shift = 0);

// A form's window title, as UTF-8.
std::string WindowTitle(const TForm& form);
// The text a control's tool tip shows, as UTF-8 plain text.
std::string ShownToolTip(const TControl& control);

// Paints the control once into an image, as a repaint of the screen would.
void Render(const TControl& control);
// The control as its parent shows it, as PNG bytes.
std::string GrabPng(const TControl& control);
// The colour at a point of the control's client area.
TColor Probe(const TControl& control, int x, int y);
// The colour at a point of the screen (real windows only).
TColor ProbeScreen(int x, int y);

// Compares a grab of the control with a golden PNG. A channel may differ by
// `tolerance`; at most `maxShare` of the pixels may differ beyond it. On a
// mismatch the actual image and a diff image go to `outputFolder`. With
// DALMORA_UPDATE_GOLDENS=1 in the environment the golden is rewritten.
::testing::AssertionResult MatchesGolden(const TControl& control, const std::string& goldenPath,
                                         const std::string& outputFolder, int tolerance = 24, double maxShare = 0.01);

// A region of the screen as PNG bytes (real windows only; the test process
// runs the GUI layer on the same display); empty when it cannot be grabbed.
std::string GrabScreenPng(const TRect& area);
// Compares PNG bytes (a screen grab) with a golden PNG, as MatchesGolden
// compares a control, DALMORA_UPDATE_GOLDENS=1 included.
::testing::AssertionResult PngMatchesGolden(const std::string& png, const std::string& goldenPath,
                                            const std::string& outputFolder, int tolerance = 24,
                                            double maxShare = 0.01);

} // namespace plat::testing
