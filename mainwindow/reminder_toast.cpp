// The reminder toast: a small window that slides down from the top edge,
// shows one urgent record for four seconds and slides back up, driven by
// timerHint whose Tag is its state.

#include "mainwindow/main_window.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "mainwindow/hint_window.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/tags.h"
#include "model/tags_assign.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/screen.h"
#include "platform/gui/shape.h"
#include "platform/gui/timer.h"

#include <algorithm>
#include <string>

namespace {

enum HintState : int64_t { kStart = 0, kSlidingIn = 1, kHolding = 2, kSlidingOut = 3, kHidden = 4 };

constexpr int kAlphaStep = 15;
constexpr int kTopStep = 7;
constexpr uint32_t kSlideInMs = 28;
constexpr uint32_t kHoldMs = 4000;
constexpr uint32_t kSlideOutMs = 10;
constexpr int kMargin = 16;
constexpr int kRowHeight = 16;

constexpr plat::TColor kWindowColour = plat::clWhite;
constexpr plat::TColor kSilver = 0xC0C0C0;
constexpr plat::TColor kTagColour = 0xC8C3BE;  // #BEC3C8
constexpr plat::TColor kTextHover = 0xC80000;  // #0000C8
constexpr plat::TColor kOuterFrame = 0xA9A9A9; // #A9A9A9
constexpr plat::TColor kInnerFrame = 0x818181; // #818181

constexpr const char* kHelpCaption = "O antiprokrastinační funkci";
constexpr const char* kHelpText =
    "Antiprokrastinační funkce Dalmora\n\n"
    "Pokud libovolnému záznamu nastavíte \"Důležitost\" na \"Urgentní\", desktopová verze Dalmora na záznam "
    "upozorňuje malým oknem, které se objevuje v několikaminutových intervalech, dokud není takovému záznamu "
    "nastaven \"Stav\" na \"Dokončeno\" (nebo dokud není \"Důležitost\" změněna na jinou hodnotu).\n\n"
    "Je-li jako \"Urgentní\" označeno více záznamů, Dalmora z těchto záznamů vybírá náhodně, který zobrazí.\n\n"
    "Čas začátku záznamu nemá na funkci vliv - záznam začne být připomínán ihned.\n\n"
    "Nastavení funkce naleznete v hlavním okně Dalmora nahoře v menu Nastavení - Antiprokrastinační funkce.\n";

plat::TShape* MakeFrame(TfrmHint& form, plat::TColor colour)
{
    auto* shape = new plat::TShape(&form);
    shape->SetBrush(plat::TBrush{plat::clWhite, plat::TBrushStyle::bsClear});
    shape->SetPen(plat::TPen{colour, 1, plat::TPenStyle::psSolid});
    shape->SetParent(&form);
    return shape;
}

plat::TLabel* MakeLabel(TfrmHint& form)
{
    auto* label = new plat::TLabel(&form);
    label->SetParent(&form);
    return label;
}

// A small label of the second row: Tahoma 8, centred both ways, `width`
// wide (the text's width plus `extra`), 16 high.
void FillRowLabel(plat::TLabel& label, const std::string& caption, const char* hint, plat::TColor font,
                  plat::TColor background, int extra)
{
    label.Font().SetName("Tahoma");
    label.Font().SetSize(8);
    label.Font().SetStyle(0);
    label.Font().SetColor(font);
    label.SetColor(background);
    label.SetTransparent(false);
    label.SetAlignment(plat::TAlignment::taCenter);
    label.SetLayout(plat::TTextLayout::tlCenter);
    label.SetHint(hint);
    label.SetShowHint(true);
    label.SetAutoSize(true);
    label.SetCaption(caption);
    const int width = label.Width() + extra;
    label.SetAutoSize(false);
    label.SetBounds(label.Left(), label.Top(), width, kRowHeight);
}

void Colour(plat::TLabel* label, plat::TColor font, plat::TColor background)
{
    if (label == nullptr)
        return;
    label->Font().SetColor(font);
    label->Font().SetStyle(label->Font().Style() & ~plat::fsUnderline);
    label->SetColor(background);
}

} // namespace

