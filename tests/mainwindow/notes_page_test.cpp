// The Notes page: the editor's autosave, its guard, the edits stored before
// anything replaces the editor, the id an upload gives a new note, and the
// selection a fill restores.

#include "foundation/local_clock.h"
#include "foundation/local_ids.h"
#include "foundation/record_file.h"
#include "foundation/setup.h"
#include "mainwindow/page_lists.h"
#include "model/pim.h"
#include "model/records.h"
#include "model/tags.h"
#include "online/global.h"
#include "platform/core/main_loop.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace shell_test {
namespace {

constexpr uint32_t kMaxId = 0xFFFFFFFFu;

TEST(NoteFields, LineEndsBecomeBreaksInTheNoteAndStayInThePlainText)
{
    struct Case {
        const char* memo;
        const char* note;
        const char* plain;
    };
    const Case cases[] = {
        {"a\nb", "a<br />b", "a\nb"},
        {"a\r\nb\rc", "a<br />b<br />c", "a\nb\nc"},
        {"x < y & z", "x < y & z", "x < y & z"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.memo);
        const TNNoteFields fields = NoteFieldsFromMemo(c.memo);
        EXPECT_EQ(fields.Note, c.note);
        EXPECT_EQ(fields.PlainNote, c.plain);
    }
    EXPECT_TRUE(NoteTextUnchanged("x\r\ny", "x\ny"));
    EXPECT_TRUE(NoteTextUnchanged(nullptr, ""));
    EXPECT_FALSE(NoteTextUnchanged("x\r\ny", "x\ny "));
}

TEST(RestoredSelection, TheLastSelectedCandidateWins)
{
    using C = TNSelectionCandidate;
    EXPECT_EQ(RestoredSelection({}).Id, 0u);
    EXPECT_EQ(RestoredSelection({{kMaxId, 0, false}, {17, 1, false}}).Id, 0u);
    const C special = RestoredSelection({{kMaxId, 0, true}, {kMaxId - 2, 0, true}, {17, 1, false}});
    EXPECT_EQ(special.Id, kMaxId - 2);
    const C tag = RestoredSelection({{kMaxId, 0, true}, {17, 1, true}, {18, 0, false}});
    EXPECT_EQ(tag.Id, 17u);
    EXPECT_EQ(tag.PimSrvPos, 1);
}

class NotesPage : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        Main().settingsApplied = 1;
        if (OpensNotes())
            OpenNotes();
    }
    virtual bool OpensNotes() const { return true; }

    void OpenNotes()
    {
        Click(TfrmMainDLMR1::kNotes);
        timers_->Advance(1);
    }
    TNViewItem& MemoItem() { return *View.GetComponent("memoNotesNote"); }
    plat::TRichEdit& Memo() { return *MemoItem().Memo.Get(); }
    void Type(const std::string& text) { Memo().SetText(text); }
    std::string MemoText() const { return NormalizedLineEnds(View.GetComponent("memoNotesNote")->Memo.Get()->Text()); }
    std::vector<TNPIMRecord*> Notes()
    {
        std::vector<TNPIMRecord*> notes;
        TNPIMRecords& records = *Account(0).Records;
        for (int32_t i = 0; i < records.Count; ++i) {
            TNPIMRecord* record = records.Items[i];
            if (record != nullptr && record->Type == rtNote && record->Deleted == 0)
                notes.push_back(record);
        }
        return notes;
    }
    TNPIMRecord* NoteWithText(const std::string& plain)
    {
        TNPIMRecord* found = nullptr;
        int matches = 0;
        for (TNPIMRecord* note : Notes()) {
            if (note->PlainNote.Text != nullptr && plain == note->PlainNote.Text) {
                found = note;
                ++matches;
            }
        }
        EXPECT_LE(matches, 1) << plain;
        return found;
    }
    uint32_t AddNote(uint32_t id, const char* plain)
    {
        const int32_t pos = AddRecord(Account(0), {.ID = id, .Type = rtNote, .Year = 0, .Text = ""});
        RecordAt(Account(0), pos).PlainNote.Set(plain);
        return id;
    }
    uint32_t AddTag(uint32_t id, const char* title)
    {
        TNPIMTags& tags = Account(0).Tags;
        EXPECT_TRUE(tags.Resize(tags.Count + 1));
        TNPIMTag& tag = *tags.Items[tags.Count - 1];
        tag.ID = id;
        tag.OrganizerID = kOrganizerID;
        tag.Title.Set(title);
        tags.NoteIDChanged(tags.Count - 1);
        return id;
    }
    int Saves() const { return LogCount("[SaveEditedNote][END]"); }
    std::string NoteTitle()
    {
        TNViewItem* title = View.GetComponent("scrollNotesNoteToolbar_SelectedNoteTitle");
        return title != nullptr && title->Label(2) != nullptr ? title->Label(2)->Caption() : "";
    }
};

