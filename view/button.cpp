// The drawn button (kind 13): gradient, frame, icon, text, check and
// drop-down marks, badge, and its hover and check-box behaviour.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "platform/gui/text_metrics.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kMarkSide = 14;
constexpr plat::TColor kBadgeColor = 0x808080;
constexpr int32_t kCheckboxRight = 4;

// The controls of a button, by role.
struct ButtonParts {
    explicit ButtonParts(TNViewItem& item)
        : panel(item.Panel.Get()), outline(item.Shapes[0].Get()), border1(item.Shapes[2].Get()),
          border2(item.Shapes[3].Get()), gradient(item.Gradient.Get()), icon(item.Images[1].Get()),
          checkMark(item.Images[2].Get()), dropDownMark(item.Images[3].Get()), text(item.Label(2)),
          badge(item.Label(3)), hoverOverlay(item.TitleLabel.Get()), checkOverlay(item.HintLabel.Get())
    {
    }
    plat::TPanel* panel;
    plat::TShape* outline;
    plat::TShape* border1;
    plat::TShape* border2;
    plat::TJvGradient* gradient;
    plat::TImage* icon;
    plat::TImage* checkMark;
    plat::TImage* dropDownMark;
    plat::TLabel* text;
    plat::TLabel* badge;
    plat::TLabel* hoverOverlay;
    plat::TLabel* checkOverlay;
};

plat::TColor TextColor(const TNView& view, plat::TColor color)
{
    return color != 0 ? color : view.ButtonTextColor;
}

void SetPen(plat::TShape* shape, plat::TColor color)
{
    if (shape == nullptr)
        return;
    plat::TPen pen = shape->Pen();
    pen.Color = color;
    shape->SetPen(pen);
}

plat::TShape* MakeShape(plat::TForm* owner, plat::TPanel* panel, plat::TColor penColor)
{
    auto* shape = new plat::TShape(owner);
    shape->SetParent(panel);
    plat::TBrush brush;
    brush.Style = plat::TBrushStyle::bsClear;
    shape->SetBrush(brush);
    SetPen(shape, penColor);
    return shape;
}

plat::TImage* MakeMark(plat::TForm* owner, plat::TPanel* panel, const char* imageName)
{
    auto* image = new plat::TImage(owner);
    image->SetParent(panel);
    image->SetAutoSize(true);
    image->SetBounds(-999, -999, image->Width(), image->Height());
    if (imageName != nullptr) {
        plat::TImage* source = ImageTable.GetImage(imageName, true);
        if (source != nullptr && source->Picture().Graphic() != nullptr)
            image->Picture().Assign(source->Picture());
    }
    return image;
}

plat::TLabel* MakeLabel(plat::TForm* owner, plat::TPanel* panel)
{
    auto* label = new plat::TLabel(owner);
    label->SetParent(panel);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    return label;
}

bool HasText(const plat::TLabel* text)
{
    return text != nullptr && !text->Caption().empty();
}

bool HasBadge(const plat::TLabel* badge)
{
    return badge != nullptr && !badge->Caption().empty();
}

// A badge at position 1 or 3 stands beside the text; 0 and 2 above or below.
bool BadgeBeside(const TNViewItem& item)
{
    return item.BadgePosition == 1 || item.BadgePosition == 3;
}

// The one button whose layouts are logged.
bool IsLoggedButton(const TNViewItem& item)
{
    return item.Name.Text != nullptr && std::strcmp(item.Name.Text, "scrollCalendar_WeekToolbar_DayTitle2") == 0;
}

} // namespace

