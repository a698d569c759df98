#include "foundation/app_info.h"
#include "foundation/local_clock.h"
#include "mainwindow/dialog_bridge.h"
#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/notifications.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/object_data.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/header_fixture.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

constexpr uint32_t kJan = 1002;
constexpr uint32_t kLunch = 50;

std::vector<uint32_t> sideboardOpened;

class HeaderBellTest : public HeaderTest {
protected:
    void SetUp() override
    {
        HeaderTest::SetUp();
        sideboardOpened.clear();
        ViewMainHooks.OpenSideboard = [](uint32_t id, int32_t) { sideboardOpened.push_back(id); };
        // Two pictures the bell can be told apart by.
        ImageTable.LoadImageFromFile("imgBell24", DALMORA_TEST_DATA_DIR "../../gui/data/sample.png");
        ImageTable.LoadImageFromFile("imgBellWithRedDot24", DALMORA_TEST_DATA_DIR "../../gui/data/half_red.png");
        Main().pHeader->SetBounds(0, 0, 1000, 63);
        Main().CreateHeaderComponents();
        Clear();
    }
    void TearDown() override
    {
        ViewMainHooks.OpenSideboard = nullptr;
        HeaderTest::TearDown();
    }
    void Clear()
    {
        data_->Pim().Notifications.Resize(0);
        data_->Pim().ContactsRequests.Resize(0);
        data_->Pim().Contacts.Resize(0);
        g.ObjectData.Clear();
    }
    static std::vector<TNObjectDataList::Entry> Pending()
    {
        std::vector<TNObjectDataList::Entry> entries;
        TNObjectDataList::Entry entry;
        // Each look marks the first one done, so they come one by one.
        while (g.ObjectData.FirstPending(&entry)) {
            entries.push_back(entry);
            g.DeleteObjectData(entry.type, entry.id, entry.pim_srv_pos);
        }
        return entries;
    }
    // The menu the bell opens, with its items' names and captions.
    plat::PopupRecord OpenBell()
    {
        menus_->popups.clear();
        Main().btnHeaderBellMouseDown(Overlay("btnHeaderBell"), plat::TMouseButton::mbLeft, 2, 2);
        EXPECT_EQ(menus_->popups.size(), 1u);
        return menus_->popups.empty() ? plat::PopupRecord{} : menus_->popups[0];
    }
    plat::TMenuItem* BellItem(const char* name) { return Main().headerMenus[TfrmMainDLMR1::hmBell]->FindByName(name); }
    int32_t BellIconWidth() { return Item("btnHeaderBell")->Images[1].Get()->Picture().Width(); }
};

