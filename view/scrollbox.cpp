// The scroll box (kind 14): a framed container with up to three bars, a left
// column and a content panel that scrolls inside a clipping frame under a
// scroll bar of its own.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "online/global.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "view/hooks.h"
#include "view/view.h"

#include <algorithm>
#include <string>

namespace {

constexpr plat::TColor kThumbNormal = 0xCDCDCD;
constexpr plat::TColor kThumbHot = 0xA6A6A6;
constexpr plat::TColor kThumbDragged = 0x696969;
constexpr int32_t kScrollbarWidth = 10;
// Fixed-point scale of the thumb arithmetic.
constexpr int64_t kScale = 10000;

void LogNamed(const char* text, const TNViewItem& item)
{
    LogWrite(text, item.Name.Text != nullptr ? item.Name.Text : "", false);
}

plat::TJvPanel* MakeBoxPanel(TNView& view, plat::TForm* owner, plat::TWinControl* parent, plat::TColor color)
{
    auto* panel = new plat::TJvPanel(owner);
    panel->SetBevelInner(plat::TBevelCut::bvNone);
    panel->SetBevelOuter(plat::TBevelCut::bvNone);
    panel->SetColor(color);
    panel->SetCaption("");
    panel->Font().SetName(view.FontName);
    panel->Font().SetSize(view.FontSize);
    panel->SetParent(parent);
    return panel;
}

plat::TShape* MakeFrameShape(plat::TForm* owner, plat::TPanel* panel, plat::TColor penColor)
{
    auto* shape = new plat::TShape(owner);
    plat::TBrush brush;
    brush.Style = plat::TBrushStyle::bsClear;
    shape->SetBrush(brush);
    plat::TPen pen = shape->Pen();
    pen.Color = penColor;
    pen.Style = plat::TPenStyle::psSolid;
    shape->SetPen(pen);
    shape->SetParent(panel);
    return shape;
}

plat::TJvPanel* ContentPanelOf(TNView& view, TNViewItem* item)
{
    TNViewInner* inner = view.GetActiveInner(item);
    return inner != nullptr ? inner->ContentPanel.Get() : nullptr;
}

// The height the thumb measures against: the virtual content height, at
// least the frame, or the content itself.
int64_t ScrolledHeight(const TNViewItem& item, int32_t contentHeight, int32_t frameHeight)
{
    if (item.VirtualHeight >= 0)
        return std::max(item.VirtualHeight, frameHeight);
    return contentHeight;
}

// Thumb top for a content top; 64-bit so that tall content cannot overflow.
int32_t ThumbTopFor(int64_t contentTop, int64_t range, int64_t travel)
{
    if (range <= 0)
        return 0;
    return static_cast<int32_t>(((-contentTop * kScale) / range * travel) / kScale);
}

// Scroll offset for a thumb top, the inverse of ThumbTopFor.
int32_t OffsetFor(int64_t thumbTop, int64_t travel, int64_t range)
{
    return static_cast<int32_t>(((thumbTop * kScale) / travel * range) / kScale);
}

// Places a bar and the tool bar it holds; returns its counted height.
int32_t PlaceBar(TNView& view, plat::TJvPanel* bar, uint8_t shown, int32_t height, TNViewItem* toolbar, int32_t left,
                 int32_t top, int32_t width, bool force)
{
    const int32_t counted = shown != 0 ? height : 0;
    if (bar != nullptr)
        bar->SetBounds(left, top, width, counted);
    if (toolbar != nullptr)
        view.ResizeToolbar(toolbar, 0, 0, -1, -1, force);
    return counted;
}

// The rows of the active list are measured again at a new width.
void ForgetListItemPlaces(TNView& view, TNViewItem* item)
{
    TNViewInner* inner = view.GetActiveInner(item);
    if (inner == nullptr || inner->Heights == nullptr)
        return;
    for (int32_t i = 0; i < inner->ListItemsCount; ++i) {
        inner->Heights[i] = -1;
        if (inner->Tops != nullptr)
            inner->Tops[i] = -1;
    }
    inner->LastTagID = -9999;
}

// The box's height: given, or (-1, -2) fitted to the content, -1 no further
// than the parent's bottom, with the top bar's height added.
int32_t ScrollboxHeight(const TNViewItem& item, const plat::TPanel& panel, int32_t height, int32_t parentHeight,
                        int32_t contentHeight)
{
    if (height < -2) {
        LogWrite("[TNView::ResizeScrollbox][ERROR] Unknown height; item->Name = ",
                 item.Name.Text != nullptr ? item.Name.Text : "", false);
        return panel.Height();
    }
    if (height >= 0)
        return height;
    const int32_t wanted = 2 * item.FrameWidth + contentHeight + 2 * item.FrameInset;
    int32_t H = height == -1 ? std::min(parentHeight - panel.Top(), wanted) : wanted;
    TNViewItem* topBar = item.TopBarItem;
    if (item.TopBarShown != 0 && topBar != nullptr && topBar->Panel.Get() != nullptr)
        H += topBar->Panel.Get()->Height();
    return H;
}

// The frame's four shapes: outline, shadow, inner border and its inset.
void PlaceScrollboxShapes(TNViewItem* item, int32_t W, int32_t H)
{
    const int32_t b = item->FrameWidth;
    const plat::TRect shapeBounds[4] = {plat::Bounds(0, 0, W, H), plat::Bounds(b, b, W - b, H - b),
                                        plat::Bounds(b, b, W - 2 * b, H - 2 * b),
                                        plat::Bounds(b + 1, b + 1, W - 2 * b - 1, H - 2 * b - 1)};
    for (int i = 0; i < 4; ++i) {
        if (plat::TShape* shape = item->Shapes[i].Get())
            shape->SetBounds(shapeBounds[i].Left, shapeBounds[i].Top, shapeBounds[i].Width(), shapeBounds[i].Height());
    }
}

} // namespace

