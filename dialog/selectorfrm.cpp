#include "dialog/selectorfrm.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "platform/gui/button.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/shape.h"
#include "view/view.h"
#include "view/view_item.h"

#include <algorithm>
#include <cstdio>

TfrmSelector* frmSelector = nullptr;

namespace {

constexpr plat::TColor kFormColor = 14215660;
constexpr plat::TColor kBorderColor = 0xA9A9A9;
constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kBlack = 0x000000;
constexpr int32_t kEdge = 7;
constexpr int32_t kColumnStep = 36;
constexpr int32_t kRowStep = 32;
constexpr int32_t kButtonWidth = 32;
constexpr int32_t kButtonHeight = 28;
constexpr int32_t kFontSize = 9;

} // namespace

TfrmSelector::TfrmSelector() : plat::TForm(nullptr)
{
    SetName("frmSelector");
    SetBorderStyle(plat::TFormBorderStyle::bsNone);
    SetSkipTaskbar(true);
    SetColor(kFormColor);
    Font().SetName("MS Sans Serif");
    SetBounds(0, 0, 426, 390);
    shapeBorder = new plat::TShape(this);
    shapeBorder->SetName("shapeBorder");
    shapeBorder->SetParent(this);
    shapeBorder->SetVisible(false);
    btnESC = new plat::TButton(this);
    btnESC->SetName("btnESC");
    btnESC->SetParent(this);
    btnESC->SetCancel(true);
    btnESC->SetVisible(false);
    btnESC->OnClick = [this](plat::TComponent*) { btnESCClick(); };
    OnShow = [this](plat::TComponent*) { FormShow(); };
    OnDeactivate = [this](plat::TComponent*) { FormDeactivate(); };
    OnCloseQuery = [this](plat::TComponent*, bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](plat::TComponent*, plat::TCloseAction&) { FormClose(); };
    frmSelector = this;
}

TfrmSelector::~TfrmSelector()
{
    if (frmSelector == this)
        frmSelector = nullptr;
}

void TfrmSelector::Open(int32_t type, plat::TForm* anchor, uint32_t componentId, plat::TComponent* button,
                        int32_t value)
{
    Guarded("[TfrmSelector::Open]", [&] {
        if (Visible())
            Close();
        Type = type;
        anchor_ = anchor;
        targetId_ = componentId;
        returnFocus_ = dynamic_cast<plat::TWinControl*>(button);
        currentValue = value;
        Show();
    });
}

void TfrmSelector::AnchorClosing(const plat::TForm* form)
{
    if (Visible() && form != nullptr && anchor_.Get() == form)
        Close();
}

void TfrmSelector::FormShow()
{
    Guarded("[TfrmSelector::FormShow]", [&] {
        if (Type == 1) {
            CreateHoursSelectorComponents();
        } else if (Type == 2) {
            CreateMinutesSelectorComponents();
        } else {
            messageBoxUp = 1;
            plat::MessageBox("Hodnota 'frmSelector->Type' není definována!", "Chyba", plat::MB_ICONERROR);
            messageBoxUp = 0;
            Close();
            return;
        }
        SetClientWidth(clientWidth);
        SetClientHeight(clientHeight);
        btnESC->SetBounds(-256, -256, btnESC->Width(), btnESC->Height());
        btnESC->SetVisible(true);
        shapeBorder->SetPen(plat::TPen{kBorderColor});
        shapeBorder->SetBrush(plat::TBrush{kWhite});
        shapeBorder->SetBounds(0, 0, clientWidth, clientHeight);
        shapeBorder->SendToBack();
        shapeBorder->SetVisible(true);
        PlaceUnderSetter();
    });
}

// Under the setter, from the clicked button's left edge, inside the work
// area; the window manager owns the frame, so no frame arithmetic.
void TfrmSelector::PlaceUnderSetter()
{
    TNViewItem* item = View.GetComponentById(targetId_);
    plat::TWinControl* button = returnFocus_.Get();
    const plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
    if (button == nullptr || panel == nullptr)
        return;
    const plat::TRect area = plat::Screen::WorkArea();
    int32_t left = button->ClientToScreen(plat::TPoint{0, 0}).x;
    int32_t top = panel->ClientToScreen(plat::TPoint{0, panel->Height()}).y;
    left = std::clamp(left, area.Left, std::max(area.Left, area.Right - Width()));
    top = std::clamp(top, area.Top, std::max(area.Top, area.Bottom - Height()));
    SetBounds(left, top, Width(), Height());
}