TEST_F(HeaderBellTest, CountsOnlyWhatIsNewAndAsksForMissingDetails)
{
    const int64_t now = TNLocalClock::Now();
    struct Row {
        const char* name;
        std::function<void(HeaderBellTest&)> seed;
        int32_t count;
        // The object-data request made (type, id); type 0 = none.
        uint8_t requestType;
        uint32_t requestId;
    };
    const Row rows[] = {
        {"open request", [](HeaderBellTest& t) { t.AddRequest(1, "Eva Malá"); }, 1, 0, 0},
        {"deleted request", [](HeaderBellTest& t) { t.AddRequest(1, "Eva Malá").Deleted = 100; }, 0, 0, 0},
        {"answered request", [](HeaderBellTest& t) { t.AddRequest(1, "Eva Malá").AcceptanceType = 1; }, 0, 0, 0},
        {"request without name", [](HeaderBellTest& t) { t.AddRequest(7, ""); }, 0, 1, 7},
        {"picture pending", [](HeaderBellTest& t) { t.AddRequest(1, "Eva").ProfilePicture = 5; }, 0, 0, 0},
        {"picture downloaded",
         [](HeaderBellTest& t) {
             TNPIMContactsRequest& r = t.AddRequest(1, "Eva");
             r.ProfilePicture = 5;
             r.ProfilePictureState = 2;
         },
         1, 0, 0},
        {"unread notification", [](HeaderBellTest& t) { t.AddNotification(20, 99, "Jan"); }, 1, 0, 0},
        {"read notification", [](HeaderBellTest& t) { t.AddNotification(20, 99, "Jan").Read = 100; }, 0, 0, 0},
        {"deleted notification", [](HeaderBellTest& t) { t.AddNotification(20, 99, "Jan").Deleted = 100; }, 0, 0, 0},
        {"e-mailed 1799 s ago",
         [now](HeaderBellTest& t) { t.AddNotification(20, 99, "Jan").Emailed = static_cast<int32_t>(now - 1799); }, 1,
         0, 0},
        {"e-mailed 1800 s ago",
         [now](HeaderBellTest& t) { t.AddNotification(20, 99, "Jan").Emailed = static_cast<int32_t>(now - 1800); }, 0,
         0, 0},
        {"no sender, not a contact", [](HeaderBellTest& t) { t.AddNotification(21, 99, "").Settings_SenderUserID = 5; },
         0, 2, 21},
        {"invitation without organizer", [](HeaderBellTest& t) { t.AddNotification(23, 12, "Eva"); }, 0, 2, 23},
        {"no sender, a contact",
         [](HeaderBellTest& t) {
             t.AddContact(kJan, "Jan", "", "Novák ");
             t.AddNotification(22, 99, "").Settings_SenderUserID = kJan;
         },
         1, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Clear();
        row.seed(*this);
        EXPECT_EQ(Main().UpdateHeaderBell(), row.count);
        EXPECT_EQ(Main().headerContactRequestsCount + Main().headerNotificationsCount, row.count);
        const std::vector<TNObjectDataList::Entry> pending = Pending();
        if (row.requestType == 0) {
            EXPECT_TRUE(pending.empty());
        } else {
            ASSERT_EQ(pending.size(), 1u);
            EXPECT_EQ(pending[0].type, row.requestType);
            EXPECT_EQ(pending[0].id, row.requestId);
        }
    }
    // The sender composed from the contact's name parts (the last row's) is
    // kept.
    ASSERT_NE(data_->Pim().Notifications.GetItemByID(22), nullptr);
    EXPECT_EQ(data_->Pim().Notifications.GetItemByID(22)->FullName.View(), "Jan Novák");
}

TEST_F(HeaderBellTest, WritesEachNotificationsText)
{
    AddContact(kJan, "Jan", "", "Novák");
    AddRecord(kLunch, 3, "Oběd");
    struct Row {
        const char* name;
        int32_t type;
        uint32_t sender;
        uint32_t record;
        const char* data;
        const char* organizer;
        const char* fullName;
        const char* text;
    };
    const Row rows[] = {
        {"shared", 10, kJan, kLunch, "", "", "Jan Novák", "Jan Novák s Vámi sdílí událost Oběd"},
        {"shared, record gone", 10, kJan, 77, "", "", "Jan Novák",
         "Jan Novák s Vámi sdílí ... Neznámý záznam [Záznam již nejspíš neexistuje] [GetNotificationText][n->Type=10] "
         "n->Settings_RecordID = 77"},
        {"shared, sender not a contact", 10, 5, kLunch, "", "", "Eva",
         "Neznámý kontakt s Vámi sdílí událost Oběd [GetNotificationText][n->Type=10] n->Settings_RecordID = 50"},
        {"changed, three fields", 11, kJan, kLunch, "3", "", "Jan Novák",
         "Uživatel Jan Novák změnil událost \"Oběd\" [3]"},
        {"changed, unknown sender", 11, 5, kLunch, "1", "", "Eva", "Záznam (událost) \"Oběd\" byl změněn"},
        {"changed, record gone", 11, kJan, 77, "", "", "Jan Novák", ""},
        {"invitation from a non-contact", 12, 5, 0, "", "Rodina", "Eva Malá",
         "Uživatel Eva Malá Vás zve k odběru kalendáře \"Rodina\""},
        {"invitation from a contact", 12, kJan, 0, "", "A & B", "Jan Novák",
         "Uživatel Jan Novák Vás zve k odběru kalendáře \"A && B\""},
        {"other type", 99, kJan, 0, "", "", "Jan", "[GetNotificationText][DEFAULT] n->Type = 99"},
    };
    uint32_t id = 100;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TNPIMNotification& n = AddNotification(++id, row.type, row.fullName, row.record);
        n.Settings_SenderUserID = row.sender;
        n.Settings_Data.Set(row.data);
        n.OrganizerName.Set(row.organizer);
        EXPECT_EQ(Main().GetNotificationText(&n, 0), row.text);
        EXPECT_EQ(n.Read, 0);
    }

    // Record and sender both gone: every notification of the record is read.
    TNPIMNotification& orphan = AddNotification(200, 10, "Eva", 88);
    orphan.Settings_SenderUserID = 5;
    TNPIMNotification& sibling = AddNotification(201, 11, "Eva", 88);
    EXPECT_NE(Main().GetNotificationText(&orphan, 0), "");
    EXPECT_NE(orphan.Read, 0);
    EXPECT_NE(sibling.Read, 0);

    EXPECT_EQ(Main().GetContactsRequestText(&AddRequest(1, "Eva & Jan")),
              "Uživatel 'Eva && Jan' Vás žádá o přidání do kontaktů");
    EXPECT_EQ(Main().GetContactsRequestText(nullptr), "");
}