void TfrmMainDLMR1::timerHintTimer()
{
    Guarded("[TfrmMainDLMR1::timerHintTimer]", [&] {
        if (g.Close != 0)
            return;
        const int64_t state = timerHint->Tag();
        LogTextInt("[TfrmMainDLMR1::timerHintTimer][BEGIN] timerHint->Tag = ", static_cast<int32_t>(state));
        switch (state) {
        case kStart:
            timerHint->SetEnabled(false);
            if (frmHint == nullptr)
                CreateHintWindow();
            frmHint->SetAlphaBlend(true);
            frmHint->SetAlphaBlendValue(0);
            frmHintActivate();
            lastToastTime = plat::UnixSeconds();
            break;
        case kSlidingIn:
            if (frmHint->AlphaBlendValue() < 245) {
                frmHint->SetAlphaBlendValue(frmHint->AlphaBlendValue() + kAlphaStep);
                frmHint->SetTop(frmHint->Top() + kTopStep);
            } else {
                frmHint->SetAlphaBlendValue(255);
                timerHint->SetInterval(kHoldMs);
                timerHint->SetTag(kHolding);
            }
            break;
        case kHolding:
            timerHint->SetInterval(kSlideOutMs);
            timerHint->SetTag(kSlidingOut);
            break;
        case kSlidingOut:
            if (frmHint->AlphaBlendValue() > 10) {
                frmHint->SetAlphaBlendValue(frmHint->AlphaBlendValue() - kAlphaStep);
                frmHint->SetTop(frmHint->Top() - kTopStep);
            } else {
                frmHint->SetAlphaBlendValue(0);
                timerHint->SetTag(kHidden);
            }
            break;
        default:
            frmHint->SetAlphaBlend(true);
            frmHint->SetAlphaBlendValue(0);
            timerHint->SetEnabled(false);
            timerHint->SetTag(kStart);
            hintHoldPaused = false;
            break;
        }
    });
}

void TfrmMainDLMR1::CloseHintWindow()
{
    if (frmHint != nullptr)
        frmHint->Hide();
}

void TfrmMainDLMR1::CreateHintWindow()
{
    frmHint = new TfrmHint(this);
    frmHint->SetName("frmHint");
    frmHint->SetBorderStyle(plat::TFormBorderStyle::bsNone);
    frmHint->SetSkipTaskbar(true);
    frmHint->SetColor(kWindowColour);
    frmHint->SetCaption("");
    frmHint->SetBounds(plat::Screen::Width() / 2 - 150, -55, 300, 55);
    frmHint->SetStayOnTop(true);
    // Shown unmapped: a window mapped at its first size reports that size
    // back after the fill has resized it.
    frmHint->SetAlphaBlend(true);
    frmHint->SetAlphaBlendValue(0);
    plat::TWeakRef<plat::TForm> remembered(plat::Application::ActiveForm());
    frmHint->Show();
    if (plat::TForm* form = remembered.Get())
        form->Activate();
    // Later mappings (every slide-in) never take the keyboard either.
    frmHint->SetNoActivate(true);
}

