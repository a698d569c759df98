// The main window's simple GET requests: the wait cursor around the request
// and the return-code answer shown to the user.

#include "mainwindow/main_window.h"

#include "foundation/guard.h"
#include "mainwindow/dialog_bridge.h"
#include "online/http_send.h"
#include "online/web_answer.h"
#include "platform/core/main_loop.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/screen.h"

#include <string>

namespace {

constexpr const char* kConnectionFailed =
    "Spojení se serverem se nepodařilo navázat!\nZkontrolujte, zda jste připojeni k internetu a opakujte akci.";

// The answer's box; a worker posts it and never waits for the button.
void ShowReturnBox(int32_t code, const std::string& text)
{
    auto show = [code, text] {
        const std::string& shown = code == -1 ? std::string(kConnectionFailed) : text;
        const char* caption = code == 1 ? "Dokončeno" : "Chyba";
        const uint32_t flags = code == 1 ? plat::MB_OK : plat::MB_ICONERROR;
        MessageBoxShown = 1;
        plat::MessageBox(shown, caption, flags);
        MessageBoxShown = 0;
    };
    if (plat::IsMainThread())
        show();
    else
        plat::PostToMainThread(show);
}

} // namespace

std::string TfrmMainDLMR1::HttpSend(const char* url, bool showHourglass, TNWebAnswer* answer, bool fillList)
{
    return Guarded("[TfrmMainDLMR1::HttpSend]", std::string(), [&] {
        // The cursor is a control: off the main thread it stays as it is.
        const bool hourglass = showHourglass && plat::IsMainThread();
        struct Cursor {
            bool changed;
            ~Cursor()
            {
                if (changed)
                    plat::Screen::SetCursor(plat::crDefault);
            }
        } cursor{hourglass};
        if (hourglass)
            plat::Screen::SetCursor(plat::crHourGlass);
        return std::string(::HttpSend(url, answer, fillList).View());
    });
}

int32_t TfrmMainDLMR1::HttpReturn(const char* url, bool showMessage)
{
    return Guarded("[TfrmMainDLMR1::HttpReturn]", -1, [&] {
        TNWebAnswer answer;
        const std::string text = HttpSend(url, true, &answer, true);
        int32_t code = -1;
        std::string message;
        if (!text.empty()) {
            const int32_t codeAt = answer.FindByName("ReturnCode");
            if (codeAt >= 0)
                code = static_cast<int32_t>(answer.Items[static_cast<size_t>(codeAt)]->Number);
            const int32_t textAt = answer.FindByName("ReturnText");
            if (textAt >= 0)
                message = std::string(answer.Items[static_cast<size_t>(textAt)]->Value.View());
        }
        if (showMessage)
            ShowReturnBox(code, message);
        return code;
    });
}