TEST_F(HeaderBellTest, AnInvitationFromSomeoneNotAContactIsKept)
{
    TNPIMNotification& n = AddNotification(30, 12, "Eva Malá");
    n.OrganizerName.Set("Rodina");
    n.Settings_SenderUserID = 5;
    EXPECT_EQ(Main().UpdateHeaderBell(), 1);
    EXPECT_EQ(n.Deleted, 0);
    const plat::PopupRecord bell = OpenBell();
    ASSERT_GE(bell.captions.size(), 2u);
    EXPECT_EQ(bell.captions[1], "Uživatel Eva Malá Vás zve k odběru kalendáře \"Rodina\"");
}

TEST_F(HeaderBellTest, TheMenuListsRequestsNotificationsAndReadOnes)
{
    AddRequest(1, "Eva Malá");
    for (uint32_t id = 10; id < 15; ++id)
        AddNotification(id, 99, "Jan");
    AddNotification(15, 99, "Jan").Read = 100;
    AddNotification(16, 12, "Eva").OrganizerName.Set("A & B");
    plat::PopupRecord bell = OpenBell();
    const std::vector<std::string> expected = {"pmnuHeaderBell_ContactsRequestId1_0",
                                               "pmnuHeaderBell_MarkAllNotificationsAsRead",
                                               "pmnuHeaderBell_NotificationId10_0",
                                               "pmnuHeaderBell_NotificationId11_0",
                                               "pmnuHeaderBell_NotificationId12_0",
                                               "pmnuHeaderBell_NotificationId13_0",
                                               "pmnuHeaderBell_NotificationId14_0",
                                               "pmnuHeaderBell_NotificationId16_0",
                                               "pmnuHeaderBell_AlreadyReadNotificationsSpacer",
                                               "pmnuHeaderBell_NotificationId15_0"};
    EXPECT_EQ(bell.items, expected);
    EXPECT_EQ(bell.captions[1], "Označit vše následující jako přečtené (6 notifikací):");
    // The ampersand shows as itself.
    EXPECT_EQ(bell.captions[7], "Uživatel Eva Vás zve k odběru kalendáře \"A & B\"");
    EXPECT_EQ(BellItem("pmnuHeaderBell_ContactsRequestId1_0")->Tag(), 1);

    Clear();
    AddNotification(10, 99, "Jan");
    AddNotification(11, 99, "Jan");
    bell = OpenBell();
    EXPECT_EQ(bell.captions[0], "Označit vše následující jako přečtené (2 notifikace):");

    Clear();
    bell = OpenBell();
    EXPECT_EQ(bell.captions, std::vector<std::string>{"Nemáte žádná nová upozornění"});
    EXPECT_FALSE(static_cast<bool>(BellItem("pmnuHeaderBell_BasicProfileSettings")->OnClick));
}

