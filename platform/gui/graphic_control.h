#pragma once

#include "platform/gui/control.h"

namespace plat {

class TCanvas;

// A control without a window: its parent paints it in z-order, beneath the
// windowed siblings, and hands it the mouse through a hit test.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    bool IsWindowed() const override { return false; }

    // Draws the control with its top-left at 0, 0.
    virtual void Paint(TCanvas& canvas) = 0;

protected:
    void CursorChanged() override;
};

} // namespace plat
