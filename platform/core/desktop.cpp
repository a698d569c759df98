#include "platform/core/desktop.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace plat {
namespace {

std::atomic<DesktopOpener> opener{nullptr};

// Looks the program up in PATH before forking: after a fork in a threaded
// process only async-signal-safe calls are allowed.
std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') {
            std::string candidate = folder + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

void CloseDescriptorsFrom(int first)
{
    if (syscall(SYS_close_range, first, ~0U, 0) == 0)
        return;
    for (int fd = first; fd < 65536; ++fd)
        close(fd);
}

// Starts a program with an argument vector, detached: its own session,
// standard streams on the null device, no other descriptor inherited, and
// no zombie left behind. True when the program was executed.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int nullFd = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0)
        return false;
    // The grandchild reports a failed exec through this pipe; a successful
    // exec closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        close(nullFd);
        return false;
    }

    pid_t child = fork();
    if (child < 0) {
        close(nullFd);
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0)
            _exit(grandchild < 0 ? 1 : 0);
        dup2(nullFd, 0);
        dup2(nullFd, 1);
        dup2(nullFd, 2);
        dup2(report[1], 3);
        fcntl(3, F_SETFD, FD_CLOEXEC);
        CloseDescriptorsFrom(4);
        execve(program.c_str(), argv.data(), environ);
        int error = errno;
        ssize_t ignored = write(3, &error, sizeof(error));
        (void)ignored;
        _exit(127);
    }

    close(nullFd);
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof(error));
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return forked && got == 0;
}

} // namespace

bool OpenInDesktop(const std::string& target)
{
    if (DesktopOpener fake = opener.load())
        return fake(target);
    std::string program = FindInPath("xdg-open");
    if (program.empty() || target.empty())
        return false;
    return StartDetached(program, {"xdg-open", target});
}

void SetDesktopOpener(DesktopOpener fake)
{
    opener.store(fake);
}

} // namespace plat