// Czech counts 1 to 4 with one ending and the rest with another.
TEST_F(HeaderBellTest, TheMarkAllItemCountsInCzech)
{
    struct Case {
        uint32_t count;
        const char* caption;
    };
    const Case cases[] = {
        {1, "Označit vše následující jako přečtené (1 notifikace):"},
        {4, "Označit vše následující jako přečtené (4 notifikace):"},
        {5, "Označit vše následující jako přečtené (5 notifikací):"},
    };
    for (const Case& c : cases) {
        Clear();
        for (uint32_t id = 10; id < 10 + c.count; ++id)
            AddNotification(id, 99, "Jan");
        const plat::PopupRecord bell = OpenBell();
        ASSERT_FALSE(bell.captions.empty()) << c.count;
        EXPECT_EQ(bell.captions[0], c.caption) << c.count;
    }
}

TEST_F(HeaderBellTest, TheBellAndTrayIconFollowOnlyAChangedCount)
{
    const int32_t plain = BellIconWidth();
    for (uint32_t id = 10; id < 13; ++id)
        AddNotification(id, 99, "Jan");
    EXPECT_EQ(Main().UpdateHeaderBell(), 3);
    EXPECT_NE(BellIconWidth(), plain);
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconUnread);

    // The same count again touches neither.
    Main().trayIcon->SetIconIndex(App.TrayIconOffline);
    Item("btnHeaderBell")->IconShown = 0;
    EXPECT_EQ(Main().UpdateHeaderBell(), 3);
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconOffline);
    EXPECT_EQ(Item("btnHeaderBell")->IconShown, 0);

    // A pass's online tag keeps the unread icon while the bell shows items.
    Main().DispatchUiTag(__uiOnlineAndLogged, 0);
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconUnread);

    Clear();
    EXPECT_EQ(Main().UpdateHeaderBell(), 0);
    EXPECT_EQ(BellIconWidth(), plain);
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconNormal);
}

