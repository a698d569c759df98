#include "platform/gui/graphic_control.h"

#include "platform/gui/internal/hover.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/win_control.h"

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
