#include "platform/gui/button.h"

#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"

#include <QPushButton>

namespace plat {

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    auto* button = new QPushButton;
    button->setAutoDefault(false);
    Impl().AttachEditor(this, button, 0);
    SetTabStop(true);
    QObject::connect(button, &QPushButton::clicked, [this] {
        if (Alive())
            Click();
    });
}

void TButton::Click()
{
    DispatchScope scope;
    TWeakRef<TButton> self(this);
    TControl::Click();
    if (self && modalResult_ != mrNone)
        if (TForm* form = ParentForm())
            form->SetModalResult(modalResult_);
}

void TButton::CaptionChanged()
{
    // Control captions show "&" as it is.
    static_cast<QPushButton*>(Impl().editor)->setText(ToQString(Caption()).replace('&', QLatin1String("&&")));
}

} // namespace plat
