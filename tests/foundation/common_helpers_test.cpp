#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "platform/core/bytes.h"
#include "platform/core/disk.h"
#include "platform/core/file.h"
#include "platform/core/platform_log.h"
#include "platform/core/shell_open.h"
#include "platform/testing/fake_clock.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::ReadFile;
using testing_support::ScratchFolder;
using testing_support::WriteFile;

std::string CurrentFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof(buffer)) != nullptr ? buffer : "";
}

TEST(CommonFiles, NumbersAreSignedByWidthAndShortReadsFail)
{
    struct Case {
        const char* name;
        std::string bytes;
        int width;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"FF width 1", std::string("\xFF", 1), 1, true, -1},
        {"FF 7F width 2", std::string("\xFF\x7F", 2), 2, true, 32767},
        {"00 80 width 2", std::string("\x00\x80", 2), 2, true, -32768},
        {"width 3", std::string("\x01\x02\x03", 3), 3, true, 0x030201},
        {"width 4", std::string("\xFF\xFF\xFF\xFF", 4), 4, true, -1},
        {"short", std::string("\x01", 1), 2, false, 0},
        {"empty", std::string(), 4, false, 0},
    };
    for (const Case& row : cases) {
        plat::ByteReader in(row.bytes);
        int32_t value = 0;
        EXPECT_EQ(TNCommon::ReadNumber(row.width, in, value), row.ok) << row.name;
        if (row.ok) {
            EXPECT_EQ(value, row.value) << row.name;
        }
    }
    std::string header;
    plat::ByteWriter out(header);
    ASSERT_TRUE(TNCommon::WriteHeader("BrivaneAppSetup", 3, out));
    int32_t version = 0;
    plat::ByteReader right(header);
    EXPECT_TRUE(TNCommon::ReadHeader("BrivaneAppSetup", right, version));
    EXPECT_EQ(version, 3);
    std::string longer;
    plat::ByteWriter longerOut(longer);
    ASSERT_TRUE(TNCommon::WriteHeader("BrivaneAppSetupX", 3, longerOut));
    plat::ByteReader wrong(longer);
    TNCommon::ReadHeader("BrivaneAppSetup", wrong, version);
    EXPECT_EQ(version, 0);
}

// Logging on into a fresh folder; the entered folder of the test thread is
// another fresh folder.
class Common : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedApp_ = App;
        App.WriteLog = 1;
        ASSERT_TRUE(SetLogDir(logs_.Path().c_str()));
        EnterFolderForThread(work_.Path());
        savedTemp_ = std::string(Dirs.TempDir.View());
        cwd_ = CurrentFolder();
    }
    void TearDown() override
    {
        EXPECT_EQ(CurrentFolder(), cwd_);
        EnterFolderForThread("");
        Dirs.TempDir.Set(savedTemp_);
        SetLogDir("");
        App = savedApp_;
        FoundationHooks = TNFoundationHooks{};
        plat::SetFreeSpaceProvider(nullptr);
        plat::SetShellStarter(nullptr);
        plat::SetPlatformLogSink(nullptr);
        plat::FailNthWrite(0);
    }
    std::string Log() const
    {
        std::string all;
        for (const std::string& name : logs_.Entries())
            all += ReadFile(logs_.Path() + name);
        return all;
    }

    ScratchFolder logs_;
    ScratchFolder work_;
    TNAppInfo savedApp_;
    std::string savedTemp_;
    std::string cwd_;
};

TEST_F(Common, CopyFileReportsEveryFailure)
{
    std::string source = work_.Path() + "source.dat";
    WriteFile(source, std::string(200000, 'x'));
    EXPECT_FALSE(c.CopyFile(source.c_str(), (work_.Path() + "missing/target.dat").c_str()));
    EXPECT_FALSE(c.CopyFile((work_.Path() + "none.dat").c_str(), (work_.Path() + "t.dat").c_str()));
    EXPECT_FALSE(plat::FileExists(work_.Path() + "t.dat"));

    ASSERT_TRUE(c.CopyFile("source.dat", "copy.dat"));
    EXPECT_EQ(ReadFile(work_.Path() + "copy.dat"), std::string(200000, 'x'));

    plat::FailNthWrite(2);
    EXPECT_FALSE(c.CopyFile("source.dat", "broken.dat"));
    EXPECT_FALSE(plat::FileExists(work_.Path() + "broken.dat"));
}

