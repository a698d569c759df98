// The universal dialog's fixed parts, its page set-up by key, its layout and
// its place on the screen.

#include "dialog/unidlg.h"

#include "dialog/account_pages.h"
#include "dialog/unidlg_pages.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/program_start.h"
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "model/record.h"
#include "platform/gui/bevel.h"
#include "platform/gui/button.h"
#include "platform/gui/gradient.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <algorithm>
#include <string>

namespace {

constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kNavy = 0x800000;
constexpr plat::TColor kSilver = 0xC0C0C0;
constexpr plat::TColor kLinkBlue = 0xFF0000;
constexpr int32_t kButtonHeight = 25;
constexpr int32_t kBarMargin = 14;
constexpr int32_t kButtonGap = 7;

plat::TLabel* MakeLabel(plat::TComponent* owner, plat::TWinControl* parent, const char* name, int left, int top)
{
    auto* label = new plat::TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
}

plat::TButton* MakeButton(plat::TComponent* owner, plat::TWinControl* parent, const char* name)
{
    auto* button = new plat::TButton(owner);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(0, 0, 93, kButtonHeight);
    return button;
}

} // namespace

TfrmUnidlgDLMR1::TfrmUnidlgDLMR1() : TNUniDialogForm(nullptr)
{
    SetName("frmUnidlgDLMR1");
    SetCaption("Univerzání dialogové okno");
    Font().SetName("Arial");
    SetBorderStyle(plat::TFormBorderStyle::bsSingle);
    SetBorderIcons(plat::biSystemMenu);
    SetBounds(0, 0, 400, 200);
    CreatePages();
    CreateTitlePanel();
    CreateBottomBar();
    CreateShortcutMenu();
    timerNewUser = new plat::TTimer(this);
    timerNewUser->SetName("timerNewUser");
    timerNewUser->SetEnabled(false);
    timerUpdateUniDlgUi = new plat::TTimer(this);
    timerUpdateUniDlgUi->SetName("timerUpdateUniDlgUi");
    timerUpdateUniDlgUi->SetInterval(1);
    timerUpdateUniDlgUi->SetEnabled(false);
    labelMeasure = MakeLabel(this, this, "labelMeasure", -4092, -4092);
    labelMeasure->SetWordWrap(true);
    labelMeasure->SetVisible(false);
    NastavTextovePopupMenu();
    labelKlonovat->Font().SetColor(kLinkBlue);

    OnActivate = [this](plat::TComponent*) { FormActivate(); };
    OnResize = [this](plat::TComponent*) { FormResize(); };
    OnCloseQuery = [this](plat::TComponent*, bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](plat::TComponent*, plat::TCloseAction&) { FormClose(); };
    ExportOnBus(kUniversalDialogClass);
}

TfrmUnidlgDLMR1::~TfrmUnidlgDLMR1() = default;

void TfrmUnidlgDLMR1::Detach()
{
    if (Alive())
        View.DeleteComponentsByFormHandle(this);
    TNUniDialogForm::Detach();
}

void TfrmUnidlgDLMR1::CreatePages()
{
    gUni = new plat::TNotebook(this);
    gUni->SetName("gUni");
    gUni->SetParent(this);
    for (int32_t i = 0; i < kPageCount; ++i) {
        plat::TNotebookPage* page = gUni->AddPage(kUniDialogPageKeys[i]);
        auto* panel = new plat::TPanel(this);
        panel->SetName(std::string("p") + kUniDialogPageKeys[i]);
        panel->SetParent(page);
        panel->SetBevelOuter(plat::TBevelCut::bvNone);
        panel->SetBounds(0, 0, 300, 60);
        pagePanels[i] = panel;
    }
    CreateMessageBoxPage();
    CreateAboutPage();
}

