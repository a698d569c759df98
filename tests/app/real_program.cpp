#include "tests/app/real_program.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "model/records.h"
#include "platform/core/bus_client.h"
#include "platform/core/window_messages.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>

namespace real_program {
namespace {

size_t AppendToString(char* data, size_t size, size_t count, void* text)
{
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// The program's globals in this process, for reading the data file the
// program left with the model's own reader.
class GlobalsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        InstallPIMFactory();
        ASSERT_TRUE(ConstructGlobals());
    }
    void TearDown() override { DestroyGlobals(); }
};

[[maybe_unused]] ::testing::Environment* const globalsEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlobalsEnvironment);

} // namespace

int Count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

bool ExitedWithZero(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Get(const std::string& url)
{
    std::string body;
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK ? body : std::string();
}

void RealProgram::SetUp()
{
    KillerFixture::SetUp();
    if (display_ == Display::X11) {
        // The private environment hides the display; this program shows on it.
        for (const auto& [name, value] : saved_) {
            if (std::string(name) == "DISPLAY" && value)
                setenv("DISPLAY", value->c_str(), 1);
        }
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    ASSERT_TRUE(service_.Spawn({DALMORA_TEST_SERVICE, "--demo", "--password", kAlicePassword}));
    std::string listening;
    ASSERT_TRUE(service_.ReadUntilPrefix("listening on ", listening));
    baseUrl_ = listening.substr(std::string("listening on ").size());
    const std::string hostAndPort = baseUrl_.substr(baseUrl_.find("://") + 3);

    program_ = InstallProgram("01");
    const std::string config = std::string("WebProtocol:http\nWebDomain:") + kWebDomain +
                               "\nApiProtocol:http\nApiDomain:" + hostAndPort +
                               "/index.php\nUpdateWebProtocol:http\nUpdateWebDomain:" + hostAndPort + "\n";
    ASSERT_TRUE(plat::WriteFileAtomically(root_ + "prog/pimsrv00.cfg", config));

    // Alice is remembered with her password, so the login page signs her in
    // by itself.
    TNUsers users;
    TNString login(kAliceLogin);
    TNString name(kAliceLogin);
    TNString password(kAlicePassword);
    users.AktivniUzivatel = users.AddOrUpdate(&login, &name, kAliceID, 1, &password);
    ASSERT_TRUE(plat::CreateFolders(UsersFolder()));
    ASSERT_TRUE(users.Save(UsersFolder()));
}

void RealProgram::TearDown()
{
    service_.Signal(SIGTERM);
    int status = 0;
    service_.Wait(status, 2000);
    KillerFixture::TearDown();
}

std::unique_ptr<testenv::Child> RealProgram::StartSignedIn()
{
    auto copy = std::make_unique<testenv::Child>();
    EXPECT_TRUE(copy->Spawn({program_}));
    EXPECT_TRUE(WaitForMainWindow(*copy));
    EXPECT_TRUE(WaitForLog(kNothingNew, 1)) << ProgramLog();
    EXPECT_TRUE(WaitForLog("gDesk->ActivePage = Homepage", 1));
    // Every call the online layer makes into the windows finds its window.
    EXPECT_EQ(Count(ProgramLog(), "[TNWindowCalls][NO_WINDOW]"), 0);
    return copy;
}

int RealProgram::RunClosingUtility()
{
    return RunUtility(InstallUtility());
}

void RealProgram::SendClose()
{
    std::vector<plat::BusWindow> windows = plat::ListBusWindows("TfrmMainDLMR1");
    ASSERT_EQ(windows.size(), 1u);
    int64_t result = 0;
    ASSERT_EQ(plat::SendBusMessage(windows[0], plat::kWmClose, 0, 0, 2000, result), plat::BusSendResult::Answered);
}

bool RealProgram::WaitForLog(const std::string& needle, int times, int ms)
{
    return testenv::WaitUntil([&] { return Count(ProgramLog(), needle) >= times; }, ms);
}

std::string RealProgram::LogFrom(const std::string& from) const
{
    const std::string log = ProgramLog();
    const size_t at = log.find(from);
    return at == std::string::npos ? std::string() : log.substr(at);
}

std::vector<std::string> RealProgram::LinesAfterTheEnd() const
{
    std::vector<std::string> lines;
    const std::string log = ProgramLog();
    const size_t end = log.rfind(kEndLine);
    if (end == std::string::npos)
        return {"(no END line)"};
    for (size_t start = log.find('\n', end) + 1, stop; (stop = log.find('\n', start)) != std::string::npos;
         start = stop + 1)
        lines.push_back(log.substr(start, stop - start));
    return lines;
}

std::string RealProgram::UsersListPath() const
{
    return UsersFolder() + TNUsers::kFileName;
}

std::string RealProgram::UserFolder() const
{
    return UsersFolder() + std::to_string(kAliceID) + "/";
}

std::string RealProgram::SettingsPath() const
{
    return UserFolder() + "setup-dlmr1.dat";
}

void RealProgram::ReadStoredData(const std::function<void(TNPIM& pim)>& read)
{
    App.PimServersCount = 1;
    std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "%s", kWebDomain);
    Dirs.UserDir.Set(UserFolder().c_str());
    TNString login(kAliceLogin);
    TNString name(kAliceLogin);
    Uzivatele.AktivniUzivatel = Uzivatele.AddOrUpdate(&login, &name, kAliceID, 0, nullptr);
    EXPECT_TRUE(c.ResizePIM());
    TNPIM& pim = *PIM[0];
    pim.Load(nullptr);
    read(pim);
    raf.closeAllFiles();
    Uzivatele.AktivniUzivatel = -1;
}

std::string RealProgram::StoredRecordText(uint32_t id)
{
    std::string text = "(missing)";
    ReadStoredData([&](TNPIM& pim) {
        const int32_t position = pim.Records->GetRecordPosByID(id);
        if (position >= 0)
            text = std::string(pim.Records->Items[position]->Text.View());
    });
    return text;
}

} // namespace real_program
