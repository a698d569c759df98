// The record editor page on the real dialog and model: its components,
// organizer choice, the time logic through its handlers, the save with its
// refusals and cancels, the share-with selection and the bottom bar.

#include "dialog/unidlg.h"
#include "dialog/unidlg_pages.h"
#include "foundation/local_ids.h"
#include "mainwindow/main_window.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/hooks.h"
#include "platform/gui/button.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_seams.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/hooks.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

constexpr uint32_t kReadOnlyOrganizer = 502;
constexpr uint32_t kTeamOrganizer = 503;

class RecordEditorTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        InstallUniversalDialog();
        answers_ = std::make_unique<plat::testing::MessageBoxResponder>();
        TNPIMOrganizer& own = *Account(0).Organizers.Items[0];
        own.Title.Set("Můj kalendář");
        own.Subscribe = 1;
        own.Selected = true;
        AddOrganizer(Account(0), kReadOnlyOrganizer, 50, 0).Title.Set("Cizí");
        TNPIMOrganizer& team = AddOrganizer(Account(0), kTeamOrganizer, 50, 20);
        team.Title.Set("Tým");
        Account(0).Records->UserOrganizerID = kOrganizerID;
        AddTag(7201, "Práce", kOrganizerID);
        AddTag(7202, "Práce", kTeamOrganizer);
        script_ = std::make_unique<plat::testing::ScopedModalScript>([this](plat::TForm& form) {
            auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
            if (dialog == nullptr)
                return;
            if (dialog->Key == "MB") {
                boxes.push_back(MessageBoxFields.Caption + ": " + MessageBoxFields.Text);
                dialog->btnUlozitClick();
                return;
            }
            opened.push_back(dialog->Key);
            if (step)
                step(*dialog);
            if (dialog->Visible())
                dialog->Close();
        });
    }

    void TearDown() override
    {
        script_.reset();
        answers_.reset();
        SetUniDialogFactory(nullptr);
        ViewDialogHooks = TNViewDialogHooks{};
        DialogHooks.HandOverRecordFromServer = nullptr;
        PagesTest::TearDown();
    }

    void AddTag(uint32_t id, const char* title, uint32_t organizer)
    {
        TNPIMTags& tags = Account(0).Tags;
        ASSERT_TRUE(tags.Resize(tags.Count + 1));
        tags.Items[tags.Count - 1]->ID = id;
        tags.Items[tags.Count - 1]->OrganizerID = organizer;
        tags.Items[tags.Count - 1]->Title.Set(title);
    }

    // Opens the editor with `during` run in its modal loop.
    void Edit(int32_t id, int32_t type, std::function<void(TfrmUnidlgDLMR1&)> during, int32_t parent = 0,
              int32_t preset = 0)
    {
        step = std::move(during);
        Main().UniDialog("EditRecord", nullptr, id, id != 0 ? 1 : 0, parent, type, 0, 0, preset, 0);
        step = nullptr;
    }

    static bool Has(const char* name) { return View.GetComponent(name) != nullptr; }
    static TNViewItem* Item(const char* name) { return View.GetComponent(name); }
    static std::vector<std::string> ComboEntries(const char* name)
    {
        TNViewItem* item = View.GetComponent(name);
        return item != nullptr && item->Combos[0].Get() != nullptr ? item->Combos[0]->Items()
                                                                   : std::vector<std::string>{};
    }
    static void Type(const char* name, const char* text) { View.SetText(name, text, false, 0); }
    static void SetDate(TfrmUnidlgDLMR1& dialog, const char* name, const TNEditorDate& value)
    {
        dialog.SetDateItemValue(name, value);
        TNViewItem* item = View.GetComponent(name);
        if (item != nullptr && item->OnChange != nullptr)
            item->OnChange(item);
    }

    std::vector<std::string> boxes;
    std::vector<std::string> opened;
    std::function<void(TfrmUnidlgDLMR1&)> step;
    std::unique_ptr<plat::testing::ScopedModalScript> script_;
    // Made after the shell's own, so that it answers.
    std::unique_ptr<plat::testing::MessageBoxResponder> answers_;
};