void TNView::CreateButton(TNViewItem* item)
{
    Guarded("[TNView::CreateButton]", [&] {
        if (item == nullptr)
            return;
        plat::TForm* owner = item->OwnerForm.Get();
        auto* panel = new plat::TPanel(owner);
        item->Panel = panel;
        panel->SetDoubleBuffered(true);
        panel->SetBevelOuter(plat::TBevelCut::bvNone);
        panel->SetBevelInner(plat::TBevelCut::bvNone);
        panel->SetBounds(0, 0, 28, 28);
        plat::TColor panelColor = item->PanelColor != 0 ? item->PanelColor : owner != nullptr ? owner->Color() : 0;
        panel->SetColor(panelColor);
        panel->SetCaption("");
        panel->Font().SetName(FontName);
        panel->Font().SetSize(FontSize);
        panel->SetVisible(true);

        if (item->Caption.Length > 0)
            CreateCaptionLabel(item, panel);

        item->Shapes[0] = MakeShape(owner, panel, item->FrameColor != 0 ? item->FrameColor : panelColor);
        item->Shapes[2] = MakeShape(owner, panel, item->NormalBorder1);
        item->Shapes[3] = MakeShape(owner, panel, item->NormalBorder2);
        auto* gradient = new plat::TJvGradient(owner);
        gradient->SetParent(panel);
        gradient->SetStyle(3);
        gradient->SetColors(item->NormalStart, item->NormalEnd);
        item->Gradient = gradient;

        item->Images[1] = MakeMark(owner, panel, nullptr);
        item->Images[2] = MakeMark(owner, panel, "imgCheckboxCheckedWhiteBG");
        item->Images[3] = MakeMark(owner, panel, "imgDropdownSilver");

        auto* spare = new plat::TJvPanel(owner);
        spare->SetParent(panel);
        spare->SetVisible(false);
        spare->SetBounds(0, 0, 0, 0);
        item->FramePanel1 = spare;

        plat::TLabel* text = MakeLabel(owner, panel);
        text->Font().SetName(FontName);
        text->Font().SetSize(FontSize);
        text->Font().SetColor(TextColor(*this, item->NormalText));
        if (item->ButtonTitle.Length > 0)
            text->SetCaption(item->ButtonTitle.Text);
        item->Labels[0] = text;

        plat::TLabel* badge = MakeLabel(owner, panel);
        badge->SetTransparent(false);
        badge->SetColor(kBadgeColor);
        badge->Font().SetName(FontName);
        badge->Font().SetSize(7);
        badge->Font().SetColor(plat::clWhite);
        badge->SetAlignment(plat::TAlignment::taCenter);
        badge->SetLeft(-999);
        badge->SetVisible(false);
        item->Labels[1] = badge;

        plat::TLabel* hover = MakeLabel(owner, panel);
        hover->SetAutoSize(false);
        // Through the global: the controls may outlive this view object.
        hover->OnMouseEnter = [](plat::TComponent* sender) {
            if (ViewGlobalsConstructed())
                View.ButtonMouseEnter(sender);
        };
        hover->OnMouseLeave = [](plat::TComponent* sender) {
            if (ViewGlobalsConstructed())
                View.ButtonMouseLeave(sender);
        };
        item->TitleLabel = hover;
        plat::TLabel* check = MakeLabel(owner, panel);
        check->SetAutoSize(false);
        check->OnClick = [](plat::TComponent* sender) {
            if (ViewGlobalsConstructed())
                View.ButtonCheckboxClick(sender);
        };
        item->HintLabel = check;
        if (owner != nullptr && owner == ViewMain::MainForm()) {
            auto forward = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState shift, int x,
                              int y) { ViewMain::FormMouseDown(sender, static_cast<int32_t>(button), shift, x, y); };
            hover->OnMouseDown = forward;
            check->OnMouseDown = forward;
        }

        if (item->IconName.Length > 0)
            item->SetIcon(item->IconName.Text, true);
        panel->SetParent(item->ParentControl.Get());
    });
}

void TNView::ButtonMouseEnter(plat::TComponent* sender)
{
    Guarded("[TNView::ButtonMouseEnter]", [&] { ShowButtonLook(GetComponentByHandle(sender), true); });
}

void TNView::ButtonMouseLeave(plat::TComponent* sender)
{
    Guarded("[TNView::ButtonMouseLeave]", [&] { ShowButtonLook(GetComponentByHandle(sender), false); });
}

