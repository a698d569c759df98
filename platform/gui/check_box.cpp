#include "platform/gui/check_box.h"

#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QCheckBox>

namespace plat {
namespace {

QCheckBox& Box(const TCheckBox& box)
{
    return *static_cast<QCheckBox*>(box.Impl().editor);
}

} // namespace

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner)
{
    auto* box = new QCheckBox;
    Impl().AttachEditor(this, box, 0);
    SetTabStop(true);
    // Only the user's toggles emit clicked.
    QObject::connect(box, &QCheckBox::clicked, [this] {
        if (Alive())
            Click();
    });
    SetBounds(0, 0, 97, 17);
}

bool TCheckBox::Checked() const
{
    return Box(*this).isChecked();
}

void TCheckBox::SetChecked(bool checked)
{
    RequireMainThread(ClassName(), "SetChecked");
    Box(*this).setChecked(checked);
}

void TCheckBox::CaptionChanged()
{
    // Control captions show "&" as it is.
    Box(*this).setText(ToQString(Caption()).replace('&', QLatin1String("&&")));
}

} // namespace plat
