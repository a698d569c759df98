// The message-box page: the text and caption the opener left in the shared
// fields, one OK button, the result back in the same fields.

#include "dialog/unidlg.h"

#include "platform/gui/label.h"
#include "platform/gui/panel.h"

#include <algorithm>

namespace {

constexpr int32_t kWrapWidth = 400;
constexpr int32_t kMargin = 14;
constexpr int32_t kMinWidth = 300;
constexpr int32_t kMinHeight = 60;

} // namespace

void TfrmUnidlgDLMR1::CreateMessageBoxPage()
{
    pMB = PagePanel("MB");
    labelMB = new plat::TLabel(this);
    labelMB->SetName("labelMB");
    labelMB->SetParent(pMB);
    labelMB->SetTransparent(true);
    labelMB->SetShowAccelChar(false);
    labelMB->SetLeft(kMargin);
    labelMB->SetTop(kMargin);
}

// The text is taken here, once: a box opened later (a main-window timer's)
// overwrites the shared fields while this one still shows.
bool TfrmUnidlgDLMR1::AktivujDialog_MB()
{
    SetCaption(MessageBoxFields.Caption);
    NastavNadpis(MessageBoxFields.Caption, "", false);
    labelMB->SetWordWrap(false);
    labelMB->SetAutoSize(true);
    labelMB->SetCaption(MessageBoxFields.Text);
    if (labelMB->Width() > kWrapWidth) {
        labelMB->SetWidth(kWrapWidth);
        labelMB->SetWordWrap(true);
    }
    pMB->SetBounds(0, 0, std::max(kMinWidth, labelMB->Width() + 2 * kMargin),
                   std::max(kMinHeight, labelMB->Height() + 2 * kMargin));
    FitClientToPage(*pMB);
    pageReady = 1;
    return true;
}

int32_t TfrmUnidlgDLMR1::MB(const char* text, const char* caption, int32_t iconFlags)
{
    MessageBoxFields.Text = text != nullptr ? text : "";
    MessageBoxFields.Caption = caption != nullptr ? caption : "";
    MessageBoxFields.Result = 0;
    // No record travels with the box: it has nothing to do with one.
    UniDialog("MB", 0, 0, 0, 0, 0, AccountIndex(), i7(), iconFlags);
    return MessageBoxFields.Result;
}