TEST_F(NotesPage, TypingSavesOneNewNoteASecondAfterTheLastChangeAndLaterTypingUpdatesIt)
{
    ASSERT_EQ(MemoItem().UIntValue, 0u) << "the page opens on a new note";
    EXPECT_EQ(NoteTitle(), "Nová poznámka");
    Type("Nákup");
    EXPECT_TRUE(Main().timerNotesSaveEditedNote->Enabled());
    timers_->Advance(999);
    EXPECT_TRUE(Notes().empty());
    timers_->Advance(1);
    ASSERT_EQ(Notes().size(), 1u);
    const TNPIMRecord& note = *Notes()[0];
    EXPECT_EQ(note.ID, kFirstLocalID);
    EXPECT_EQ(note.Type, rtNote);
    EXPECT_EQ(note.CreatedByUserID, kUserID);
    EXPECT_EQ(note.OrganizerID, Account(0).Records->UserOrganizerID);
    EXPECT_EQ(note.Created, TNLocalClock::Now32());
    EXPECT_EQ(note.Changed, note.Created);
    EXPECT_EQ(MemoItem().UIntValue, note.ID);

    Type("a\nb");
    timers_->Advance(500);
    Type("a\nb\nc");
    timers_->Advance(999);
    EXPECT_STREQ(Notes()[0]->PlainNote.Text, "Nákup") << "the rest restarts with each change";
    timers_->Advance(1);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_STREQ(Notes()[0]->Note.Text, "a<br />b<br />c");
    EXPECT_STREQ(Notes()[0]->PlainNote.Text, "a\nb\nc");
    EXPECT_EQ(Saves(), 2);
}

