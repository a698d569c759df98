#include "view/status_bar.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/image_list.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "view/hooks.h"

namespace {

constexpr int32_t kIconSide = 16;

// Fills and outlines the rectangle from 0, 0.
void DrawFilledRect(plat::TCanvas& canvas, int32_t width, int32_t height, plat::TColor fill, plat::TColor outline)
{
    canvas.Brush.Color = fill;
    canvas.Brush.Style = plat::TBrushStyle::bsSolid;
    canvas.Pen.Color = outline;
    canvas.Rectangle(0, 0, width, height);
}

} // namespace

TNStatusBar::~TNStatusBar()
{
    if (plat::TLabel* overlay = overlay_.Get()) {
        overlay->OnMouseEnter = nullptr;
        overlay->OnMouseLeave = nullptr;
    }
}

bool TNStatusBar::Create(int32_t tag, plat::TForm* owner, bool clickable, bool bold, int32_t iconIndex,
                         const char* text, plat::TWinControl* parent)
{
    return Guarded("[TNStatusBar::Create]", false, [&] {
        auto* panel = new plat::TPanel(owner);
        panel_ = panel;
        panel->SetParent(parent);
        panel->SetBevelOuter(plat::TBevelCut::bvNone);
        panel->SetBevelInner(plat::TBevelCut::bvNone);
        if (owner != nullptr)
            panel->SetColor(owner->Color());
        panel->SetCaption("");

        auto* gradient = new plat::TJvGradient(owner);
        gradient_ = gradient;
        gradient->SetParent(panel);
        gradient->SetAlign(plat::TAlign::alClient);
        gradient->SetStyle(3);
        gradient->SetColors(NormalStart, NormalEnd);

        auto* label = new plat::TLabel(owner);
        label_ = label;
        label->SetParent(panel);
        label->SetTransparent(true);
        label->SetAutoSize(true);
        label->SetWordWrap(false);
        label->SetShowAccelChar(false);
        if (bold)
            label->Font().SetStyle(plat::fsBold);
        label->SetCaption(text != nullptr ? text : "");
        label->OnClick = [](plat::TComponent* sender) { ViewMain::StatusClick(sender); };

        if (iconIndex >= 0) {
            auto* icon = new plat::TImage(owner);
            icon_ = icon;
            icon->SetParent(panel);
            icon->SetTransparent(true);
            icon->SetBounds(0, 0, kIconSide, kIconSide);
            SetIconIndex(iconIndex, true);
        }
        if (clickable) {
            auto* overlay = new plat::TLabel(owner);
            overlay_ = overlay;
            overlay->SetParent(panel);
            overlay->SetTransparent(true);
            overlay->SetAutoSize(false);
            overlay->SetBounds(0, 0, panel->Width(), panel->Height());
            overlay->SetTag(tag);
            overlay->SetCursor(plat::crHandPoint);
            overlay->OnMouseEnter = [this](plat::TComponent* sender) { MouseEnter(sender); };
            overlay->OnMouseLeave = [this](plat::TComponent* sender) { MouseLeave(sender); };
            overlay->OnClick = [](plat::TComponent* sender) { ViewMain::StatusClick(sender); };
        }
        TextWidth = GetTextWidth();
        return panel_.Get() != nullptr && gradient_.Get() != nullptr && label_.Get() != nullptr &&
               (iconIndex < 0 || icon_.Get() != nullptr);
    });
}

bool TNStatusBar::IconVisible() const
{
    return icon_.Get() != nullptr && icon_.Get()->Visible();
}

void TNStatusBar::FitOverlay()
{
    plat::TPanel* panel = panel_.Get();
    if (plat::TLabel* overlay = overlay_.Get(); overlay != nullptr && panel != nullptr)
        overlay->SetBounds(0, 0, panel->Width(), panel->Height());
}

void TNStatusBar::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    Guarded("[TNStatusBar::SetBounds]", [&] {
        plat::TPanel* panel = panel_.Get();
        if (panel == nullptr)
            return;
        // Width and height are kept before the empty case too, so that a
        // later text fits again.
        panel->SetBounds(left, top, width > -1 ? width : panel->Width(), height);
        panel->SetTag(width);
        plat::TLabel* label = label_.Get();
        plat::TImage* icon = IconVisible() ? icon_.Get() : nullptr;
        bool empty = label == nullptr || label->Caption().empty();
        if (width == -1 && empty && icon == nullptr) {
            panel->SetWidth(0);
            FitOverlay();
            return;
        }
        int32_t x = 0;
        if (icon != nullptr) {
            int32_t iconTop = height / 2 - icon->Height() / 2;
            icon->SetBounds(iconTop + 1, iconTop, icon->Width(), icon->Height());
            x = icon->Left() + icon->Width() - 5;
        }
        if (label != nullptr) {
            int32_t labelTop = height / 2 - label->Height() / 2;
            label->SetBounds(labelTop + x + 3, labelTop, label->Width(), label->Height());
        }
        if (width == -1) {
            int32_t fitted = label != nullptr ? label->Left() + label->Width() : 0;
            if (icon != nullptr) {
                fitted += icon->Left() + 2;
                if (empty) {
                    icon->SetLeft(1);
                    fitted = 2 * 1 + icon->Width();
                }
            } else if (label != nullptr) {
                fitted += label->Left();
            }
            panel->SetWidth(fitted);
        }
        FitOverlay();
    });
}

