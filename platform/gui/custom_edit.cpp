#include "platform/gui/custom_edit.h"

namespace plat {

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
}

void TCustomEdit::SetMaxLength(int length)
{
    maxLength_ = length < 0 ? 0 : length;
}

void TCustomEdit::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
}

std::string TCustomEdit::SelText() const
{
    const std::string text = Text();
    const auto start = static_cast<size_t>(SelStart());
    if (start >= text.size())
        return std::string();
    return text.substr(start, static_cast<size_t>(SelLength()));
}

void TCustomEdit::TextChanged()
{
    if (!Alive())
        return;
    DispatchScope scope;
    if (auto slot = OnChange)
        slot(this);
}

void TCustomEdit::Detach()
{
    OnChange = nullptr;
    TWinControl::Detach();
}

} // namespace plat