TEST_F(NotesPage, ANewNoteTakesARealSelectedTagAndNoneOfASpecialSelection)
{
    const uint32_t tag = AddTag(300, "Doma");
    struct Case {
        uint32_t selection;
        const char* text;
        uint32_t assigned;
    };
    const Case cases[] = {{tag, "se štítkem", tag}, {kMaxId - 2, "bez štítku", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Main().btnNotesListAddClick();
        View.GetComponent("scrollNotesList")->UIntValue = c.selection;
        Type(c.text);
        timers_->Advance(1000);
        TNPIMRecord* note = NoteWithText(c.text);
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(Account(0).TagsAssign.GetTagID(note->ID), c.assigned);
    }
}

TEST_F(NotesPage, TheEditorsTagDecidesWhetherAChangeArmsTheSave)
{
    struct Case {
        int64_t tag;
        bool arms;
        int64_t after;
    };
    const Case cases[] = {{0, true, 0}, {5, false, 0}, {99, false, 99}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        Main().timerNotesSaveEditedNote->SetEnabled(false);
        Memo().SetTag(c.tag);
        Type("text " + std::to_string(++n));
        EXPECT_EQ(Main().timerNotesSaveEditedNote->Enabled(), c.arms);
        EXPECT_EQ(Memo().Tag(), c.after);
    }
    Memo().SetTag(0);
}

TEST_F(NotesPage, AStoredNoteWithOtherLineEndsIsNotSavedAgainWhenShownAndLeft)
{
    const uint32_t id = AddNote(900, "x\r\ny");
    Watched().ShowSelectedNote(id, 0, 0, false);
    EXPECT_EQ(MemoText(), "x\ny");
    EXPECT_EQ(MemoItem().UIntValue, id);
    const uint32_t changed = RecordAt(Account(0), Account(0).Records->GetRecordPosByID(id)).Changed;
    ForgetQueue();
    Click(TfrmMainDLMR1::kHomepage);
    timers_->Advance(2000);
    EXPECT_EQ(Saves(), 0);
    EXPECT_EQ(RecordAt(Account(0), Account(0).Records->GetRecordPosByID(id)).Changed, changed);
    EXPECT_TRUE(QueuedItems().empty());
}

TEST_F(NotesPage, WhatWasTypedIsSavedOnceWhateverReplacesTheEditorBeforeTheSecondIsUp)
{
    const uint32_t other = AddNote(901, "Jiná");
    struct Case {
        const char* name;
        std::function<void()> replace;
    };
    const Case cases[] = {
        {"another selection",
         [&] {
             View.GetComponent("scrollNotesList")->UIntValue = kMaxId - 1;
             Main().UpdateNotes();
             timers_->Advance(1);
         }},
        {"another note clicked", [&] { Watched().ShowSelectedNote(other, 0, 0, false); }},
        {"Nová poznámka", [&] { Main().Pages().RunCommand(TNPageCommand::btnNotesListAddClick); }},
        {"a refill after a shown-data update",
         [&] {
             Main().UpdateActuallyShownData("test");
             timers_->Advance(1);
         }},
        {"another page", [&] { Click(TfrmMainDLMR1::kHomepage); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (Main().controlActive != TfrmMainDLMR1::kNotes)
            OpenNotes();
        Main().btnNotesListAddClick();
        const int before = Saves();
        const std::string text = std::string("psáno před: ") + c.name;
        Type(text);
        c.replace();
        timers_->Advance(2000);
        EXPECT_EQ(Saves() - before, 1);
        EXPECT_NE(NoteWithText(text), nullptr);
    }
}

TEST_F(NotesPage, DeletingTheShownNoteDropsItsWaitingEditAndShowsANewNote)
{
    const uint32_t id = AddNote(900, "Původní");
    Watched().ShowSelectedNote(id, 0, 0, false);
    Type("Změněno");
    boxes_->otherwise = plat::IDYES;
    const int before = Saves();
    Main().pmnuNotesNoteDeleteThisTaskClick();
    timers_->Advance(2000);
    ASSERT_EQ(boxes_->boxes.size(), 1u) << "the delete asks first";
    TNPIMRecord* deleted = Account(0).Records->GetRecordByID(id);
    ASSERT_NE(deleted, nullptr);
    EXPECT_NE(deleted->Deleted, 0u);
    EXPECT_STREQ(deleted->PlainNote.Text, "Původní");
    EXPECT_EQ(Saves(), before);
    EXPECT_TRUE(Notes().empty()) << "nothing typed became a new note";
    EXPECT_EQ(MemoItem().UIntValue, 0u);
    EXPECT_EQ(MemoText(), "");
    EXPECT_EQ(NoteTitle(), "Nová poznámka");
}

TEST_F(NotesPage, TheIdAnUploadGivesANewNoteReachesTheEditor)
{
    Type("První verze");
    timers_->Advance(1000);
    ASSERT_EQ(Notes().size(), 1u);
    const uint32_t temporary = Notes()[0]->ID;
    TNString form;
    Notes()[0]->GetDataToSync(&form);
    TNString answer("<handshake>1</handshake><uploaded-sync-new-id>5001</uploaded-sync-new-id>");
    ASSERT_TRUE(g.ApplyUploadAnswer(&answer, TNPIM::kUploadRecords, temporary, form));
    Loop().Post([] { Loop().Quit(); });
    Loop().Run();
    EXPECT_EQ(MemoItem().UIntValue, 5001u);
    EXPECT_EQ(Main().shownNoteRecordId, 5001u);
    EXPECT_EQ(Main().lastSavedNoteId, 5001u);

    Type("Druhá verze");
    timers_->Advance(1000);
    ASSERT_EQ(Notes().size(), 1u) << "no second note";
    EXPECT_EQ(Notes()[0]->ID, 5001u);
    EXPECT_STREQ(Notes()[0]->PlainNote.Text, "Druhá verze");
    ASSERT_TRUE(Account(0).Save(false, false));
    EXPECT_EQ(data_->StoredCount(raftRecord), 1);
}

TEST_F(NotesPage, AFillWithoutASelectionRestoresTheStoredOne)
{
    const uint32_t tag = AddTag(300, "Doma");
    struct Case {
        const char* name;
        bool important;
        bool tagMarked;
        uint32_t restored;
    };
    const Case cases[] = {
        {"a special setting", true, false, kMaxId - 1},
        {"a tag's notes mark after it", true, true, tag},
        {"nothing stored", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name :
             {"btnNotesTags_Scheduled", "btnNotesTags_Important", "btnNotesTags_AllNotes", "btnNotesTags_WithoutTag"})
            ::Setup.SetValue(name, 0, TNSetupItem::kBool);
        ::Setup.SetValue("btnNotesTags_Important", c.important ? 1 : 0, TNSetupItem::kBool);
        Account(0).Tags.GetTagByID(tag)->SelectedOnNotesPage = c.tagMarked;
        Main().Pages().SetListFilters(false, false);
        Main().UpdateNotes();
        timers_->Advance(1);
        EXPECT_EQ(View.GetComponent("scrollNotesList")->UIntValue, c.restored);
    }
}

TEST_F(NotesPage, ANoteShownFromTheListFillsTheEditorAndItsTitle)
{
    const uint32_t id = AddNote(900, "Seznam\nmléko");
    Main().UpdateActuallyShownData("test");
    timers_->Advance(1);
    Watched().ShowSelectedNote(id, 0, 0, true);
    EXPECT_EQ(MemoText(), "Seznam\nmléko");
    EXPECT_EQ(NoteTitle(), "Seznam");
    EXPECT_EQ(View.GetActiveInner(View.GetComponent("scrollNotesList"))->ListItemsCount, 1);
}

class NotesPageUnopened : public NotesPage {
protected:
    bool OpensNotes() const override { return false; }
};

// A note opened from elsewhere before the page's first fill stays shown.
TEST_F(NotesPageUnopened, ANoteOpenedFromAnotherPageStaysThroughTheFirstFill)
{
    const uint32_t id = AddNote(900, "Otevřená poznámka");
    TNPIMRecord* note = Account(0).Records->GetRecordByID(id);
    Main().EditRecord(note, 0, 0, nullptr, 0, 0);
    timers_->Advance(1);
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kNotes);
    EXPECT_EQ(MemoItem().UIntValue, id);
    EXPECT_EQ(MemoText(), "Otevřená poznámka");
    EXPECT_EQ(Main().shownNoteRecordId, id);
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = DALMORA_BINARY_DIR "gui-test-output";

// The list of notes with the shown one marked, and the editor with its title.
TEST_F(NotesPage, TheNotesPageAsItIsDrawn)
{
    AddNote(901, "Nákupní seznam\nchléb, mléko");
    const uint32_t shown = AddNote(902, "Nápady na dárky\nknížka pro Danu");
    AddNote(903, "Hesla k Wi-Fi");
    ::Setup.SetValue("btnNotesTags_AllNotes", 1, TNSetupItem::kBool);
    Main().Pages().SetListFilters(false, true);
    Main().UpdateActuallyShownData("test");
    timers_->Advance(1);
    ASSERT_EQ(View.GetComponent("scrollNotesList")->UIntValue, kMaxId - 2);
    Main().shownNoteRecordId = shown;
    Watched().ShowSelectedNote(shown, 0, 0, false);
    Main().PaintRecordsComponentsList(View.GetComponent("scrollNotesList"), false, "test", false);
    Main().Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pNotesDesk, kGoldens + "notes_page.png", kOutput));
}

} // namespace
} // namespace shell_test