void TNView::ShowButtonLook(TNViewItem* item, bool hover)
{
    if (item == nullptr || item->Type != cmpButton || item->Enabled != 1)
        return;
    if (item->Active == 1) {
        item->SetActiveButtonColors(true);
        return;
    }
    ButtonParts parts(*item);
    SetPen(parts.outline, hover ? item->HoverOutline : item->NormalOutline);
    SetPen(parts.border1, hover ? item->HoverBorder1 : item->NormalBorder1);
    SetPen(parts.border2, hover ? item->HoverBorder2 : item->NormalBorder2);
    if (parts.gradient != nullptr)
        parts.gradient->SetColors(hover ? item->HoverStart : item->NormalStart,
                                  hover ? item->HoverEnd : item->NormalEnd);
    if (parts.text == nullptr)
        return;
    parts.text->Font().SetColor(TextColor(*this, hover ? item->HoverText : item->NormalText));
    if (item->UnderlineOnHover == 1) {
        plat::TFontStyles style = parts.text->Font().Style();
        parts.text->Font().SetStyle(hover ? style | plat::fsUnderline : style & ~plat::fsUnderline);
    }
}

void TNView::ButtonCheckboxClick(plat::TComponent* sender)
{
    Guarded("[TNView::ButtonCheckboxClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr || item->Type != cmpButton)
            return;
        item->Marked = item->Marked == 0 ? 1 : 0;
        SetButtonCheckbox(item);
        if (item->OnButtonClick != nullptr)
            item->OnButtonClick(item);
    });
}

void TNView::SetButtonCheckbox(TNViewItem* item)
{
    Guarded("[TNView::SetButtonCheckbox]", [&] {
        plat::TImage* mark = item != nullptr ? item->Images[2].Get() : nullptr;
        if (mark == nullptr)
            return;
        plat::TImage* source =
            ImageTable.GetImage(item->Marked == 1 ? "imgCheckboxCheckedWhiteBG" : "imgCheckboxUnchecked", true);
        if (source != nullptr && source->Picture().Graphic() != nullptr)
            mark->Picture().Assign(source->Picture());
    });
}

bool TNView::ResizeButton(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return Guarded("[TNView::ResizeButton]", false, [&] {
        if (item == nullptr) {
            LogWrite("[TNView::ResizeButton][ERROR] item = ", "NULL", false);
            return false;
        }
        ButtonParts parts(*item);
        if (parts.panel == nullptr)
            return false;
        int32_t column = GetCaptionMaxWidth(item->OwnerForm.Get(), item->ParentControl.Get(), item->Column);
        int32_t columnSlot = item->Column >= 0 && item->Column < kColumnCount ? item->Column : 0;
        if (!force && left == item->LastLeft && top == item->LastTop && width == item->LastWidth &&
            height == item->LastHeight && column == item->LastCaptionWidths[columnSlot])
            return item->Shown == 1;
        item->LastLeft = left;
        item->LastTop = top;
        item->LastWidth = width;
        item->LastHeight = height;
        item->LastCaptionWidths[columnSlot] = column;
        if (IsLoggedButton(*item)) {
            LogWrite("[ResizeButton] ", item->Name.Text, false);
            LogTextInt("[ResizeButton] _left = ", left);
            LogTextInt("[ResizeButton] _width = ", width);
        }
        if (width == 0 && height == 0) {
            parts.panel->SetBounds(left, top, 0, 0);
            return item->Shown == 1;
        }
        int32_t captionLeft = PlaceCaption(item);
        if (IsLoggedButton(*item))
            LogTextInt("[ResizeButton] caption_left = ", captionLeft);
        LayOutButton(item, captionLeft, left, top, width, height);
        return item->Shown == 1;
    });
}

