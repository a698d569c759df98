// A stand-in for a running copy of the program, for process tests: it
// registers windows of the two exported classes on the window bus, logs every
// message they receive and answers 1.
//
//   bus_peer [--main N] [--unidlg N] [--log FILE] [--lock NAME] [--silent K]
//   bus_peer --list-fds FILE
//
// --main / --unidlg  windows of "TfrmMainDLMR1" / "TfrmUnidlgDLMR1" to
//                    register (main windows first); default 0
// --log FILE         append one line per message to FILE instead of stdout:
//                    "<k> <class> <msg> <wParam> <lParam>", k being the
//                    window's number in registration order (from 1)
// --lock NAME        take the instance lock NAME first and print
//                    "lock=acquired", "lock=held" or "lock=failed"
// --silent K         window K logs its messages but never answers
// --list-fds FILE    write what a detached start left this process (open
//                    descriptors, session, signal mask) to FILE and end
//
// On stdout it prints "window <k> <class> <id>" per registration, then
// "ready". It ends with 0 on SIGTERM or SIGINT, removing its registrations.
#include "platform/core/bus_server.h"
#include "platform/core/headless_loop.h"
#include "platform/core/instance_lock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

void WriteLine(int fd, const std::string& line)
{
    std::string text = line + "\n";
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(fd, data, left);
        if (n <= 0)
            return;
        data += n;
        left -= static_cast<size_t>(n);
    }
}

std::string StatusField(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return "?";
    char line[256];
    std::string value = "?";
    size_t length = std::strlen(field);
    while (std::fgets(line, sizeof(line), status) != nullptr) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = line + length + 1;
            value.erase(0, value.find_first_not_of(" \t"));
            value.erase(value.find_last_not_of(" \t\n") + 1);
        }
    }
    std::fclose(status);
    return value;
}

int ListDescriptors(const char* path)
{
    std::string fds;
    std::string nullFds;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr)
        return 1;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == dirfd(dir))
            continue;
        fds += std::string(fds.empty() ? "" : " ") + entry->d_name;
        char target[256] = {};
        std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(link.c_str(), target, sizeof(target) - 1) > 0 && std::strcmp(target, "/dev/null") == 0)
            nullFds += std::string(nullFds.empty() ? "" : " ") + entry->d_name;
    }
    closedir(dir);
    std::string report = "fds=" + fds + "\nnull=" + nullFds +
                         "\nsession_leader=" + (getsid(0) == getpid() ? "yes" : "no") +
                         "\nSigBlk=" + StatusField("SigBlk") + "\nSigIgn=" + StatusField("SigIgn") + "\n";
    std::string temporary = std::string(path) + ".part";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return 1;
    WriteLine(fd, report);
    close(fd);
    return std::rename(temporary.c_str(), path) == 0 ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: bus_peer [--main N] [--unidlg N] [--log FILE] [--lock NAME] [--silent K]\n"
                         "       bus_peer --list-fds FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int mains = 0;
    int dialogs = 0;
    int silent = 0;
    const char* logPath = nullptr;
    const char* lockName = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const char* value = argv[++i];
        if (option == "--main")
            mains = std::atoi(value);
        else if (option == "--unidlg")
            dialogs = std::atoi(value);
        else if (option == "--silent")
            silent = std::atoi(value);
        else if (option == "--log")
            logPath = value;
        else if (option == "--lock")
            lockName = value;
        else if (option == "--list-fds")
            return ListDescriptors(value);
        else
            return Usage();
    }

    plat::BlockTerminationSignals();
    int logFd = 1;
    if (logPath != nullptr) {
        logFd = open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (logFd < 0)
            return 1;
    }

    plat::InstanceLock lock;
    if (lockName != nullptr) {
        switch (lock.Acquire(lockName)) {
        case plat::InstanceLock::Result::Acquired:
            WriteLine(1, "lock=acquired");
            break;
        case plat::InstanceLock::Result::AlreadyHeld:
            WriteLine(1, "lock=held");
            break;
        case plat::InstanceLock::Result::Failed:
            WriteLine(1, "lock=failed");
            break;
        }
    }

    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    for (int k = 1; k <= mains + dialogs; ++k) {
        std::string className = k <= mains ? "TfrmMainDLMR1" : "TfrmUnidlgDLMR1";
        bool answers = k != silent;
        uint32_t id = server.RegisterWindow(
            className, [=](uint32_t msg, uint64_t wParam, int64_t lParam) -> std::optional<int64_t> {
                WriteLine(logFd, std::to_string(k) + " " + className + " " + std::to_string(msg) + " " +
                                     std::to_string(wParam) + " " + std::to_string(lParam));
                if (!answers)
                    return std::nullopt;
                return 1;
            });
        if (id == 0) {
            WriteLine(1, "register failed");
            return 1;
        }
        WriteLine(1, "window " + std::to_string(k) + " " + className + " " + std::to_string(id));
    }
    WriteLine(1, "ready");
    loop.Run();
    return 0;
}
