#include "platform/gui/font_height.h"

#include "platform/gui/control.h"
#include "platform/gui/text_metrics.h"

namespace plat {

void TFontHeight::Apply(TControl& control)
{
    if (setByProgram_)
        return;
    applying_ = true;
    control.SetHeight(TextMetrics::LineHeight(control.Font()) + 8);
    applied_ = control.Height();
    applying_ = false;
}

void TFontHeight::NoteBoundsChanged(const TControl& control)
{
    if (!applying_ && applied_ >= 0 && control.Height() != applied_)
        setByProgram_ = true;
}

} // namespace plat