void TfrmUnidlgDLMR1::CreateTitlePanel()
{
    pNadpis = new plat::TPanel(this);
    pNadpis->SetName("pNadpis");
    pNadpis->SetParent(this);
    pNadpis->SetBevelOuter(plat::TBevelCut::bvNone);
    pNadpis->SetBounds(0, 0, Width(), kTitlePanelHeight);
    gradNadpis = new plat::TJvGradient(this);
    gradNadpis->SetName("gradNadpis");
    gradNadpis->SetParent(pNadpis);
    gradNadpis->SetAlign(plat::TAlign::alClient);
    labelNadpisStin = MakeLabel(this, pNadpis, "labelNadpisStin", 15, 9);
    labelNadpisStin->Font().SetColor(kSilver);
    labelNadpis = MakeLabel(this, pNadpis, "labelNadpis", 14, 8);
    labelNadpis->Font().SetColor(kNavy);
    for (plat::TLabel* title : {labelNadpisStin, labelNadpis}) {
        title->Font().SetSize(12);
        title->Font().SetStyle(plat::fsBold);
    }
    labelSubNadpisStin = MakeLabel(this, pNadpis, "labelSubNadpisStin", 15, 33);
    labelSubNadpisStin->Font().SetColor(kSilver);
    labelSubNadpis = MakeLabel(this, pNadpis, "labelSubNadpis", 14, 32);
    bevelNadpis = new plat::TBevel(this);
    bevelNadpis->SetName("bevelNadpis");
    bevelNadpis->SetParent(pNadpis);
    bevelNadpis->SetShape(plat::TBevelShape::bsBottomLine);
}

void TfrmUnidlgDLMR1::CreateBottomBar()
{
    pBottom = new plat::TPanel(this);
    pBottom->SetName("pBottom");
    pBottom->SetParent(this);
    pBottom->SetBevelOuter(plat::TBevelCut::bvNone);
    pBottom0 = new plat::TPanel(this);
    pBottom0->SetName("pBottom0");
    pBottom0->SetParent(pBottom);
    pBottom0->SetBevelOuter(plat::TBevelCut::bvNone);
    pBottom0->SetAlign(plat::TAlign::alClient);
    pBottom0->OnResize = [this](plat::TComponent*) { pBottom0Resize(); };
    bevelBottom = new plat::TBevel(this);
    bevelBottom->SetName("bevelBottom");
    bevelBottom->SetParent(pBottom0);
    bevelBottom->SetShape(plat::TBevelShape::bsTopLine);
    labelNapoveda = MakeLabel(this, pBottom0, "labelNapoveda", kBarMargin, 11);
    labelNapoveda->SetVisible(false);
    labelOdkaz = MakeLabel(this, pBottom0, "labelOdkaz", kBarMargin, 11);
    labelKlonovat = MakeLabel(this, pBottom0, "labelKlonovat", kBarMargin, 11);
    labelCreated = MakeLabel(this, pBottom0, "labelCreated", kBarMargin, 11);
    btnUlozit = MakeButton(this, pBottom0, "btnUlozit");
    btnUlozit->SetDefault(true);
    btnUlozit->OnClick = [this](plat::TComponent*) { btnUlozitClick(); };
    btnVymazat = MakeButton(this, pBottom0, "btnVymazat");
    btnZavrit = MakeButton(this, pBottom0, "btnZavrit");
    btnZavrit->SetCancel(true);
    // A message box's one button confirms it, Esc included, as a system
    // message box with only OK answers OK.
    btnZavrit->OnClick = [this](plat::TComponent*) {
        if (Key == "MB")
            btnUlozitClick();
        else
            btnZavritClick();
    };
}

plat::TPanel* TfrmUnidlgDLMR1::PagePanel(const std::string& key) const
{
    for (int32_t i = 0; i < kPageCount; ++i) {
        if (key == kUniDialogPageKeys[i])
            return pagePanels[i];
    }
    return nullptr;
}

void TfrmUnidlgDLMR1::FitClientToPage(const plat::TPanel& panel)
{
    SetClientWidth(panel.Width());
    SetClientHeight(panel.Height());
}

plat::LRESULT TfrmUnidlgDLMR1::Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    if (message == plat::WM_DALMORA_RESTORE) {
        RestoreMainWindow();
        return 1;
    }
    return TNUniDialogForm::Dispatch(message, wParam, lParam);
}

void TfrmUnidlgDLMR1::RestoreMainWindow()
{
    Guarded("[TfrmUnidlgDLMR1::RestoreMainWindow]", [&] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->RestoreApplication();
        BringToForeground();
    });
}

TNViewItem* TfrmUnidlgDLMR1::CallerItem() const
{
    return i5() > 0 ? View.GetComponentById(static_cast<uint32_t>(i5())) : nullptr;
}

TNPIMRecord* TfrmUnidlgDLMR1::ParentWorkingRecord() const
{
    if (i8() != 1)
        return nullptr;
    TfrmUnidlgDLMR1* parent = UniDialogInSlot(ParentIndex());
    return parent != nullptr ? parent->workingRecord.get() : nullptr;
}

int32_t TfrmUnidlgDLMR1::UniDialog(const char* key, int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5,
                                   int32_t p6, int32_t p7, int32_t p8)
{
    if (frmMainDLMR1 == nullptr)
        return -1;
    return frmMainDLMR1->UniDialog(key, this, p1, p2, p3, p4, p5, p6, p7, p8);
}

