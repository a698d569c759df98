#pragma once

#include "platform/gui/form.h"

#include <cstdint>

namespace plat {
class TButton;
class TFlatButton;
class TShape;
} // namespace plat

// The hour and minute picker of a date setter: a borderless popup with a
// grid of buttons, one instance for the whole run, shown for every pick.
// It is not modal, so the dialog that holds the setter can close under it:
// the setter is kept by its component id and found again at each use.
class TfrmSelector final : public plat::TForm {
public:
    static constexpr int32_t kMaxButtons = 64;
    static constexpr plat::TColor kCurrentColor = 0xEDCA9E;

    TfrmSelector();
    ~TfrmSelector() override;
    const char* ClassName() const override { return "TfrmSelector"; }

    // Shows the hours (type 1) or minutes (type 2) of the setter with that
    // component id, under the clicked button of `anchor`.
    void Open(int32_t type, plat::TForm* anchor, uint32_t componentId, plat::TComponent* button, int32_t value);
    // The anchor form is closing: a picker that writes into it closes.
    void AnchorClosing(const plat::TForm* form);

    void FormShow();
    void FormDeactivate();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void btnESCClick();
    void CreateHoursSelectorComponents();
    void CreateMinutesSelectorComponents();
    void HourButtonClick(plat::TComponent* sender);
    void MinuteButtonClick(plat::TComponent* sender);

    int32_t Type = 0;
    int32_t currentValue = -1;
    uint8_t messageBoxUp = 0;
    plat::TShape* shapeBorder = nullptr;
    plat::TButton* btnESC = nullptr;
    plat::TFlatButton* buttons[kMaxButtons] = {};
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;

    uint32_t TargetId() const { return targetId_; }

private:
    void CreateGrid(int32_t rows, int32_t columns, void (TfrmSelector::*click)(plat::TComponent*));
    void Choose(plat::TComponent* sender, bool hour);
    void PlaceUnderSetter();

    plat::TWeakRef<plat::TForm> anchor_;
    uint32_t targetId_ = 0;
    plat::TWeakRef<plat::TWinControl> returnFocus_;
};

extern TfrmSelector* frmSelector;
