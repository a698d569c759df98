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

// A button's parts, what shows and their sizes, and the places worked out
// step by step from them.
struct ButtonGeometry {
    ButtonGeometry(TNViewItem& item, ButtonParts& parts)
        : b(item.FrameWidth), hpad(item.TextInsetX), vpad(item.TextInsetY), text(HasText(parts.text)),
          badge(text && HasBadge(parts.badge)), beside(badge && BadgeBeside(item)),
          icon(item.IconShown == 1 && parts.icon != nullptr),
          check(item.HasCheckbox == 1 && parts.checkMark != nullptr),
          dropDown(item.HasDropDown == 1 && parts.dropDownMark != nullptr), pos(item.IconPosition),
          iw(icon ? parts.icon->Width() : 0), ih(icon ? parts.icon->Height() : 0), bw(badge ? parts.badge->Width() : 0),
          bh(badge ? parts.badge->Height() : 0), mw(dropDown ? parts.dropDownMark->Width() : 0),
          mh(dropDown ? parts.dropDownMark->Height() : 0)
    {
    }
    const int32_t b;
    const int32_t hpad;
    const int32_t vpad;
    const bool text;
    const bool badge;
    const bool beside;
    const bool icon;
    const bool check;
    const bool dropDown;
    const int32_t pos;
    const int32_t iw;
    const int32_t ih;
    const int32_t bw;
    const int32_t bh;
    const int32_t mw;
    const int32_t mh;
    // The text's size, then the panel's bounds.
    int32_t tw = 0;
    int32_t th = 0;
    int32_t L = 0;
    int32_t T = 0;
    int32_t W = 0;
    int32_t H = 0;
    // The check box and the room it and the outline take at the sides.
    int32_t checkX = 0;
    int32_t leftReserve = 0;
    int32_t rightReserve = 0;
    plat::TRect gradient;
    int32_t textX = 0;
    int32_t textY = 0;
    int32_t iconX = 0;
    int32_t BadgeSpace(const TNViewItem& item) const { return beside ? bw + item.BadgeGap : 0; }
};

// The panel's size: fitted to its content when AutoWidth, the height of the
// parent or of the icon, and the check box's place.
void MeasureButton(TNViewItem& item, ButtonGeometry& g, int32_t c, int32_t height)
{
    if (item.AutoWidth == 1) {
        g.W = 2 * g.b + 4 + 2 * g.hpad;
        if (g.text)
            g.W += g.tw;
        if (g.beside)
            g.W += g.bw + item.BadgeGap;
        else if (g.badge)
            g.H += g.bh + item.BadgeGap;
        if (g.check)
            g.W += kMarkSide + item.CheckboxGap;
        if (g.dropDown)
            g.W += g.mw + item.DropDownGap;
        if (g.icon && g.pos >= 0 && g.pos <= 3) {
            g.W += g.iw;
            if ((g.pos == 1 || g.pos == 3) && g.text)
                g.W += item.IconGap;
        }
    }
    TNViewItem* parentItem = item.ParentItem;
    if (item.HeightFollowsParent == 1 && parentItem != nullptr && parentItem->Panel.Get() != nullptr)
        g.H = parentItem->Panel.Get()->Height();
    else if (height != 0 && g.icon)
        g.H = std::max(g.H, g.ih + 2 * (g.b + 1));

    g.leftReserve = c;
    if (g.check) {
        if (item.CheckboxSide == kCheckboxRight) {
            g.checkX = g.W - kMarkSide - g.b - item.CheckboxGap;
            g.rightReserve = g.W - g.checkX;
        } else {
            g.checkX = c + item.CheckboxGap + g.b;
            g.leftReserve = kMarkSide + g.checkX;
        }
    }
}