TEST_F(RecordEditorTest, ComponentsFollowTheRecordType)
{
    struct Row {
        int32_t type;
        const char* beginCaption;
        bool full;
    };
    for (const Row& row :
         {Row{3, "Začátek", true}, Row{1, "Začátek", true}, Row{7, "Datum", false}, Row{8, "Datum", false}}) {
        Edit(0, row.type, [&](TfrmUnidlgDLMR1&) {
            for (const char* name :
                 {"imp3Importance", "select3Status", "check3Task", "select3Tag", "btn3AddTag", "date3End",
                  "edit3EventLength", "btn3Recurrence", "select3Reschedule", "select3EventType", "check3Hidden"})
                EXPECT_EQ(Has(name), row.full) << row.type << " " << name;
            for (const char* name :
                 {"img3Picture", "memo3Text", "date3Begin", "btn3Alerts", "vis3Visibility", "btn3Sharing", "edit3Place",
                  "memo3Note", "select3Organizer", "label3OrganizerHint"})
                EXPECT_TRUE(Has(name)) << row.type << " " << name;
            EXPECT_EQ(Item("date3Begin")->CaptionLabel->Caption(), std::string(row.beginCaption) + ":");
            EXPECT_FALSE(Has("select3RecurrenceSaveMode"));
        });
    }
    EXPECT_EQ(opened.size(), 4u);
}

TEST_F(RecordEditorTest, ARecordWithoutEndShowsAnEmptyDisabledLength)
{
    RecordShape shape;
    shape.ID = 900;
    AddRecord(Account(0), shape);
    RecordAt(Account(0), 0).HasEnd = false;
    Edit(900, 0, [&](TfrmUnidlgDLMR1&) {
        EXPECT_EQ(View.GetText("edit3EventLength"), "");
        EXPECT_EQ(Item("edit3EventLength")->Enabled, 0);
        EXPECT_EQ(View.GetText("memo3Text"), "Porada týmu");
    });
}

TEST_F(RecordEditorTest, ASeriesOccurrenceAsksForTheSaveMode)
{
    RecordShape shape;
    shape.ID = 901;
    AddRecord(Account(0), shape);
    RecordAt(Account(0), 0).RecurrenceMasterID = 880;
    Edit(901, 0, [&](TfrmUnidlgDLMR1& dialog) {
        ASSERT_TRUE(Has("select3RecurrenceSaveMode"));
        EXPECT_EQ(dialog.ComboIndex("select3RecurrenceSaveMode"), 0);
        EXPECT_EQ(ComboEntries("select3RecurrenceSaveMode")[0], "--- VYBERTE ---");
        EXPECT_EQ(Item("btn3Recurrence")->UIntValue, 880u);
        EXPECT_NE(Item("btn3Recurrence")->Label(2)->Caption().find(" [Otevřít]"), std::string::npos);
        dialog.btnUlozitClick();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "Chyba: Položka \"Uložení změn v opakovaném záznamu\" musí být vyplněna!");
    });
}

TEST_F(RecordEditorTest, ParentAndMasterButtonsOpenThatRecordNext)
{
    RecordShape shape;
    shape.ID = 906;
    AddRecord(Account(0), shape);
    shape.ID = 907;
    AddRecord(Account(0), shape);
    RecordAt(Account(0), 1).ParentID = 906;
    RecordAt(Account(0), 1).RecurrenceMasterID = 880;
    for (const char* button : {"btn3ParentRecord", "btn3Recurrence"}) {
        uint32_t next = 0;
        Edit(907, 0, [&](TfrmUnidlgDLMR1& dialog) {
            ASSERT_NE(Item(button), nullptr) << button;
            Item(button)->OnButtonClick(Item(button));
            next = dialog.recordToOpenAfterClose;
        });
        EXPECT_EQ(next, std::string(button) == "btn3ParentRecord" ? 906u : 880u) << button;
    }
}

TEST_F(RecordEditorTest, GrowingNoteLaysThePageOutAgain)
{
    Edit(0, 3, [&](TfrmUnidlgDLMR1& dialog) {
        EXPECT_FALSE(dialog.userChanged);
        const int32_t start = dialog.noteHeight;
        std::string text;
        for (int i = 0; i < 30; ++i) {
            text += "řádek\n";
            Type("memo3Note", text.c_str());
        }
        EXPECT_GT(dialog.noteHeight, start);
        EXPECT_TRUE(dialog.userChanged);
        const int32_t grown = dialog.noteHeight;
        Type("memo3Note", "krátce");
        EXPECT_LT(dialog.noteHeight, grown);
    });
}

TEST_F(RecordEditorTest, NoRightsRefusesBeforeTheWindowShows)
{
    RecordShape shape;
    shape.ID = 902;
    shape.OrganizerID = kReadOnlyOrganizer;
    AddRecord(Account(0), shape);
    Edit(902, 0, nullptr);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Chyba: K editaci tohoto záznamu nemáte dostatečná oprávnění");
}

