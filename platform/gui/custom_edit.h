#pragma once

#include "platform/gui/win_control.h"

#include <string>

namespace plat {

// What every edit-like control offers: text, selection and the clipboard.
// Text changes fire OnChange once per real change, by code too (a change
// made inside OnChange nests); setting the same text fires nothing.
// Positions count characters.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);

    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    // 0 = no limit.
    int MaxLength() const { return maxLength_; }
    virtual void SetMaxLength(int length);
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool readOnly);

    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
    virtual void SetSelStart(int start) = 0;
    virtual void SetSelLength(int length) = 0;
    std::string SelText() const;
    // Replaces the selection.
    virtual void SetSelText(const std::string& text) = 0;

    virtual void Undo() = 0;
    virtual void CopyToClipboard() = 0;
    virtual void CutToClipboard() = 0;
    virtual void PasteFromClipboard() = 0;
    void ClearSelection() { SetSelText(std::string()); }
    virtual void SelectAll() = 0;

    TNotifyEvent OnChange;

protected:
    void Detach() override;
    // The Qt editor's text changed.
    void TextChanged();

private:
    int maxLength_ = 0;
    bool readOnly_ = false;
};

} // namespace plat