TEST_F(HeaderBellTest, ARefreshDoesNotRunTwiceAtOnceNorBesideASyncJob)
{
    AddNotification(10, 99, "Jan");
    Main().bellRefreshBusy = 1;
    EXPECT_EQ(Main().UpdateHeaderBell(), -1);
    Main().bellRefreshBusy = 0;
    c.SyncJobRunning = 1;
    EXPECT_EQ(Main().UpdateHeaderBell(), -1);
    c.SyncJobRunning = 0;
    EXPECT_EQ(Main().bellRefreshBusy, 0) << "a skipped refresh leaves the byte as it found it";
    EXPECT_EQ(Main().UpdateHeaderBell(), 1);
    EXPECT_EQ(Main().bellRefreshBusy, 0);

    // A load holding the data on another thread: the main thread does not
    // wait for it.
    std::promise<void> held;
    std::promise<void> release;
    std::thread loader([&] {
        TNModelWriteGuard model;
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    EXPECT_EQ(Main().UpdateHeaderBell(), -1);
    release.set_value();
    loader.join();
    EXPECT_EQ(Main().bellRefreshBusy, 0);
    EXPECT_EQ(Main().UpdateHeaderBell(), 1);
}

TEST_F(HeaderBellTest, ANotificationItemMarksItsRecordReadAndOpensIt)
{
    AddRecord(kLunch, 3, "Oběd");
    AddNotification(123, 10, "Jan", kLunch);
    TNPIMNotification& other = AddNotification(124, 11, "Jan", kLunch);
    OpenBell();
    g.NewSyncWanted = 0;
    Main().btnBellNotificationClick(BellItem("pmnuHeaderBell_NotificationId123_0"));
    EXPECT_NE(data_->Pim().Notifications.GetItemByID(123)->Read, 0);
    EXPECT_NE(other.Read, 0);
    EXPECT_EQ(sideboardOpened, std::vector<uint32_t>{kLunch});
    EXPECT_EQ(g.NewSyncWanted, 1);
    EXPECT_GE(LogCount("[TfrmMainDLMR1::UpdateHeader][BEGIN]"), 1);

    // A name without a valid position logs and does nothing else.
    for (const char* name : {"pmnuHeaderBell_NotificationId125_x", "pmnuHeaderBell_NotificationId125_1"}) {
        SCOPED_TRACE(name);
        plat::TOwned<plat::TMenuItem> item(new plat::TMenuItem(nullptr));
        item->SetName(name);
        g.NewSyncWanted = 0;
        const int before = LogCount("[TfrmMainDLMR1::btnBellNotificationClick][ERROR] pim_srv_pos = ");
        Main().btnBellNotificationClick(item.get());
        EXPECT_EQ(LogCount("[TfrmMainDLMR1::btnBellNotificationClick][ERROR] pim_srv_pos = "), before + 1);
        EXPECT_EQ(g.NewSyncWanted, 0);
    }
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::btnBellNotificationClick][ERROR] (TMenuItem *)Sender)->Name = "), 2);
}

TEST_F(HeaderBellTest, AnInvitationItemOpensTheOrganizerOrItsWebPage)
{
    TNPIMNotification& n = AddNotification(40, 12, "Eva");
    n.OrganizerName.Set("Rodina");
    n.Settings_OrganizerID = 601;
    OpenBell();
    Main().btnBellNotificationClick(BellItem("pmnuHeaderBell_NotificationId40_0"));
    EXPECT_NE(n.Read, 0);
    EXPECT_EQ(Pages().Count("Pages_ShowCalendarOrPage 601"), 1);
}

TEST_F(HeaderBellTest, MarkAllReadsOnlyWhatTheBellCountsWhenConfirmed)
{
    const int64_t now = TNLocalClock::Now();
    TNPIMNotification& counted = AddNotification(10, 99, "Jan");
    TNPIMNotification& noSender = AddNotification(11, 99, "");
    noSender.Settings_SenderUserID = 5;
    TNPIMNotification& old = AddNotification(12, 99, "Jan");
    old.Emailed = static_cast<int32_t>(now - 4000);
    OpenBell();
    plat::TMenuItem* markAll = BellItem("pmnuHeaderBell_MarkAllNotificationsAsRead");
    ASSERT_NE(markAll, nullptr);

    boxes_->answers.push_back(plat::IDNO);
    Main().btnBellNotificationClick(markAll);
    EXPECT_EQ(counted.Read, 0);
    EXPECT_FALSE(data_->Pim().pleaseMarkAllNotificationsAsRead);

    boxes_->answers.push_back(plat::IDYES);
    g.NewSyncWanted = 0;
    Main().btnBellNotificationClick(markAll);
    ASSERT_EQ(boxes_->boxes.size(), 2u);
    EXPECT_EQ(boxes_->boxes[1].text, "Opravdu si přejete označit všechny notifikace jako přečtené?");
    EXPECT_EQ(boxes_->boxes[1].caption, "Označit vše jako přečtené");
    EXPECT_NE(counted.Read, 0);
    EXPECT_EQ(noSender.Read, 0);
    EXPECT_EQ(old.Read, 0);
    EXPECT_TRUE(data_->Pim().pleaseMarkAllNotificationsAsRead);
    EXPECT_EQ(g.NewSyncWanted, 1);
}

