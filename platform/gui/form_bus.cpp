#include "platform/gui/form_bus.h"

#include "platform/core/bus_server.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/form_bus_link.h"
#include "platform/gui/internal/layer.h"

#include <map>
#include <memory>
#include <optional>

namespace plat {

namespace {

struct ExportedForm {
    std::string className;
    uint32_t window = 0; // 0 while not registered
};

std::unique_ptr<BusServer> server;
std::map<TForm*, ExportedForm> exported;

bool AcceptedFromOutside(uint32_t msg)
{
    return msg == WM_CLOSE || msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION || msg == FormBus::kBusRestoreMessage;
}

void Register(TForm& form, ExportedForm& entry)
{
    TWeakRef<TForm> target(&form);
    const std::string className = entry.className;
    entry.window = server->RegisterWindow(
        className, [target, className](uint32_t msg, uint64_t wParam, int64_t lParam) -> std::optional<int64_t> {
            if (!AcceptedFromOutside(msg)) {
                LayerLog("[FormBus] Message " + std::to_string(msg) + " for " + className +
                         " from another process refused");
                return 0;
            }
            if (!target)
                return 0;
            return target->Perform(msg, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
        });
    if (entry.window == 0)
        LayerLog("[FormBus] " + className + " could not be registered");
}

} // namespace

bool FormBus::Start(MainLoop& loop)
{
    Stop();
    server = std::make_unique<BusServer>(loop);
    for (auto& [form, entry] : exported)
        Register(*form, entry);
    if (!exported.empty() && !server->Listening()) {
        server.reset();
        return false;
    }
    return true;
}

void FormBus::Stop()
{
    server.reset();
    for (auto& [form, entry] : exported)
        entry.window = 0;
}

bool FormBus::Running()
{
    return server != nullptr;
}

void BusFormExported(TForm& form, const std::string& className)
{
    BusFormGone(form);
    ExportedForm& entry = exported[&form];
    entry.className = className;
    if (server)
        Register(form, entry);
}

void BusFormRaised(TForm& form)
{
    auto it = exported.find(&form);
    if (server && it != exported.end() && it->second.window != 0)
        server->MoveToTop(it->second.window);
}

void BusFormGone(TForm& form)
{
    auto it = exported.find(&form);
    if (it == exported.end())
        return;
    if (server && it->second.window != 0)
        server->UnregisterWindow(it->second.window);
    exported.erase(it);
}

} // namespace plat
