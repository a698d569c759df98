#include "platform/core/platform_log.h"

#include <atomic>
#include <cstdio>

namespace plat {
namespace {

std::atomic<PlatformLogSink> installedSink{nullptr};

} // namespace

void SetPlatformLogSink(PlatformLogSink sink)
{
    installedSink.store(sink);
}

void PlatformLog(const std::string& line)
{
    if (PlatformLogSink sink = installedSink.load()) {
        sink(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace plat