void TfrmMainDLMR1::frmHintActivate()
{
    Guarded("[TfrmMainDLMR1::frmHintActivate]", [&] {
        // 1. The record to remind of, once the dispatcher is free.
        WaitWhileUiDispatcherBusy();
        std::shared_ptr<const TNPIMRecord> record = g.NotifyConstantlyRecord();
        if (record == nullptr || frmHint == nullptr)
            return;

        // 2. The toast's frame.
        TfrmHint& form = *frmHint;
        form.SetCaption("");
        if (form.shpOuter == nullptr) {
            form.shpOuter = MakeFrame(form, kOuterFrame);
            form.shpInner = MakeFrame(form, kInnerFrame);
            form.lblText = MakeLabel(form);
            form.lblTag = MakeLabel(form);
            form.lblClose = MakeLabel(form);
            form.lblHelp = MakeLabel(form);
            BindHintLabels();
        }

        // 3. The record's text is user data: plain text, as labels draw.
        plat::TLabel& text = *form.lblText;
        text.Font().SetName("Tahoma");
        text.Font().SetSize(10);
        text.Font().SetStyle(plat::fsBold);
        text.Font().SetColor(plat::clBlack);
        text.SetTransparent(true);
        text.SetAutoSize(true);
        text.SetCaption(std::string(record->Text.View()));
        text.SetBounds(18, kMargin, text.Width(), text.Height());
        const int widest = plat::Screen::Width() - 72;
        if (widest < text.Width()) {
            text.SetAutoSize(false);
            text.SetWidth(widest);
        }

        // 4. Its size from the text.
        const int clientWidth = std::max(text.Width(), 250) + 36;
        const int clientHeight = text.Height() + 2 * kMargin + kRowHeight + 6;
        text.SetLeft((clientWidth - text.Width()) / 2);
        form.SetClientWidth(clientWidth);
        form.SetClientHeight(clientHeight);
        form.SetBounds(plat::Screen::Width() / 2 - form.Width() / 2, -form.Height(), form.Width(), form.Height());
        const int rowTop = kMargin + text.Height() + 4;
        form.shpOuter->SetBounds(0, 0, clientWidth, clientHeight);
        form.shpInner->SetBounds(1, 1, clientWidth - 2, clientHeight - 2);

        // 5. The record's tag.
        std::string tagTitle;
        bool hasTag = false;
        {
            TNModelReadGuard lock;
            TNPIM* pim = PIM[record->GetParentPIMPos()];
            if (const TNPIMTag* tag = pim != nullptr ? pim->TagsAssign.GetTag(record->ID) : nullptr) {
                tagTitle = tag->Title.View();
                hasTag = true;
            }
        }
        plat::TLabel& tag = *form.lblTag;
        if (hasTag) {
            FillRowLabel(tag, tagTitle, "Štítek", plat::clWhite, kTagColour, 6);
            tag.SetBounds(text.Left(), rowTop, tag.Width(), kRowHeight);
        } else {
            tag.SetCaption("");
            tag.SetTransparent(true);
            tag.SetAutoSize(false);
            tag.SetBounds(-99, -99, 0, 0);
        }

        // 6. and 7. The close and open links.
        plat::TLabel& close = *form.lblClose;
        FillRowLabel(close, "[X]", "Zavřít", kSilver, kWindowColour, 2);
        close.SetBounds(text.Left() + text.Width() - close.Width() + 1, rowTop, close.Width(), kRowHeight);
        plat::TLabel& help = *form.lblHelp;
        FillRowLabel(help, "[?]", "Nápověda", kSilver, kWindowColour, 2);
        help.SetBounds(close.Left() - help.Width() - 6, rowTop, help.Width(), kRowHeight);

        // 8. The toast slides in.
        timerHint->SetTag(kSlidingIn);
        timerHint->SetInterval(kSlideInMs);
        timerHint->SetEnabled(true);
    });
}

