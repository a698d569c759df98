#pragma once

#include "platform/gui/custom_edit.h"

namespace plat {

// Plain text in several lines: no frame, a 3-px inner margin and a vertical
// scroll bar. Lines end with CR LF in Text. With WantReturns false, Enter
// goes to the form's Default button.
class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* owner);
    const char* ClassName() const override { return "TMemo"; }

    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SetReadOnly(bool readOnly) override;
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool want) { wantReturns_ = want; }
    bool WantsReturn() const override { return wantReturns_; }

    int SelStart() const override;
    int SelLength() const override;
    void SetSelStart(int start) override;
    void SetSelLength(int length) override;
    void SetSelText(const std::string& text) override;

    void Undo() override;
    void CopyToClipboard() override;
    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void SelectAll() override;

private:
    bool wantReturns_ = true;
};

// The same memo under the names the program uses for it.
class TRichEdit : public TMemo {
public:
    using TMemo::TMemo;
    const char* ClassName() const override { return "TRichEdit"; }
};
class TFlatMemo : public TMemo {
public:
    using TMemo::TMemo;
    const char* ClassName() const override { return "TFlatMemo"; }
};

} // namespace plat
