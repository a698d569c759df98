#include "platform/sound/null_sink.h"

namespace plat {

bool NullSink::Open(const WaveFormat&, std::string&)
{
    return true;
}

bool NullSink::Write(std::span<const uint8_t>, std::string&)
{
    return true;
}

bool NullSink::Drain(const std::atomic<bool>& interrupted)
{
    return !interrupted.load();
}

void NullSink::Close(bool)
{
}

} // namespace plat
