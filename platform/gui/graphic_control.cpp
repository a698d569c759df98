#include "platform/gui/graphic_control.h"

#include "platform/gui/hover.h"
#include "platform/gui/qt_bridge.h"
#include "platform/gui/win_control.h"
#include "platform/gui/win_control_impl.h"

namespace plat {

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner)
{
}

void TGraphicControl::CursorChanged()
{
    if (Hover::UnderMouse() == this && Parent() != nullptr)
        Parent()->Impl().widget->setCursor(ToQCursor(Cursor()));
}

} // namespace plat
