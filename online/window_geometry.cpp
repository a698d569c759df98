#include "online/global.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "online/screen.h"
#include "online/window_state.h"

#include <cstdio>
#include <string>

TNScreenHooks ScreenHooks;

namespace {

// A position below this is no position (a minimised window's -32000).
constexpr int32_t kNoPosition = -15360;
constexpr int32_t kMissingPosition = -32000;

struct ScreenSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

ScreenSize CurrentScreen()
{
    ScreenSize size;
    if (ScreenHooks.ScreenSize != nullptr)
        ScreenHooks.ScreenSize(&size.Width, &size.Height);
    else
        GetScreenSize(&size.Width, &size.Height);
    return size;
}

TNScreenRect WorkArea()
{
    if (ScreenHooks.WorkArea != nullptr)
        return ScreenHooks.WorkArea();
    ScreenSize screen = CurrentScreen();
    return {0, 0, screen.Width, screen.Height};
}

TNScreenRect WindowBounds()
{
    return ScreenHooks.MainWindowBounds != nullptr ? ScreenHooks.MainWindowBounds() : TNScreenRect{};
}

bool Maximized()
{
    return ScreenHooks.MainWindowMaximized != nullptr && ScreenHooks.MainWindowMaximized();
}

// "SForRes1920x1080" and its kin.
std::string SettingName(char kind, int32_t width, int32_t height)
{
    char name[48];
    std::snprintf(name, sizeof(name), "%cForRes%dx%d", kind, width, height);
    return name;
}

class ResolutionSettings {
public:
    ResolutionSettings(int32_t width, int32_t height) : width_(width), height_(height) {}

    void CreateWhenMissing(char kind, int32_t value) const
    {
        std::string name = SettingName(kind, width_, height_);
        if (Setup.Find(name.c_str()) < 0)
            Setup.SetValue(name.c_str(), value, TNSetupItem::kInt32);
    }
    int32_t Get(char kind) const { return Setup.GetInt(SettingName(kind, width_, height_).c_str()); }
    void Set(char kind, int32_t value) const
    {
        Setup.SetValue(SettingName(kind, width_, height_).c_str(), value, TNSetupItem::kInt32);
    }

private:
    int32_t width_;
    int32_t height_;
};

bool OnGeometryPage()
{
    return !WindowState.IsActivePage("Login") && !WindowState.IsActivePage("Pomocne");
}

} // namespace

void TNGlobal::UpdateTodayWindowSize()
{
    Guarded("[TNGlobal::UpdateTodayWindowSize]", [&] {
        if (LastResW < 0 || LastResH < 0) {
            LogText("[g.UpdateTodayWindowSize][RETURN] LastResW < 0 || LastResH < 0");
            return;
        }
        ScreenSize screen = CurrentScreen();
        ResolutionSettings settings(screen.Width, screen.Height);
        settings.CreateWhenMissing('S', 0);
        if (GeometryRestoredOnce && screen.Width == LastResW && screen.Height == LastResH)
            return;
        LastResW = screen.Width;
        LastResH = screen.Height;
        settings.CreateWhenMissing('L', kMissingPosition);
        settings.CreateWhenMissing('T', kMissingPosition);
        settings.CreateWhenMissing('W', -1);
        settings.CreateWhenMissing('H', -1);

        if (!Maximized()) {
            TNScreenRect area = WorkArea();
            int32_t width = settings.Get('W');
            int32_t height = settings.Get('H');
            if (width < 30 || height < 30) {
                // The work area less 20 pixels on each side, wherever it lies.
                if (ScreenHooks.SetMainWindowNormal != nullptr)
                    ScreenHooks.SetMainWindowNormal();
                TNScreenRect bounds{area.Left + 20, area.Top + 20, area.Width - 40, area.Height - 40};
                if (ScreenHooks.SetMainWindowBounds != nullptr)
                    ScreenHooks.SetMainWindowBounds(bounds);
                if (ScreenHooks.SetMainWindowTopValue != nullptr)
                    ScreenHooks.SetMainWindowTopValue(area.Top + 20);
            } else {
                int32_t left = settings.Get('L');
                int32_t top = settings.Get('T');
                if (left < kNoPosition) {
                    left = area.Width - width + area.Left - 20;
                    settings.Set('L', left);
                }
                if (top < kNoPosition) {
                    top = area.Height - height + area.Top - 20;
                    settings.Set('T', top);
                }
                if (ScreenHooks.SetMainWindowBounds != nullptr)
                    ScreenHooks.SetMainWindowBounds({left, top, width, height});
                if (settings.Get('S') == 1) {
                    if (ScreenHooks.SetMainWindowTopValue != nullptr)
                        ScreenHooks.SetMainWindowTopValue(-1);
                    if (ScreenHooks.ArmMaximizeMainWindow != nullptr)
                        ScreenHooks.ArmMaximizeMainWindow();
                }
            }
        }
        if (GeometryRestoredOnce && ScreenHooks.ArmResize != nullptr)
            ScreenHooks.ArmResize();
        GeometryRestoredOnce = true;
    });
}