void TNStatusBar::SetPos(int32_t left, int32_t top)
{
    Guarded("[TNStatusBar::SetPos]", [&] {
        plat::TPanel* panel = panel_.Get();
        if (panel == nullptr)
            return;
        panel->SetBounds(left, top, panel->Width(), panel->Height());
        FitOverlay();
    });
}

void TNStatusBar::GetSize(int32_t* width, int32_t* height) const
{
    plat::TPanel* panel = panel_.Get();
    if (panel == nullptr)
        return;
    if (width != nullptr)
        *width = panel->Width();
    if (height != nullptr)
        *height = panel->Height();
}

void TNStatusBar::SetGradient(plat::TColor start, plat::TColor end, const char* hint)
{
    Guarded("[TNStatusBar::SetGradient]", [&] {
        plat::TJvGradient* gradient = gradient_.Get();
        if (gradient == nullptr)
            return;
        gradient->SetColors(start, end);
        if (hint != nullptr)
            gradient->SetHint(hint);
    });
}

void TNStatusBar::SetText(const char* text, const char* hint)
{
    plat::TPanel* panel = panel_.Get();
    plat::TLabel* label = label_.Get();
    if (panel == nullptr || label == nullptr)
        return;
    Guarded("[TNStatusBar::SetText][A]", [&] {
        label->SetCaption(text != nullptr ? text : "---");
        TextWidth = GetTextWidth();
        plat::TControl* hinted = overlay_.Get() != nullptr ? static_cast<plat::TControl*>(overlay_.Get()) : label;
        hinted->SetHint(hint != nullptr ? hint : "");
        hinted->SetShowHint(hint != nullptr);
    });
    Guarded("[TNStatusBar::SetText][B]",
            [&] { SetBounds(panel->Left(), panel->Top(), static_cast<int32_t>(panel->Tag()), panel->Height()); });
}

void TNStatusBar::SetCaption(const char* text)
{
    plat::TPanel* panel = panel_.Get();
    plat::TLabel* label = label_.Get();
    if (panel == nullptr || label == nullptr)
        return;
    Guarded("[TNStatusBar::SetCaption]", [&] {
        label->SetCaption(text != nullptr ? text : "---");
        TextWidth = GetTextWidth();
        SetBounds(panel->Left(), panel->Top(), static_cast<int32_t>(panel->Tag()), panel->Height());
    });
}

void TNStatusBar::SetHint(const char* hint)
{
    Guarded("[TNStatusBar::SetHint]", [&] {
        if (hint == nullptr)
            return;
        plat::TControl* hinted = overlay_.Get() != nullptr ? static_cast<plat::TControl*>(overlay_.Get())
                                                           : static_cast<plat::TControl*>(label_.Get());
        if (hinted != nullptr) {
            hinted->SetHint(hint);
            hinted->SetShowHint(true);
        }
        if (plat::TJvGradient* gradient = gradient_.Get())
            gradient->SetHint(hint);
    });
}

void TNStatusBar::SetIconIndex(int32_t index, bool show)
{
    Guarded("[TNStatusBar::SetIconIndex]", [&] {
        plat::TImage* icon = icon_.Get();
        if (icon == nullptr)
            return;
        icon->SetVisible(show);
        plat::TImageList* images = ViewMain::imagelistAction();
        if (!show || images == nullptr || index < 0 || index >= images->Count())
            return;
        plat::TBitmap& bitmap = icon->Picture().Bitmap();
        bitmap.SetSize(icon->Width(), icon->Height());
        DrawFilledRect(bitmap.Canvas(), icon->Width(), icon->Height(), plat::clWhite, plat::clWhite);
        images->GetBitmap(index, bitmap);
        icon->Invalidate();
    });
}

void TNStatusBar::MouseEnter(plat::TComponent*)
{
    Guarded("[TNStatusBar::MouseEnter]", [&] {
        if (plat::TLabel* label = label_.Get()) {
            label->Font().SetColor(HighlightText);
            label->Font().SetStyle(label->Font().Style() | plat::fsUnderline);
        }
        if (plat::TJvGradient* gradient = gradient_.Get())
            gradient->SetColors(HighlightStart, HighlightEnd);
    });
}

void TNStatusBar::MouseLeave(plat::TComponent*)
{
    Guarded("[TNStatusBar::MouseLeave]", [&] {
        if (plat::TLabel* label = label_.Get()) {
            label->Font().SetColor(NormalText);
            label->Font().SetStyle(label->Font().Style() & ~plat::fsUnderline);
        }
        if (plat::TJvGradient* gradient = gradient_.Get())
            gradient->SetColors(NormalStart, NormalEnd);
    });
}

int32_t TNStatusBar::GetTextWidth() const
{
    plat::TLabel* label = label_.Get();
    return label != nullptr ? plat::TextMetrics::TextWidth(label->Font(), label->Caption()) : 0;
}
