#include "platform/testing/form_probe.h"

#include "platform/gui/form.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"

#include <QScrollBar>

namespace plat::testing {

bool ShowsVerticalScrollBar(const TForm& form)
{
    const auto bars = form.Impl().widget->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly);
    for (const QScrollBar* bar : bars) {
        if (bar->orientation() == Qt::Vertical && bar->isVisibleTo(form.Impl().widget))
            return true;
    }
    return false;
}

} // namespace plat::testing