void TNView::LayOutButton(TNViewItem* item, int32_t c, int32_t left, int32_t top, int32_t width, int32_t height)
{
    ButtonParts parts(*item);
    plat::TPanel* panel = parts.panel;
    const int32_t b = item->FrameWidth;
    const int32_t hpad = item->TextInsetX;
    const int32_t vpad = item->TextInsetY;
    const bool text = HasText(parts.text);
    const bool badge = text && HasBadge(parts.badge);
    const bool beside = badge && BadgeBeside(*item);
    const bool icon = item->IconShown == 1 && parts.icon != nullptr;
    const bool check = item->HasCheckbox == 1 && parts.checkMark != nullptr;
    const bool dropDown = item->HasDropDown == 1 && parts.dropDownMark != nullptr;
    const int32_t pos = item->IconPosition;
    const int32_t iw = icon ? parts.icon->Width() : 0;
    const int32_t ih = icon ? parts.icon->Height() : 0;
    const int32_t bw = badge ? parts.badge->Width() : 0;
    const int32_t bh = badge ? parts.badge->Height() : 0;
    const int32_t mw = dropDown ? parts.dropDownMark->Width() : 0;
    const int32_t mh = dropDown ? parts.dropDownMark->Height() : 0;
    const int32_t base = 2 * b + 4 + 2 * hpad;

    if (parts.text != nullptr) {
        parts.text->SetWordWrap(false);
        parts.text->SetAutoSize(true);
    }
    int32_t tw = text ? parts.text->Width() : 0;
    int32_t th = text ? parts.text->Height() : 0;

    int32_t L = left >= 0 ? left : panel->Left();
    int32_t T = top >= 0 ? top : panel->Top();
    int32_t W = width >= 0 ? width : panel->Width();
    int32_t H = height >= 0 ? height : panel->Height();

    if (item->AutoWidth == 1) {
        W = base;
        if (text)
            W += tw;
        if (beside)
            W += bw + item->BadgeGap;
        else if (badge)
            H += bh + item->BadgeGap;
        if (check)
            W += kMarkSide + item->CheckboxGap;
        if (dropDown)
            W += mw + item->DropDownGap;
        if (icon && pos >= 0 && pos <= 3) {
            W += iw;
            if ((pos == 1 || pos == 3) && text)
                W += item->IconGap;
        }
    }
    TNViewItem* parentItem = item->ParentItem;
    if (item->HeightFollowsParent == 1 && parentItem != nullptr && parentItem->Panel.Get() != nullptr)
        H = parentItem->Panel.Get()->Height();
    else if (height != 0 && icon)
        H = std::max(H, ih + 2 * (b + 1));

    int32_t checkX = 0;
    int32_t leftReserve = c;
    int32_t rightReserve = 0;
    if (check) {
        if (item->CheckboxSide == kCheckboxRight) {
            checkX = W - kMarkSide - b - item->CheckboxGap;
            rightReserve = W - checkX;
        } else {
            checkX = c + item->CheckboxGap + b;
            leftReserve = kMarkSide + checkX;
        }
    }

    int32_t room = W - (2 * b + 2) - leftReserve - rightReserve;
    if (icon && (pos == 3 || pos == 4))
        room -= 2 * hpad + iw + item->IconGap;
    if (dropDown)
        room -= mw + item->DropDownGap;

    if (text && item->WordWrap == 1) {
        size_t lines = plat::TextMetrics::WrapText(parts.text->Font(), parts.text->Caption(), room).size();
        th = std::min<int32_t>(static_cast<int32_t>(lines) * plat::TextMetrics::LineHeight(parts.text->Font()),
                               item->MaxTextHeight);
        tw = std::max(room, 0);
        parts.text->SetAutoSize(false);
        parts.text->SetWordWrap(true);
        parts.text->SetLayout(plat::TTextLayout::tlTop);
        parts.text->SetBounds(parts.text->Left(), parts.text->Top(), tw, th);
        if (height != 0) {
            H = 2 * (b + 1) + th + 2 * vpad;
            if (icon) {
                int32_t iconRoom = pos == 4 ? ih + 2 * item->IconTop + 2 * (b + 1) : ih + 2 * (b + 1);
                H = std::max(H, iconRoom);
            }
        }
    }

    panel->SetBounds(L, T, W, H);
    W = panel->Width();
    H = panel->Height();
    if (parts.outline != nullptr)
        parts.outline->SetBounds(c, 0, W - c, H);
    if (parts.checkMark != nullptr) {
        parts.checkMark->SetVisible(check);
        if (check) {
            SetButtonCheckbox(item);
            parts.checkMark->SetBounds(checkX, H / 2 - 7, kMarkSide, kMarkSide);
        }
    }
    if (parts.checkOverlay != nullptr) {
        parts.checkOverlay->SetVisible(check);
        if (check)
            parts.checkOverlay->SetBounds(checkX, H / 2 - 7, kMarkSide, kMarkSide);
    }
    const int32_t innerWidth = W - 2 * b - leftReserve - rightReserve;
    if (parts.border1 != nullptr)
        parts.border1->SetBounds(leftReserve + b, b, innerWidth, H - 2 * b);
    if (parts.border2 != nullptr)
        parts.border2->SetBounds(leftReserve + b + 1, b + 1, innerWidth - 2, H - 2 * b - 2);
    const plat::TRect gradient = plat::Bounds(leftReserve + b + 1, b + 1, innerWidth - 2, H - 2 * b - 2);
    if (parts.gradient != nullptr)
        parts.gradient->SetBounds(gradient.Left, gradient.Top, gradient.Width(), gradient.Height());

    if (parts.text != nullptr)
        parts.text->SetVisible(text);
    if (parts.badge != nullptr)
        parts.badge->SetVisible(badge);

    const int32_t badgeSpace = beside ? bw + item->BadgeGap : 0;
    int32_t textX = 0;
    switch (item->TextHAlign) {
    case 0:
        textX = beside ? gradient.Left + hpad + (item->BadgePosition == 3 ? badgeSpace : 0) : b + hpad;
        break;
    case 1:
        textX = gradient.Right - tw - badgeSpace - hpad;
        break;
    default:
        textX = W / 2 - (tw + badgeSpace) / 2 + hpad;
        break;
    }
    textX = std::max(textX, b + hpad);
    int32_t textY = 0;
    switch (item->TextVAlign) {
    case 0:
        textY = gradient.Top + vpad;
        break;
    case 2:
        textY = gradient.Bottom - th + vpad;
        break;
    default:
        textY = badge && !beside ? H / 2 - (th + bh + item->BadgeGap) / 2 + vpad : H / 2 - th / 2 + vpad;
        break;
    }

    int32_t iconX = 0;
    if (icon) {
        int32_t iconY = H / 2 - ih / 2;
        if (pos <= 2) {
            iconX = dropDown ? W / 2 - (mw + iw + item->DropDownGap) / 2 : W / 2 - iw / 2;
            if (text) {
                iconY = H / 2 - (ih + item->IconGap + th) / 2;
                textY = iconY + ih + item->IconGap;
            }
        } else {
            if (pos == 4)
                iconY = b + 1 + item->IconTop;
            if (item->TextHAlign == 0) {
                iconX = b + hpad + 2;
                textX += iw + item->IconGap;
            } else {
                int32_t row = iw + (dropDown ? mw + item->DropDownGap : 0) + (text ? item->IconGap + tw : 0);
                iconX = W / 2 - row / 2;
                textX = iconX + iw + item->IconGap;
            }
        }
        parts.icon->SetBounds(iconX, iconY, iw, ih);
    }
    if (parts.icon != nullptr)
        parts.icon->SetVisible(icon);
    if (parts.text != nullptr)
        parts.text->SetBounds(textX, textY, parts.text->Width(), parts.text->Height());

    if (badge) {
        switch (item->BadgePosition) {
        case 1:
            parts.badge->SetBounds(textX + tw + item->BadgeGap, textY + item->BadgeTop, bw, bh);
            break;
        case 3:
            parts.badge->SetBounds(gradient.Left + hpad, textY + item->BadgeTop, bw, bh);
            break;
        default:
            parts.badge->SetBounds(W / 2 - bw / 2, textY + th + item->BadgeGap, bw, bh);
            break;
        }
    }

    if (parts.dropDownMark != nullptr) {
        parts.dropDownMark->SetVisible(dropDown);
        if (dropDown) {
            int32_t markY = (H - mh) / 2 + 1;
            int32_t markX = 0;
            if (!icon)
                markX = textX + tw + item->DropDownGap + badgeSpace;
            else if (pos <= 2)
                markX = W - b - hpad - 2 - mw;
            else
                // Ends the icon-and-text row, inside the gradient.
                markX =
                    std::min((text ? textX + tw + badgeSpace : iconX + iw) + item->DropDownGap, gradient.Right - mw);
            parts.dropDownMark->SetBounds(markX, markY, mw, mh);
        }
    }

    if (parts.hoverOverlay != nullptr)
        parts.hoverOverlay->SetBounds(leftReserve, 0, W - leftReserve - rightReserve, H);
    if (panel->Parent() != nullptr) {
        panel->SetVisible(item->Shown == 1);
        if (parts.hoverOverlay != nullptr)
            parts.hoverOverlay->BringToFront();
    }
}