void TfrmSelector::CreateHoursSelectorComponents()
{
    Guarded("[TfrmSelector::CreateHoursSelectorComponents]", [&] { CreateGrid(6, 4, &TfrmSelector::HourButtonClick); });
}

void TfrmSelector::CreateMinutesSelectorComponents()
{
    Guarded("[TfrmSelector::CreateMinutesSelectorComponents]",
            [&] { CreateGrid(12, 5, &TfrmSelector::MinuteButtonClick); });
}

void TfrmSelector::CreateGrid(int32_t rows, int32_t columns, void (TfrmSelector::*click)(plat::TComponent*))
{
    const std::string fontName = frmMainDLMR1 != nullptr ? frmMainDLMR1->DisplayFontName : "Roboto Condensed";
    clientWidth = 0;
    clientHeight = 0;
    plat::TFlatButton* current = nullptr;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t value = r * columns + c;
            auto* button = new plat::TFlatButton(this);
            button->SetParent(this);
            button->SetTabStop(true);
            button->Font().SetName(fontName);
            button->Font().SetSize(kFontSize);
            button->Font().SetColor(kBlack);
            char caption[16];
            std::snprintf(caption, sizeof caption, "%02d", value);
            button->SetCaption(caption);
            button->SetTag(value);
            button->SetBounds(kEdge + kColumnStep * c, kEdge + kRowStep * r, kButtonWidth, kButtonHeight);
            button->SetColorHighLight(kWhite);
            button->SetColorShadow(kWhite);
            button->SetColor(value == currentValue ? kCurrentColor : kWhite);
            button->OnClick = [this, click](plat::TComponent* sender) { (this->*click)(sender); };
            buttons[value] = button;
            if (value == currentValue)
                current = button;
            clientWidth = std::max(clientWidth, button->Left() + button->Width() + kEdge);
            clientHeight = std::max(clientHeight, button->Top() + button->Height() + kEdge);
        }
    }
    if (current != nullptr)
        current->SetFocus();
}

void TfrmSelector::HourButtonClick(plat::TComponent* sender)
{
    Choose(sender, true);
}

void TfrmSelector::MinuteButtonClick(plat::TComponent* sender)
{
    Choose(sender, false);
}

// The setter is found again by its id: its dialog may have closed, and its
// component gone with it, since the picker opened.
void TfrmSelector::Choose(plat::TComponent* sender, bool hour)
{
    Guarded(hour ? "[TfrmSelector::HourButtonClick]" : "[TfrmSelector::MinuteButtonClick]", [&] {
        TNViewItem* item = View.GetComponentById(targetId_);
        if (item != nullptr && sender != nullptr) {
            const auto value = static_cast<uint16_t>(sender->Tag());
            if (hour)
                item->DateValue.Hodina = value;
            else
                item->DateValue.Minuta = value;
            item->DateValue.GetTimestamp();
            TNView::UpdateDateTimeSetter(View, item);
        }
        Close();
    });
}

void TfrmSelector::btnESCClick()
{
    Close();
}

void TfrmSelector::FormDeactivate()
{
    if (messageBoxUp == 0 && Visible())
        Close();
}

void TfrmSelector::FormCloseQuery(bool& canClose)
{
    canClose = messageBoxUp == 0;
}

void TfrmSelector::FormClose()
{
    Type = 0;
    currentValue = -1;
    messageBoxUp = 0;
    anchor_ = nullptr;
    targetId_ = 0;
    btnESC->SetVisible(false);
    shapeBorder->SetVisible(false);
    for (int32_t i = kMaxButtons - 1; i >= 0; --i) {
        if (buttons[i] != nullptr)
            buttons[i]->Free();
        buttons[i] = nullptr;
    }
    clientWidth = 0;
    clientHeight = 0;
    Guarded("TfrmSelector::FormClose[ReturnFocusTo_FlatButton]", [&] {
        if (plat::TWinControl* button = returnFocus_.Get(); button != nullptr && button->CanFocus())
            button->SetFocus();
    });
    returnFocus_ = nullptr;
}
