// The recurrence page on the real dialog and model, opened from the record
// editor as the user opens it: the shown components, the exclusive day
// rules, OK's refusals and write-back into the editor, a service copy
// arriving meanwhile, the preview against the model's expansion, and the
// page's look.

#include "dialog/recurrence_logic.h"
#include "dialog/unidlg.h"
#include "dialog/unidlg_pages.h"
#include "foundation/common.h"
#include "mainwindow/main_window.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/hooks.h"
#include "platform/gui/check_box.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/list_box.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/hooks.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace shell_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = std::string(DALMORA_BINARY_DIR) + "gui-test-output";

class RecurrencePageTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        InstallUniversalDialog();
        answers_ = std::make_unique<plat::testing::MessageBoxResponder>();
        // Today as the clock has it: Tuesday 11 March 2025.
        c.RefreshToday();
        TNPIMOrganizer& own = *Account(0).Organizers.Items[0];
        own.Subscribe = 1;
        own.Selected = true;
        Account(0).Records->UserOrganizerID = kOrganizerID;
        AddOrganizer(Account(0), kReadOnlyOrganizer, 50, 0);
        script_ = std::make_unique<plat::testing::ScopedModalScript>([this](plat::TForm& form) {
            auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
            if (dialog == nullptr)
                return;
            if (dialog->Key == "MB") {
                boxes.push_back(MessageBoxFields.Caption + ": " + MessageBoxFields.Text + " /" +
                                std::to_string(dialog->i8()));
                dialog->btnUlozitClick();
                return;
            }
            opened.push_back(dialog->Key);
            auto step = steps.find(dialog->Key);
            if (step != steps.end() && step->second)
                step->second(*dialog);
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

    // Opens the editor on a record, presses its recurrence button and runs
    // `onPage` on the page; `afterPage` runs in the editor afterwards.
    void EditRule(uint32_t id, std::function<void(TfrmUnidlgDLMR1&)> onPage,
                  std::function<void(TfrmUnidlgDLMR1&)> afterPage = nullptr)
    {
        steps["RecordRecurrence"] = std::move(onPage);
        steps["EditRecord"] = [&](TfrmUnidlgDLMR1& editor) {
            // The user clicks the recurrence button's face.
            plat::TLabel* face = Item("btn3Recurrence")->TitleLabel.Get();
            face->OnClick(face);
            if (afterPage)
                afterPage(editor);
        };
        Main().UniDialog("EditRecord", nullptr, static_cast<int32_t>(id), id != 0 ? 1 : 0, 0, 0, 0, 0, 0, 0);
        steps.clear();
    }

    uint32_t AddSeries(uint32_t id, int32_t year, int32_t month, int32_t day, int32_t hour)
    {
        RecordShape shape;
        shape.ID = id;
        shape.Year = year;
        shape.Month = month;
        shape.Day = day;
        shape.Hour = hour;
        const int32_t pos = AddRecord(Account(0), shape);
        if (hour == TNTime::NoTime) {
            TNPIMRecord& record = RecordAt(Account(0), pos);
            record.HasEnd = false;
        }
        return id;
    }

    static TNViewItem* Item(const char* name) { return View.GetComponent(name); }
    static std::string Text(const char* name)
    {
        TNViewItem* item = Item(name);
        return item != nullptr && item->Label(4) != nullptr ? item->Label(4)->Caption() : std::string();
    }
    // The user picks an entry of a list.
    static void Pick(const char* list, int32_t index)
    {
        TNViewItem* item = Item(list);
        ASSERT_NE(item, nullptr) << list;
        item->ListBox->SetItemIndex(index);
        item->OnChange(item);
    }
    // The user picks an entry of one of a field's combo boxes.
    static void Choose(const char* field, int32_t combo, int32_t index)
    {
        TNViewItem* item = Item(field);
        ASSERT_NE(item, nullptr) << field;
        plat::TFlatComboBox* box = item->Combos[combo].Get();
        box->SetItemIndex(index);
        box->OnChange(box);
    }
    static void Type(const char* field, int32_t edit, const std::string& text)
    {
        Item(field)->Edits[edit]->SetText(text);
    }
    static void Tick(int32_t weekday, bool on)
    {
        const std::string name = "check8WeeklyDay" + std::to_string(weekday);
        TNViewItem* item = Item(name.c_str());
        item->CheckBox->SetChecked(on);
        item->OnChange(item);
    }
    // Weekly on Monday and Wednesday, five times.
    static void ChooseWeeklyMondayWednesday()
    {
        Pick("list8Frequency", rfWeekly);
        Pick("list8Range", 1);
        Type("edit8Count", 1, "5");
        for (int32_t weekday = 1; weekday <= 7; ++weekday)
            Tick(weekday, weekday == 1 || weekday == 3);
    }

    // The application's own message boxes, as "caption: text /flags".
    std::vector<std::string> AppBoxes() const
    {
        std::vector<std::string> shown;
        for (const auto& box : answers_->boxes)
            shown.push_back(box.caption + ": " + box.text + " /" + std::to_string(box.flags));
        return shown;
    }

    static constexpr uint32_t kReadOnlyOrganizer = 502;
    std::vector<std::string> boxes;
    std::vector<std::string> opened;
    std::map<std::string, std::function<void(TfrmUnidlgDLMR1&)>> steps;
    std::unique_ptr<plat::testing::ScopedModalScript> script_;
    std::unique_ptr<plat::testing::MessageBoxResponder> answers_;
};

TEST_F(RecurrencePageTest, ShowsTheComponentsOfTheFrequencyAndRange)
{
    AddSeries(901, 2025, 3, 10, 10);
    EditRule(901, [&](TfrmUnidlgDLMR1& page) {
        EXPECT_EQ(page.Caption(), "Opakování záznamu");
        EXPECT_EQ(page.ClientWidth(), 840);
        EXPECT_EQ(Item("list8Frequency")->ListBox->Items()[1], "Po hodinách");
        for (int32_t frequency = 0; frequency <= 5; ++frequency) {
            for (int32_t range = 0; range <= 2; ++range) {
                SCOPED_TRACE(testing::Message() << "frequency " << frequency << ", range " << range);
                Pick("list8Range", range);
                Pick("list8Frequency", frequency);
                const TNRecurrenceShown shown = RecurrenceShownComponents(frequency, range);
                for (const std::string& name : RecurrenceSwitchedComponents()) {
                    const bool expected =
                        std::find(shown.Visible.begin(), shown.Visible.end(), name) != shown.Visible.end();
                    EXPECT_EQ(Item(name.c_str())->Shown == 1, expected) << name;
                }
                EXPECT_EQ(Item("label8Range")->Shown, 0);
                EXPECT_EQ(Text("label8Settings"), shown.SettingsText);
                // The choice is the working record's at once; the preview
                // clears the range of a record that does not repeat.
                EXPECT_EQ(page.workingRecord->RecurrenceFrequency, frequency);
                EXPECT_EQ(page.workingRecord->Range, frequency == 0 ? 0 : range);
                EXPECT_EQ(Item("list8Frequency")->ListBox->Tag(), frequency);
            }
        }
    });
    EXPECT_EQ(opened, (std::vector<std::string>{"EditRecord", "RecordRecurrence"}));
}

TEST_F(RecurrencePageTest, PresetsComeFromTheEditorsWorkingRecord)
{
    AddSeries(902, 2025, 3, 10, 10);
    TNPIMRecord& stored = RecordAt(Account(0), 0);
    stored.RecurrenceFrequency = rfMonthly;
    stored.RecurrenceSettings.Set("{\"Range\":1,\"Count\":7,\"RepeatMonthly\":2,\"RepeatMonthlyDayOfMonth\":97,"
                                  "\"RepeatMonthlyDayOfWeekInMonth1\":0,\"RepeatMonthlyDayOfWeekInMonth2\":0}");
    stored.ParseRecurrenceSettingsFromJSON();
    EditRule(902, [&](TfrmUnidlgDLMR1& page) {
        EXPECT_EQ(page.i1(), 902);
        EXPECT_EQ(Item("list8Frequency")->ListBox->ItemIndex(), rfMonthly);
        EXPECT_EQ(Item("list8Range")->ListBox->ItemIndex(), 1);
        EXPECT_EQ(Item("edit8Count")->Edits[1]->Text(), "7");
        EXPECT_EQ(Item("edit8RepeatMonthly")->Edits[1]->Text(), "2");
        EXPECT_EQ(Item("select8MonthlyDayOfMonth")->Combos[0]->ItemIndex(), 30);
        EXPECT_EQ(Item("select8MonthlyDayOfWeekInMonth")->Combos[0]->ItemIndex(), 0);
        // Today is Tuesday 11 March 2025.
        EXPECT_EQ(Item("select8MonthlyDayOfWeekInMonth")->Combos[1]->ItemIndex(), 2);
        EXPECT_FALSE(Item("check8WeeklyDay1")->CheckBox->Checked());
        EXPECT_TRUE(Item("check8WeeklyDay2")->CheckBox->Checked());
        EXPECT_EQ(Item("select8AnnuallyDayInMonth")->Combos[0]->ItemIndex(), 11);
        EXPECT_EQ(Item("select8AnnuallyDayInMonth")->Combos[1]->ItemIndex(), 2);
        EXPECT_EQ(Item("date8EndDate")->DateValue.Den, 18);
        EXPECT_EQ(Item("date8EndDate")->HasTime, 0);
        EXPECT_NE(Text("label8Preview").find(" - Čt 29. 5. 2025 10:00 "), std::string::npos) << Text("label8Preview");
    });
    EXPECT_TRUE(boxes.empty()) << boxes[0];
}

TEST_F(RecurrencePageTest, TheDayRulesOfAMonthExcludeEachOther)
{
    AddSeries(903, 2025, 3, 10, 10);
    EditRule(903, [&](TfrmUnidlgDLMR1&) {
        struct Row {
            const char* name;
            int32_t frequency;
            const char* field;
            int32_t combo;
            int32_t index;
            std::vector<std::pair<const char*, int32_t>> reset;
            std::vector<std::pair<const char*, int32_t>> kept;
        };
        const Row rows[] = {
            {"monthly day",
             rfMonthly,
             "select8MonthlyDayOfMonth",
             0,
             5,
             {{"select8MonthlyDayOfWeekInMonth", 0}, {"select8MonthlyDayOfWeekInMonth", 1}},
             {}},
            {"monthly week",
             rfMonthly,
             "select8MonthlyDayOfWeekInMonth",
             0,
             2,
             {{"select8MonthlyDayOfMonth", 0}},
             {{"select8MonthlyDayOfWeekInMonth", 1}}},
            {"annual day",
             rfAnnually,
             "select8AnnuallyDayInMonth",
             0,
             5,
             {{"select8AnnuallyDayOfWeekInMonth", 0}, {"select8AnnuallyDayOfWeekInMonth", 1}},
             {{"select8AnnuallyDayOfWeekInMonth", 2}}},
            {"annual week",
             rfAnnually,
             "select8AnnuallyDayOfWeekInMonth",
             0,
             3,
             {{"select8AnnuallyDayInMonth", 0}},
             {{"select8AnnuallyDayInMonth", 1}}},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            Pick("list8Frequency", row.frequency);
            // Every box set first, so that a reset shows.
            for (const char* field :
                 {"select8MonthlyDayOfWeekInMonth", "select8AnnuallyDayOfWeekInMonth", "select8AnnuallyDayInMonth"})
                for (int32_t combo = 0; combo < 3; ++combo)
                    if (plat::TFlatComboBox* box = Item(field)->Combos[combo].Get())
                        box->SetItemIndex(1);
            for (const char* field : {"select8MonthlyDayOfMonth"})
                Item(field)->Combos[0]->SetItemIndex(1);
            View.SetText("label8Preview", "stale", false, 0);
            Choose(row.field, row.combo, row.index);
            for (const auto& [field, combo] : row.reset)
                EXPECT_EQ(Item(field)->Combos[combo]->ItemIndex(), 0) << field << " " << combo;
            for (const auto& [field, combo] : row.kept)
                EXPECT_EQ(Item(field)->Combos[combo]->ItemIndex(), 1) << field << " " << combo;
            EXPECT_EQ(Item(row.field)->Combos[row.combo]->ItemIndex(), row.index);
            EXPECT_NE(Text("label8Preview"), "stale");
        }
    });
}

TEST_F(RecurrencePageTest, RefusedOkKeepsThePageAndTheEditorsRecord)
{
    AddSeries(904, 2025, 3, 10, 10);
    const std::string weeklyRule = "{\"Range\":0,\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":0,\"RepeatWeeklyDay2\":1,"
                                   "\"RepeatWeeklyDay3\":0,\"RepeatWeeklyDay4\":0,\"RepeatWeeklyDay5\":0,"
                                   "\"RepeatWeeklyDay6\":0,\"RepeatWeeklyDay7\":0}";
    TNPIMRecord& stored = RecordAt(Account(0), 0);
    stored.RecurrenceFrequency = rfWeekly;
    stored.RecurrenceSettings.Set(weeklyRule.c_str());
    stored.ParseRecurrenceSettingsFromJSON();
    struct Row {
        const char* name;
        std::function<void()> set;
        const char* box;
    };
    const Row rows[] = {
        {"weekly with no day",
         [] {
             Pick("list8Frequency", rfWeekly);
             for (int32_t weekday = 1; weekday <= 7; ++weekday)
                 Tick(weekday, false);
         },
         "Chyba: Zaškrtněte nejméně jeden den v týdnu. /48"},
        {"monthly weekday without week",
         [] {
             Pick("list8Frequency", rfMonthly);
             Choose("select8MonthlyDayOfWeekInMonth", 1, 3);
         },
         "Chyba: Vyberte den opakování. /48"},
        {"daily emptied",
         [] {
             Pick("list8Frequency", rfDaily);
             Type("edit8RepeatDaily", 1, "");
         },
         "Chyba: Položka 'Opakovat každých X dní' musí být číslo od 1 do 999. /48"},
        {"weekly emptied",
         [] {
             Pick("list8Frequency", rfWeekly);
             Type("edit8RepeatWeekly", 1, "");
         },
         "Chyba: Položka 'Opakovat každých X týdnů' musí být číslo od 1 do 999. /48"},
        {"monthly emptied",
         [] {
             Pick("list8Frequency", rfMonthly);
             Type("edit8RepeatMonthly", 1, "");
         },
         "Chyba: Položka 'Opakovat každých X měsíců' musí být číslo od 1 do 999. /48"},
        {"yearly emptied",
         [] {
             Pick("list8Frequency", rfAnnually);
             Type("edit8RepeatAnnually", 1, "");
         },
         "Chyba: Položka 'Opakovat každých X roků' musí být číslo od 1 do 999. /48"},
        {"hourly 0:00",
         [] {
             Pick("list8Frequency", rfHourly);
             Type("edit8RepeatHourly", 1, "0");
             Type("edit8RepeatHourly", 2, "0");
         },
         "Chyba: Položka 'Opakovat po hodinách a minutách' musí být delší než 0 minut. /48"},
        {"count emptied",
         [] {
             Pick("list8Frequency", rfDaily);
             Pick("list8Range", 1);
             Type("edit8Count", 1, "");
         },
         "Chyba: Položka 'Počet opakování' musí být číslo od 1 do 1000. /48"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        bool stayed = false;
        EditRule(
            904,
            [&](TfrmUnidlgDLMR1& page) {
                row.set();
                page.btnUlozitClick();
                stayed = page.Visible() && page.saved == 0;
            },
            [&](TfrmUnidlgDLMR1& editor) {
                EXPECT_EQ(editor.workingRecord->RecurrenceFrequency, rfWeekly);
                EXPECT_EQ(editor.workingRecord->RecurrenceSettings.View(), weeklyRule);
                EXPECT_EQ(editor.recurrenceChanged, 0);
            });
        EXPECT_TRUE(stayed);
        EXPECT_EQ(boxes, std::vector<std::string>{row.box});
    }
}

TEST_F(RecurrencePageTest, OkAcceptsTheLimitsAndALoneAnnualWeekday)
{
    AddSeries(905, 2025, 3, 10, 10);
    const std::function<void()> rows[] = {
        [] {
            Pick("list8Frequency", rfDaily);
            Type("edit8RepeatDaily", 1, "999");
            Pick("list8Range", 1);
            Type("edit8Count", 1, "1000");
        },
        [] {
            Pick("list8Frequency", rfAnnually);
            Choose("select8AnnuallyDayInMonth", 0, 0);
            Choose("select8AnnuallyDayOfWeekInMonth", 1, 4);
            Choose("select8AnnuallyDayOfWeekInMonth", 0, 0);
        },
    };
    for (const auto& set : rows) {
        bool closed = false;
        EditRule(905, [&](TfrmUnidlgDLMR1& page) {
            set();
            page.btnUlozitClick();
            closed = page.saved == 1;
        });
        EXPECT_TRUE(closed);
        EXPECT_TRUE(boxes.empty()) << boxes[0];
    }
}

TEST_F(RecurrencePageTest, HourlyOnARecordWithoutTimeIsRefused)
{
    AddSeries(906, 2025, 3, 10, TNTime::NoTime);
    EditRule(906, [&](TfrmUnidlgDLMR1& page) {
        EXPECT_EQ(Item("list8Frequency")->ListBox->Items()[1], "-----------");
        Pick("list8Frequency", rfHourly);
        EXPECT_EQ(Text("label8Preview"), "Záznam bez nastaveného času nelze opakovat po hodinách");
        plat::TLabel* preview = Item("label8Preview")->Label(4);
        EXPECT_EQ(preview->Font().Color(), 0x0000C8u);
        EXPECT_TRUE(preview->Font().Style() & plat::fsBold);
        EXPECT_EQ(Item("label8Preview")->Shown, 1);
        page.btnUlozitClick();
        EXPECT_EQ(page.saved, 0);
        // Back to a rule the record can have: black again.
        Pick("list8Frequency", rfDaily);
        EXPECT_EQ(preview->Font().Color(), plat::clBlack);
        EXPECT_FALSE(preview->Font().Style() & plat::fsBold);
    });
    EXPECT_EQ(AppBoxes(), std::vector<std::string>{"Chyba: Záznam bez nastaveného času nelze opakovat po hodinách /0"});
}

TEST_F(RecurrencePageTest, OkHandsTheRuleToTheEditorWhichSendsIt)
{
    AddSeries(907, 2025, 3, 10, 10);
    std::string button;
    EditRule(
        907,
        [&](TfrmUnidlgDLMR1& page) {
            ChooseWeeklyMondayWednesday();
            page.btnUlozitClick();
            EXPECT_EQ(page.saved, 1);
        },
        [&](TfrmUnidlgDLMR1& editor) {
            const TNPIMRecord& working = *editor.workingRecord;
            EXPECT_EQ(working.RecurrenceFrequency, rfWeekly);
            EXPECT_EQ(working.Count, 5);
            EXPECT_EQ(working.RepeatWeeklyDay1, 1);
            EXPECT_EQ(working.RepeatWeeklyDay3, 1);
            EXPECT_EQ(working.ID, 907u);
            EXPECT_EQ(std::string(working.Text.View()), "Porada týmu");
            EXPECT_EQ(editor.recurrenceChanged, 1);
            button = Item("btn3Recurrence")->Label(2)->Caption();
            editor.btnUlozitClick();
        });
    EXPECT_EQ(button, "Každý týden v pondělí a středu [Změnit]");
    const TNPIMRecord& saved = RecordAt(Account(0), 0);
    EXPECT_EQ(saved.RecurrenceFrequency, rfWeekly);
    EXPECT_TRUE(saved.PleaseSyncRecurrence);
    EXPECT_EQ(saved.Count, 5);
    bool queued = false;
    for (const QueueEntry& entry : QueuedItems())
        queued = queued || entry.ID == 907u;
    EXPECT_TRUE(queued);
    EXPECT_TRUE(boxes.empty()) << boxes[0];

    // The same rule once more: nothing changed, nothing to send.
    RecordAt(Account(0), 0).PleaseSyncRecurrence = false;
    int32_t changed = -1;
    EditRule(
        907, [&](TfrmUnidlgDLMR1& page) { page.btnUlozitClick(); },
        [&](TfrmUnidlgDLMR1& editor) { changed = editor.recurrenceChanged; });
    EXPECT_EQ(changed, 0);
}

TEST_F(RecurrencePageTest, ASecondUnchangedOkStillSendsTheFirstChange)
{
    AddSeries(908, 2025, 3, 10, 10);
    steps["RecordRecurrence"] = [&](TfrmUnidlgDLMR1& page) {
        if (opened.size() == 2)
            ChooseWeeklyMondayWednesday();
        page.btnUlozitClick();
    };
    steps["EditRecord"] = [&](TfrmUnidlgDLMR1& editor) {
        editor.btn3RecurrenceClick();
        editor.btn3RecurrenceClick();
        EXPECT_EQ(editor.recurrenceChanged, 1);
        editor.btnUlozitClick();
    };
    Main().UniDialog("EditRecord", nullptr, 908, 1, 0, 0, 0, 0, 0, 0);
    steps.clear();
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_TRUE(RecordAt(Account(0), 0).PleaseSyncRecurrence);
}

TEST_F(RecurrencePageTest, AServiceCopyArrivingMeanwhileKeepsTheWriteBack)
{
    AddSeries(909, 2025, 3, 10, 10);
    EditRule(
        909,
        [&](TfrmUnidlgDLMR1& page) {
            // Job 4's answer reaches the editor under the page; its timer
            // applies it inside the page's modal loop.
            TfrmUnidlgDLMR1* editor = UniDialogInSlot(page.ParentIndex());
            ASSERT_NE(editor, nullptr);
            auto copy = std::make_shared<TNPIMRecord>();
            copy->Copy(&RecordAt(Account(0), 0));
            copy->Text.Set("Ze serveru");
            DialogHooks.HandOverRecordFromServer(editor->SlotIndex, editor->DialogId, copy, nullptr);
            copy.reset();
            editor->timerUpdateUniDlgUiTimer();
            ChooseWeeklyMondayWednesday();
            page.btnUlozitClick();
            EXPECT_EQ(page.saved, 1);
        },
        [&](TfrmUnidlgDLMR1& editor) {
            // Opening the page counts as the user's edit: the copy from the
            // service is not applied over it, and the rule is written back.
            EXPECT_EQ(std::string(editor.workingRecord->Text.View()), "Porada týmu");
            EXPECT_EQ(editor.RecordFromServer, nullptr);
            EXPECT_EQ(editor.workingRecord->RecurrenceFrequency, rfWeekly);
            EXPECT_EQ(editor.workingRecord->RepeatWeeklyDay3, 1);
            // A copy arriving after the page keeps the user's rule.
            auto late = std::make_shared<TNPIMRecord>();
            late->Copy(&RecordAt(Account(0), 0));
            DialogHooks.HandOverRecordFromServer(editor.SlotIndex, editor.DialogId, late, nullptr);
            editor.timerUpdateUniDlgUiTimer();
            EXPECT_EQ(editor.workingRecord->RecurrenceFrequency, rfWeekly);
        });
    EXPECT_TRUE(boxes.empty()) << boxes[0];
}

// The entries of a preview text as "weekday day. month. year[ hh:mm]".
std::vector<std::string> PreviewEntries(const std::string& text)
{
    std::vector<std::string> entries;
    size_t at = text.find(" - ");
    while (at != std::string::npos) {
        const size_t next = text.find(" - ", at + 3);
        std::string entry = text.substr(at + 3, next == std::string::npos ? std::string::npos : next - at - 3);
        while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\n'))
            entry.pop_back();
        entries.push_back(entry);
        at = next;
    }
    return entries;
}

TEST_F(RecurrencePageTest, PreviewListsWhatTheModelExpands)
{
    struct Row {
        const char* name;
        int32_t year, month, day, hour;
        std::function<void()> set;
    };
    const Row rows[] = {
        {"daily from Monday, five times", 2026, 6, 1, 10,
         [] {
             Pick("list8Frequency", rfDaily);
             Pick("list8Range", 1);
             Type("edit8Count", 1, "5");
         }},
        {"weekly Monday and Wednesday", 2026, 6, 1, 10, [] { ChooseWeeklyMondayWednesday(); }},
        {"monthly last day", 2026, 1, 31, 9,
         [] {
             Pick("list8Frequency", rfMonthly);
             Choose("select8MonthlyDayOfMonth", 0, 32);
         }},
        {"monthly last Friday", 2026, 1, 30, 9,
         [] {
             Pick("list8Frequency", rfMonthly);
             Choose("select8MonthlyDayOfWeekInMonth", 0, 5);
             Choose("select8MonthlyDayOfWeekInMonth", 1, 5);
         }},
        {"yearly second Tuesday of March", 2026, 3, 10, 18,
         [] {
             Pick("list8Frequency", rfAnnually);
             Choose("select8AnnuallyDayOfWeekInMonth", 0, 2);
             Choose("select8AnnuallyDayOfWeekInMonth", 1, 2);
             Choose("select8AnnuallyDayOfWeekInMonth", 2, 2);
         }},
        {"hourly 3:30 across the spring change", 2025, 3, 29, 20,
         [] {
             Pick("list8Frequency", rfHourly);
             Type("edit8RepeatHourly", 1, "3");
             Type("edit8RepeatHourly", 2, "30");
         }},
        {"daily on a record without time", 2026, 6, 1, TNTime::NoTime, [] { Pick("list8Frequency", rfDaily); }},
    };
    uint32_t id = 920;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AddSeries(++id, row.year, row.month, row.day, row.hour);
        std::string shown;
        std::vector<std::string> expected;
        EditRule(id, [&](TfrmUnidlgDLMR1& page) {
            row.set();
            shown = Text("label8Preview");
            // The model's own expansion of the rule the page made.
            TNPIMRecord rule;
            rule.Copy(page.workingRecord.get());
            rule.CreateRecurrenceArray(true, 11);
            const bool withTime = row.hour != TNTime::NoTime;
            char begin[64];
            std::snprintf(begin, sizeof begin, "%d. %d. %04d", row.day, row.month, row.year);
            expected.push_back(begin);
            for (const TNRecurrenceEntry& entry : rule.RecurrenceArray) {
                static const char* const days[] = {"Po", "Út", "St", "Čt", "Pá", "So", "Ne"};
                char text[64];
                if (withTime)
                    std::snprintf(text, sizeof text, "%s %d. %d. %04d %02d:%02d", days[entry.Weekday - 1], entry.Day,
                                  entry.Month, entry.Year, entry.Hour, entry.Minute);
                else
                    std::snprintf(text, sizeof text, "%s %d. %d. %04d", days[entry.Weekday - 1], entry.Day, entry.Month,
                                  entry.Year);
                expected.push_back(text);
            }
            EXPECT_GE(expected.size(), 4u);
        });
        std::vector<std::string> entries = PreviewEntries(shown);
        ASSERT_EQ(entries.size(), expected.size()) << shown;
        // The record's own begin first, its weekday as the calendar has it.
        EXPECT_NE(entries[0].find(expected[0]), std::string::npos) << entries[0];
        for (size_t i = 1; i < entries.size(); ++i)
            EXPECT_EQ(entries[i], expected[i]);
        EXPECT_LE(entries.size(), 12u);
    }
}

TEST_F(RecurrencePageTest, PreviewTextAndAnEmptyExpansion)
{
    AddSeries(930, 2026, 6, 1, 10);
    EditRule(930, [&](TfrmUnidlgDLMR1&) {
        Pick("list8Frequency", rfDaily);
        Pick("list8Range", 1);
        Type("edit8Count", 1, "6");
        EXPECT_EQ(Text("label8Preview"), " - Po 1. 6. 2026 10:00   - Út 2. 6. 2026 10:00   - St 3. 6. 2026 10:00 \n"
                                         " - Čt 4. 6. 2026 10:00   - Pá 5. 6. 2026 10:00   - So 6. 6. 2026 10:00 \n"
                                         " - Ne 7. 6. 2026 10:00 ");
        EXPECT_EQ(Item("label8Preview")->Shown, 1);
        // Weekly without a day lists nothing; the preview says so and hides.
        Pick("list8Frequency", rfWeekly);
        for (int32_t weekday = 1; weekday <= 7; ++weekday)
            Tick(weekday, false);
        EXPECT_EQ(Text("label8Preview"), "---");
        EXPECT_EQ(Item("label8Preview")->Shown, 0);
    });
}

TEST_F(RecurrencePageTest, NoRightsRefusesThePage)
{
    AddSeries(931, 2025, 3, 10, 10);
    RecordAt(Account(0), 0).OrganizerID = kReadOnlyOrganizer;
    Main().UniDialog("RecordRecurrence", nullptr, 931, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(boxes, std::vector<std::string>{"Chyba: K editaci tohoto záznamu nemáte dostatečná oprávnění /16"});
}

TEST_F(RecurrencePageTest, LooksAsDesigned)
{
    AddSeries(932, 2026, 6, 1, 10);
    struct Row {
        const char* golden;
        std::function<void()> set;
    };
    const Row rows[] = {
        {"recurrence_weekly.png", [] { ChooseWeeklyMondayWednesday(); }},
        {"recurrence_monthly.png",
         [] {
             Pick("list8Frequency", rfMonthly);
             Pick("list8Range", 1);
             Type("edit8Count", 1, "5");
             Choose("select8MonthlyDayOfMonth", 0, 15);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.golden);
        EditRule(932, [&](TfrmUnidlgDLMR1& page) {
            row.set();
            page.FormResize();
            page.pBottom0Resize();
            plat::testing::Flush();
            EXPECT_TRUE(plat::testing::MatchesGolden(page, kGoldens + row.golden, kOutput));
        });
    }
}

} // namespace
} // namespace shell_test
