// A stand-in for running copies on the window bus, for the closing utility's
// tests. Copies of it are run under the names the tests need.
//
//   closing_peer TAG LOG [CLASS:BEHAVIOUR]...
//
// Registers the windows in the order given (the last one ends on top) and
// appends one line to LOG per message one of them receives:
// "<TAG> <CLASS>#<k> <msg>", k being the window's place in the list (from 1).
// BEHAVIOUR:
//   close   answers 1 and closes on WM_CLOSE
//   query   answers 1 and closes on WM_QUERYENDSESSION
//   stay    answers 1 and never closes
//   silent  never answers
// Prints "ready" once every window is registered, and runs until a signal
// ends it.
#include "platform/core/bus_server.h"
#include "platform/core/headless_loop.h"
#include "platform/core/window_messages.h"

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

void AppendLine(int fd, const std::string& line)
{
    std::string text = line + "\n";
    // O_APPEND: the lines of several peers sharing the file stay whole.
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::fputs("closing_peer: log line lost\n", stderr);
}

struct PeerWindow {
    std::string className;
    std::string behaviour;
};

bool ParsePeerWindow(const std::string& text, PeerWindow& peer)
{
    size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    peer = {text.substr(0, colon), text.substr(colon + 1)};
    return peer.behaviour == "close" || peer.behaviour == "query" || peer.behaviour == "stay" ||
           peer.behaviour == "silent";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: closing_peer TAG LOG [CLASS:BEHAVIOUR]...\n", stderr);
        return 2;
    }
    std::string tag = argv[1];
    plat::BlockTerminationSignals();
    int logFd = open(argv[2], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (logFd < 0)
        return 1;

    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    for (int k = 1; k + 2 < argc; ++k) {
        PeerWindow peer;
        if (!ParsePeerWindow(argv[k + 2], peer))
            return 2;
        std::string name = peer.className + "#" + std::to_string(k);
        auto window = std::make_shared<uint32_t>(0);
        *window = server.RegisterWindow(peer.className,
                                        [=, &server](uint32_t msg, uint64_t, int64_t) -> std::optional<int64_t> {
                                            AppendLine(logFd, tag + " " + name + " " + std::to_string(msg));
                                            if (peer.behaviour == "silent")
                                                return std::nullopt;
                                            if ((peer.behaviour == "close" && msg == plat::kWmClose) ||
                                                (peer.behaviour == "query" && msg == plat::kWmQueryEndSession))
                                                server.UnregisterWindow(*window);
                                            return 1;
                                        });
        if (*window == 0) {
            std::puts("register failed");
            return 1;
        }
    }
    std::puts("ready");
    std::fflush(stdout);
    loop.Run();
    return 0;
}