void TNView::CreateScrollbox(TNViewItem* item)
{
    Guarded("[TNView::CreateScrollbox]", [&] {
        if (item == nullptr)
            return;
        item->IconGap = 0;
        item->BadgeGap = 0;
        plat::TForm* owner = item->OwnerForm.Get();
        plat::TWinControl* parent = item->ParentControl.Get();

        plat::TPanel* panel = CreateItemPanel(item);

        const plat::TColor frameColor = item->FrameColor != 0 ? item->FrameColor : panel->Color();
        item->Shapes[0] = MakeFrameShape(owner, panel, frameColor);
        item->Shapes[1] = MakeFrameShape(owner, panel, frameColor);
        item->Shapes[2] = MakeFrameShape(owner, panel, panel->Color());
        item->Shapes[3] = MakeFrameShape(owner, panel, panel->Color());

        item->LeftColumnPanel = MakeBoxPanel(*this, owner, panel, panel->Color());
        item->LeftColumnPanel.Get()->SetColor(0xFF0000);
        item->TopBarPanel = MakeBoxPanel(*this, owner, panel, panel->Color());
        item->SecondBarPanel = MakeBoxPanel(*this, owner, panel, panel->Color());
        item->ThirdBarPanel = MakeBoxPanel(*this, owner, panel, panel->Color());
        item->Scrollbox = MakeBoxPanel(*this, owner, panel, panel->Color());
        item->AddInner();

        plat::TJvPanel* track = MakeBoxPanel(*this, owner, item->Scrollbox.Get(), panel->Color());
        item->TrackPanel = track;
        auto* thumb = new plat::TLabel(owner);
        thumb->SetAutoSize(false);
        thumb->SetTransparent(false);
        thumb->SetColor(kThumbNormal);
        thumb->SetCaption("");
        thumb->Font().SetName(FontName);
        thumb->Font().SetSize(FontSize);
        // Through the global: the controls may outlive this view object.
        thumb->OnMouseEnter = [](plat::TComponent* sender) {
            if (ViewGlobalsConstructed())
                View.ScrollThumbMouseEnter(sender);
        };
        thumb->OnMouseLeave = [](plat::TComponent* sender) {
            if (ViewGlobalsConstructed())
                View.ScrollThumbMouseLeave(sender);
        };
        thumb->OnMouseDown = [](plat::TComponent* sender, plat::TMouseButton, plat::TShiftState, int, int y) {
            if (ViewGlobalsConstructed())
                View.ScrollThumbMouseDown(sender, y);
        };
        thumb->SetParent(track);
        item->Thumb = thumb;

        panel->SetParent(parent);
    });
}

