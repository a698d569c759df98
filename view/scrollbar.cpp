// The scroll box's own scroll bar and the one-shot repaint timer of a record
// list: the parts of a scroll box that are methods of the item.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view_item.h"

#include <algorithm>

namespace {

// Fixed-point scale of the thumb arithmetic; intermediates are 64-bit so
// that tall content cannot overflow.
constexpr int64_t kScale = 10000;

} // namespace

int32_t TNViewItem::UpdateScrollbarHeight(uint8_t apply, int32_t contentHeight)
{
    return Guarded("[TNViewItem::UpdateScrollbarHeight]", 0, [&] {
        plat::TJvPanel* frame = Scrollbox.Get();
        if (frame == nullptr)
            return 0;
        const int64_t F = frame->Height();
        const int64_t C = VirtualHeight > -1 ? std::max<int64_t>(VirtualHeight, F) : contentHeight;
        // Content that fits (empty content included) gives a full thumb.
        const int64_t thumb = C <= F ? F : std::clamp<int64_t>((F * kScale / C) * F / kScale, 0, F);
        if (apply == 1) {
            if (plat::TLabel* label = Thumb.Get())
                label->SetBounds(0, label->Top(), label->Width(), static_cast<int32_t>(thumb));
        }
        return static_cast<int32_t>(thumb);
    });
}

bool TNViewItem::UpdateScrollbarPosition()
{
    return Guarded("[TNViewItem::UpdateScrollbarPosition]", false, [&] {
        if (Type != cmpScrollbox) {
            LogWrite("[TNViewItem::UpdateScrollbarPosition][DEFAULT] item->Name = ",
                     Name.Text != nullptr ? Name.Text : "", false);
            return false;
        }
        TNViewInner* inner =
            Inners != nullptr && ActiveInnerPos >= 0 && ActiveInnerPos < InnersCount ? Inners[ActiveInnerPos] : nullptr;
        plat::TJvPanel* content = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
        plat::TJvPanel* frame = Scrollbox.Get();
        plat::TLabel* thumb = Thumb.Get();
        if (inner == nullptr || frame == nullptr || thumb == nullptr)
            return false;
        const int64_t F = frame->Height();
        const int64_t T = thumb->Height();
        const int64_t track = F - T;
        int64_t top = 0;
        if (VirtualHeight > -1) {
            const int64_t step = VirtualHeight / std::max(inner->ListItemsCount - 1, 1);
            const int64_t offset = inner->FirstRow * step;
            const int64_t range = VirtualHeight - F;
            if (range > 0)
                top = ((offset * kScale) / range) * track / kScale;
            if (top < 0 || inner->FirstRow <= 0)
                top = 0;
            if (T + top > F || inner->ListItemsCount - inner->VisibleRows <= inner->FirstRow)
                top = F - T;
            VirtualOffset = static_cast<int32_t>(offset);
        } else if (content != nullptr) {
            const int64_t range = content->Height() - F;
            if (range > 0)
                top = std::max<int64_t>(((-static_cast<int64_t>(content->Top()) * kScale) / range) * track / kScale, 0);
            if (T + top > F)
                top = F - T;
        }
        thumb->SetTop(static_cast<int32_t>(top));
        return true;
    });
}

bool TNViewItem::CreateTimerCalcScrollbox(bool enabled)
{
    return Guarded("[TNViewItem::CreateTimerCalcScrollbox]", false, [&] {
        if (RepaintTimer.Get() == nullptr) {
            auto* timer = new plat::TTimer(OwnerForm.Get());
            timer->OnTimer = [this](plat::TComponent* sender) { timerCalcScrollboxTimer(sender); };
            RepaintTimer = timer;
        }
        RepaintTimer.Get()->SetEnabled(enabled);
        return true;
    });
}

void TNViewItem::timerCalcScrollboxTimer(plat::TComponent*)
{
    Guarded("[TNViewItem::timerCalcScrollboxTimer]", [&] {
        if (plat::TTimer* timer = RepaintTimer.Get())
            timer->SetEnabled(false);
        ViewMain::PaintRecordsComponentsList(this, true, "TNViewItem::timerCalcScrollboxTimer_A", true);
    });
}
