#pragma once

#include "platform/gui/form.h"
#include "platform/gui/win_control.h"

namespace plat {

// A push button. Enter on the form clicks the Default button, Esc the Cancel
// one (when they can take the focus); a click sets the form's ModalResult to
// the button's own when that is not mrNone.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }

    bool Default() const { return default_; }
    void SetDefault(bool value) { default_ = value; }
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    // Runs OnClick as a user's click does.
    void Click();

protected:
    void CaptionChanged() override;

private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

} // namespace plat