bool TNView::ResizeScrollbox(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force,
                             uint8_t updateScrollbar, uint8_t beforeResize, const char* caller)
{
    return Guarded("[TNView::ResizeScrollbox]", false, [&] {
        // 1. The box's controls and its parent's size.
        if (item == nullptr) {
            LogText("[TNView::ResizeScrollbox][ERROR] item = NULL");
            return false;
        }
        LogNamed("[TNView::ResizeScrollbox][BEGIN] ", *item);
        plat::TPanel* panel = item->Panel.Get();
        plat::TJvPanel* frame = item->Scrollbox.Get();
        plat::TLabel* thumb = item->Thumb.Get();
        if (panel == nullptr || frame == nullptr)
            return false;
        plat::TJvPanel* content = ContentPanelOf(*this, item);
        plat::TWinControl* parent = panel->Parent();
        const int32_t parentWidth = parent != nullptr ? parent->ClientWidth() : 0;
        const int32_t parentHeight = parent != nullptr ? parent->ClientHeight() : 0;

        // 2. All four -1: the panel's own bounds again.
        const bool fromPanel = left == -1 && top == -1 && width == -1 && height == -1;
        if (fromPanel) {
            left = panel->Left();
            top = panel->Top();
            width = panel->Width();
            height = panel->Height();
        }

        // 3. The thumb and the content as they were.
        const ScrollState before{thumb != nullptr ? thumb->Top() : 0, thumb != nullptr ? thumb->Height() : 0,
                                 frame->Height()};
        int32_t contentWidth = content != nullptr ? content->Width() : 0;
        int32_t contentHeight = content != nullptr ? content->Height() : 0;

        // 4. The owner may size the content first; a changed size forces
        // the layout.
        if (item->OnBeforeResize != nullptr && RunBeforeResize(item, beforeResize, contentWidth, contentHeight))
            force = true;

        // 5. Nothing changed: nothing to do.
        if (!force && !fromPanel && width == item->LastWidth && height == item->LastHeight &&
            parentWidth == item->LastParentWidth && parentHeight == item->LastParentHeight &&
            item->ChildrenCount == item->LastChildrenCount) {
            LogNamed("[TNView::ResizeScrollbox][END][RETURN] Prevent unnecessary resizing; item->Name = ", *item);
            return false;
        }
        LogNamed("[TNView::ResizeScrollbox][BB] ", *item);

        // 6. A new width: the list's rows are measured again.
        if (width != item->LastWidth)
            ForgetListItemPlaces(*this, item);
        LogNamed("[TNView::ResizeScrollbox][CC] ", *item);

        // 7. What this layout was made for.
        item->LastLeft = left;
        item->LastTop = top;
        item->LastWidth = width;
        item->LastHeight = height;
        item->LastParentWidth = parentWidth;
        item->LastParentHeight = parentHeight;
        item->LastChildrenCount = item->ChildrenCount;

        // 8. The box's size; a negative width is a share of the parent.
        const int32_t b = item->FrameWidth;
        const int32_t p = item->FrameInset;
        const int32_t W = width >= 0 ? width : parentWidth - (-width) * panel->Left();
        const int32_t H = ScrollboxHeight(*item, *panel, height, parentHeight, contentHeight);
        LogNamed("[TNView::ResizeScrollbox][DD] ", *item);

        // 9. The panel and its frame shapes.
        panel->SetBounds(left, top, W, H);
        PlaceScrollboxShapes(item, W, H);
        LogNamed("[TNView::ResizeScrollbox][EE] ", *item);

        // 10. The left column and its button.
        const int32_t columnWidth = PlaceLeftColumn(item);
        LogNamed("[TNView::ResizeScrollbox][FF] ", *item);

        // 11 to 13. The three bars, one under the other.
        const int32_t barWidth = W - 2 * b - 2 * p - columnWidth;
        const int32_t t1 = PlaceBar(*this, item->TopBarPanel.Get(), item->TopBarShown, item->TopBarHeight,
                                    item->TopBarItem, p + b + columnWidth, p + b, barWidth, force);
        const int32_t t2 = PlaceBar(*this, item->SecondBarPanel.Get(), item->SecondBarShown, item->SecondBarHeight,
                                    item->SecondBarItem, p + b + columnWidth, p + b + t1, barWidth, force);
        const int32_t t3 =
            PlaceBar(*this, item->ThirdBarPanel.Get(), item->ThirdBarShown, item->ThirdBarHeight, item->ThirdBarItem,
                     p + b, p + b + t1 + t2 + item->IconGap, W - 2 * b - 2 * p, force);
        LogNamed("[TNView::ResizeScrollbox][GG] ", *item);

        // 14. The scrolled frame under the bars; its owner may size the
        // content for it.
        const int32_t gaps = item->IconGap + item->BadgeGap;
        int32_t fw = W - 2 * b - 2 * p;
        int32_t fh = H - 2 * b - 2 * p - t1 - t2 - t3 - gaps;
        frame->SetBounds(p + b, p + b + t1 + t2 + t3 + gaps, fw, fh);
        if (item->OnContentResize != nullptr) {
            item->OnContentResize(item, &fw, &fh);
            contentWidth = fw;
            contentHeight = fh;
        }
        LogNamed("[TNView::ResizeScrollbox][HH] ", *item);

        // 15 to 17. The content, the track and the thumb.
        const int32_t contentTop = PlaceContentAndThumb(item, contentHeight, updateScrollbar == 1, before);

        // 18. The thumb cools down; the page learns where the content stands.
        SetScrollThumbHot(item, false);
        if (updateScrollbar == 1)
            ViewMain::ScrollWheelableTo(contentTop, item->Name.Text);

        // 19. The owner's own layout.
        if (item->OnResize != nullptr) {
            LogText("[View.ResizeScrollbox] Calling OnResize");
            item->OnResize(item);
        }
        LogWrite("[TNView::ResizeScrollbox][END] ", caller != nullptr ? caller : "", false);
        return true;
    });
}

