#include "foundation/hooks.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "platform/core/bytes.h"
#include "platform/core/file.h"
#include "tests/foundation/log_capture.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using testing_support::ReadBytes;
using testing_support::ReadFixture;
using testing_support::ScratchFolder;
using testing_support::WriteFile;

std::string Text(const TNString& text)
{
    return std::string(text.View());
}

// The settings file's own forms, written here independently of the code
// under test.
std::string Header(int version)
{
    std::string id = "BrivaneAppSetup";
    std::string bytes;
    bytes += static_cast<char>(id.size());
    bytes += '\0';
    bytes += id;
    bytes += static_cast<char>(version);
    bytes += '\0';
    return bytes;
}

std::string U32(uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string Inverted(const std::string& text)
{
    std::string bytes;
    for (char ch : text)
        bytes += static_cast<char>(255 - static_cast<unsigned char>(ch));
    return bytes;
}

std::string Name(const std::string& name)
{
    return std::string(1, static_cast<char>(name.size())) + Inverted(name);
}

std::string Item(int type, const std::string& name, const std::string& value)
{
    return std::string(1, static_cast<char>(type)) + Name(name) + value;
}

bool Holds(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TNString login("ivo@example.com");
        TNString name("ivo");
        TNString password;
        ASSERT_EQ(users_.AddOrUpdate(&login, &name, 42, 0, &password), 0);
        users_.AktivniUzivatel = 0;
    }

    std::string SetupFile() const { return scratch_.Path() + "ivo/setup-dlmr1.dat"; }

    void WriteSetupFile(const std::string& bytes) { WriteFile(SetupFile(), bytes); }

    ScratchFolder scratch_;
    TNUsers users_;
};

using TNSetupFile = SetupTest;

TEST_F(TNSetupFile, RoundTripsEveryItemType)
{
    std::string fixture = ReadFixture("setup-all-types.dat");
    WriteSetupFile(fixture);
    TNSetup setup;
    setup.Clear();
    ASSERT_TRUE(setup.Load(users_, SetupFile()));
    EXPECT_FALSE(setup.IsChanged());
    ASSERT_EQ(setup.Count(), 16);

    EXPECT_EQ(setup.GetInt("Today_AppRunCount"), -56);
    EXPECT_EQ(setup.GetInt("Teplota"), -1234);
    EXPECT_EQ(setup.GetInt("LastSynchronisationTime"), 1700000000);
    EXPECT_FALSE(setup.GetBool("PovolitZvuk"));
    EXPECT_EQ(Text(setup.GetString("FirstName")), "Jiří");
    EXPECT_EQ(Text(setup.GetString("Proxy_Host")), "proxy.example.com");
    EXPECT_EQ(Text(setup.GetString("Poznamka")), "Žluťoučký kůň");
    TNTime time;
    ASSERT_TRUE(setup.GetTime("Narozeniny", &time));
    EXPECT_EQ(time.Den * 10000 + time.Mesic * 100, 290200);
    EXPECT_EQ(time.Rok, 2024);
    ASSERT_TRUE(setup.GetTime("Budik", &time));
    EXPECT_EQ(time.Hodina * 10000 + time.Minuta * 100 + time.Sekunda, 235958);
    std::vector<int32_t> numbers;
    ASSERT_TRUE(setup.GetNumbers("Cisla", &numbers));
    EXPECT_EQ(numbers, (std::vector<int32_t>{-1, 0, 2147483647}));
    ASSERT_TRUE(setup.GetNumbers("Bajty", &numbers));
    EXPECT_EQ(numbers, (std::vector<int32_t>{0, 255, 7}));
    ASSERT_TRUE(setup.GetNumbers("Slova", &numbers));
    EXPECT_EQ(numbers, (std::vector<int32_t>{65535, 1, 0}));
    EXPECT_EQ(setup.GetInt("Slova"), 3);
    std::vector<TNString> texts;
    ASSERT_TRUE(setup.GetTexts("Texty16", &texts));
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(Text(texts[2]), "ccc");

    // Any setter marks the list changed, even with the same value.
    setup.SetValue("Teplota", -1234, TNSetupItem::kInt16);
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    EXPECT_EQ(ReadBytes(SetupFile()), fixture);
}