TEST_F(RecordEditorTest, OrganizerChoiceListsWritableOnesAndPreselects)
{
    struct Row {
        const char* name;
        int32_t preset;
        const char* selected;
    };
    for (const Row& row :
         {Row{"user's own", 0, "Můj kalendář"}, Row{"preset", static_cast<int32_t>(kTeamOrganizer), "Tým"}}) {
        Edit(
            0, 3,
            [&](TfrmUnidlgDLMR1& dialog) {
                EXPECT_EQ(ComboEntries("select3Organizer"), (std::vector<std::string>{"Můj kalendář", "Tým"}))
                    << row.name;
                EXPECT_EQ(ComboEntries("select3Organizer")[static_cast<size_t>(dialog.ComboIndex("select3Organizer"))],
                          row.selected)
                    << row.name;
            },
            0, row.preset);
    }
}

TEST_F(RecordEditorTest, TimeLogicRunsThroughTheHandlers)
{
    Edit(0, 3, [&](TfrmUnidlgDLMR1& dialog) {
        SetDate(dialog, "date3Begin", TNEditorDate::At(2025, 3, 12, 10, 0));
        SetDate(dialog, "date3End", TNEditorDate::At(2025, 3, 12, 11, 0));
        EXPECT_EQ(View.GetText("edit3EventLength"), "60");
        EXPECT_EQ(dialog.labelNadpis->Caption(), "Nová událost");
        SetDate(dialog, "date3Begin", TNEditorDate::At(2025, 3, 12, 14, 0));
        EXPECT_EQ(dialog.DateItemValue("date3End"), TNEditorDate::At(2025, 3, 12, 15, 0));
        Type("edit3EventLength", "90");
        Item("edit3EventLength")->OnChange(Item("edit3EventLength"));
        EXPECT_EQ(dialog.DateItemValue("date3End"), TNEditorDate::At(2025, 3, 12, 15, 30));
        View.SetCheckboxValue("check3Task", true);
        Item("check3Task")->OnChange(Item("check3Task"));
        EXPECT_EQ(dialog.labelNadpis->Caption(), "Nový úkol");
        EXPECT_TRUE(dialog.userChanged);
    });
}

TEST_F(RecordEditorTest, NewRecordIsSavedOnceWithTagByIdAndSharing)
{
    const int32_t before = Account(0).Records->Count;
    Edit(0, 3, [&](TfrmUnidlgDLMR1& dialog) {
        Type("memo3Text", "Schůzka");
        Item("select3Tag")->SetSafeItemIndex(2);
        dialog.shareGroups.Clear();
        dialog.shareGroups.Add(3, true);
        dialog.shareGroups.Add(4, false);
        dialog.shareGroups.Add(5, true);
        dialog.shareContacts.Clear();
        dialog.shareContacts.Add(1001, true);
        dialog.btnUlozitClick();
    });
    TNPIMRecords& records = *Account(0).Records;
    ASSERT_EQ(records.Count, before + 1);
    const TNPIMRecord& saved = *records.Items[records.Count - 1];
    EXPECT_GE(saved.ID, kFirstLocalID);
    EXPECT_EQ(std::string(saved.Text.View()), "Schůzka");
    EXPECT_EQ(std::string(saved.SharingRequest.View()), "&Sharing_Groups=3;5;&Sharing_Contacts=1001;");
    EXPECT_EQ(Account(0).TagsAssign.GetTagID(saved.ID), 7202u);
    EXPECT_EQ(saved.OrganizerID, kOrganizerID);
    EXPECT_EQ(saved.Type, 2);
    EXPECT_EQ(Watched().Count("OrganizerRecordChanged 500"), 1);
    EXPECT_TRUE(boxes.empty()) << boxes[0];
}