void TNGlobal::SaveWindowGeometry()
{
    Guarded("[TNGlobal::SaveWindowGeometry]", [&] {
        bool visible = ScreenHooks.ApplicationVisible != nullptr && ScreenHooks.ApplicationVisible();
        if (SavingGeometry || !visible || !OnGeometryPage())
            return;
        SavingGeometry = true;
        if (!Maximized()) {
            SaveWindowPosition();
            SaveWindowSize();
            SaveWindowState(0);
        } else {
            SaveWindowState(1);
        }
        SavingGeometry = false;
    });
}

void TNGlobal::SaveWindowSize()
{
    Guarded("[TNGlobal::SaveWindowSize]", [&] {
        if (LastResW < 0 || LastResH < 0 || !GeometryRestoredOnce || !OnGeometryPage() || Maximized())
            return;
        ResolutionSettings settings(LastResW, LastResH);
        TNScreenRect bounds = WindowBounds();
        if (settings.Get('W') == bounds.Width && settings.Get('H') == bounds.Height)
            return;
        settings.Set('W', bounds.Width);
        settings.Set('H', bounds.Height);
    });
}

void TNGlobal::SaveWindowPosition()
{
    Guarded("[TNGlobal::SaveWindowPosition]", [&] {
        if (LastResW < 0 || LastResH < 0 || !GeometryRestoredOnce || !OnGeometryPage() || Maximized())
            return;
        ResolutionSettings settings(LastResW, LastResH);
        TNScreenRect bounds = WindowBounds();
        // A minimised window has no position worth keeping, whichever
        // coordinate shows it.
        if (bounds.Left < kNoPosition || bounds.Top < kNoPosition)
            return;
        if (bounds.Left == settings.Get('L') && bounds.Top == settings.Get('T'))
            return;
        settings.Set('L', bounds.Left);
        settings.Set('T', bounds.Top);
    });
}

void TNGlobal::SaveWindowState(int32_t state)
{
    Guarded("[TNGlobal::SaveWindowState]", [&] {
        if (LastResW < 0 || LastResH < 0 || !GeometryRestoredOnce || !OnGeometryPage())
            return;
        if (state == -1)
            state = Maximized() ? 1 : 0;
        ResolutionSettings(LastResW, LastResH).Set('S', state);
    });
}

void TNGlobal::GetOrganizerRelationText(bool userPresent, const TNPIMOrganizer* organizer, TNString* result,
                                        const TNString* ownerName)
{
    Guarded("[TNGlobal::GetOrganizerRelationText]", [&] {
        if (!userPresent || organizer == nullptr || result == nullptr)
            return;
        std::string text(organizer->Note.View());
        if (!text.empty())
            text += "\n";
        switch (organizer->Origin) {
        case 1:
            text += "Můj hlavní kalendář";
            break;
        case 10:
            text += "Mnou vytvořená stránka/kalendář";
            break;
        case 20:
            text += "Stránka uživatele ";
            if (!organizer->SecondTitle.IsEmpty())
                text += organizer->SecondTitle.View();
            else if (ownerName != nullptr && !ownerName->IsEmpty())
                text += std::string(ownerName->View()) + "\n" + std::to_string(organizer->UserID);
            break;
        case 50:
            switch (organizer->Subscribe) {
            case 0:
                text += "Neodebíráno";
                break;
            case 1:
                text += "Přihlášeno k odběru";
                break;
            case 5:
                text += "Pozvánka k odběru";
                break;
            case 10:
                text += "Přispěvatel";
                break;
            case 20:
                text += "Manažer";
                break;
            default:
                break;
            }
            break;
        default:
            break;
        }
        if (organizer->Origin != 50 && organizer->Subscribe == 5)
            text += "\nPozvánka k odběru";
        if (App.IsDev != 0 && text.empty()) {
            text = "[DEV] ID: " + std::to_string(organizer->ID) + ", Origin = " + std::to_string(organizer->Origin) +
                   ", Subscribe = " + std::to_string(organizer->Subscribe);
        }
        result->Set(text);
    });
}

void TNGlobal::ClearOwnOrganizersCachedText()
{
    Guarded("[TNGlobal::ClearOwnOrganizersCachedText]", [&] {
        uint32_t own = Account().UserOrganizerID;
        if (UserLoginStatus != 1 || own == 0)
            return;
        TNModelWriteGuard lock;
        for (int32_t p = 0; p < PIM.Count(); ++p) {
            TNPIM* pim = PIM[p];
            if (pim == nullptr)
                continue;
            for (int32_t i = 0; i < pim->Organizers.Count; ++i) {
                TNPIMOrganizer* organizer = pim->Organizers.Items[i];
                if (organizer != nullptr && organizer->ID == own)
                    organizer->ReadableTitle.Set("");
            }
        }
    });
}
