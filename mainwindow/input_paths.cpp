// The main window's small input paths: the edit commands, the text menu,
// the mouse wheel over the view's scroll boxes, and the status-bar and
// label links.

#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/outside_addresses.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view.h"
#include "view/view_item.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr plat::TColor kBlack = 0x000000;
constexpr plat::TColor kWhite = 0xFFFFFF;

// The classes the text menu gives the focus to before a command runs.
bool TakesTextMenuFocus(const char* className)
{
    for (const char* name :
         {"TFlatEdit", "TFlatComboBox", "TFlatMemo", "TMemo", "TFlatSpinEditInteger", "TDateTimePicker"}) {
        if (std::strcmp(name, className) == 0)
            return true;
    }
    return false;
}

// True unless the control lies on a page of the notebook other than the
// shown one.
bool OnShownPage(const plat::TControl* control, const plat::TNotebook* notebook)
{
    if (notebook == nullptr)
        return true;
    for (const plat::TControl* at = control; at != nullptr; at = at->Parent()) {
        if (at->Parent() == notebook)
            return at->Name() == notebook->ActivePage();
    }
    return true;
}

// Left and top edges belong to the control, right and bottom do not.
bool ClientContains(const plat::TControl& control, plat::TPoint screenPoint, plat::TScreenOrigins& origins)
{
    const plat::TPoint origin = origins.Of(control);
    return screenPoint.x >= origin.x && screenPoint.y >= origin.y && screenPoint.x < origin.x + control.ClientWidth() &&
           screenPoint.y < origin.y + control.ClientHeight();
}

// The social-network site of a status panel: App's address where it keeps
// one, otherwise the last line of the panel's hint text.
std::string SiteOfHint(const char* hint)
{
    const std::string text = hint != nullptr ? hint : "";
    const size_t lastLine = text.find_last_of('\n');
    const std::string site = lastLine == std::string::npos ? text : text.substr(lastLine + 1);
    return site.empty() ? std::string() : "https://" + site;
}

} // namespace

// ---------------------------------------------------------------------------
// Edit commands and the text menu

void TfrmMainDLMR1::mnuUndoClick()
{
    TNCommon::Zpet(this);
}

void TfrmMainDLMR1::mnuCopyClick()
{
    TNCommon::KopirujDoSchranky(this);
}

void TfrmMainDLMR1::mnuCutClick()
{
    TNCommon::VyjmiDoSchranky(this);
}

void TfrmMainDLMR1::mnuPasteClick()
{
    TNCommon::VlozZeSchranky(this);
}

void TfrmMainDLMR1::mnuDeleteClick()
{
    TNCommon::SmazVyber(this);
}

void TfrmMainDLMR1::mnuSelectAllClick()
{
    TNCommon::VyberVse(this);
}

void TfrmMainDLMR1::mnuCopyAllClick()
{
    TNCommon::VyberVse(this);
    TNCommon::KopirujDoSchranky(this);
}

void TfrmMainDLMR1::popupTextPopup()
{
    Guarded("[TfrmMainDLMR1::popupTextPopup]", [&] {
        auto* control = dynamic_cast<plat::TWinControl*>(popupText->PopupComponent());
        if (control != nullptr && TakesTextMenuFocus(control->ClassName()) && control->CanFocus())
            control->SetFocus();
    });
}

// ---------------------------------------------------------------------------
// The mouse wheel

bool TfrmMainDLMR1::MouseWheel(plat::TPoint mousePos, bool up)
{
    return Guarded("[TfrmMainDLMR1::MouseWheel]", false, [&] {
        // The newest component under the mouse takes the wheel.
        plat::TScreenOrigins origins;
        for (int32_t slot : WheelSlots()) {
            TNViewItem* item = slot < View.ItemsCount ? View.Items[slot] : nullptr;
            const plat::TJvPanel* frame = item != nullptr ? item->Scrollbox.Get() : nullptr;
            if (frame == nullptr || item->Shown == 0 || !ClientContains(*frame, mousePos, origins) ||
                !OnShownPage(frame, gDesk))
                continue;
            WheelComponent(item, up);
            return true;
        }
        return false;
    });
}

const std::vector<int32_t>& TfrmMainDLMR1::WheelSlots()
{
    // The component records lie far apart in memory, so reading each at
    // every wheel step is slow; the slots with a wheel control are found
    // again only after components were created. Newest first, so a step
    // stops at the first component under the mouse.
    const WheelSlotsStamp stamp{View.LastComponentId, View.ItemsCount, View.Items};
    if (stamp == wheelSlotsStamp_)
        return wheelSlots_;
    wheelSlots_.clear();
    for (int32_t slot = 0; slot < View.ItemsCount; ++slot) {
        if (View.Items[slot] != nullptr && View.Items[slot]->Scrollbox.Get() != nullptr)
            wheelSlots_.push_back(slot);
    }
    std::ranges::sort(wheelSlots_,
                      [](int32_t a, int32_t b) { return View.Items[a]->ComponentId > View.Items[b]->ComponentId; });
    wheelSlotsStamp_ = stamp;
    return wheelSlots_;
}