TEST_F(Common, FileExistsKeepsTheSize)
{
    WriteFile(work_.Path() + "seven.txt", "1234567");
    EXPECT_TRUE(c.FileExists("seven.txt"));
    EXPECT_EQ(c.FileExistsSize.load(), 7);
    EXPECT_TRUE(c.FileExistsGetSize((work_.Path() + "seven.txt").c_str()));
    EXPECT_EQ(c.FileExistsGetSizeSize.load(), 7);
    EXPECT_EQ(c.GetFileSize("seven.txt"), 7);
    EXPECT_FALSE(c.FileExists("eight.txt"));
    EXPECT_EQ(c.FileExistsSize.load(), 0);
    EXPECT_EQ(c.GetFileSize("eight.txt"), 0);
}

TEST_F(Common, CreateDirsForPathEntersWithoutChangingTheProcessFolder)
{
    ASSERT_TRUE(c.CreateDirsForPath("Pictures\\12/34"));
    EXPECT_EQ(EnteredFolderOfThread(), work_.Path() + "Pictures/12/34/");
    struct stat info {};
    ASSERT_EQ(stat((work_.Path() + "Pictures/12/34").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(c.CreateDirsForPath("?skipped"));
    EXPECT_FALSE(c.CreateDirsForPath("a/../../b"));
    EXPECT_FALSE(c.CreateDirsForPath(nullptr));
}

TEST_F(Common, ThousandQuickTempNamesAreDistinctFiles)
{
    ScratchFolder temp;
    Dirs.TempDir.Set(temp.Path());
    std::tm fields{};
    fields.tm_year = 124;
    fields.tm_mon = 2;
    fields.tm_mday = 14;
    fields.tm_hour = 13;
    fields.tm_min = 5;
    fields.tm_sec = 9;
    fields.tm_isdst = -1;
    plat::testing::ScopedFakeClock clock(static_cast<int64_t>(mktime(&fields)));
    clock->Advance(7);
    std::set<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        TNString name = c.GetTempFileName("download");
        ASSERT_FALSE(name.IsEmpty());
        names.insert(std::string(name.View()));
    }
    EXPECT_EQ(names.size(), 1000u);
    EXPECT_EQ(temp.Entries().size(), 1000u);
    EXPECT_EQ(names.count(temp.Path() + "download_13050907.tmp"), 1u);
    EXPECT_EQ(names.count(temp.Path() + "download_1305091006.tmp"), 1u);
    EXPECT_TRUE(c.GetTempFileName("a/b").IsEmpty());
}

bool freeSpaceAsked = false;
uint64_t fakeFree = 0;
bool FakeFree(const std::string&, uint64_t& bytes)
{
    freeSpaceAsked = true;
    bytes = fakeFree;
    return true;
}

TEST_F(Common, EnoughDiskSpaceNeedsThreeGibibytes)
{
    plat::SetFreeSpaceProvider(&FakeFree);
    fakeFree = 3ull * 1024 * 1024 * 1024 - 1;
    EXPECT_FALSE(c.isEnoughDiskSpace(work_.Path().c_str()));
    fakeFree += 1;
    EXPECT_TRUE(c.isEnoughDiskSpace(work_.Path().c_str()));
    freeSpaceAsked = false;
    EXPECT_FALSE(c.isEnoughDiskSpace(""));
    EXPECT_FALSE(freeSpaceAsked);
    EXPECT_NE(Log().find("[c.isEnoughDiskSpace][ERROR] Param 'path' not defined or short!"), std::string::npos);
    plat::SetFreeSpaceProvider(nullptr);
    EXPECT_TRUE(c.isEnoughDiskSpace("/") || !c.isEnoughDiskSpace("/"));
    EXPECT_EQ(c.isEnoughDiskSpace((work_.Path() + "not/yet/there").c_str()), c.isEnoughDiskSpace(work_.Path().c_str()));
}

std::vector<std::string>* started = nullptr;
bool RecordStart(const std::vector<std::string>& argv, int*)
{
    started->insert(started->end(), argv.begin(), argv.end());
    return true;
}

TEST_F(Common, OpenUrlOpensOnlyWebAddressesAndExistingFiles)
{
    std::vector<std::string> recorded;
    started = &recorded;
    plat::SetShellStarter(&RecordStart);
    plat::SetPlatformLogSink(LogPlatformLine);
    WriteFile(work_.Path() + "readme.txt", "x");

    for (const char* address : {"https://www.dalmora.example/", "HTTP://dalmora.example/x?a=1&b=2",
                                "mailto:uzivatel@example.com", "readme.txt"})
        EXPECT_TRUE(c.OpenUrl(address)) << address;
    for (const char* address : {"", "file:///etc/passwd", "javascript:alert(1)", "ftp://dalmora.example/",
                                "missing.txt", "-x", "https://a.example/\nmore"})
        EXPECT_FALSE(c.OpenUrl(address)) << address;
    EXPECT_FALSE(c.OpenUrl(nullptr));

    // A relative name is a file of the entered folder, never an option.
    std::vector<std::string> expected = {
        "xdg-open", "https://www.dalmora.example/", "xdg-open", "HTTP://dalmora.example/x?a=1&b=2",
        "xdg-open", "mailto:uzivatel@example.com",  "xdg-open", work_.Path() + "readme.txt"};
    EXPECT_EQ(recorded, expected);
    // Refusals reach the program's log.
    EXPECT_NE(Log().find("[ShellOpen][ERROR] Refused \"open\" of: javascript:alert(1)"), std::string::npos) << Log();
    EXPECT_NE(Log().find("[ShellOpen][ERROR] Refused \"open\" of: " + work_.Path() + "-x"), std::string::npos);
    started = nullptr;
}

TEST(CommonValidation, CheckEmailGivesEveryCodeWithItsMessage)
{
    const std::string sample = "\nVzor e-mailové adresy: uzivatel@example.com";
    struct Case {
        const char* address;
        int32_t code;
        std::string message;
    };
    const Case cases[] = {
        {nullptr, 0, "E-mailová adresa není zadána!"},
        {"", -1, "E-mailová adresa není zadána!"},
        {"jana.example.com", -2,
         "E-mailová adresa neobsahuje žádný zavináč (znak \"@\").\n"
         "Každá e-mailová adresa musí obsahovat právě jeden zavináč."},
        {"a@b@c.cz", -3,
         "E-mailová adresa obsahuje příliš mnoho zavináčů (znak \"@\").\n"
         "Každá e-mailová adresa musí obsahovat právě jeden zavináč."},
        {"@b.cz", -4, "Zavináč (znak \"@\") nesmí být na začátku e-mailové adresy!"},
        {"ab@", -5, "Zavináč (znak \"@\") nesmí být na konci e-mailové adresy!"},
        {"ja na@b.cz", -6,
         "E-mailová adresa obsahuje nepovolené znaky!\n\nPovolené znaky jsou:\nabcdefghijklmnopqrstuvwxyz\n"
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789\n@ _ . -\n"},
        {"ab@c", -7,
         "Za zavináčem (znak \"@\") není žádná tečka!\n"
         "Každá e-mailová adresa musí za zavináčem obsahovat alespoň jednu tečku."},
        {"a@b.c", -8, "Za poslední tečkou musí být alespoň 2 znaky!"},
        {"a@.cz", -9, "Za zavináčem (znak \"@\") musí být alespoň 4 znaky!"},
        {"a@b.cz", 1, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.address != nullptr ? row.address : "(null)");
        EXPECT_EQ(c.CheckEmail(row.address, false), row.code);
        EXPECT_EQ(c.EmailMessage.View(), row.code == 1 ? std::string() : row.message + sample);
    }
}

std::vector<std::string>* boxTexts = nullptr;
int32_t RecordBox(const char* text, const char* caption, uint32_t flags)
{
    boxTexts->push_back(std::string(caption) + "|" + std::to_string(flags) + "|" + text);
    return mrOk;
}

TEST(CommonValidation, CheckEmailShowsTheMessageWhenAsked)
{
    std::vector<std::string> shown;
    boxTexts = &shown;
    FoundationHooks.MessageBox = &RecordBox;
    EXPECT_EQ(c.CheckEmail("ab@", true), -5);
    EXPECT_EQ(c.CheckEmail("a@b.cz", true), 1);
    EXPECT_EQ(c.CheckEmail("ab@", false), -5);
    FoundationHooks = TNFoundationHooks{};
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "CHYBA|0|" + std::string(c.EmailMessage.View()));
    boxTexts = nullptr;
}

TEST(CommonValidation, LoginAndPasswordLengthsAndCharacters)
{
    EXPECT_TRUE(TNCommon::CheckLogin(std::string(128, 'a').c_str()));
    EXPECT_FALSE(TNCommon::CheckLogin(std::string(129, 'a').c_str()));
    EXPECT_TRUE(TNCommon::CheckLogin("j.n_-9"));
    EXPECT_FALSE(TNCommon::CheckLogin("jn"));
    EXPECT_FALSE(TNCommon::CheckLogin("jana!"));
    EXPECT_FALSE(TNCommon::CheckLogin("jána"));
    EXPECT_FALSE(TNCommon::CheckLogin(nullptr));
    EXPECT_TRUE(TNCommon::CheckPassword(std::string(35, 'x').c_str()));
    EXPECT_FALSE(TNCommon::CheckPassword(std::string(36, 'x').c_str()));
    EXPECT_TRUE(TNCommon::CheckPassword("a-!?&+._Z9"));
    EXPECT_FALSE(TNCommon::CheckPassword("ab"));
    EXPECT_FALSE(TNCommon::CheckPassword("abc def"));
}

TEST(CommonIds, MaxLocalIdFoldsLocalIdsOnly)
{
    EXPECT_EQ(TNCommon::MaxLocalId(4200000005u, 4200000001u), 4200000006u);
    EXPECT_EQ(TNCommon::MaxLocalId(17u, 4200000001u), 4200000001u);
    // An item already holding the next id moves it on, or a new item would share it.
    EXPECT_EQ(TNCommon::MaxLocalId(4200000001u, 4200000001u), 4200000002u);
    EXPECT_EQ(TNCommon::MaxLocalId(4200000001u, 0u), 4200000002u);
    EXPECT_EQ(TNCommon::MaxLocalId(4200000000u, 0u), 0u);
    EXPECT_EQ(TNCommon::MaxLocalId(4200000003u, 4200000009u), 4200000009u);
    EXPECT_EQ(TNCommon::MaxLocalId(4294967295u, 4200000009u), 4200000009u);
}

TEST(CommonNames, TypeAndDayNames)
{
    EXPECT_STREQ(TNCommon::GetRaftTypeName(0), "raftHole");
    EXPECT_STREQ(TNCommon::GetRaftTypeName(6), "raftContactsRequest");
    EXPECT_STREQ(TNCommon::GetRaftTypeName(13), "raftLastRequest");
    EXPECT_STREQ(TNCommon::GetRaftTypeName(14), "Unknown raftType");
    EXPECT_STREQ(TNCommon::GetRaftTypeName(-1), "Unknown raftType");

    EXPECT_EQ(c.GetEventTypeNameByKey("Trip").View(), "Výlet");
    EXPECT_EQ(c.GetEventTypeNameByKey("EmergenciesAndOutages").View(), "Havárie a výpadky");
    EXPECT_EQ(c.GetEventTypeNameByKey("trip").View(), "trip");
    EXPECT_EQ(c.GetEventTypeName(TNString("Dance")).View(), "Tanec");
    EXPECT_EQ(c.EventTypeKeys.Count, 12);

    EXPECT_EQ(TNCommon::DayNameAnsi(4).View(), "\xC8tvrtek");
    EXPECT_EQ(TNCommon::DayNameAnsi(7).View(), "Neděle");
    EXPECT_EQ(TNCommon::DayNameAnsi(8).View(), "8");
    EXPECT_EQ(TNCommon::UIntToAnsi(4294967295u).View(), "4294967295");
}

TEST(CommonNumbers, StrToIntAndDigitsTable)
{
    struct Case {
        const char* text;
        int32_t value;
        uint32_t digits;
        bool digitsOnly;
    };
    const Case cases[] = {
        {nullptr, 0, 0, false},
        {"", 0, 0, false},
        {"123", 123, 123, true},
        {"-45", -45, 45, false},
        {"1 2a3", 123, 123, false},
        {"2147483647", 2147483647, 2147483647u, true},
        {"-2147483648", INT32_MIN, 2147483648u, false},
        {"99999999999", INT32_MAX, 4294967295u, true},
        {"x-5", 5, 5, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.text != nullptr ? row.text : "(null)");
        EXPECT_EQ(TNCommon::StrToInt(row.text), row.value);
        EXPECT_EQ(TNCommon::DigitsToNumber(row.text), row.digits);
        EXPECT_EQ(TNCommon::IsDigitsOnly(row.text), row.digitsOnly);
    }
}

TEST(CommonNumbers, PointInRectIncludesEdges)
{
    EXPECT_TRUE(TNCommon::IsPointInRect(10, 20, 10, 20, 5, 5));
    EXPECT_TRUE(TNCommon::IsPointInRect(15, 25, 10, 20, 5, 5));
    EXPECT_FALSE(TNCommon::IsPointInRect(16, 25, 10, 20, 5, 5));
    EXPECT_FALSE(TNCommon::IsPointInRect(9, 20, 10, 20, 5, 5));
    EXPECT_TRUE(TNCommon::IsPointInRect(INT32_MAX, 0, INT32_MAX - 1, 0, INT32_MAX, 1));
}

TEST(CommonArrays, ArraysEndWithTwoZeroWords)
{
    int32_t* values = TNCommon::initIntArray(3);
    ASSERT_NE(values, nullptr);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(values[i], 0);
    values[0] = 7;
    values[2] = 9;
    int32_t* grown = TNCommon::reallocIntArray(values, 6);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(grown[0], 7);
    EXPECT_EQ(grown[2], 9);
    EXPECT_EQ(grown[6], 0);
    EXPECT_EQ(grown[7], 0);
    EXPECT_EQ(TNCommon::getIntPosInArray(grown, 3, 9), 2);
    EXPECT_EQ(TNCommon::getIntPosInArray(grown, 2, 9), -1);
    TNCommon::freeArray(grown);
    EXPECT_EQ(TNCommon::reallocIntArray(nullptr, 3), nullptr);
    EXPECT_EQ(TNCommon::initIntArray(-1), nullptr);

    uint32_t* ids = TNCommon::initUIntArray(2);
    ASSERT_NE(ids, nullptr);
    ids[1] = 4200000001u;
    EXPECT_EQ(TNCommon::getUIntPosInArray(ids, 2, 4200000001u), 1);
    TNCommon::freeArray(ids);

    const int32_t pairs[] = {1, 2, 0, 0, 0, 3, 4, 0, 0, 0, 3, 4, 1, 1, 1};
    EXPECT_EQ(TNCommon::FindPairInArray(pairs, 3, 3, 4), 1);
    EXPECT_EQ(TNCommon::FindPairInArray(pairs, 3, 2, 1), -1);
    EXPECT_EQ(TNCommon::FindPairInArray(pairs, 0, 1, 2), -1);
}

// Distinct addresses stand in for data sets; the foundation never looks
// inside one.
char pimSlots[3];
std::vector<std::string>* pimTrace = nullptr;
TNPIM* MakePim(int32_t position)
{
    pimTrace->push_back("+" + std::to_string(position));
    return reinterpret_cast<TNPIM*>(&pimSlots[position]);
}
void FreePim(TNPIM* pim)
{
    pimTrace->push_back("-" + std::to_string(reinterpret_cast<char*>(pim) - pimSlots));
}

TEST_F(Common, ResizePimFollowsTheServerCount)
{
    std::vector<std::string> trace;
    pimTrace = &trace;
    FoundationHooks.CreatePIM = &MakePim;
    FoundationHooks.DestroyPIM = &FreePim;

    App.PimServersCount = 2;
    ASSERT_TRUE(c.ResizePIM());
    ASSERT_EQ(PIM.Count(), 2);
    EXPECT_EQ(PIM[1], reinterpret_cast<TNPIM*>(&pimSlots[1]));
    EXPECT_EQ(PIM[2], nullptr);
    EXPECT_EQ(PIM[-1], nullptr);

    App.PimServersCount = 1;
    ASSERT_TRUE(c.ResizePIM());
    EXPECT_EQ(PIM.Count(), 1);
    EXPECT_EQ(trace, (std::vector<std::string>{"+0", "+1", "-1", "-0", "+0"}));

    FoundationHooks.CreatePIM = nullptr;
    App.PimServersCount = 1;
    EXPECT_FALSE(c.ResizePIM());
    EXPECT_EQ(PIM.Count(), 0);
    EXPECT_NE(Log().find("[c.ResizePIM][ERROR] No organizer data set for pim_srv_pos = 0"), std::string::npos);
    pimTrace = nullptr;
}

TEST_F(Common, NoServerLeavesPimEmptyAndTheFoundationRunning)
{
    InitAppInfo(App, 3, 1);
    ASSERT_EQ(App.PimServersCount, 0);
    ASSERT_TRUE(c.ResizePIM());
    EXPECT_EQ(PIM.Count(), 0);
    EXPECT_FALSE(PIM.Has(0));
    EXPECT_EQ(PIM[0], nullptr);
    EXPECT_NE(Log().find(std::string(kNoServerConfiguredLine) + "\r\n"), std::string::npos);
    EXPECT_EQ(c.getDayNo(14, 3, 2024, -1), 4);
    EXPECT_GE(c.GetYearPos(2024), 0);
    TNDayList days;
    EXPECT_TRUE(c.CollectDaysInRange(2024, 3, 14, 2024, 3, 16, &days, 0, 0));
    c.ClearAllYears();
}

int emergencyCalls = 0;
void CountEmergency()
{
    ++emergencyCalls;
}

TEST_F(Common, FatalErrorSwitchesOnTheEmergencyClose)
{
    FoundationHooks.EmergencyClose = &CountEmergency;
    c.FatalErrorApplicationRestart();
    EXPECT_EQ(emergencyCalls, 1);
    EXPECT_NE(Log().find("[TNCommon::FatalErrorApplicationRestart][ERROR][EXCEPTION]\r\n"), std::string::npos);
}

uint32_t SevenIdle()
{
    return 7;
}

TEST(CommonSystem, PlatformAnswers)
{
    EXPECT_TRUE(TNCommon::IsVistaOrLater());
    EXPECT_FALSE(TNCommon::IsRemoteSession());
    int32_t major = 0;
    int32_t minor = 0;
    EXPECT_TRUE(TNCommon::GetWindowsVersion(major, minor));
    EXPECT_EQ(major, 6);
    EXPECT_EQ(minor, 1);
    EXPECT_EQ(TNCommon::GetIdleSeconds(), 0u);
    FoundationHooks.IdleSeconds = &SevenIdle;
    EXPECT_EQ(TNCommon::GetIdleSeconds(), 7u);
    FoundationHooks = TNFoundationHooks{};
    plat::testing::ScopedFakeClock clock(1700000000);
    EXPECT_EQ(TNLocalClock::Now(), 1700000000);
}

// The run's lock name is built by c, and c's end is the last log line.
TEST_F(Common, LastLogLineAndRunPrivateLockName)
{
    std::string expected = "logMutex" + std::to_string(App.IsDev) + "_Dalmora" + std::to_string(App.VersionNumber) +
                           "_" + std::to_string(App.Random) + "_" + std::to_string(ProgramStartTime);
    EXPECT_EQ(c.LogMutexName.View(), expected);
    EXPECT_TRUE(LogText("[Test] before the end"));

    DestroyGlobals();
    EXPECT_EQ(App.WriteLog, 0);
    std::string log = Log();
    std::string last = "[TNCommon::Destroy][LAST_LOG] Setting App.WriteLog to false.\r\n";
    ASSERT_GE(log.size(), last.size());
    EXPECT_EQ(log.substr(log.size() - last.size()), last);
    EXPECT_FALSE(LogText("[Test] after the end"));
    ASSERT_TRUE(ConstructGlobals());
}

} // namespace
