#pragma once

#include "platform/gui/component.h"
#include "platform/gui/control.h"
#include "platform/gui/menu.h"

#include <memory>
#include <string>

namespace plat {

class TImageList;
struct TrayIconImpl;

// The program's icon in the notification area. It shows while Active and
// IconVisible are both set and a tray host exists. A left click fires
// OnMouseDown (mbLeft); a double click fires that, then OnDblClick; a right
// click fires OnMouseDown (mbRight), then opens PopupMenu at the cursor.
//
// ShowApplication and HideApplication show and hide the main form with its
// task-bar entry. Where no tray host exists, hiding would leave the window
// unreachable: it is minimised instead (logged once per run), and a restore
// by the user counts as ShowApplication.
class TrayIcon : public TComponent {
public:
    explicit TrayIcon(TComponent* owner);
    const char* ClassName() const override { return "TrayIcon"; }

    bool Active() const { return active_; }
    void SetActive(bool active);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);

    // The icon is image IconIndex of Icons; the list is borrowed and must
    // outlive its use here. An index out of range shows an empty icon.
    TImageList* Icons() const { return icons_; }
    void SetIcons(TImageList* icons);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);

    // CP1250 plain text, "\n" between lines; markup shows as typed.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);

    TPopupMenu* PopupMenu() const { return popupMenu_.Get(); }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

    // False from HideApplication until ShowApplication (or the user's
    // restore of a window minimised in place of hiding).
    bool ApplicationVisible() const { return applicationVisible_; }
    // Shows the main form, restored if minimised.
    void ShowApplication();
    // Hides the main form and its task-bar entry.
    void HideApplication();

    TMouseEvent OnMouseDown;
    TNotifyEvent OnDblClick;

    // True when a tray host exists on the display.
    static bool HostAvailable();

    TrayIconImpl& Impl() const { return *impl_; }

protected:
    ~TrayIcon() override;
    void Detach() override;

private:
    friend struct TrayIconImpl;

    void UpdateIcon();
    void UpdateShown();
    void UserRestoredWindow();

    bool active_ = false;
    bool iconVisible_ = true;
    TImageList* icons_ = nullptr;
    int iconIndex_ = 0;
    std::string hint_;
    TWeakRef<TPopupMenu> popupMenu_;
    bool applicationVisible_ = true;
    std::unique_ptr<TrayIconImpl> impl_;
};

} // namespace plat
