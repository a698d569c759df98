#include "platform/gui/internal/layer.h"

#include <QGuiApplication>

namespace plat {
namespace {

std::function<void(const std::string&)>& LogSink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}

} // namespace

void SetLayerLog(std::function<void(const std::string&)> log)
{
    LogSink() = std::move(log);
}

void LayerLog(const std::string& line)
{
    if (LogSink())
        LogSink()(line);
}

bool NobodyToAsk()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen") && !Seams().realDialogsOffscreen;
}

GuiSeams& Seams()
{
    static GuiSeams seams;
    return seams;
}

} // namespace plat