TEST_F(RecordEditorTest, SavingIntoAnUntickedOrganizerWarns)
{
    Edit(0, 3, [&](TfrmUnidlgDLMR1& dialog) {
        Type("memo3Text", "Do týmu");
        Item("select3Organizer")->SetSafeItemIndex(1);
        dialog.btnUlozitClick();
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Upozornění: POZOR: Záznam ukládáte do kalendáře, který není zaškrtnutý", 0), 0u);
    const TNPIMRecords& records = *Account(0).Records;
    EXPECT_EQ(records.Items[records.Count - 1]->OrganizerID, kTeamOrganizer);
}

TEST_F(RecordEditorTest, RefusalsKeepTheDialogAndTheCollection)
{
    RecordShape shape;
    shape.ID = 903;
    AddRecord(Account(0), shape);
    struct Row {
        const char* name;
        std::function<void(TfrmUnidlgDLMR1&)> change;
        const char* box;
    };
    const Row rows[] = {
        {"blank text", [](TfrmUnidlgDLMR1&) { Type("memo3Text", "   "); },
         "Vyplňte položku: Položka \"Text\" není vyplněna!"},
        {"end before begin",
         [](TfrmUnidlgDLMR1& d) { d.SetDateItemValue("date3End", TNEditorDate::At(2025, 3, 10, 9, 0)); },
         "Chyba: Konec je nastaven na dřív, než Začátek!"},
        {"no organizer", [](TfrmUnidlgDLMR1&) { Item("select3Organizer")->Combos[0]->SetItemIndex(-1); },
         "Chyba: Položka \"Kalendář\" musí být vyplněna!"},
    };
    for (const Row& row : rows) {
        boxes.clear();
        const int32_t count = Account(0).Records->Count;
        Edit(903, 0, [&](TfrmUnidlgDLMR1& dialog) {
            row.change(dialog);
            dialog.btnUlozitClick();
            EXPECT_TRUE(dialog.Visible()) << row.name;
        });
        ASSERT_EQ(boxes.size(), 1u) << row.name;
        EXPECT_EQ(boxes[0], row.box);
        EXPECT_EQ(Account(0).Records->Count, count);
        EXPECT_EQ(std::string(RecordAt(Account(0), 0).Text.View()), "Porada týmu") << row.name;
        EXPECT_EQ(RecordAt(Account(0), 0).Begin.Hodina, 10) << row.name;
    }
}

// Another thread can take the model while a question waits for the user.
bool OtherThreadGetsTheModel()
{
    bool held = false;
    std::thread other([&] {
        TNModelWriteGuard guard(std::try_to_lock);
        held = guard.Held();
    });
    other.join();
    return held;
}

TEST_F(RecordEditorTest, CancelledSavesChangeNothing)
{
    RecordShape shape;
    shape.ID = 904;
    AddRecord(Account(0), shape);
    struct Row {
        const char* name;
        std::function<void(TfrmUnidlgDLMR1&)> change;
        const char* question;
    };
    const Row rows[] = {
        {"move declined", [](TfrmUnidlgDLMR1&) { Item("select3Organizer")->SetSafeItemIndex(1); }, "Přesunout záznam?"},
        {"insert as new declined",
         [this](TfrmUnidlgDLMR1&) {
             // Gone meanwhile: another user deleted it.
             RecordAt(Account(0), 0).ID = 914;
             Account(0).Records->NoteIDChanged(0);
         },
         "Záznam nenalezen"},
    };
    for (const Row& row : rows) {
        RecordAt(Account(0), 0).ID = 904;
        Account(0).Records->NoteIDChanged(0);
        const int32_t count = Account(0).Records->Count;
        answers_->boxes.clear();
        answers_->answers = {plat::IDNO};
        bool freeWhileAsked = false;
        answers_->during = [&] { freeWhileAsked = OtherThreadGetsTheModel(); };
        Edit(904, 0, [&](TfrmUnidlgDLMR1& dialog) {
            Type("memo3Text", "Jiný text");
            row.change(dialog);
            dialog.btnUlozitClick();
            EXPECT_TRUE(dialog.Visible()) << row.name;
        });
        ASSERT_EQ(answers_->boxes.size(), 1u) << row.name;
        EXPECT_EQ(answers_->boxes[0].caption, row.question);
        EXPECT_TRUE(freeWhileAsked) << row.name;
        EXPECT_TRUE(OtherThreadGetsTheModel()) << row.name;
        EXPECT_EQ(Account(0).Records->Count, count) << row.name;
        EXPECT_EQ(std::string(RecordAt(Account(0), 0).Text.View()), "Porada týmu") << row.name;
        EXPECT_EQ(Watched().Count("OrganizerRecordChanged 500"), 0) << row.name;
    }
}

TEST_F(RecordEditorTest, TheServicesCopyReachesOnlyTheEditorThatAsked)
{
    RecordShape shape;
    shape.ID = 908;
    AddRecord(Account(0), shape);
    const auto copy = [&](const char* text, uint32_t deleted = 0) {
        auto record = std::make_shared<TNPIMRecord>();
        record->Copy(&RecordAt(Account(0), 0));
        record->Text.Set(text);
        record->Deleted = deleted;
        return record;
    };
    struct Row {
        const char* name;
        bool typed;
        int64_t idShift;
        uint32_t recordId;
        uint32_t deleted;
        bool armed;
        const char* shown;
    };
    const Row rows[] = {
        {"changed text, nothing typed", false, 0, 908, 0, true, "Ze serveru"},
        {"changed text after typing", true, 0, 908, 0, true, "Napsáno"},
        {"another record", false, 0, 999, 0, false, "Porada týmu"},
        {"another dialog in the slot", false, 1, 908, 0, false, "Porada týmu"},
        {"deleted", false, 0, 908, 1, true, ""},
    };
    for (const Row& row : rows) {
        boxes.clear();
        jobs_.clear();
        Edit(908, 0, [&](TfrmUnidlgDLMR1& dialog) {
            ASSERT_EQ(jobs_.size(), 1u);
            EXPECT_EQ(jobs_[0].Tag, 4);
            EXPECT_EQ(jobs_[0].DialogIndex, dialog.SlotIndex);
            EXPECT_EQ(jobs_[0].DialogId, dialog.DialogId);
            ASSERT_NE(jobs_[0].EditedRecord, nullptr);
            EXPECT_EQ(jobs_[0].EditedRecord->ID, 908u);
            if (row.typed)
                Type("memo3Text", "Napsáno");
            auto record = copy(row.deleted != 0 ? "" : "Ze serveru", row.deleted);
            record->ID = row.recordId;
            DialogHooks.HandOverRecordFromServer(dialog.SlotIndex, dialog.DialogId + row.idShift, record, nullptr);
            EXPECT_EQ(dialog.timerUpdateUniDlgUi->Enabled(), row.armed) << row.name;
            if (!row.armed)
                return;
            EXPECT_EQ(dialog.timerUpdateUniDlgUi->Tag(), 1);
            EXPECT_EQ(dialog.timerUpdateUniDlgUi->Interval(), 250u);
            dialog.timerUpdateUniDlgUiTimer();
            if (row.deleted == 0) {
                EXPECT_EQ(View.GetText("memo3Text"), row.shown) << row.name;
            }
        });
        if (row.deleted != 0) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], "Záznam vymazán: Tento záznam byl vymazán.");
        } else {
            EXPECT_TRUE(boxes.empty()) << row.name;
        }
    }
}

