#pragma once

#include "platform/gui/form.h"

namespace plat {
class TFlatButton;
class TImage;
class TLabel;
class TPanel;
class TTimer;
} // namespace plat

// One alert window of the main window's pool: a frameless, stay-on-top tool
// window without a parent. Its controls are built by the main window's
// activation handler on the window's first show and reused for every alert
// the slot shows; the main window owns the window and fills it.
class TfrmNotDLMR1 : public plat::TForm {
public:
    explicit TfrmNotDLMR1(plat::TComponent* owner) : plat::TForm(owner) {}
    const char* ClassName() const override { return "TfrmNotDLMR1"; }

    // Lays out the content on its first tick, then fades the window in; its
    // Tag is the slot.
    plat::TTimer* nTimer = nullptr;
    // Tag 1 while the slot is in use, 0 when free.
    plat::TPanel* pOuter = nullptr;
    plat::TPanel* pInner = nullptr;
    plat::TFlatButton* btnClose = nullptr;
    plat::TImage* imgPicture = nullptr;
    // Its Tag is the fade state: 0 before the layout, 1 while fading in.
    plat::TLabel* lblTime = nullptr;
    plat::TLabel* lblMinutes = nullptr;
    plat::TLabel* lblText = nullptr;
    plat::TLabel* lblPostpone = nullptr;
    plat::TLabel* lblPostponeArrow = nullptr;
    plat::TLabel* lblAccept = nullptr;
    plat::TLabel* lblOpen = nullptr;
};