void TfrmMainDLMR1::BindHintLabels()
{
    TfrmHint& form = *frmHint;
    form.lblText->OnMouseEnter = [this](plat::TComponent*) { frmHintLabelButtonMouseEnter(); };
    form.lblText->OnMouseLeave = [this](plat::TComponent*) { frmHintLabelButtonMouseLeave(); };
    form.lblText->OnClick = [this](plat::TComponent*) { frmHintLabelButtonClick(); };
    form.lblTag->OnMouseEnter = [this](plat::TComponent*) { frmHintTagButtonMouseEnter(); };
    form.lblTag->OnMouseLeave = [this](plat::TComponent*) { frmHintTagButtonMouseLeave(); };
    form.lblTag->OnClick = [this](plat::TComponent*) { frmHintTagButtonClick(); };
    form.lblClose->OnMouseEnter = [this](plat::TComponent*) { frmHintCloseButtonMouseEnter(); };
    form.lblClose->OnMouseLeave = [this](plat::TComponent*) { frmHintCloseButtonMouseLeave(); };
    form.lblClose->OnClick = [this](plat::TComponent*) { frmHintCloseButtonClick(); };
    form.lblHelp->OnMouseEnter = [this](plat::TComponent*) { frmHintHelpButtonMouseEnter(); };
    form.lblHelp->OnMouseLeave = [this](plat::TComponent*) { frmHintHelpButtonMouseLeave(); };
    form.lblHelp->OnClick = [this](plat::TComponent*) { frmHintHelpButtonClick(); };
}

void TfrmMainDLMR1::PauseHintHold()
{
    if (timerHint->Tag() != kHolding)
        return;
    timerHint->SetEnabled(false);
    hintHoldPaused = true;
    lastToastTime = plat::UnixSeconds();
}

void TfrmMainDLMR1::ResumeHintHold()
{
    // Only a hold an enter paused resumes, with its full time: a leave that
    // comes after the toast went (the window unmapping sends one) must not
    // bring it back.
    if (!hintHoldPaused)
        return;
    hintHoldPaused = false;
    timerHint->SetEnabled(true);
}

void TfrmMainDLMR1::SlideHintUp()
{
    hintHoldPaused = false;
    timerHint->SetTag(kSlidingOut);
    timerHint->SetInterval(1);
    timerHint->SetEnabled(true);
}

void TfrmMainDLMR1::frmHintLabelButtonMouseEnter()
{
    Colour(frmHint->lblText, kTextHover, kWindowColour);
    PauseHintHold();
}

void TfrmMainDLMR1::frmHintLabelButtonMouseLeave()
{
    Colour(frmHint->lblText, plat::clBlack, kWindowColour);
    ResumeHintHold();
}

void TfrmMainDLMR1::frmHintLabelButtonClick()
{
    Guarded("[TfrmMainDLMR1::frmHintLabelButtonClick]", [&] {
        SlideHintUp();
        ShowApplication("TfrmMainDLMR1::frmHintLabelButtonClick", plat::Application::kShowNormal);
        timerAddSomethingNew->SetTag(1);
        timerAddSomethingNew->SetEnabled(true);
    });
}

void TfrmMainDLMR1::frmHintTagButtonMouseEnter()
{
    Colour(frmHint->lblTag, plat::clWhite, plat::clBlack);
    PauseHintHold();
}

void TfrmMainDLMR1::frmHintTagButtonMouseLeave()
{
    Colour(frmHint->lblTag, plat::clWhite, kTagColour);
    ResumeHintHold();
}

void TfrmMainDLMR1::frmHintTagButtonClick()
{
    frmHintLabelButtonClick();
}

void TfrmMainDLMR1::frmHintCloseButtonMouseEnter()
{
    Colour(frmHint->lblClose, plat::clWhite, plat::clBlack);
    PauseHintHold();
}

void TfrmMainDLMR1::frmHintCloseButtonMouseLeave()
{
    Colour(frmHint->lblClose, kSilver, kWindowColour);
    ResumeHintHold();
}

void TfrmMainDLMR1::frmHintCloseButtonClick()
{
    SlideHintUp();
}

void TfrmMainDLMR1::frmHintHelpButtonMouseEnter()
{
    Colour(frmHint->lblHelp, plat::clWhite, plat::clBlack);
    PauseHintHold();
}

void TfrmMainDLMR1::frmHintHelpButtonMouseLeave()
{
    Colour(frmHint->lblHelp, kSilver, kWindowColour);
    ResumeHintHold();
}

void TfrmMainDLMR1::frmHintHelpButtonClick()
{
    SlideHintUp();
    plat::MessageBox(kHelpText, kHelpCaption, plat::MB_OK);
}