// A wrapped text takes the room left between the marks; the height follows.
void WrapButtonText(TNViewItem& item, ButtonParts& parts, ButtonGeometry& g, int32_t height)
{
    int32_t room = g.W - (2 * g.b + 2) - g.leftReserve - g.rightReserve;
    if (g.icon && (g.pos == 3 || g.pos == 4))
        room -= 2 * g.hpad + g.iw + item.IconGap;
    if (g.dropDown)
        room -= g.mw + item.DropDownGap;
    if (!g.text || item.WordWrap != 1)
        return;
    size_t lines = plat::TextMetrics::WrapText(parts.text->Font(), parts.text->Caption(), room).size();
    g.th = std::min<int32_t>(static_cast<int32_t>(lines) * plat::TextMetrics::LineHeight(parts.text->Font()),
                             item.MaxTextHeight);
    g.tw = std::max(room, 0);
    parts.text->SetAutoSize(false);
    parts.text->SetWordWrap(true);
    parts.text->SetLayout(plat::TTextLayout::tlTop);
    parts.text->SetBounds(parts.text->Left(), parts.text->Top(), g.tw, g.th);
    if (height != 0) {
        g.H = 2 * (g.b + 1) + g.th + 2 * g.vpad;
        if (g.icon) {
            int32_t iconRoom = g.pos == 4 ? g.ih + 2 * item.IconTop + 2 * (g.b + 1) : g.ih + 2 * (g.b + 1);
            g.H = std::max(g.H, iconRoom);
        }
    }
}

// The check box's overlay, the two borders and the gradient.
void PlaceButtonFrame(ButtonParts& parts, ButtonGeometry& g)
{
    if (parts.checkOverlay != nullptr) {
        parts.checkOverlay->SetVisible(g.check);
        if (g.check)
            parts.checkOverlay->SetBounds(g.checkX, g.H / 2 - 7, kMarkSide, kMarkSide);
    }
    const int32_t innerWidth = g.W - 2 * g.b - g.leftReserve - g.rightReserve;
    if (parts.border1 != nullptr)
        parts.border1->SetBounds(g.leftReserve + g.b, g.b, innerWidth, g.H - 2 * g.b);
    if (parts.border2 != nullptr)
        parts.border2->SetBounds(g.leftReserve + g.b + 1, g.b + 1, innerWidth - 2, g.H - 2 * g.b - 2);
    g.gradient = plat::Bounds(g.leftReserve + g.b + 1, g.b + 1, innerWidth - 2, g.H - 2 * g.b - 2);
    if (parts.gradient != nullptr)
        parts.gradient->SetBounds(g.gradient.Left, g.gradient.Top, g.gradient.Width(), g.gradient.Height());
    if (parts.text != nullptr)
        parts.text->SetVisible(g.text);
    if (parts.badge != nullptr)
        parts.badge->SetVisible(g.badge);
}

// The text's place by its alignment, before the icon moves it.
void AlignButtonText(const TNViewItem& item, ButtonGeometry& g)
{
    const int32_t badgeSpace = g.BadgeSpace(item);
    switch (item.TextHAlign) {
    case 0:
        g.textX = g.beside ? g.gradient.Left + g.hpad + (item.BadgePosition == 3 ? badgeSpace : 0) : g.b + g.hpad;
        break;
    case 1:
        g.textX = g.gradient.Right - g.tw - badgeSpace - g.hpad;
        break;
    default:
        g.textX = g.W / 2 - (g.tw + badgeSpace) / 2 + g.hpad;
        break;
    }
    g.textX = std::max(g.textX, g.b + g.hpad);
    switch (item.TextVAlign) {
    case 0:
        g.textY = g.gradient.Top + g.vpad;
        break;
    case 2:
        g.textY = g.gradient.Bottom - g.th + g.vpad;
        break;
    default:
        g.textY =
            g.badge && !g.beside ? g.H / 2 - (g.th + g.bh + item.BadgeGap) / 2 + g.vpad : g.H / 2 - g.th / 2 + g.vpad;
        break;
    }
}

