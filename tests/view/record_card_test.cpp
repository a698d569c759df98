#include "foundation/app_info.h"
#include "model/hooks.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "model/tags.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/core/clock.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/text_metrics.h"
#include "platform/testing/gui_seams.h"
#include "tests/view/view_fixture.h"
#include "view/image_table.h"
#include "view/record_card.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace view_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = DALMORA_BINARY_DIR "gui-test-output";

// Each named picture a card draws, as a square of its own colour.
struct CardImage {
    const char* name;
    int size;
    plat::TColor color;
};
const CardImage kCardImages[] = {
    {"imgCheckboxUncheckedWhiteBG", 16, plat::RGB(200, 200, 200)},
    {"imgCheckboxCheckedWhiteBG", 16, plat::RGB(30, 160, 60)},
    {"imgImportance0", 16, plat::RGB(180, 180, 250)},
    {"imgImportance10", 16, plat::RGB(250, 150, 0)},
    {"imgImportance99", 16, plat::RGB(250, 0, 0)},
    {"imgImportanceMinus10", 16, plat::RGB(0, 120, 250)},
    {"imgImportanceBlank", 16, plat::RGB(250, 250, 120)},
    {"imgFinishedGreen12", 12, plat::RGB(0, 200, 0)},
    {"imgSandClock24", 24, plat::RGB(150, 100, 50)},
    {"imgSharedSilver12", 12, plat::RGB(160, 160, 161)},
    {"imgRecurringSilver12", 12, plat::RGB(160, 160, 162)},
    {"imgPlaceSilver12", 12, plat::RGB(160, 160, 163)},
    {"imgNoteSilver12", 12, plat::RGB(160, 160, 164)},
    {"imgAlertSilver12", 12, plat::RGB(160, 160, 165)},
    {"imgCheckmarkSilver", 16, plat::RGB(190, 190, 190)},
    {"imgCheckmarkBlue", 16, plat::RGB(0, 0, 220)},
};

plat::TColor ImageColor(const char* name)
{
    for (const CardImage& image : kCardImages) {
        if (std::string(image.name) == name)
            return image.color;
    }
    return 0;
}

int ChannelDistance(plat::TColor a, plat::TColor b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

class RecordCardTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        for (const CardImage& image : kCardImages)
            ImageTable.CreateBlankImage(image.name, image.size, image.size, image.color);
        g.uiTags.Clear();
        savedDevServer_ = App.IsDevServer;
        App.IsDevServer = 0;
        Desk()->SetBounds(0, 0, 760, 600);
    }
    void TearDown() override
    {
        App.IsDevServer = savedDevServer_;
        g.uiTags.Clear();
        ViewTest::TearDown();
    }

    TNPIMRecord& NewRecord(uint32_t id, const char* text, int32_t type = 3)
    {
        TNPIMRecord& record = set_.NewRecord();
        record.ID = id;
        record.Type = type;
        record.Text = TNString(text);
        set_.Pim().Records->NoteIDChanged(set_.Pim().Records->Count - 1);
        return record;
    }

    TNViewItem* MakeCard(const char* name, TNPIMRecord& record, int32_t displayType, const char* caption,
                         plat::TWinControl* parent = nullptr)
    {
        TNViewItem* card = View.CreateComponent(cmpRecord, name, MainForm(), parent != nullptr ? parent : Desk(), 0,
                                                caption, 1, -1, nullptr, nullptr, 3);
        EXPECT_NE(card, nullptr);
        card->DisplayType = displayType;
        card->TitleLabel.Get()->SetCaption(caption);
        TNView::SetCardRecord(card, &record);
        return card;
    }

    int32_t Paint(TNViewItem* card, bool hover = false, int32_t height = 60, int32_t width = 400)
    {
        return View.PaintRecordImage(card, View.RecordOfCard(card), "test", card->TitleLabel.Get()->Caption().c_str(),
                                     hover, height, width);
    }

    static plat::TColor Pixel(TNViewItem* card, int x, int y)
    {
        plat::TBitmap copy;
        copy.Assign(*card->Images[1].Get()->Picture().Graphic());
        return copy.Canvas().Pixel(x, y);
    }

    // Pixels of the rectangle within `tolerance` of the colour.
    static int CountNear(TNViewItem* card, const plat::TRect& rect, plat::TColor color, int tolerance = 40)
    {
        plat::TBitmap copy;
        copy.Assign(*card->Images[1].Get()->Picture().Graphic());
        int count = 0;
        for (int y = rect.Top; y < rect.Bottom && y < copy.Height(); ++y) {
            for (int x = rect.Left; x < rect.Right && x < copy.Width(); ++x)
                count += ChannelDistance(copy.Canvas().Pixel(x, y), color) <= tolerance ? 1 : 0;
        }
        return count;
    }

    // Hovers the card's overlay at a point of the card.
    void HoverAt(TNViewItem* card, int x, int y)
    {
        plat::Mouse::SetCursorPos(card->Panel.Get()->ClientToScreen(plat::TPoint{x, y}));
        View.RecordMouseMove(card->CaptionLabel.Get());
    }

    static plat::TColor Background(int8_t combination)
    {
        TNViewItem probe;
        plat::TColor panel = 0;
        probe.GetRecordColors(combination, nullptr, &panel, nullptr, nullptr, nullptr);
        return panel;
    }

    model_test::DataSet set_;
    uint8_t savedDevServer_ = 0;
};

