// A program with a hidden main form and two nested modal dialogs, for the
// session-end test: prints every closing message its forms get, "ready" once
// the inner dialog is up, and exits with what its main loop returned. With
// the argument "refuse" the inner dialog refuses its first close.
#include "platform/core/main_loop.h"
#include "platform/gui/form.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/system_events.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class PeerForm : public plat::TForm {
public:
    explicit PeerForm(std::string name) : name_(std::move(name)) {}
    plat::LRESULT Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam) override
    {
        if (message == plat::WM_CLOSE)
            Say("WM_CLOSE " + name_);
        else if (message == plat::WM_QUERYENDSESSION)
            Say("WM_QUERYENDSESSION " + name_);
        return TForm::Dispatch(message, wParam, lParam);
    }

private:
    std::string name_;
};

} // namespace

int main(int argc, char** argv)
{
    plat::BlockSessionEndSignals();
    const bool refuseOnce = argc > 1 && std::string(argv[1]) == "refuse";
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    plat::GuiApplication::Start([](const std::string& line) { Say("log " + line); });
    plat::GuiMainLoop loop;
    plat::SystemEvents::Install(loop);
    auto* main = new PeerForm("main");
    plat::Application::SetMainForm(main);
    auto* outer = new PeerForm("outer");
    auto* inner = new PeerForm("inner");
    bool refused = false;
    inner->OnCloseQuery = [&](plat::TComponent*, bool& canClose) {
        canClose = !refuseOnce || refused;
        refused = true;
    };
    plat::Seams().modalScript = [&](plat::TForm& form) {
        if (&form == outer)
            inner->ShowModal();
        else
            Say("ready");
    };
    loop.Post([&] { outer->ShowModal(); });
    const int result = loop.Run();
    plat::SystemEvents::Uninstall();
    return result;
}
