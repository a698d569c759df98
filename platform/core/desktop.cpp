#include "platform/core/desktop.h"

#include "platform/core/process.h"

#include <atomic>

namespace plat {
namespace {

std::atomic<DesktopOpener> opener{nullptr};

} // namespace

bool OpenInDesktop(const std::string& target)
{
    if (DesktopOpener fake = opener.load())
        return fake(target);
    if (target.empty())
        return false;
    return StartDetached({"xdg-open", target});
}

void SetDesktopOpener(DesktopOpener fake)
{
    opener.store(fake);
}

} // namespace plat