bool TNView::RunBeforeResize(TNViewItem* item, uint8_t beforeResize, int32_t& contentWidth, int32_t& contentHeight)
{
    LogNamed("[TNView::ResizeScrollbox] Calling OnBeforeResize; item->Name = ", *item);
    g.ScrollboxBeforeResize = beforeResize;
    {
        // Cleared on every way out, a throwing callback included.
        TNScopeExit clearFlag([] { g.ScrollboxBeforeResize = 0; });
        item->OnBeforeResize(item, &contentWidth, &contentHeight);
    }
    plat::TJvPanel* content = ContentPanelOf(*this, item);
    return content != nullptr && (content->Width() != contentWidth || content->Height() != contentHeight);
}

int32_t TNView::PlaceLeftColumn(TNViewItem* item)
{
    const int32_t edge = item->FrameInset + item->FrameWidth;
    int32_t columnWidth = 0;
    if (plat::TJvPanel* column = item->LeftColumnPanel.Get()) {
        if (item->LeftColumnShown != 0) {
            columnWidth = item->LeftColumnWidth;
            column->SetBounds(edge, edge, item->LeftColumnWidth, item->LeftColumnHeight);
        } else {
            column->SetBounds(-99, -99, 0, 0);
        }
    }
    if (item->LeftColumnButtonItem != nullptr)
        ResizeButton(item->LeftColumnButtonItem, 0, 0, columnWidth, item->LeftColumnHeight, false);
    return columnWidth;
}

int32_t TNView::PlaceContentAndThumb(TNViewItem* item, int32_t contentHeight, bool updateScrollbar,
                                     const ScrollState& before)
{
    // The scroll bar shows when the content is taller than the frame.
    plat::TJvPanel* frame = item->Scrollbox.Get();
    plat::TLabel* thumb = item->Thumb.Get();
    const int32_t frameWidth = frame->Width();
    const int32_t frameHeight = frame->Height();
    const int32_t s = frameHeight < contentHeight || item->AlwaysShowScrollbar != 0 ? kScrollbarWidth : 0;
    if (frameHeight > contentHeight)
        contentHeight = frameHeight;
    LogNamed("[TNView::ResizeScrollbox][II] ", *item);

    plat::TJvPanel* content = ContentPanelOf(*this, item);
    if (content != nullptr)
        content->SetBounds(content->Left(), content->Top(), frameWidth - s, contentHeight);
    if (plat::TJvPanel* track = item->TrackPanel.Get())
        track->SetBounds(frameWidth - s, 0, s, frameHeight);
    if (item->Name.Equals("scrollPagesOrganizer", true, false))
        LogTextInt("[TNView::ResizeScrollbox][A] inner_height = ", contentHeight);
    LogNamed("[TNView::ResizeScrollbox][JJ] ", *item);

    // The thumb keeps its place when neither it nor the frame changed size.
    const int32_t contentTop = content != nullptr ? content->Top() : 0;
    if (contentHeight > 0 && updateScrollbar && thumb != nullptr) {
        const int64_t range = ScrolledHeight(*item, contentHeight, frameHeight) - frameHeight;
        const int32_t thumbHeight = item->UpdateScrollbarHeight(0, contentHeight);
        const int32_t travel = frameHeight - thumbHeight;
        int32_t thumbTop = std::clamp(ThumbTopFor(contentTop, range, travel), 0, std::max(travel, 0));
        if (thumbHeight == before.ThumbHeight && frameHeight == before.FrameHeight)
            thumbTop = before.ThumbTop;
        thumb->SetBounds(0, thumbTop, s, thumbHeight);
    }
    LogNamed("[TNView::ResizeScrollbox][KK] ", *item);
    return contentTop;
}

