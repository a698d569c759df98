// The record editor entry, the add commands and the record timers.

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/pim_array.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace shell_test {
namespace {

using Params = std::array<int32_t, 8>;

class RecordActions : public PagesTest {
protected:
    void TearDown() override
    {
        ViewMainHooks.PaintRecordsComponentsList = nullptr;
        PagesTest::TearDown();
    }

    // A record card in a list, as the pages' lists make them.
    TNViewItem* MakeCard(uint32_t recordId, int32_t account)
    {
        list_ = View.CreateComponent(cmpScrollbox, "scrollPagesTest", &Main(), Main().pDesk, 0, "", 1, -1, nullptr,
                                     nullptr, 3);
        TNViewItem* card = View.CreateComponent(cmpRecord, "scrollPagesTest_card", &Main(), Main().pDesk, 0, "", 1, -1,
                                                nullptr, list_, 3);
        card->ParentItem = list_;
        card->record_id = recordId;
        card->pimSrvPos = account;
        return card;
    }

    // The lists repainted, by component id.
    static inline std::vector<uint32_t> repainted;
    TNViewItem* list_ = nullptr;
};

TEST_F(RecordActions, ProgramWindowOpensTheEditorThroughItsPages)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    RecordAt(Account(0), pos).ParentID = 6000;

    Main().Pages().EditRecord(&RecordAt(Account(0), pos));

    ASSERT_EQ(bridge_.openings.size(), 1u);
    EXPECT_EQ(bridge_.openings[0].Key, "EditRecord");
    EXPECT_EQ(bridge_.openings[0].Params, (Params{7001, 0, 6000, 0, 0, 0, 0, 0}));
    EXPECT_EQ(TakeUiTags(), (std::vector<int16_t>{__uiUpdateShownData}));
}

TEST_F(RecordActions, AddCommandsOpenTheEditorForTheirKind)
{
    struct Case {
        const char* name;
        TNPageCommand command;
        int8_t view;
        int32_t kind;
    };
    const Case cases[] = {
        {"birthday", TNPageCommand::mnuFileAddBirthdayClick, TfrmMainDLMR1::kHomepage, rtBirthday},
        {"anniversary", TNPageCommand::mnuFileAddAnniversaryClick, TfrmMainDLMR1::kHomepage, rtAnniversary},
        {"something new on the tasks page", TNPageCommand::mnuFileAddSomethingNewClick, TfrmMainDLMR1::kTasks, rtTask},
        {"something new elsewhere", TNPageCommand::mnuFileAddSomethingNewClick, TfrmMainDLMR1::kNotes, 0},
        {"task", TNPageCommand::mnuFileAddTaskClick, TfrmMainDLMR1::kNotes, rtTask},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bridge_.openings.clear();
        Main().controlActive = c.view;
        Main().Pages().RunCommand(c.command);
        ASSERT_EQ(bridge_.openings.size(), 1u);
        EXPECT_EQ(bridge_.openings[0].Key, "EditRecord");
        EXPECT_EQ(bridge_.openings[0].Params, (Params{0, 0, 0, c.kind, 0, 0, 0, 0}));
    }
}

TEST_F(RecordActions, EditRecordTimerOpensItsRecordOrTheChosenKind)
{
    AddRecord(Account(0), {.ID = 4200000005u});
    struct Case {
        const char* name;
        uint32_t tag;
        int kind;
        const char* key;
        int32_t firstParam;
        int32_t kindParam;
        const char* pageCall;
        const char* logLine;
    };
    const Case cases[] = {
        {"the record of the Tag", 4200000005u, 0, "EditRecord", static_cast<int32_t>(4200000005u), 0, nullptr, nullptr},
        {"a missing record", 4200000006u, 0, nullptr, 0, 0, nullptr, nullptr},
        {"a new note", 0, rtNote, nullptr, 0, 0, "btnNotesListAddClick", "[timerEditRecordTimer]"},
        {"an anniversary", 0, rtAnniversary, "EditRecord", 0, rtAnniversary, nullptr, nullptr},
        {"a birthday", 0, rtBirthday, "EditRecord", 0, rtBirthday, nullptr, nullptr},
        {"another kind", 0, 3, nullptr, 0, 0, nullptr,
         "[TfrmMainDLMR1::timerEditRecordTimer][DEFAULT] g.addSomethingElseType = 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bridge_.openings.clear();
        Watched().Calls.clear();
        const int logged = c.logLine != nullptr ? LogCount(c.logLine) : 0;
        Main().timerEditRecord->SetTag(c.tag);
        Main().addSomethingElseType = c.kind;
        Main().timerEditRecord->SetEnabled(true);
        timers_->Advance(250);

        EXPECT_FALSE(Main().timerEditRecord->Enabled());
        EXPECT_EQ(Main().addSomethingElseType, 0);
        if (c.key == nullptr) {
            EXPECT_TRUE(bridge_.openings.empty());
        } else {
            ASSERT_EQ(bridge_.openings.size(), 1u);
            EXPECT_EQ(bridge_.openings[0].Params[0], c.firstParam);
            EXPECT_EQ(bridge_.openings[0].Params[3], c.kindParam);
        }
        if (c.pageCall != nullptr) {
            EXPECT_EQ(Watched().Count(c.pageCall), 1);
        }
        if (c.logLine != nullptr) {
            EXPECT_EQ(LogCount(c.logLine), logged + 1);
        }
    }
}

TEST_F(RecordActions, AddSomethingNewTimerOpensTheToastRecordByRights)
{
    struct Case {
        const char* name;
        uint32_t origin;
        int64_t tag;
        bool editor;
        bool sideboard;
    };
    // Origin 1 gives rights 100; an organizer of someone else followed
    // without a role gives 0.
    const Case cases[] = {
        {"rights 100: the editor with the parent", 1, 1, true, false},
        {"rights 0: the side panel", 50, 1, false, true},
        {"another Tag: the home page's add", 1, 0, false, false},
    };
    uint32_t id = 9000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++id;
        AddOrganizer(Account(0), id, c.origin, 1);
        const int32_t pos = AddRecord(Account(0), {.ID = id, .OrganizerID = id});
        RecordAt(Account(0), pos).ParentID = 8888;
        auto toast = std::make_shared<TNPIMRecord>(&Account(0));
        toast->ID = id;
        g.SetNotifyConstantlyRecord(toast);
        bridge_.openings.clear();
        Watched().Calls.clear();

        Main().timerAddSomethingNew->SetTag(c.tag);
        Main().timerAddSomethingNew->SetEnabled(true);
        timers_->Advance(1);

        EXPECT_EQ(Main().timerAddSomethingNew->Tag(), 0);
        EXPECT_EQ(Watched().Count("OpenSideboard " + std::to_string(id) + " 0 slide"), c.sideboard ? 1 : 0);
        ASSERT_EQ(bridge_.openings.size(), c.sideboard ? 0u : 1u);
        if (!c.sideboard) {
            const Params expected = c.editor ? Params{static_cast<int32_t>(id), 0, 8888, 0, 0, 0, 0, 0} : Params{};
            EXPECT_EQ(bridge_.openings[0].Params, expected);
        }
    }
}

TEST_F(RecordActions, EditRecordOpensTheEditorOrTheNotesPage)
{
    SignIn();
    const int32_t note = AddRecord(Account(0), {.ID = 7001, .Type = rtNote});
    const int32_t other = AddRecord(Account(0), {.ID = 7002, .Type = 10});
    const int32_t task = AddRecord(SecondAccount(), {.ID = 7003});
    repainted.clear();
    ViewMainHooks.PaintRecordsComponentsList = [](TNViewItem* item, bool, const char*, bool) {
        repainted.push_back(item->ComponentId);
    };
    struct Case {
        const char* name;
        TNPIMRecord* record;
        bool withCard;
        bool deleteCard;
    };
    const Case cases[] = {
        {"a note", &RecordAt(Account(0), note), false, false},
        {"an unknown kind", &RecordAt(Account(0), other), false, false},
        {"a task from its card", &RecordAt(Account(1), task), true, false},
        {"a task whose card the dialog's loop deleted", &RecordAt(Account(1), task), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bridge_.openings.clear();
        Watched().Calls.clear();
        repainted.clear();
        TakeUiTags();
        const int syncs = LogCount("[FastSync] caller = EditRecord");
        const int checks = LogCount("After PIM[pim_srv_pos]->CheckAll; pim_srv_pos = 1");
        TNViewItem* card = c.withCard ? MakeCard(c.record->ID, 1) : nullptr;
        const uint32_t cardId = card != nullptr ? card->ComponentId : 0;
        const uint32_t listId = list_ != nullptr ? list_->ComponentId : 0;
        bridge_.scripts.clear();
        if (c.deleteCard)
            bridge_.scripts["EditRecord"] = [cardId](TNUniDialogForm&) { View.DeleteComponentById(cardId, true); };

        Main().EditRecord(c.record, 0, 0, card, 0, 0);

        EXPECT_EQ(LogCount("[FastSync] caller = EditRecord"), syncs + 1);
        EXPECT_EQ(TakeUiTags(), (std::vector<int16_t>{__uiUpdateShownData}));
        if (c.record->Type == rtNote) {
            EXPECT_TRUE(bridge_.openings.empty());
            EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kNotes);
            EXPECT_EQ(Watched().Count("ShowSelectedNote 7001 0"), 1);
        } else if (!c.withCard) {
            EXPECT_TRUE(bridge_.openings.empty());
            EXPECT_TRUE(Watched().Calls.empty());
        } else {
            ASSERT_EQ(bridge_.openings.size(), 1u);
            EXPECT_EQ(bridge_.openings[0].Key, "EditRecord");
            EXPECT_EQ(bridge_.openings[0].Params, (Params{7003, 0, 0, 0, static_cast<int32_t>(cardId), 1, 0, 0}));
            EXPECT_EQ(LogCount("After PIM[pim_srv_pos]->CheckAll; pim_srv_pos = 1"), checks + 1);
            EXPECT_EQ(repainted, c.deleteCard ? std::vector<uint32_t>{} : std::vector<uint32_t>{listId});
        }
        if (c.withCard) {
            View.DeleteComponentById(cardId, true);
            View.DeleteComponentById(listId, true);
            list_ = nullptr;
        }
    }
}

} // namespace
} // namespace shell_test
