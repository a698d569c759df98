// The day title (kind 12): the heading of a day or week on a gradient, with
// its clock.

#include "foundation/guard.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/view.h"

namespace {

constexpr int32_t kDayTitleHeight = 52;

plat::TLabel* MakeTitleLabel(TNView& view, plat::TForm* owner, plat::TPanel* panel, const char* text, int size,
                             bool bold, int left, int top)
{
    auto* label = new plat::TLabel(owner);
    label->SetParent(panel);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    label->Font().SetName(view.FontName);
    label->Font().SetSize(size);
    label->Font().SetColor(plat::clWhite);
    label->Font().SetStyle(bold ? plat::fsBold : 0);
    label->SetCaption(text);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
}

} // namespace

void TNView::CreateDayTitle(TNViewItem* item)
{
    Guarded("[TNView::CreateDayTitle]", [&] {
        if (item == nullptr)
            return;
        plat::TForm* owner = item->OwnerForm.Get();
        auto* panel = new plat::TPanel(owner);
        item->Panel = panel;
        panel->SetBevelOuter(plat::TBevelCut::bvNone);
        panel->SetBevelInner(plat::TBevelCut::bvNone);
        panel->SetDoubleBuffered(true);
        panel->SetColor(0x800000);
        panel->SetCaption("");
        panel->SetBounds(1, 14, DayTitleWidth - 2, kDayTitleHeight);

        auto* gradient = new plat::TJvGradient(owner);
        gradient->SetParent(panel);
        gradient->SetAlign(plat::TAlign::alClient);
        gradient->SetStyle(3);
        gradient->SetColors(0xBE6E19, 0x965A0F);
        item->Gradient = gradient;

        item->Labels[0] = MakeTitleLabel(*this, owner, panel, "NE", 10, true, 7, 5);
        plat::TLabel* day = MakeTitleLabel(*this, owner, panel, "33. ", 13, true, 42, 5);
        item->Labels[1] = day;
        plat::TLabel* month = MakeTitleLabel(*this, owner, panel, "MĚSÍC 0000", 13, false, 0, 5);
        month->SetLeft(day->Left() + day->Width());
        item->Labels[2] = month;
        item->Labels[3] =
            MakeTitleLabel(*this, owner, panel, "00. TÝDEN", 8, false, day->Left(), day->Top() + day->Height() + 5);
        plat::TLabel* time = MakeTitleLabel(*this, owner, panel, "99:99", 14, true, 0, 5);
        time->SetLeft(panel->Width() - time->Width() - 10);
        item->Labels[4] = time;
        plat::TLabel* overlay = MakeTitleLabel(*this, owner, panel, "", 10, false, 0, 0);
        overlay->SetAutoSize(false);
        overlay->SetBounds(0, 0, panel->Width(), panel->Height());
        item->TitleLabel = overlay;

        ClockPanel = panel;
        ClockLabel = time;
        panel->SetParent(item->ParentControl.Get());
    });
}

bool TNView::ResizeDayTitle(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    return Guarded("[TNView::ResizeDayTitle]", false, [&] {
        plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
        if (panel == nullptr)
            return false;
        panel->SetBounds(left, top, width, kDayTitleHeight);
        plat::TLabel* day = item->Labels[1].Get();
        plat::TLabel* month = item->Labels[2].Get();
        if (day != nullptr && month != nullptr)
            month->SetBounds(day->Left() + day->Width(), day->Top(), month->Width(), month->Height());
        if (plat::TLabel* overlay = item->TitleLabel.Get())
            overlay->SetBounds(0, 0, panel->Width(), panel->Height());
        return item->Shown == 1;
    });
}