// Another thread holds the data, as a load does, until Release or 5 s.
class DataHeldElsewhere {
public:
    DataHeldElsewhere()
        : thread_([this] {
              TNModelWriteGuard model;
              held_.set_value();
              timedOut_ = release_.get_future().wait_for(std::chrono::seconds(5)) == std::future_status::timeout;
          })
    {
        held_.get_future().wait();
    }
    ~DataHeldElsewhere() { Release(); }
    // Whether the holder gave the data up by itself: the main thread waited.
    bool TimedOut() const { return timedOut_; }
    void Release()
    {
        if (!thread_.joinable())
            return;
        release_.set_value();
        thread_.join();
    }

private:
    std::promise<void> held_;
    std::promise<void> release_;
    std::atomic<bool> timedOut_{false};
    std::thread thread_;
};

TEST_F(HeaderBellTest, TheBellNeverWaitsForTheDataOnTheMainThread)
{
    AddRecord(kLunch, 3, "Oběd");
    TNPIMNotification& shared = AddNotification(123, 10, "Jan", kLunch);
    TNPIMNotification& other = AddNotification(124, 99, "Jan");
    OpenBell();
    plat::TMenuItem* item = BellItem("pmnuHeaderBell_NotificationId123_0");
    plat::TMenuItem* markAll = BellItem("pmnuHeaderBell_MarkAllNotificationsAsRead");
    ASSERT_NE(item, nullptr);
    ASSERT_NE(markAll, nullptr);

    DataHeldElsewhere load;
    menus_->popups.clear();
    Main().btnHeaderBellMouseDown(Overlay("btnHeaderBell"), plat::TMouseButton::mbLeft, 2, 2);
    EXPECT_TRUE(menus_->popups.empty()) << "no menu while the data are busy";
    Main().btnBellNotificationClick(item);
    boxes_->answers.push_back(plat::IDYES);
    Main().btnBellNotificationClick(markAll);
    EXPECT_FALSE(load.TimedOut()) << "the main thread waited for the data";
    EXPECT_EQ(shared.Read, 0);
    EXPECT_EQ(other.Read, 0);
    EXPECT_TRUE(sideboardOpened.empty());

    // Once the data are free, the clicks take effect in their order.
    load.Release();
    g.NewSyncWanted = 0;
    timers_->Advance(100);
    EXPECT_NE(shared.Read, 0);
    EXPECT_NE(other.Read, 0);
    EXPECT_TRUE(data_->Pim().pleaseMarkAllNotificationsAsRead);
    EXPECT_EQ(sideboardOpened, std::vector<uint32_t>{kLunch});
    EXPECT_EQ(g.NewSyncWanted, 1);
    OpenBell();
}

// Takes the key and parameters it is opened with and shows nothing.
class KeyDialog final : public TNUniDialogForm {
public:
    KeyDialog() : TNUniDialogForm(nullptr) {}
    const char* ClassName() const override { return "KeyDialog"; }
    bool AktivujDialog() override
    {
        key = Key;
        params.assign(Params, Params + 8);
        return false;
    }
    static inline std::string key;
    static inline std::vector<int32_t> params;
};

TEST_F(HeaderBellTest, AContactRequestItemOpensItsDialog)
{
    SetUniDialogFactory([]() -> TNUniDialogForm* { return new KeyDialog(); });
    AddRequest(9, "Eva Malá");
    OpenBell();
    Main().btnContactRequestClick(BellItem("pmnuHeaderBell_ContactsRequestId9_0"));
    SetUniDialogFactory(nullptr);
    EXPECT_EQ(KeyDialog::key, "ContactRequest");
    ASSERT_EQ(KeyDialog::params.size(), 8u);
    EXPECT_EQ(KeyDialog::params[5], 0) << "the server position";
    EXPECT_EQ(KeyDialog::params[7], 9) << "the request";
}

} // namespace
} // namespace shell_test