// ---------------------------------------------------------------------------
// Painting, title and buttons

void TfrmUnidlgDLMR1::InvalidateUnidlgWindow(bool freeze)
{
    if (freeze) {
        if (paintingFrozen)
            return;
        paintingFrozen = true;
        BeginUpdate();
        gUni->SetVisible(false);
        return;
    }
    if (!paintingFrozen)
        return;
    gUni->SetVisible(true);
    EndUpdate();
    paintingFrozen = false;
}

void TfrmUnidlgDLMR1::NastavNadpis(const std::string& title, const std::string& subtitle, bool extended)
{
    labelNadpis->SetCaption(title);
    labelNadpisStin->SetCaption(title);
    labelSubNadpis->SetCaption(subtitle);
    labelSubNadpisStin->SetCaption(subtitle);
    const bool shown = extended && Setup.GetBool("ZobrazovatRozsirenyTitulek");
    pNadpis->SetVisible(shown);
    pNadpis->SetEnabled(shown);
}

void TfrmUnidlgDLMR1::NastavTlacitka(bool barVisible)
{
    const TNUniDialogPage empty;
    const TNUniDialogPage& page = page_ != nullptr ? *page_ : empty;
    struct Slot {
        plat::TButton* button;
        const TNUniDialogButton& look;
    };
    for (const Slot& slot :
         {Slot{btnZavrit, page.Close}, Slot{btnUlozit, page.Ulozit}, Slot{btnVymazat, page.Vymazat}}) {
        const bool shown = slot.look.Caption != nullptr;
        slot.button->SetCaption(shown ? slot.look.Caption : "");
        slot.button->SetWidth(slot.look.Width);
        slot.button->SetVisible(shown);
        slot.button->SetEnabled(shown);
    }
    switch (page.Hints) {
    case TNDialogHints::Full:
        btnZavrit->SetHint("Zavře okno " + Caption() + " bez uložení změn");
        btnUlozit->SetHint("Uloží provedené změny a zavře okno " + Caption());
        break;
    case TNDialogHints::CloseWithoutTail:
        btnZavrit->SetHint("Zavře okno " + Caption());
        btnUlozit->SetHint("Uloží provedené změny a zavře okno " + Caption());
        break;
    case TNDialogHints::None:
        btnZavrit->SetHint("");
        btnUlozit->SetHint("");
        break;
    }
    labelNapoveda->SetHint("Zobrazí nápovědu k tomuto tématu [F1]");
    pBottom->SetHeight(page.BarHeight);
    pBottom->SetVisible(barVisible && page.BarHeight > 0);
    pBottom0Resize();
}

void TfrmUnidlgDLMR1::ApplyDialogColors()
{
    const plat::TColor color = View.DialogColor;
    SetColor(color);
    for (plat::TPanel* panel : pagePanels)
        panel->SetColor(color);
    pBottom->SetColor(color);
    pBottom0->SetColor(color);
    gradNadpis->SetColors(color, kWhite);
}

// ---------------------------------------------------------------------------
// AktivujDialog

bool TfrmUnidlgDLMR1::AktivujDialog()
{
    return Guarded("[TfrmUnidlgDLMR1::AktivujDialog]", false, [&] {
        // 1. The page, the frame, frozen painting, the emptied links, colours.
        // Components built for the page find their dialog by this Tag.
        SetTag(SlotIndex);
        gUni->SetActivePage(Key);
        SetBorderStyle(plat::TFormBorderStyle::bsSingle);
        SetBorderIcons(plat::biSystemMenu);
        InvalidateUnidlgWindow(true);
        for (plat::TLabel* link : {labelOdkaz, labelKlonovat, labelCreated})
            link->SetCaption("");
        ApplyDialogColors();

        // 2. The page by key; a key without a page is refused.
        page_ = FindUniDialogPage(Key);
        if (page_ == nullptr) {
            LogWrite("[AktivujDialog][ERROR] No page for the key: ", Key.c_str(), false);
            InvalidateUnidlgWindow(false);
            return false;
        }
        if (page_->Title != nullptr)
            NastavNadpis(page_->Title, page_->Subtitle != nullptr ? page_->Subtitle : "", true);
        else
            pNadpis->SetVisible(false);
        if (const plat::TPanel* panel = PagePanel(Key))
            FitClientToPage(*panel);
        if (page_->Build && !page_->Build(*this)) {
            InvalidateUnidlgWindow(false);
            return false;
        }

        // 3. Buttons, and room for the title panel and the bottom bar.
        NastavTlacitka(true);
        int32_t height = ClientHeight();
        if (pNadpis->Visible())
            height += pNadpis->Height();
        if (pBottom->Visible())
            height += pBottom->Height();
        SetClientHeight(height);
        pageReady = 1;

        // 4. Placement.  5. Thaw.
        PlaceOnScreen();
        InvalidateUnidlgWindow(false);
        FormResize();
        return true;
    });
}