void TNView::SetScrollThumbHot(TNViewItem* item, bool hot)
{
    Guarded("[TNView::SetScrollThumbHot]", [&] {
        if (item == nullptr)
            return;
        if (plat::TLabel* thumb = item->Thumb.Get())
            thumb->SetColor(hot ? kThumbHot : kThumbNormal);
    });
}

namespace {

bool DragRunning(const plat::TLabel& thumb)
{
    return static_cast<bool>(thumb.OnMouseMove);
}

} // namespace

void TNView::ScrollThumbMouseEnter(plat::TComponent* sender)
{
    Guarded("[TNView::ScrollThumbMouseEnter]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->Thumb.Get() != nullptr && !DragRunning(*item->Thumb.Get()))
            SetScrollThumbHot(item, true);
    });
}

void TNView::ScrollThumbMouseLeave(plat::TComponent* sender)
{
    Guarded("[TNView::ScrollThumbMouseLeave]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->Thumb.Get() != nullptr && !DragRunning(*item->Thumb.Get()))
            SetScrollThumbHot(item, false);
    });
}

void TNView::ScrollThumbMouseDown(plat::TComponent* sender, int32_t y)
{
    Guarded("[TNView::ScrollThumbMouseDown]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TLabel* thumb = item != nullptr ? item->Thumb.Get() : nullptr;
        if (thumb == nullptr)
            return;
        thumb->SetTag(y);
        thumb->OnMouseMove = [](plat::TComponent* from, plat::TShiftState, int, int moveY) {
            if (ViewGlobalsConstructed())
                View.ScrollThumbMouseMove(from, moveY);
        };
        thumb->OnMouseUp = [](plat::TComponent* from, plat::TMouseButton, plat::TShiftState, int, int) {
            if (ViewGlobalsConstructed())
                View.ScrollThumbMouseUp(from);
        };
        thumb->SetColor(kThumbDragged);
    });
}

void TNView::ScrollThumbMouseMove(plat::TComponent* sender, int32_t y)
{
    Guarded("[TNView::ScrollThumbMouseMove]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TLabel* thumb = item != nullptr ? item->Thumb.Get() : nullptr;
        plat::TJvPanel* frame = item != nullptr ? item->Scrollbox.Get() : nullptr;
        if (thumb == nullptr || frame == nullptr || y == item->ThumbY)
            return;
        item->ThumbY = y;
        const int32_t frameHeight = frame->Height();
        const int32_t travel = frameHeight - thumb->Height();
        const int32_t newTop =
            std::clamp(y + thumb->Top() - static_cast<int32_t>(thumb->Tag()), 0, std::max(travel, 0));
        thumb->SetTop(newTop);

        plat::TJvPanel* content = ContentPanelOf(*this, item);
        const int32_t contentHeight = content != nullptr ? content->Height() : 0;
        if (travel > 0) {
            const int64_t range = ScrolledHeight(*item, contentHeight, frameHeight) - frameHeight;
            const int32_t offset = OffsetFor(newTop, travel, range);
            if (item->VirtualHeight >= 0) {
                item->VirtualOffset = -offset;
                if (content != nullptr)
                    content->SetTop(0);
            } else if (content != nullptr) {
                content->SetTop(-offset);
            }
        }
        if (item->OnScroll != nullptr)
            item->OnScroll(item);
    });
}

void TNView::ScrollThumbMouseUp(plat::TComponent* sender)
{
    Guarded("[TNView::ScrollThumbMouseUp]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TLabel* thumb = item != nullptr ? item->Thumb.Get() : nullptr;
        if (thumb == nullptr)
            return;
        thumb->OnMouseMove = nullptr;
        thumb->OnMouseUp = nullptr;
        thumb->SetColor(kThumbNormal);
    });
}

bool TNView::ScrollScrollboxTo(TNViewItem* item, int32_t position)
{
    return Guarded("[TNView::ScrollScrollboxTo]", false, [&] {
        if (item == nullptr || item->Type != cmpScrollbox)
            return false;
        plat::TJvPanel* content = ContentPanelOf(*this, item);
        plat::TJvPanel* frame = item->Scrollbox.Get();
        if (content == nullptr || frame == nullptr)
            return false;
        const int32_t lowest = std::min(0, frame->Height() - content->Height());
        content->SetTop(std::max(std::min(position, 0), lowest));
        return item->UpdateScrollbarPosition();
    });
}
