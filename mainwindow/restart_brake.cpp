#include "mainwindow/restart_brake.h"

#include "foundation/log.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "platform/core/process.h"

#include <atomic>
#include <charconv>
#include <fstream>
#include <iterator>

namespace {

bool StartForReal(const std::vector<std::string>& argv)
{
    return plat::StartDetached(argv);
}

std::atomic<TNRestartBrake::Starter> starter{&StartForReal};

// The time of the last automatic restart; false when the file is missing or
// holds no time.
bool ReadLastRestart(const std::string& path, int64_t* seconds)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, *seconds);
    return error == std::errc() && next == end && next != text.data();
}

std::string Line(const char* caller, const char* text)
{
    return std::string(caller) + " " + text;
}

} // namespace

std::string TNRestartBrake::FilePath()
{
    const std::string folder = TNGlobal::EnterUsersFolder();
    return folder.empty() ? std::string() : folder + kFileName;
}

int64_t TNRestartBrake::HeldFor()
{
    const std::string path = FilePath();
    int64_t last = 0;
    if (path.empty() || !ReadLastRestart(path, &last))
        return -1;
    const int64_t age = plat::UnixSeconds() - last;
    // A time ahead of the clock (the clock was set back) does not hold the
    // brake for ever.
    return age >= 0 && age < kMinimumAgeSeconds ? age : -1;
}

bool TNRestartBrake::RestartProgram(const char* caller)
{
    const std::string path = FilePath();
    const int64_t now = plat::UnixSeconds();
    const int64_t age = HeldFor();
    if (age >= 0) {
        LogTextInt(Line(caller, "restart skipped; last automatic restart ").c_str(), static_cast<int32_t>(age));
        return false;
    }
    // Without the mark the brake could not hold the next start.
    if (path.empty() || !plat::WriteFileAtomically(path, std::to_string(now))) {
        LogText(Line(caller, "[ERROR] restart skipped; restart.dat could not be written").c_str());
        return false;
    }
    const std::string program = plat::ProgramFile();
    if (program.empty() || !starter.load()({program, "restart"})) {
        LogWrite(Line(caller, "[ERROR] restart failed: ").c_str(), program.c_str(), false);
        return false;
    }
    return true;
}

void TNRestartBrake::SetStarterForTest(Starter replacement)
{
    starter = replacement != nullptr ? replacement : &StartForReal;
}