TEST(TNSetup, RegistersTheDefaultsInOrder)
{
    struct Default {
        const char* Key;
        int32_t Type;
        int32_t Value;
    };
    const Default defaults[] = {
        {"LastSynchronisationTime", 3, 0},
        {"PopupAdLastID", 3, 0},
        {"Proxy_Pouzivat", 4, 0},
        {"Proxy_Overovat", 4, 0},
        {"ZobrazovatRozsirenyTitulek", 4, 1},
        {"OknoX_1920x1080", 3, -1},
        {"OknoY_1920x1080", 3, -1},
        {"SirkaOkna_1920x1080", 3, 750},
        {"VyskaOkna_1920x1080", 3, 570},
        {"Maximalizovano_1920x1080", 4, 0},
        {"PovolitZvuk", 4, 1},
        {"HideOnMinimize", 4, 0},
        {"AppDB_FilenameChanged", 4, 0},
        {"ConDB_FilenameChanged", 4, 0},
        {"MailDB_FilenameChanged", 4, 0},
        {"ShowStatusBar", 4, 1},
        {"SettingsAppExitAllowed", 4, 0},
        {"SettingsMinimizeInsteadOfHide", 4, 0},
        {"ShowTrayIcon", 4, 1},
        {"DblClickOnTrayIconOpensWeb", 4, 0},
        {"Today_DayInMonth", 1, 0},
        {"Today_AppRunCount", 1, 0},
        {"Settings_RunAppWithWindowsBoot", 4, 1},
        {"SettingsStartupDalmoraCz", 4, 0},
        {"Settings_TurnMonitorOn", 4, 1},
        {"Settings_AutoHide", 4, 0},
        {"Settings_ShowHiddenRecords", 4, 0},
        {"Settings_UseUrgentImportanceFnc", 4, 1},
        {"Settings_EnableNotificationBlink", 4, 0},
        {"Settings_DefaultNotificationPostponeMinutes", 3, 9},
    };
    FoundationHooks.ScreenSize = [](int32_t* width, int32_t* height) {
        *width = 1920;
        *height = 1080;
    };
    TNSetup setup;
    FoundationHooks.ScreenSize = nullptr;

    ASSERT_EQ(setup.Count(), static_cast<int32_t>(std::size(defaults)));
    for (int32_t i = 0; i < setup.Count(); ++i) {
        TNSetupItem item;
        ASSERT_TRUE(setup.GetItem(i, &item));
        EXPECT_EQ(Text(item.Name), defaults[i].Key);
        EXPECT_EQ(item.ItemType, defaults[i].Type) << defaults[i].Key;
        EXPECT_EQ(item.Number, defaults[i].Value) << defaults[i].Key;
    }

    // Without a screen the geometry keys take 1024 x 768, also after Reset.
    setup.Reset();
    EXPECT_EQ(setup.Count(), static_cast<int32_t>(std::size(defaults)));
    EXPECT_EQ(setup.GetInt("SirkaOkna_1024x768"), 750);
    EXPECT_EQ(setup.Find("SirkaOkna_1920x1080"), -1);
}