// The icon above the text (positions 0 to 2) or before it (3 and 4).
void PlaceButtonIcon(const TNViewItem& item, ButtonParts& parts, ButtonGeometry& g)
{
    if (g.icon) {
        int32_t iconY = g.H / 2 - g.ih / 2;
        if (g.pos <= 2) {
            g.iconX = g.dropDown ? g.W / 2 - (g.mw + g.iw + item.DropDownGap) / 2 : g.W / 2 - g.iw / 2;
            if (g.text) {
                iconY = g.H / 2 - (g.ih + item.IconGap + g.th) / 2;
                g.textY = iconY + g.ih + item.IconGap;
            }
        } else {
            if (g.pos == 4)
                iconY = g.b + 1 + item.IconTop;
            if (item.TextHAlign == 0) {
                g.iconX = g.b + g.hpad + 2;
                g.textX += g.iw + item.IconGap;
            } else {
                int32_t row = g.iw + (g.dropDown ? g.mw + item.DropDownGap : 0) + (g.text ? item.IconGap + g.tw : 0);
                g.iconX = g.W / 2 - row / 2;
                g.textX = g.iconX + g.iw + item.IconGap;
            }
        }
        parts.icon->SetBounds(g.iconX, iconY, g.iw, g.ih);
    }
    if (parts.icon != nullptr)
        parts.icon->SetVisible(g.icon);
    if (parts.text != nullptr)
        parts.text->SetBounds(g.textX, g.textY, parts.text->Width(), parts.text->Height());
}

// The badge by the text and the drop-down mark at the end of the row.
void PlaceBadgeAndMark(const TNViewItem& item, ButtonParts& parts, const ButtonGeometry& g)
{
    if (g.badge) {
        switch (item.BadgePosition) {
        case 1:
            parts.badge->SetBounds(g.textX + g.tw + item.BadgeGap, g.textY + item.BadgeTop, g.bw, g.bh);
            break;
        case 3:
            parts.badge->SetBounds(g.gradient.Left + g.hpad, g.textY + item.BadgeTop, g.bw, g.bh);
            break;
        default:
            parts.badge->SetBounds(g.W / 2 - g.bw / 2, g.textY + g.th + item.BadgeGap, g.bw, g.bh);
            break;
        }
    }
    if (parts.dropDownMark == nullptr)
        return;
    parts.dropDownMark->SetVisible(g.dropDown);
    if (!g.dropDown)
        return;
    int32_t markY = (g.H - g.mh) / 2 + 1;
    int32_t markX = 0;
    if (!g.icon)
        markX = g.textX + g.tw + item.DropDownGap + g.BadgeSpace(item);
    else if (g.pos <= 2)
        markX = g.W - g.b - g.hpad - 2 - g.mw;
    else
        // Ends the icon-and-text row, inside the gradient.
        markX = std::min((g.text ? g.textX + g.tw + g.BadgeSpace(item) : g.iconX + g.iw) + item.DropDownGap,
                         g.gradient.Right - g.mw);
    parts.dropDownMark->SetBounds(markX, markY, g.mw, g.mh);
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
    ButtonGeometry g(*item, parts);
    if (parts.text != nullptr) {
        parts.text->SetWordWrap(false);
        parts.text->SetAutoSize(true);
    }
    g.tw = g.text ? parts.text->Width() : 0;
    g.th = g.text ? parts.text->Height() : 0;
    g.L = left >= 0 ? left : panel->Left();
    g.T = top >= 0 ? top : panel->Top();
    g.W = width >= 0 ? width : panel->Width();
    g.H = height >= 0 ? height : panel->Height();

    MeasureButton(*item, g, c, height);
    WrapButtonText(*item, parts, g, height);
    panel->SetBounds(g.L, g.T, g.W, g.H);
    g.W = panel->Width();
    g.H = panel->Height();
    if (parts.outline != nullptr)
        parts.outline->SetBounds(c, 0, g.W - c, g.H);
    if (parts.checkMark != nullptr) {
        parts.checkMark->SetVisible(g.check);
        if (g.check) {
            SetButtonCheckbox(item);
            parts.checkMark->SetBounds(g.checkX, g.H / 2 - 7, kMarkSide, kMarkSide);
        }
    }
    PlaceButtonFrame(parts, g);
    AlignButtonText(*item, g);
    PlaceButtonIcon(*item, parts, g);
    PlaceBadgeAndMark(*item, parts, g);

    if (parts.hoverOverlay != nullptr)
        parts.hoverOverlay->SetBounds(g.leftReserve, 0, g.W - g.leftReserve - g.rightReserve, g.H);
    if (panel->Parent() != nullptr) {
        panel->SetVisible(item->Shown == 1);
        if (parts.hoverOverlay != nullptr)
            parts.hoverOverlay->BringToFront();
    }
}