TEST(WrapRecordText, CutsWordsIntoLines)
{
    plat::TextMetrics::SetFixed(true);
    plat::TFont font;
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += i == 0 ? "word" : " word";
    const std::string wide = "aa " + std::string(16, 'v') + " bb";
    struct Case {
        std::string text;
        int32_t width;
        int32_t indent;
        int32_t maxLines;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\n\n\nb", 100, 0, 16, {"a", "b"}},
        {" \t\r\n  first word", 100, 0, 16, {"first word"}},
        {wide, 50, 0, 16, {"aa", std::string(16, 'v'), "bb"}},
        {"aaa bbb ccc", 70, 28, 16, {"aaa", "bbb ccc"}},
        {"aaa bbb ccc", 70, 0, 16, {"aaa bbb", "ccc"}},
        {"line one\r\nline two", 500, 0, 16, {"line one", "line two"}},
        {"", 100, 0, 16, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        EXPECT_EQ(WrapRecordText(font, c.text, c.indent, c.width, c.maxLines, &lines),
                  static_cast<int32_t>(c.lines.size()))
            << c.text;
        EXPECT_EQ(lines, c.lines) << c.text;
    }
    std::vector<std::string> lines;
    EXPECT_EQ(WrapRecordText(font, forty, 0, 60, 2, &lines), 2) << "a task row keeps two lines";
    EXPECT_EQ(WrapRecordText(font, forty, 0, 60, 16, &lines), 16) << "a plain card keeps sixteen";
}

TEST_F(RecordCardTest, PaintProbes)
{
    TNPIMRecord& record = NewRecord(5001, "Schůzka");
    TNViewItem* card = MakeCard("card", record, 0, "Schůzka");
    card->SetRecordColorCombination(9, false, true);
    ASSERT_EQ(Paint(card), 60);
    const plat::TColor background = Background(9);
    EXPECT_EQ(Pixel(card, 5, 5), background);
    plat::TColor accent = 0;
    card->GetRecordColors(9, nullptr, nullptr, nullptr, &accent, nullptr);
    EXPECT_EQ(Pixel(card, 0, 30), accent) << "a plain card has a 3-px side line";
    EXPECT_EQ(Pixel(card, 2, 59), accent);
    EXPECT_EQ(Pixel(card, 3, 30), background);

    for (int32_t type : {1, 2, 126, 127, 222}) {
        card->DisplayType = type;
        Paint(card);
        EXPECT_EQ(Pixel(card, 1, 40), background) << "no side line on type " << type;
    }

    card->DisplayType = 126;
    Paint(card);
    EXPECT_EQ(Pixel(card, 7, 7), ImageColor("imgSandClock24")) << "the placeholder's sand clock";
    EXPECT_EQ(Pixel(card, 30, 30), ImageColor("imgSandClock24"));
}

TEST_F(RecordCardTest, TagChipUpToItsLimit)
{
    TNPIMRecord& record = NewRecord(5002, "Text");
    TNPIM& pim = set_.Pim();
    ASSERT_TRUE(pim.Tags.Resize(pim.Tags.Count + 1));
    TNPIMTag& tag = *pim.Tags.Items[pim.Tags.Count - 1];
    tag.ID = 77;
    pim.Tags.NoteIDChanged(pim.Tags.Count - 1);
    pim.TagsAssign.AddAssign(5002, 77, 0);
    TNViewItem* card = MakeCard("card", record, 0, "Text");
    card->TagDisplay = 0;
    for (int length : {1024, 1025}) {
        tag.Title = TNString(std::string(static_cast<size_t>(length), 'x').c_str());
        Paint(card, false, 60, 200);
        // Too wide for the line: the chip starts at the text left below.
        EXPECT_EQ(CountNear(card, plat::Rect(7, 17, 200, 32), 0xEBEBEB, 0) > 0, length == 1024) << length;
    }
    card->TagDisplay = -1;
    tag.Title = TNString("x");
    Paint(card, false, 60, 200);
    EXPECT_EQ(CountNear(card, plat::Rect(0, 0, 200, 60), 0xEBEBEB, 0), 0) << "-1 shows no tag";
}

TEST_F(RecordCardTest, TimeTagColoursAndStrikeOut)
{
    TNPIMRecord& record = NewRecord(5003, "Porada");
    TNViewItem* card = MakeCard("card", record, 0, "Porada");
    card->SetRecordColorCombination(9, false, true);
    card->Labels[1].Get()->SetCaption("10:00");
    Paint(card);
    const plat::TRect cell = plat::Rect(7, 2, 7 + 5 * 7, 17);
    EXPECT_GT(CountNear(card, cell, 0x77CA90, 0), 100);
    EXPECT_GT(CountNear(card, cell, plat::clWhite, 60), 0) << "white text";

    card->daybox_mode = 44;
    Paint(card);
    EXPECT_EQ(CountNear(card, cell, 0x77CA90, 0), 0) << "month: the card's own colours";
    plat::TColor text = 0;
    card->GetRecordColors(9, nullptr, nullptr, nullptr, nullptr, &text);
    EXPECT_GT(CountNear(card, plat::Rect(7, 0, 7 + 5 * 7, 15), text, 60), 0);

    // A finished title is struck out: one row runs through the whole text.
    card->daybox_mode = 0;
    card->Labels[1].Get()->SetCaption("");
    auto struckRows = [&] {
        int rows = 0;
        for (int y = 2; y < 17; ++y)
            rows += CountNear(card, plat::Rect(7 + 12 + 4, y, 7 + 12 + 4 + 6 * 7, y + 1), text, 80) >= 6 * 7 - 2;
        return rows;
    };
    record.Finished = 1;
    Paint(card);
    EXPECT_GE(struckRows(), 1);
    EXPECT_EQ(Pixel(card, 7, 4), ImageColor("imgFinishedGreen12")) << "the finished mark";
    record.Finished = 0;
    Paint(card);
    EXPECT_EQ(struckRows(), 0);
}

TEST_F(RecordCardTest, DevelopmentIdOnlyOnTheDevelopmentServer)
{
    TNPIMRecord& record = NewRecord(5004, "A");
    TNViewItem* card = MakeCard("card", record, 0, "A");
    card->SetRecordColorCombination(9, false, true);
    const plat::TColor background = Background(9);
    const plat::TRect after = plat::Rect(7 + 7 + 3, 0, 400, 60);
    Paint(card);
    EXPECT_EQ(CountNear(card, after, background, 0), after.Width() * after.Height());
    App.IsDevServer = 1;
    Paint(card);
    EXPECT_LT(CountNear(card, after, background, 0), after.Width() * after.Height());
    card->DisplayType = 126;
    Paint(card);
    const plat::TRect placeholderAfter = plat::Rect(7 + 24 + 2 + 7 + 7 + 3, 0, 400, 60);
    EXPECT_EQ(CountNear(card, placeholderAfter, background, 0), placeholderAfter.Width() * placeholderAfter.Height());
}

TEST_F(RecordCardTest, AutomaticHeightIsTwiceTheLeftPlusTheBottom)
{
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += i == 0 ? "word" : " word";
    TNPIMRecord& record = NewRecord(5005, forty.c_str());
    TNViewItem* card = MakeCard("card", record, 0, forty.c_str());
    card->AutoHeight = 1;
    // One word a line at 15 px: sixteen lines from the top 2.
    const int32_t height = Paint(card, false, 10, 7 + 60 + 8);
    EXPECT_EQ(height, 2 * 7 + 2 + 16 * 15);
    EXPECT_EQ(card->Images[1].Get()->Height(), height);

    card->DisplayType = kCardTaskRow;
    EXPECT_EQ(Paint(card, false, 10, 56 + 60 + 8), 2 * 10 + 8 + 2 * 15) << "a task row keeps two lines";
}

TEST_F(RecordCardTest, HoverFindsTheElementUnderTheMouse)
{
    TNPIMRecord& record = NewRecord(5006, "Úkol", 1);
    TNViewItem* card = MakeCard("card", record, kCardTaskRow, "Úkol");
    card->LinksShown = 1;
    ASSERT_TRUE(View.ResizeRecord(card, 0, 0, 400, 60, true));
    plat::TLabel* overlay = card->CaptionLabel.Get();
    // Check box at 10; importance at 10 + 16 + 7; links from 56, 15 px
    // below the text top 8 plus 5: "Detail" 56, "Upravit" 112, "Podúkol"
    // 175, "Smazat" 238, the check mark 294.
    struct Case {
        int x, y;
        uint8_t element;
    };
    const Case cases[] = {
        {10, 9, 1},   {25, 24, 1},  {33, 9, 7},   {60, 30, 3}, {115, 30, 4},
        {180, 30, 5}, {240, 30, 6}, {296, 30, 2}, {300, 5, 0}, {9, 9, 0},
    };
    for (const Case& c : cases) {
        HoverAt(card, c.x, c.y);
        EXPECT_EQ(card->HoveredElement, c.element) << c.x << "," << c.y;
        EXPECT_EQ(overlay->Cursor(), c.element != 0 ? plat::crHandPoint : plat::crDefault) << c.x << "," << c.y;
    }
    HoverAt(card, 33, 9);
    EXPECT_EQ(Pixel(card, 35, 12), ImageColor("imgImportanceBlank"));
    HoverAt(card, 240, 30);
    EXPECT_GT(CountNear(card, plat::Rect(238, 28, 280, 43), 0xC80000, 60), 0) << "\"Smazat\" in the hover colour";
    HoverAt(card, 296, 30);
    EXPECT_EQ(Pixel(card, 300, 35), ImageColor("imgCheckmarkBlue"));

    View.RecordMouseLeave(overlay);
    EXPECT_EQ(card->HoveredElement, 0);
    EXPECT_GT(CountNear(card, plat::Rect(238, 28, 280, 43), 0x6A6764, 60), 0);

    card->Enabled = 0;
    const uint32_t paints = card->PaintCount;
    HoverAt(card, 10, 9);
    EXPECT_EQ(card->HoveredElement, 0);
    EXPECT_EQ(card->PaintCount, paints) << "a disabled card ignores hover";
    View.RecordMouseLeave(overlay);
    EXPECT_EQ(card->PaintCount, paints + 1) << "but leaving repaints";
}

// Records the main window's entries a click reaches.
struct ClickRecorder {
    static inline ClickRecorder* current = nullptr;
    int saves = 0;
    TNPIMRecord* saved = nullptr;
    std::vector<uint32_t> sideboards;
    std::vector<std::pair<TNPIMRecord*, uint32_t>> edits;
    std::vector<uint32_t> deletes;
    bool deleteSucceeds = true;
    int32_t importancePimPos = -1;
    std::function<void()> onEdit;
    bool throwOnSave = false;
};

class RecordClickTest : public RecordCardTest {
protected:
    void SetUp() override
    {
        RecordCardTest::SetUp();
        ClickRecorder::current = &calls_;
        menu_ = new plat::TPopupMenu(MainForm());
        menu_->Items()->Add(new plat::TMenuItem(menu_));
        ViewMainHooks.ChangedRecordSaveSequence = [](int32_t, TNPIMRecord* record, const char*) {
            ++ClickRecorder::current->saves;
            ClickRecorder::current->saved = record;
            if (ClickRecorder::current->throwOnSave)
                throw std::runtime_error("commit failed");
            return true;
        };
        ViewMainHooks.OpenSideboard = [](uint32_t id, int32_t) { ClickRecorder::current->sideboards.push_back(id); };
        ViewMainHooks.EditRecord = [](TNPIMRecord* record, uint32_t parentId, TNViewItem*) {
            ClickRecorder::current->edits.emplace_back(record, parentId);
            if (ClickRecorder::current->onEdit)
                ClickRecorder::current->onEdit();
        };
        ViewMainHooks.DeleteRecordById = [](uint32_t id, int32_t) {
            ClickRecorder::current->deletes.push_back(id);
            return ClickRecorder::current->deleteSucceeds;
        };
        ViewMainHooks.SetRecordImportancePimPos = [](int32_t pos) { ClickRecorder::current->importancePimPos = pos; };
        menuHolder_ = menu_;
        ViewMainHooks.popupRecordImportance = []() -> plat::TComponent* { return menuHolder_; };
    }
    void TearDown() override
    {
        ClickRecorder::current = nullptr;
        menuHolder_ = nullptr;
        RecordCardTest::TearDown();
    }

    static bool LockFree()
    {
        bool taken = false;
        std::thread worker([&] {
            taken = ModelLock.Mutex.try_lock();
            if (taken)
                ModelLock.Mutex.unlock();
        });
        worker.join();
        return taken;
    }

    bool Click(TNViewItem* card, TNPIMRecord& record, uint8_t element)
    {
        card->HoveredElement = element;
        return View.RecordMouseClick(card, &record, card->CaptionLabel.Get());
    }

    ClickRecorder calls_;
    plat::TPopupMenu* menu_ = nullptr;
    static inline plat::TPopupMenu* menuHolder_ = nullptr;
};

TEST_F(RecordClickTest, TickingATaskCommitsAndAsksForASync)
{
    TNPIMRecord& record = NewRecord(5101, "Úkol", 1);
    TNViewItem* card = MakeCard("card", record, kCardTaskRow, "Úkol");
    View.ResizeRecord(card, 0, 0, 400, 40, true);
    ASSERT_TRUE(Click(card, record, 1));
    EXPECT_EQ(record.Finished, 1);
    EXPECT_EQ(record.FinishedTime, static_cast<uint32_t>(plat::UnixSeconds()));
    EXPECT_EQ(calls_.saves, 1);
    EXPECT_EQ(calls_.saved, &record);
    EXPECT_EQ(log_.CountContaining("[FastSync] caller = RecordMouseClick"), 1);
    EXPECT_EQ(TakeQueuedUiTags(), std::vector<int16_t>{__uiUpdateShownData});
    EXPECT_TRUE(LockFree());
    EXPECT_EQ(g.UiUpdateIsRunning.load(), 0);

    ASSERT_TRUE(Click(card, record, 2));
    EXPECT_EQ(record.Finished, 0) << "again: not finished";
    EXPECT_EQ(calls_.saves, 2);

    EXPECT_FALSE(Click(card, record, 0)) << "no element";
    card->Enabled = 0;
    EXPECT_FALSE(Click(card, record, 1)) << "a disabled card";
    EXPECT_EQ(calls_.saves, 2);
}

TEST_F(RecordClickTest, EachElementReachesItsEntry)
{
    TNPIMRecord& record = NewRecord(5102, "Úkol", 1);
    record.ParentID = 4000;
    TNViewItem* card = MakeCard("card", record, kCardTaskRow, "Úkol");
    View.ResizeRecord(card, 0, 0, 400, 40, true);

    EXPECT_TRUE(Click(card, record, 3));
    EXPECT_EQ(calls_.sideboards, std::vector<uint32_t>{5102});
    EXPECT_TRUE(Click(card, record, 4));
    EXPECT_TRUE(Click(card, record, 5));
    ASSERT_EQ(calls_.edits.size(), 2u);
    EXPECT_EQ(calls_.edits[0], std::make_pair(&record, 4000u)) << "edits the record under its parent";
    EXPECT_EQ(calls_.edits[1], std::make_pair(static_cast<TNPIMRecord*>(nullptr), 5102u)) << "a new sub-task";
    EXPECT_TRUE(TakeQueuedUiTags().empty());

    calls_.deleteSucceeds = false;
    EXPECT_TRUE(Click(card, record, 6));
    EXPECT_TRUE(TakeQueuedUiTags().empty()) << "a refused delete asks for nothing";
    calls_.deleteSucceeds = true;
    EXPECT_TRUE(Click(card, record, 6));
    EXPECT_EQ(calls_.deletes, (std::vector<uint32_t>{5102, 5102}));
    EXPECT_EQ(TakeQueuedUiTags(), std::vector<int16_t>{__uiUpdateShownData});

    plat::testing::MenuRecorder menus;
    plat::Mouse::SetCursorPos(plat::TPoint{321, 123});
    EXPECT_TRUE(Click(card, record, 7));
    ASSERT_EQ(menus.popups.size(), 1u);
    EXPECT_EQ(menus.popups[0].x, 321);
    EXPECT_EQ(menus.popups[0].y, 123);
    EXPECT_EQ(menu_->Tag(), 5102);
    EXPECT_EQ(calls_.importancePimPos, 0);
}

TEST_F(RecordClickTest, ACardFreedUnderItsClickIsLeftAlone)
{
    TNPIMRecord& record = NewRecord(5103, "Úkol", 1);
    TNViewItem* card = MakeCard("card", record, kCardTaskRow, "Úkol");
    View.ResizeRecord(card, 0, 0, 400, 40, true);
    plat::testing::MenuRecorder menus;
    menus.during = [] { View.DeleteComponent("card", true); };
    EXPECT_TRUE(Click(card, record, 7));
    EXPECT_EQ(View.GetComponent("card"), nullptr);
    EXPECT_EQ(log_.CountContaining("EXCEPTION"), 0);

    card = MakeCard("card", record, kCardTaskRow, "Úkol");
    View.ResizeRecord(card, 0, 0, 400, 40, true);
    calls_.onEdit = [] { View.DeleteComponent("card", true); };
    EXPECT_TRUE(Click(card, record, 4));
    EXPECT_EQ(View.GetComponent("card"), nullptr);
    EXPECT_EQ(log_.CountContaining("EXCEPTION"), 0);
}

TEST_F(RecordClickTest, AFailedCommitReleasesTheModelLock)
{
    TNPIMRecord& record = NewRecord(5104, "Úkol", 1);
    TNViewItem* card = MakeCard("card", record, kCardTaskRow, "Úkol");
    calls_.throwOnSave = true;
    EXPECT_FALSE(Click(card, record, 1));
    EXPECT_TRUE(LockFree());
    EXPECT_EQ(g.UiUpdateIsRunning.load(), 0);
}

TEST_F(RecordCardTest, ResizeRecordPlacesByColumnsAndPaintsOnce)
{
    TNPIMRecord& record = NewRecord(5201, "Schůzka");
    TNViewItem* daybox = MakeItem(cmpDaybox, "daybox", Desk());
    daybox->Panel.Get()->SetBounds(0, 0, 755, 400);
    daybox->daybox_mode = 34;
    TNViewItem* card = MakeCard("card", record, 0, "Schůzka", daybox->Panel.Get());
    card->ParentItem = daybox;
    card->shownDaysCount = 7;
    card->dayPos = 2;
    card->ColumnsCount = 1;
    ASSERT_TRUE(View.ResizeRecord(card, -1, 40, -1, 80, false));
    EXPECT_EQ(card->Panel.Get()->Width(), 93);
    EXPECT_EQ(card->Panel.Get()->Left(), 55 + 200);
    EXPECT_EQ(card->Panel.Get()->Top(), 40);
    EXPECT_EQ(card->PaintCount, 1u);
    View.ResizeRecord(card, -1, 40, -1, 80, false);
    EXPECT_EQ(card->PaintCount, 1u) << "same size, not forced: not painted again";

    card->ColumnsCount = 2;
    for (int32_t column : {0, 1}) {
        card->ColumnPos = column;
        View.ResizeRecord(card, -1, 40, -1, 80, true);
        EXPECT_EQ(card->Panel.Get()->Width(), 45);
        EXPECT_EQ(card->Panel.Get()->Left(), 55 + column * 48 + 200);
    }
    EXPECT_EQ(card->CaptionLabel.Get()->Width(), 45) << "the overlay covers the card";

    card->AutoHeight = 1;
    View.ResizeRecord(card, -1, 40, 300, 80, true);
    EXPECT_EQ(card->Panel.Get()->Height(), 2 * 7 + 2 + 15) << "the panel takes the painted height";
}

TEST_F(RecordCardTest, AStalePointerIsFoundAgainById)
{
    TNPIMRecord& record = NewRecord(5301, "Schůzka");
    TNViewItem* card = MakeCard("card", record, 0, "Schůzka");
    TNPIMRecord other;
    other.ID = 5301;
    TNView::SetCardRecord(card, &other);
    EXPECT_EQ(View.RecordOfCard(card), &other);
    NotifyShownDataReplaced();
    EXPECT_EQ(View.RecordOfCard(card), &record) << "a reload since: found by id";
    EXPECT_EQ(card->recordPointer, nullptr);
}

// Real fonts, as the program draws.
TEST_F(RecordCardTest, GoldenCards)
{
    plat::TextMetrics::SetFixed(false);
    auto* strip = new plat::TPanel(MainForm());
    strip->SetParent(MainForm());
    strip->SetBevelOuter(plat::TBevelCut::bvNone);
    strip->SetColor(plat::clWhite);
    strip->SetBounds(0, 0, 420, 320);

    TNPIMRecord& task = NewRecord(6001, "Zavolat do servisu a domluvit termín", 1);
    TNPIMRecord& done = NewRecord(6002, "Zaplatit nájem", 1);
    done.Finished = 1;
    done.Importance = 99;
    TNPIMRecord& plain = NewRecord(6003, "Porada oddělení s rozpočtem na příští rok");
    plain.Shared = true;
    plain.RecurrenceFrequency = 1;
    plain.Place = TNString("Praha");
    plain.Note = TNString("Poznámka");
    plain.AlertType0 = 1;
    TNPIM& pim = set_.Pim();
    ASSERT_TRUE(pim.Tags.Resize(pim.Tags.Count + 1));
    pim.Tags.Items[pim.Tags.Count - 1]->ID = 78;
    pim.Tags.Items[pim.Tags.Count - 1]->Title = TNString("Práce");
    pim.Tags.NoteIDChanged(pim.Tags.Count - 1);
    pim.TagsAssign.AddAssign(6003, 78, 0);
    TNPIMRecord& loading = NewRecord(6004, "Načítám...", 126);
    ASSERT_TRUE(pim.Organizers.Resize(1));
    pim.Organizers.Items[0]->ID = 55;
    pim.Organizers.Items[0]->Origin = 1;
    TNPIMRecord& organizer = NewRecord(6005, "Rodina", 3);
    organizer.OrganizerID = 55;

    struct Row {
        TNPIMRecord* record;
        int32_t type;
        int top, height;
    };
    const Row rows[] = {{&task, kCardTaskRow, 0, 60},
                        {&done, kCardTaskRow, 62, 60},
                        {&plain, 0, 124, 80},
                        {&loading, kCardPlaceholder, 206, 44},
                        {&organizer, kCardOrganizer, 252, 54}};
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "golden" + std::to_string(n++);
        TNViewItem* card = MakeCard(name.c_str(), *row.record, row.type, row.record->Text.Text, strip);
        card->LinksShown = row.type == kCardTaskRow ? 1 : 0;
        card->SetRecordColorCombination(row.type == 0 ? 9 : 2, false, true);
        if (row.type == 0) {
            card->TagDisplay = 0;
            card->Labels[1].Get()->SetCaption("10:00");
        }
        View.ResizeRecord(card, 10, row.top + 10, 400, row.height, true);
        // The golden's tolerance is for glyph edges; the card stands exactly.
        EXPECT_EQ(card->Panel.Get()->BoundsRect(), plat::Bounds(10, row.top + 10, 400, row.height)) << name;
    }
    MainForm()->Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*strip, kGoldens + "record_cards.png", kOutput));
}

} // namespace
} // namespace view_test