TEST_F(RecordEditorTest, RemovingASharingRowUnticksTheEditorsSelection)
{
    Edit(0, 3, [&](TfrmUnidlgDLMR1& dialog) {
        dialog.shareContacts.Clear();
        dialog.shareContacts.Add(1001, true);
        EXPECT_EQ(ViewDialog::ShareWithContacts(dialog.SlotIndex).Count, 1);
        EXPECT_TRUE(dialog.RemoveFromShareWith(2, 1001));
        EXPECT_FALSE(dialog.RemoveFromShareWith(2, 1001));
        EXPECT_EQ(ViewDialog::ShareWithContacts(dialog.SlotIndex).Selected[0], 0);
        EXPECT_EQ(ViewDialog::EditedRecordId(dialog.SlotIndex), 0u);
    });
}

TEST_F(RecordEditorTest, BottomBarOfANewTopLevelRecordSwitchesType)
{
    struct Row {
        plat::TLabel* TfrmUnidlgDLMR1::*link;
        int type;
    };
    for (const Row& row : {Row{&TfrmUnidlgDLMR1::labelOdkaz, 2}, Row{&TfrmUnidlgDLMR1::labelKlonovat, 7},
                           Row{&TfrmUnidlgDLMR1::labelCreated, 8}}) {
        Main().addSomethingElseType = 0;
        Edit(0, 3, [&](TfrmUnidlgDLMR1& dialog) {
            EXPECT_EQ(dialog.labelNapoveda->Caption(), "Přidat něco jiného:");
            (dialog.*row.link)->OnClick(dialog.*row.link);
            // Checked before the loop ends: the armed timer may run then.
            EXPECT_EQ(Main().addSomethingElseType, row.type);
            EXPECT_TRUE(Main().timerEditRecord->Enabled());
            EXPECT_EQ(Main().timerEditRecord->Tag(), 0);
            Main().timerEditRecord->SetEnabled(false);
        });
    }
}

TEST_F(RecordEditorTest, BottomBarOfAnExistingRecord)
{
    RecordShape shape;
    shape.ID = 905;
    AddRecord(Account(0), shape);
    Edit(905, 0, [&](TfrmUnidlgDLMR1& dialog) {
        EXPECT_EQ(dialog.labelOdkaz->Caption(), "Odkaz");
        dialog.labelKlonovatClick();
        dialog.labelCreatedClick();
        EXPECT_TRUE(dialog.Visible());
    });
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Připravujeme: Tato funkce ještě není dokončena.");
    EXPECT_EQ(boxes[1], "Historie: Změněno 10.03.2025 v 10:00");
}

} // namespace
} // namespace shell_test
