#pragma once

#include "platform/gui/win_control.h"

namespace plat {

// A check box with its caption. Setting Checked by code fires nothing; each
// toggle by the user (box, caption or Space) fires OnClick once.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }

    bool Checked() const;
    void SetChecked(bool checked);

protected:
    void CaptionChanged() override;
};

} // namespace plat
