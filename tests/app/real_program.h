#pragma once

// The delivered program run for real: a copy of `dalmora1` in a private home
// (its own configuration and data folders), signed in by itself for a
// remembered account against `dalmora-test-service --demo` on loopback. The
// copy runs under a program name unique to the test process, so the closing
// utility reaches only it. What it left behind is read back with the model's
// own loader.
#include "tests/killer/killer_fixture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TNPIM;

namespace real_program {

// The demo account of the test service, with a password the login page
// accepts.
constexpr uint32_t kAliceID = 1001;
constexpr const char* kAliceLogin = "alice";
constexpr const char* kAlicePassword = "heslo-123";
constexpr const char* kWebDomain = "dalmora.test";

constexpr const char* kEndLine = "[FormClose][END] <APP-END>";
constexpr const char* kLastLine = "[TNCommon::Destroy][LAST_LOG] Setting App.WriteLog to false.";
constexpr const char* kRecordsChanged = "[TOnline::onlineSynchronise] Sync2Records_sync_pim_result = 1";
constexpr const char* kNothingNew = "[TOnline::onlineSynchronise] Sync2Records_sync_pim_result = 0";
constexpr const char* kPassEnd = "[TOnline][END]";

// How often `needle` occurs in `text`.
int Count(const std::string& text, const std::string& needle);
bool ExitedWithZero(int status);
// A GET of the service's test controls; the answer's body, empty on failure.
std::string Get(const std::string& url);

// Where the program shows its windows: Qt's offscreen platform, or the X11
// display the test runs on (DISPLAY kept, the xcb platform).
enum class Display { Offscreen, X11 };

class RealProgram : public KillerFixture {
protected:
    explicit RealProgram(Display display = Display::Offscreen) : display_(display) {}

    // Starts the service, installs the program with its server file and
    // remembers Alice with her password.
    void SetUp() override;
    void TearDown() override;

    // Puts the program's images/ and Sounds/ beside the copy, as the
    // install layout does.
    void InstallPicturesAndSounds();
    // Starts the program and waits until it has signed in, downloaded
    // everything the service holds and shown its home page.
    std::unique_ptr<testenv::Child> StartSignedIn();
    // Runs the closing utility, as an installer does, to its end; its wait
    // status.
    int RunClosingUtility();
    // The window's close, as its close button sends it.
    void SendClose();

    // Waits until the program's log holds `needle` at least `times` times.
    bool WaitForLog(const std::string& needle, int times, int ms = 10000);
    // The log from the first line that holds `from` on; empty without one.
    std::string LogFrom(const std::string& from) const;
    // What the run logged after its close's END line, line by line.
    std::vector<std::string> LinesAfterTheEnd() const;

    std::string UsersListPath() const;
    std::string UserFolder() const;
    // The program's prefix is "dlmr1" unless its server file names another.
    std::string SettingsPath() const;

    // Loads the data file the program left with the model's own loader and
    // hands it to `read`; call it only once the program has ended.
    void ReadStoredData(const std::function<void(TNPIM& pim)>& read);
    // The text of a record in the data file; "(missing)" when not there.
    std::string StoredRecordText(uint32_t id);

    const Display display_;
    testenv::Child service_;
    std::string baseUrl_;
    std::string program_;
};

} // namespace real_program
