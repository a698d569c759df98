#include "platform/gui/gui_application.h"

#include "platform/core/file.h"

#include "platform/gui/component.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/hot_key_links.h"
#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/menu.h"
#include "platform/gui/screen.h"

#include <QApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWheelEvent>

#include <clocale>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace plat {
namespace {

QApplication* application = nullptr;

// The application object: the form under a wheel event sees it before its
// controls do, once, however far Qt then propagates it.
class LayerApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel && receiver->isWidgetType() && FormTakesWheel(receiver, event))
            return true;
        if (event->type() == QEvent::KeyPress && receiver->isWidgetType() &&
            (FocusHotKeyTakes(receiver, *static_cast<QKeyEvent*>(event)) || MenuTakesKey(receiver, event)))
            return true;
        return QApplication::notify(receiver, event);
    }

private:
    // A key matching an enabled short cut of the active form's menu runs
    // that item only: the focused editor must not act on it as well.
    static bool MenuTakesKey(QObject* receiver, QEvent* event)
    {
        TForm* form = Application::ActiveForm();
        if (form == nullptr || form->Menu() == nullptr ||
            static_cast<QWidget*>(receiver)->window() != form->Impl().widget)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const uint16_t code = VirtualKeyOf(*key);
        if (code == 0)
            return false;
        TMenuItem* item =
            form->Menu()->Items()->FindShortCut(ShortCut(code, ShiftStateOf(key->modifiers(), Qt::NoButton)));
        if (item == nullptr)
            return false;
        DispatchScope scope;
        item->Click();
        return true;
    }

    static bool FormTakesWheel(QObject* receiver, QEvent* event)
    {
        auto* window = dynamic_cast<ControlWidget*>(static_cast<QWidget*>(receiver)->window());
        auto* form = window != nullptr ? dynamic_cast<TForm*>(window->control) : nullptr;
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y();
        if (form == nullptr || delta == 0)
            return false;
        const QPoint global = wheel->globalPosition().toPoint();
        return form->MouseWheel(delta, ShiftStateOf(wheel->modifiers(), wheel->buttons()),
                                TPoint{global.x(), global.y()});
    }
};

// Offscreen windows get no frame; the one screen is 1280 x 1024 at 96 dpi.
std::string OffscreenConfigFile()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/dalmora-offscreen-" +
                       std::to_string(getpid()) + ".json";
    const char* config = R"({"windowFrameMargins": false, "screens": [{"name": "offscreen", "x": 0, "y": 0,
        "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    if (!WriteFileAtomically(path, config))
        return std::string();
    return path;
}

const char* ChoosePlatform(const GuiApplication::LogLine& log)
{
    if (const char* own = std::getenv("QT_QPA_PLATFORM"); own != nullptr && *own != '\0')
        return nullptr;
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0')
        return "xcb";
    if (log) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        log(wayland != nullptr && *wayland != '\0'
                ? "[GuiApplication] No X11 display beside Wayland: windows are drawn offscreen"
                : "[GuiApplication] No display: windows are drawn offscreen");
    }
    return "offscreen";
}

} // namespace

void GuiApplication::Start(const LogLine& log)
{
    if (application != nullptr)
        return;
    MarkMainThread();
    SetLayerLog(log);
    if (const char* platform = ChoosePlatform(log))
        setenv("QT_QPA_PLATFORM", platform, 1);
    std::string offscreenConfig;
    if (std::string(std::getenv("QT_QPA_PLATFORM")) == "offscreen") {
        offscreenConfig = OffscreenConfigFile();
        if (!offscreenConfig.empty())
            setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + offscreenConfig).c_str(), 1);
    }
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    unsetenv("QT_SCALE_FACTOR");
    unsetenv("QT_SCREEN_SCALE_FACTORS");
    static int argc = 1;
    static char name[] = "dalmora1";
    static char* argv[] = {name, nullptr};
    application = new LayerApplication(argc, argv);
    if (!offscreenConfig.empty()) {
        RemoveFile(offscreenConfig);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Qt sets the locale from the environment; numbers must stay "C".
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own texts (the calendar pop-up, the font dialog) in Czech,
    // whatever the system locale.
    static QTranslator czech;
    if (czech.load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&czech);
    else if (log)
        log("[GuiApplication] Qt's Czech texts (qtbase_cs) not found");
    // Decoders refuse to allocate more than the picture limits allow.
    QImageReader::setAllocationLimit(128);
    Screen::WatchChanges();
}

bool GuiApplication::Started()
{
    return application != nullptr;
}

std::string GuiApplication::PlatformName()
{
    return application != nullptr ? QGuiApplication::platformName().toStdString() : std::string();
}

void GuiApplication::ProcessEvents()
{
    DispatchScope scope;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace plat
