#pragma once

#include "platform/gui/component.h"
#include "platform/gui/types.h"

#include <cstdint>

namespace plat {
class TForm;
class TImage;
class TJvGradient;
class TLabel;
class TPanel;
class TWinControl;
} // namespace plat

// One panel of the main window's status bar: a gradient, an optional 16 x 16
// icon from the main window's action images, a text and, when clickable, an
// overlay that highlights the panel under the mouse and reports clicks.
// The controls belong to the owner form.
class TNStatusBar {
public:
    TNStatusBar() = default;
    // Unbinds the overlay, whose form may outlive this object.
    ~TNStatusBar();
    TNStatusBar(const TNStatusBar&) = delete;
    TNStatusBar& operator=(const TNStatusBar&) = delete;

    bool Create(int32_t tag, plat::TForm* owner, bool clickable, bool bold, int32_t iconIndex, const char* text,
                plat::TWinControl* parent);
    // Width -1 fits the content; the requested width stays in the panel's
    // Tag for later text changes.
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetPos(int32_t left, int32_t top);
    void GetSize(int32_t* width, int32_t* height) const;
    void SetGradient(plat::TColor start, plat::TColor end, const char* hint);
    // No text shows "---".
    void SetText(const char* text, const char* hint);
    // The text alone; the hint stays.
    void SetCaption(const char* text);
    void SetHint(const char* hint);
    void SetIconIndex(int32_t index, bool show);
    void MouseEnter(plat::TComponent* sender);
    void MouseLeave(plat::TComponent* sender);
    int32_t GetTextWidth() const;

    plat::TPanel* Panel() const { return panel_.Get(); }
    plat::TJvGradient* Gradient() const { return gradient_.Get(); }
    plat::TLabel* Label() const { return label_.Get(); }
    plat::TImage* Icon() const { return icon_.Get(); }
    plat::TLabel* Overlay() const { return overlay_.Get(); }

    plat::TColor NormalStart = 0xFBFBFB;
    plat::TColor NormalEnd = 0xC4D3DC;
    plat::TColor NormalText = 0;
    plat::TColor HighlightStart = 0xB8EEFF;
    plat::TColor HighlightEnd = 0x00C3FF;
    plat::TColor HighlightText = 0xFF0000;
    int32_t TextWidth = 0;
    uint8_t Flag = 1;

private:
    bool IconVisible() const;
    void FitOverlay();

    plat::TWeakRef<plat::TPanel> panel_;
    plat::TWeakRef<plat::TJvGradient> gradient_;
    plat::TWeakRef<plat::TLabel> label_;
    plat::TWeakRef<plat::TImage> icon_;
    plat::TWeakRef<plat::TLabel> overlay_;
};
