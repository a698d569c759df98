#pragma once

#include "platform/gui/form.h"

namespace plat {
class TLabel;
class TShape;
} // namespace plat

// The reminder toast: a white, frameless, stay-on-top window that slides
// down from the top edge. Made on first use and reused; the main window
// fills it and drives it with timerHint.
class TfrmHint : public plat::TForm {
public:
    explicit TfrmHint(plat::TComponent* owner) : plat::TForm(owner) {}
    const char* ClassName() const override { return "TfrmHint"; }

    // The frame: two hollow rectangles.
    plat::TShape* shpOuter = nullptr;
    plat::TShape* shpInner = nullptr;
    plat::TLabel* lblText = nullptr;
    plat::TLabel* lblTag = nullptr;
    plat::TLabel* lblClose = nullptr;
    plat::TLabel* lblHelp = nullptr;
};