bool TfrmMainDLMR1::WheelComponent(TNViewItem* item, bool up)
{
    if (item->Type != cmpScrollbox) {
        LogTextInt("[TfrmMainDLMR1::MouseWheel] Unhandled item type! ", item->Type);
        return false;
    }
    TNViewInner* inner = View.GetActiveInner(item);
    if (inner != nullptr && inner->ListItemsCount > inner->VisibleRows) {
        // A long list moves by rows; the list is drawn again from the timer.
        if (!up && inner->FirstRow + inner->VisibleRows < inner->ListItemsCount)
            ++inner->FirstRow;
        else if (up && inner->FirstRow > 0)
            --inner->FirstRow;
        else
            return false;
        wheelMovedComponentId = item->ComponentId;
        timerScrollbarMove->SetTag(item->ListKind);
        timerScrollbarMove->SetEnabled(true);
        return true;
    }
    plat::TJvPanel* frame = item->Scrollbox.Get();
    plat::TJvPanel* content = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
    if (frame == nullptr || content == nullptr || content->Height() <= frame->Height())
        return false;
    const int32_t lowest = frame->Height() - content->Height();
    const int32_t step = item->KindValue15;
    const int32_t top = up ? std::min(content->Top() + step, 0) : std::max(content->Top() - step, lowest);
    content->SetTop(top);
    item->UpdateScrollbarPosition();
    if (item->OnScroll != nullptr)
        item->OnScroll(item);
    return true;
}

// ---------------------------------------------------------------------------
// Status-bar panels and links

void TfrmMainDLMR1::StatusClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::StatusClick]", [&] {
        const int64_t tag = sender != nullptr ? sender->Tag() : 0;
        switch (tag) {
        case 1:
            mnuOProgramuClick();
            return;
        case 2:
            c.OpenUrl(SiteOfHint(App.TwitterCaption).c_str());
            return;
        case 3:
            c.OpenUrl(App.FacebookUrl);
            return;
        case 4:
            c.OpenUrl(App.SupportUrl);
            return;
        case 5:
            OpenOutsideAddress(OutsideAddresses.StatusBarPartner, "[TfrmMainDLMR1::StatusClick]");
            return;
        case 6:
            c.OpenUrl(App.InstagramUrl);
            return;
        case 7:
            c.OpenUrl(App.WindowsPageUrl);
            return;
        default:
            c.OpenUrl(App.WebUrl);
            return;
        }
    });
}

void TfrmMainDLMR1::labelStatusVersionClick()
{
    mnuHomepageClick();
}

void TfrmMainDLMR1::LinkCloseMouseEnter(plat::TComponent* sender)
{
    if (auto* label = dynamic_cast<plat::TLabel*>(sender)) {
        label->SetTransparent(false);
        label->Font().SetColor(kBlack);
        label->SetColor(kWhite);
    }
}

void TfrmMainDLMR1::LinkCloseMouseLeave(plat::TComponent* sender)
{
    if (auto* label = dynamic_cast<plat::TLabel*>(sender)) {
        label->SetTransparent(false);
        label->Font().SetColor(kWhite);
        label->SetColor(kBlack);
    }
}

void TfrmMainDLMR1::timerLoginTimer()
{
    LogText("[TfrmMainDLMR1::timerLoginTimer][BEGIN]");
    timerLogin->SetEnabled(false);
    loginWaitPassed = true;
    LogText("[TfrmMainDLMR1::timerLoginTimer][END]");
}

void TfrmMainDLMR1::CreateInputPaths()
{
    timerScrollbarMove = new plat::TTimer(this);
    timerScrollbarMove->SetName("timerScrollbarMove");
    timerScrollbarMove->SetEnabled(false);
    timerScrollbarMove->SetInterval(1);
    timerScrollbarMove->OnTimer = [this](plat::TComponent*) { timerScrollbarMoveTimer(); };
    timerLogin = new plat::TTimer(this);
    timerLogin->SetName("timerLogin");
    timerLogin->SetEnabled(false);
    timerLogin->SetInterval(15000);
    timerLogin->OnTimer = [this](plat::TComponent*) { timerLoginTimer(); };
    auto wheel = [this](bool up) {
        return [this, up](plat::TComponent*, plat::TShiftState, plat::TPoint mousePos, bool& handled) {
            handled = MouseWheel(mousePos, up);
        };
    };
    OnMouseWheelUp = wheel(true);
    OnMouseWheelDown = wheel(false);
}