TEST_F(TNSetupFile, MergesStoredItemsOverTheDefaults)
{
    WriteSetupFile(Header(2) + U32(3) + Item(4, "PovolitZvuk", std::string(1, '\0')) +
                   Item(50, "Proxy_User", Name("karel")) + Item(3, "PovolitZvuk2", U32(77)));
    TNSetup setup;
    int32_t defaults = setup.Count();
    ASSERT_TRUE(setup.Load(users_, SetupFile()));
    EXPECT_FALSE(setup.GetBool("PovolitZvuk"));
    EXPECT_TRUE(setup.GetBool("ShowTrayIcon"));
    EXPECT_EQ(setup.GetInt("Settings_DefaultNotificationPostponeMinutes"), 9);
    EXPECT_EQ(Text(setup.GetString("Proxy_User")), "karel");
    EXPECT_EQ(setup.GetInt("PovolitZvuk2"), 77);
    EXPECT_EQ(setup.Count(), defaults + 2);
    EXPECT_EQ(setup.GetInt("Missing"), 0);
    EXPECT_EQ(Text(setup.GetString("Missing")), "");
}

TEST_F(TNSetupFile, BadFilesKeepWhatWasReadBeforeTheDamage)
{
    std::string first = Item(1, "Today_AppRunCount", "\xC8");
    std::string second = Item(3, "PopupAdLastID", U32(123456));
    std::string unknown = Item(77, "Neznamy", U32(1));
    std::string hugeArray = Item(100, "Cisla", U32(0xFFFFFFFF) + U32(1));
    std::string hugeTexts = Item(110, "Texty", U32(0x40000000) + U32(0));
    std::string longText = Item(52, "Text", U32(0x7FFFFFFF) + "abc");
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Log;
        int32_t AppRunCount;
        int32_t PopupAdLastID;
    };
    const Case cases[] = {
        {"complete", Header(2) + U32(2) + first + second, nullptr, -56, 123456},
        {"version 1", Header(1) + U32(2) + first + second,
         "[TNSetup::Load][ERROR] Setup file is open, but has bad version! ", 0, 0},
        {"unknown type in the middle", Header(2) + U32(3) + first + unknown + second,
         "[TNSetup::Load][ERROR] Unknown item type = 77", -56, 0},
        {"cut in the second item", Header(2) + U32(2) + first + second.substr(0, second.size() - 2),
         "[TNSetup::Load][ERROR] Setup file is damaged! ", -56, 0},
        {"cut in the header", Header(2).substr(0, 6), "[TNSetup::Load][ERROR] Setup file is damaged! ", 0, 0},
        {"count beyond the items", Header(2) + U32(0xFFFFFFFF) + first,
         "[TNSetup::Load][ERROR] Setup file is damaged! ", -56, 0},
        {"huge number array", Header(2) + U32(2) + first + hugeArray, "[TNSetup::Load][ERROR] Setup file is damaged! ",
         -56, 0},
        {"huge text array", Header(2) + U32(2) + first + hugeTexts, "[TNSetup::Load][ERROR] Setup file is damaged! ",
         -56, 0},
        {"huge text length", Header(2) + U32(2) + first + longText, "[TNSetup::Load][ERROR] Setup file is damaged! ",
         -56, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteSetupFile(c.Bytes);
        TNSetup setup;
        testing_support::LogCapture log;
        EXPECT_EQ(setup.Load(users_, SetupFile()), c.Log == nullptr);
        if (c.Log != nullptr) {
            EXPECT_TRUE(Holds(log.Text(), c.Log)) << log.Text();
        }
        EXPECT_EQ(setup.GetInt("Today_AppRunCount"), c.AppRunCount);
        EXPECT_EQ(setup.GetInt("PopupAdLastID"), c.PopupAdLastID);
        EXPECT_TRUE(setup.GetBool("PovolitZvuk"));
        EXPECT_EQ(setup.Find("Neznamy"), -1);
    }
}