// A work-area page is centred on the work area, any other over the main
// window; both stay inside the work area (the window manager owns frames).
void TfrmUnidlgDLMR1::PlaceOnScreen()
{
    const plat::TRect area = plat::Screen::WorkArea();
    int32_t left = area.Left + (area.Width() - Width()) / 2;
    int32_t top = area.Top + (area.Height() - Height()) / 2;
    if (page_->Placement == TNDialogPlacement::OverMainWindow && frmMainDLMR1 != nullptr) {
        left = frmMainDLMR1->Left() + (frmMainDLMR1->Width() - Width()) / 2;
        top = frmMainDLMR1->Top() + (frmMainDLMR1->Height() - Height()) / 2;
    }
    left = std::clamp(left, area.Left, std::max(area.Left, area.Right - Width()));
    top = std::clamp(top, area.Top, std::max(area.Top, area.Bottom - Height()));
    SetBounds(left, top, Width(), Height());
}

// ---------------------------------------------------------------------------
// Activation and layout

void TfrmUnidlgDLMR1::FormActivate()
{
    Guarded("[TfrmUnidlgDLMR1::FormActivate]", [&] {
        if (frmMainDLMR1 != nullptr && SlotIndex >= 0 && SlotIndex < TfrmMainDLMR1::kMaxDialogs)
            frmMainDLMR1->windowTable[SlotIndex + 1] = this;
        // The layer activates the opener again when a nested form closes;
        // the page's set-up and focus belong to the first activation only.
        if (activatedOnce_ || paintingFrozen)
            return;
        activatedOnce_ = true;
        if (page_ != nullptr && page_->Activate)
            page_->Activate(*this);
        pBottom0Resize();
    });
}

void TfrmUnidlgDLMR1::FormResize()
{
    Guarded("[TfrmUnidlgDLMR1::FormResize]", [&] {
        const int32_t width = ClientWidth();
        int32_t top = 0;
        if (pNadpis->Visible()) {
            pNadpis->SetBounds(0, 0, width, kTitlePanelHeight);
            bevelNadpis->SetBounds(0, kTitlePanelHeight - 2, width, 2);
            top = kTitlePanelHeight;
        }
        int32_t bottom = ClientHeight();
        if (pBottom->Visible()) {
            bottom -= pBottom->Height();
            pBottom->SetBounds(0, bottom, width, pBottom->Height());
        }
        gUni->SetBounds(0, top, width, std::max(0, bottom - top));
        if (pageReady == 0 || page_ == nullptr)
            return;
        if (page_->Layout)
            page_->Layout(*this);
    });
}

void TfrmUnidlgDLMR1::pBottom0Resize()
{
    Guarded("[TfrmUnidlgDLMR1::pBottom0Resize]", [&] {
        const int32_t width = pBottom0->Width();
        const int32_t top = std::max(0, (pBottom0->Height() - kButtonHeight) / 2);
        bevelBottom->SetBounds(0, 0, width, 2);
        int32_t right = width - kBarMargin;
        for (plat::TButton* button : {btnUlozit, btnVymazat, btnZavrit}) {
            if (!button->Visible())
                continue;
            button->SetBounds(right - button->Width(), top, button->Width(), kButtonHeight);
            right -= button->Width() + kButtonGap;
        }
        int32_t left = kBarMargin;
        for (plat::TLabel* label : {labelNapoveda, labelOdkaz, labelKlonovat, labelCreated}) {
            if (!label->Visible() || label->Caption().empty())
                continue;
            label->SetLeft(left);
            label->SetTop(std::max(0, (pBottom0->Height() - label->Height()) / 2));
            left += label->Width() + kBarMargin;
        }
    });
}

TfrmUnidlgDLMR1* UniDialogInSlot(int32_t slot)
{
    if (slot < 0 || slot >= kUniDialogSlots)
        return nullptr;
    return dynamic_cast<TfrmUnidlgDLMR1*>(frmUnidlgDLMR1[slot]);
}