TEST_F(TNSetupFile, LoadNeedsTheActiveUserAndAFile)
{
    TNSetup setup;
    TNUsers nobody;
    {
        testing_support::LogCapture log;
        EXPECT_FALSE(setup.Load(nobody, SetupFile()));
        EXPECT_TRUE(Holds(log.Text(), "Uzivatele.AktivniUzivatel error! Uzivatele.AktivniUzivatel = -1"));
    }
    {
        testing_support::LogCapture log;
        EXPECT_FALSE(setup.Load(users_, SetupFile()));
        EXPECT_TRUE(Holds(log.Text(), "[TNSetup::Load][WARNING] Setup file does not exist! " + SetupFile()));
    }
    users_.UpdateUser(0, [](TNUser& user) { user.UserID = 0; });
    WriteSetupFile(Header(2) + U32(1) + Item(1, "Today_AppRunCount", "\x05"));
    testing_support::LogCapture log;
    EXPECT_FALSE(setup.Load(users_, SetupFile()));
    EXPECT_TRUE(Holds(log.Text(), "->UserID = 0"));
    EXPECT_EQ(setup.GetInt("Today_AppRunCount"), 0);
}

TEST_F(TNSetupFile, SavesPasswordsAsTheyAreMeant)
{
    TNSetup setup;
    setup.SetString("SmsUcet_Pass", "UcetHeslo1", TNSetupItem::kText8);
    setup.SetString("Proxy_Pass", "ProxyHeslo2", TNSetupItem::kText8);
    setup.SetValue("PovolitZvuk", 1, TNSetupItem::kInt32);
    ASSERT_TRUE(setup.Save(users_, SetupFile()));

    std::string saved = ReadBytes(SetupFile());
    EXPECT_FALSE(Holds(saved, Inverted("UcetHeslo1")));
    EXPECT_FALSE(Holds(saved, Name("SmsUcet_Pass")));
    EXPECT_TRUE(Holds(saved, Item(50, "Proxy_Pass", Name("ProxyHeslo2"))));
    EXPECT_TRUE(Holds(saved, Item(3, "PovolitZvuk", U32(1))));
    EXPECT_EQ(setup.Find("SmsUcet_Pass"), -1);
    EXPECT_EQ(Text(setup.GetString("SmsUcet_Pass")), "");
    // The removed item stays in the list, emptied.
    for (int32_t i = 0; i < setup.Count(); ++i) {
        TNSetupItem item;
        ASSERT_TRUE(setup.GetItem(i, &item));
        EXPECT_FALSE(Holds(Text(item.Text), "UcetHeslo1"));
    }

    struct stat info {};
    ASSERT_EQ(stat(SetupFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(TNSetupFile, SaveWritesOnlyForAKnownUser)
{
    TNSetup setup;
    TNUsers nobody;
    EXPECT_FALSE(setup.Save(nobody, SetupFile()));
    users_.UpdateUser(0, [](TNUser& user) { user.UserID = 0; });
    EXPECT_FALSE(setup.Save(users_, SetupFile()));
    EXPECT_FALSE(setup.Save(users_, "/a"));
    EXPECT_FALSE(plat::FileExists(SetupFile()));
    // Still changed: the next save with a user writes.
    users_.UpdateUser(0, [](TNUser& user) { user.UserID = 42; });
    EXPECT_TRUE(setup.Save(users_, SetupFile()));
    EXPECT_FALSE(setup.IsChanged());
    EXPECT_FALSE(setup.Save(users_, SetupFile()));
}

TEST_F(TNSetupFile, FailedSaveKeepsTheOldFileAndTheChangedFlag)
{
    TNSetup setup;
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    std::string before = ReadBytes(SetupFile());

    setup.SetValue("PopupAdLastID", 5, TNSetupItem::kInt32);
    plat::FailNthWrite(1);
    testing_support::LogCapture log;
    EXPECT_FALSE(setup.Save(users_, SetupFile()));
    plat::FailNthWrite(0);
    EXPECT_TRUE(Holds(log.Text(), "[TNSetup::Save][ERROR]"));
    EXPECT_EQ(ReadBytes(SetupFile()), before);
    EXPECT_EQ(scratch_.Entries("ivo/"), std::vector<std::string>{"setup-dlmr1.dat"});
    EXPECT_TRUE(setup.IsChanged());

    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    EXPECT_NE(ReadBytes(SetupFile()), before);
}

int Occurrences(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A file that loaded only in part is copied aside, once, before the first
// save writes over what could not be read.
TEST_F(TNSetupFile, ADamagedFileIsCopiedAsideBeforeItIsWrittenOver)
{
    std::string damaged = Header(2) + U32(2) + Item(1, "Today_AppRunCount", "\xC8") + Item(3, "PopupAd", "\x01");
    WriteSetupFile(damaged);
    TNSetup setup;
    ASSERT_FALSE(setup.Load(users_, SetupFile()));
    setup.SetValue("PopupAdLastID", 5, TNSetupItem::kInt32);

    // A copy that cannot be written keeps the file and the change.
    plat::FailNthWrite(1);
    testing_support::LogCapture failing;
    EXPECT_FALSE(setup.Save(users_, SetupFile()));
    plat::FailNthWrite(0);
    EXPECT_TRUE(Holds(failing.Text(), "[TNSetup::Save][ERROR] Damaged setup file can't be copied aside"));
    EXPECT_EQ(ReadBytes(SetupFile()), damaged);
    EXPECT_TRUE(setup.IsChanged());

    testing_support::LogCapture log;
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    std::vector<std::string> entries = scratch_.Entries("ivo/");
    ASSERT_EQ(entries.size(), 2u);
    const std::string& aside = entries[0] == "setup-dlmr1.dat" ? entries[1] : entries[0];
    EXPECT_EQ(aside.rfind("setup-dlmr1.dat.", 0), 0u) << aside;
    EXPECT_EQ(aside.size(), std::string("setup-dlmr1.dat.YYYYMMDD-HHMMSS").size()) << aside;
    EXPECT_EQ(ReadBytes(scratch_.Path() + "ivo/" + aside), damaged);
    EXPECT_EQ(Occurrences(log.Text(), "[TNSetup::Save][ERROR] Setup file was damaged, its copy kept as "), 1);

    TNSetup reloaded;
    ASSERT_TRUE(reloaded.Load(users_, SetupFile()));
    EXPECT_EQ(reloaded.GetInt("Today_AppRunCount"), -56);
    EXPECT_EQ(reloaded.GetInt("PopupAdLastID"), 5);

    setup.SetValue("PopupAdLastID", 6, TNSetupItem::kInt32);
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    EXPECT_EQ(scratch_.Entries("ivo/").size(), 2u) << "one copy, at the first save only";
}

TEST_F(TNSetupFile, ACleanFileIsNotCopied)
{
    TNSetup setup;
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    ASSERT_TRUE(setup.Load(users_, SetupFile()));
    setup.SetValue("PopupAdLastID", 5, TNSetupItem::kInt32);
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    EXPECT_EQ(scratch_.Entries("ivo/"), std::vector<std::string>{"setup-dlmr1.dat"});
}

// A cut text logs the setting it belongs to, once; a text that fits does not.
TEST_F(TNSetupFile, ACutTextIsLoggedByItsKey)
{
    TNSetup setup;
    setup.Clear();
    setup.SetString("Kratky", std::string(256, 'a').c_str(), TNSetupItem::kText8);
    setup.SetString("Presne", std::string(255, 'a').c_str(), TNSetupItem::kText8);
    setup.SetString("Stredni", std::string(65535, 'a').c_str(), TNSetupItem::kText16);
    setup.SetString("Dlouhy", std::string(65536, 'b').c_str(), TNSetupItem::kText16);
    testing_support::LogCapture log;
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    const std::string prefix = "[TNSetup::Save][WARNING] Text cut to fit its length field: ";
    EXPECT_EQ(Occurrences(log.Text(), prefix), 2) << log.Text();
    EXPECT_EQ(Occurrences(log.Text(), prefix + "Kratky\r\n"), 1);
    EXPECT_EQ(Occurrences(log.Text(), prefix + "Dlouhy\r\n"), 1);
}

TEST(TNSetup, SettersAndRemoval)
{
    TNSetup setup;
    EXPECT_EQ(setup.SetValue("Today_AppRunCount", 200, TNSetupItem::kInt8), setup.Find("Today_AppRunCount"));
    EXPECT_EQ(setup.GetInt("Today_AppRunCount"), 200);
    int32_t index = setup.SetValue("Seznam", 3, TNSetupItem::kTexts8);
    ASSERT_GE(index, 0);
    std::vector<TNString> texts;
    ASSERT_TRUE(setup.GetTexts("Seznam", &texts));
    EXPECT_EQ(texts.size(), 3u);
    EXPECT_EQ(setup.SetValue("Seznam", -4, TNSetupItem::kNumbers16), index);
    EXPECT_EQ(setup.GetInt("Seznam"), 0);
    EXPECT_EQ(setup.Remove("Seznam"), index);
    EXPECT_EQ(setup.Find("Seznam"), -1);
    EXPECT_EQ(setup.Remove("Seznam"), -1);
    EXPECT_EQ(setup.Set("Seznam", TNSetupItem::kBool), index + 1);

    // Names are exact and fit an 8-bit length; types are the known ones.
    EXPECT_EQ(setup.Find("povolitzvuk"), -1);
    testing_support::LogCapture log;
    EXPECT_EQ(setup.Set(std::string(256, 'k').c_str(), TNSetupItem::kBool), -1);
    EXPECT_EQ(setup.Set("PovolitZvuk", 5), -1);
    EXPECT_EQ(setup.Set(nullptr, TNSetupItem::kBool), -1);
    EXPECT_TRUE(Holds(log.Text(), "[TNSetup::Set][ERROR] nazev = PovolitZvuk"));
    EXPECT_TRUE(setup.GetBool("PovolitZvuk"));
}

TEST_F(TNSetupFile, LongTextsAreCutToTheirLengthPrefix)
{
    TNSetup setup;
    setup.Clear();
    setup.SetString("Kratky", std::string(300, 'a').c_str(), TNSetupItem::kText8);
    ASSERT_TRUE(setup.Save(users_, SetupFile()));
    EXPECT_EQ(ReadBytes(SetupFile()), Header(2) + U32(1) + Item(50, "Kratky", Name(std::string(255, 'a'))));
}

// Saving runs on the online thread while the main thread sets values.
TEST_F(TNSetupFile, SettingWhileSavingIsSafe)
{
    // Atomic saves sync to disk; a memory file system keeps this quick.
    ScratchFolder memory(access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : plat::TempFolder());
    std::string path = memory.Path() + "ivo/setup-dlmr1.dat";
    TNSetup setup;
    constexpr int kRounds = 10000;
    int saves = 0;
    std::thread saver([&] {
        for (int i = 0; i < kRounds; ++i)
            saves += setup.Save(users_, path) ? 1 : 0;
    });
    for (int i = 0; i < kRounds; ++i) {
        std::string key = "Klic" + std::to_string(i % 50);
        setup.SetValue(key.c_str(), i, TNSetupItem::kInt32);
        if (i % 10 == 0)
            setup.SetString("SmsUcet_Pass", "heslo", TNSetupItem::kText8);
        setup.SetValue("Pole", i % 100, TNSetupItem::kNumbers32);
    }
    saver.join();
    EXPECT_GT(saves, 0);
    setup.SetValue("Klic0", -1, TNSetupItem::kInt32);
    ASSERT_TRUE(setup.Save(users_, path));

    TNSetup loaded;
    loaded.Clear();
    ASSERT_TRUE(loaded.Load(users_, path));
    EXPECT_EQ(loaded.GetInt("Klic0"), -1);
    EXPECT_EQ(loaded.GetInt("Klic49"), kRounds - 1);
    EXPECT_EQ(loaded.Find("SmsUcet_Pass"), -1);
}

} // namespace
