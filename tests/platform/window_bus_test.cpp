#include "platform/core/bus_client.h"
#include "platform/core/bus_server.h"
#include "platform/core/file.h"
#include "platform/core/headless_loop.h"
#include "platform/core/instance_lock.h"
#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <future>
#include <poll.h>
#include <set>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using plat::BusSendResult;

constexpr uint32_t kRestore = 1125;

// Runs a loop on its own thread for the lifetime of the object.
class LoopThread {
public:
    explicit LoopThread(plat::MainLoop& loop) : loop_(loop), thread_([this] { loop_.Run(); }) {}
    ~LoopThread()
    {
        loop_.Quit();
        thread_.join();
    }
    std::thread::id Id() const { return thread_.get_id(); }

private:
    plat::MainLoop& loop_;
    std::thread thread_;
};

class WindowBus : public testenv::PrivateEnvironment {
protected:
    std::string BusFolder() const { return runtime_ + "dalmora1/"; }

    std::set<std::string> BusEntries() const
    {
        std::set<std::string> names;
        if (DIR* dir = opendir(BusFolder().c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (entry->d_name[0] != '.')
                    names.insert(entry->d_name);
            }
            closedir(dir);
        }
        return names;
    }

    // Starts bus_peer; the window ids it printed, by its window number.
    std::vector<uint32_t> StartPeer(testenv::Child& peer, std::vector<std::string> args)
    {
        args.insert(args.begin(), testenv::BusPeer());
        std::vector<uint32_t> ids{0};
        if (!peer.Spawn(args) || !peer.ReadUntil("ready"))
            return ids;
        for (const std::string& line : peer.Lines()) {
            if (line.rfind("window ", 0) == 0)
                ids.push_back(static_cast<uint32_t>(std::stoul(line.substr(line.rfind(' ') + 1))));
        }
        return ids;
    }

    static std::vector<BusSendResult> Outcomes(const std::vector<plat::BusDelivery>& deliveries)
    {
        std::vector<BusSendResult> outcomes;
        for (const plat::BusDelivery& delivery : deliveries)
            outcomes.push_back(delivery.outcome);
        return outcomes;
    }

    static std::vector<uint32_t> Ids(const std::vector<plat::BusWindow>& windows)
    {
        std::vector<uint32_t> ids;
        for (const plat::BusWindow& window : windows)
            ids.push_back(window.window);
        return ids;
    }

    std::string ReadLog(const std::string& path)
    {
        std::string text;
        plat::ReadWholeFile(path, text);
        return text;
    }
};

TEST_F(WindowBus, DeliversMessagesBetweenProcessesTopmostFirst)
{
    testenv::Child peer;
    std::string log = root_ + "messages.log";
    std::vector<uint32_t> ids = StartPeer(peer, {"--main", "2", "--unidlg", "2", "--log", log});
    ASSERT_EQ(ids.size(), 5u);

    std::vector<plat::BusDelivery> mains = plat::SendToClass("TfrmMainDLMR1", kRestore, 0, 0);
    std::vector<plat::BusDelivery> dialogs = plat::SendToClass("TfrmUnidlgDLMR1", kRestore, 0, 0);
    ASSERT_EQ(mains.size(), 2u);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(mains[0].window.window, ids[2]);
    EXPECT_EQ(mains[1].window.window, ids[1]);
    EXPECT_EQ(dialogs[0].window.window, ids[4]);
    EXPECT_EQ(dialogs[1].window.window, ids[3]);
    for (const auto* deliveries : {&mains, &dialogs}) {
        for (const plat::BusDelivery& delivery : *deliveries) {
            EXPECT_EQ(delivery.outcome, BusSendResult::Answered);
            EXPECT_EQ(delivery.result, 1);
            EXPECT_EQ(delivery.window.pid, peer.Pid());
        }
    }

    // Every bit of the parameters arrives.
    int64_t result = 0;
    EXPECT_EQ(plat::SendBusMessage(mains[1].window, 0xFFFFFFFFu, UINT64_MAX, INT64_MIN, 5000, result),
              BusSendResult::Answered);
    EXPECT_EQ(ReadLog(log), "2 TfrmMainDLMR1 1125 0 0\n"
                            "1 TfrmMainDLMR1 1125 0 0\n"
                            "4 TfrmUnidlgDLMR1 1125 0 0\n"
                            "3 TfrmUnidlgDLMR1 1125 0 0\n"
                            "1 TfrmMainDLMR1 4294967295 18446744073709551615 -9223372036854775808\n");
}

TEST_F(WindowBus, AnswersOnTheLoopThreadInStampOrder)
{
    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    std::atomic<int> calls{0};
    std::thread::id handlerThread;
    auto handler = [&](int64_t base) {
        return [&, base](uint32_t msg, uint64_t wParam, int64_t lParam) -> std::optional<int64_t> {
            ++calls;
            handlerThread = std::this_thread::get_id();
            return base + msg + static_cast<int64_t>(wParam) + lParam;
        };
    };
    uint32_t a = server.RegisterWindow("TfrmMainDLMR1", handler(100));
    uint32_t b = server.RegisterWindow("TfrmMainDLMR1", handler(200));
    uint32_t other = server.RegisterWindow("TfrmLogDLMR1", handler(300));
    uint32_t c = server.RegisterWindow("TfrmMainDLMR1", handler(400));
    ASSERT_NE(a, 0u);
    ASSERT_NE(other, 0u);
    EXPECT_EQ(Ids(plat::ListBusWindows("TfrmMainDLMR1")), (std::vector<uint32_t>{c, b, a}));
    ASSERT_TRUE(server.MoveToTop(a));
    EXPECT_EQ(Ids(plat::ListBusWindows("TfrmMainDLMR1")), (std::vector<uint32_t>{a, c, b}));
    EXPECT_EQ(Ids(plat::ListBusWindows("TfrmLogDLMR1")), std::vector<uint32_t>{other});
    EXPECT_FALSE(server.MoveToTop(999));

    std::vector<plat::BusDelivery> deliveries;
    std::thread::id loopThread;
    {
        LoopThread running(loop);
        loopThread = running.Id();
        deliveries = plat::SendToClass("TfrmMainDLMR1", 1, 2, -3);
        std::promise<void> unregistered;
        loop.Post([&] {
            server.UnregisterWindow(b);
            unregistered.set_value();
        });
        unregistered.get_future().wait();
        int64_t result = 0;
        EXPECT_EQ(plat::SendBusMessage(deliveries[2].window, 1, 2, -3, 5000, result), BusSendResult::NoWindow);
    }
    ASSERT_EQ(deliveries.size(), 3u);
    EXPECT_EQ(deliveries[0].result, 100);
    EXPECT_EQ(deliveries[1].result, 400);
    EXPECT_EQ(deliveries[2].result, 200);
    EXPECT_EQ(calls.load(), 3);
    EXPECT_EQ(handlerThread, loopThread);
    EXPECT_EQ(Ids(plat::ListBusWindows("TfrmMainDLMR1")), (std::vector<uint32_t>{a, c}));
}

TEST_F(WindowBus, TimesOutOnAnUnansweredWindowAndGoesOn)
{
    testenv::Child peer;
    std::string log = root_ + "messages.log";
    std::vector<uint32_t> ids = StartPeer(peer, {"--main", "3", "--silent", "2", "--log", log});
    ASSERT_EQ(ids.size(), 4u);

    std::vector<plat::BusDelivery> deliveries = plat::SendToClass("TfrmMainDLMR1", kRestore, 0, 0, 300);
    EXPECT_EQ(Outcomes(deliveries),
              (std::vector<BusSendResult>{BusSendResult::Answered, BusSendResult::TimedOut, BusSendResult::Answered}));
    EXPECT_EQ(ReadLog(log), "3 TfrmMainDLMR1 1125 0 0\n"
                            "2 TfrmMainDLMR1 1125 0 0\n"
                            "1 TfrmMainDLMR1 1125 0 0\n");
    // The silent window keeps its registration: its process still listens.
    EXPECT_EQ(plat::ListBusWindows("TfrmMainDLMR1").size(), 3u);
}

TEST_F(WindowBus, SkipsAndRemovesRegistrationsOfDeadProcesses)
{
    testenv::Child alive;
    ASSERT_EQ(StartPeer(alive, {"--main", "1"}).size(), 2u);
    testenv::Child dead;
    ASSERT_EQ(StartPeer(dead, {"--main", "2"}).size(), 3u);
    ASSERT_TRUE(dead.Signal(SIGKILL));
    int status = 0;
    ASSERT_TRUE(dead.Wait(status));
    ASSERT_EQ(plat::ListBusWindows("TfrmMainDLMR1").size(), 3u);

    // The dead process registered last, so its windows come first.
    std::vector<plat::BusDelivery> deliveries = plat::SendToClass("TfrmMainDLMR1", kRestore, 0, 0);
    EXPECT_EQ(Outcomes(deliveries),
              (std::vector<BusSendResult>{BusSendResult::Gone, BusSendResult::Gone, BusSendResult::Answered}));
    std::vector<plat::BusWindow> left = plat::ListBusWindows("TfrmMainDLMR1");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].pid, alive.Pid());
    EXPECT_EQ(BusEntries(), (std::set<std::string>{"p." + left[0].processKey + ".sock",
                                                   "w." + left[0].processKey + "." + std::to_string(left[0].window)}));
}

TEST_F(WindowBus, StartingServerRemovesFilesOfDeadProcesses)
{
    testenv::Child dead;
    ASSERT_EQ(StartPeer(dead, {"--unidlg", "2"}).size(), 3u);
    ASSERT_TRUE(dead.Signal(SIGKILL));
    int status = 0;
    ASSERT_TRUE(dead.Wait(status));
    // A socket that died before it listened.
    ASSERT_TRUE(plat::WriteFileAtomically(BusFolder() + "b.2147483647-0123456789abcdef.sock", ""));
    ASSERT_EQ(BusEntries().size(), 4u);

    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    uint32_t window = server.RegisterWindow("TfrmMainDLMR1", [](uint32_t, uint64_t, int64_t) { return 1; });
    ASSERT_NE(window, 0u);
    EXPECT_EQ(BusEntries(), (std::set<std::string>{"p." + server.ProcessKey() + ".sock",
                                                   "w." + server.ProcessKey() + "." + std::to_string(window)}));
}

TEST_F(WindowBus, EndsCleanlyOnTerminationSignals)
{
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        testenv::Child peer;
        ASSERT_EQ(StartPeer(peer, {"--main", "1", "--unidlg", "1", "--lock", "DLMR1_user"}).size(), 3u);
        EXPECT_EQ(peer.Lines().front(), "lock=acquired");
        ASSERT_EQ(BusEntries().size(), 3u);
        ASSERT_TRUE(peer.Signal(signal));
        int status = -1;
        ASSERT_TRUE(peer.Wait(status, 2000));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(BusEntries().empty());
        plat::InstanceLock lock;
        EXPECT_EQ(lock.Acquire("DLMR1_user"), plat::InstanceLock::Result::Acquired);
    }
}

// A connected socket to a server's listening socket, bypassing the client.
int RawConnect(const std::string& path)
{
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// What came back: the reply bytes, "" for a close without answer, "silence"
// when nothing came within 2 s.
std::string Exchange(int fd, const std::string& packet)
{
    if (send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
        return "send failed";
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, 2000) != 1)
        return "silence";
    char buffer[64];
    ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
    return got < 0 ? "error" : std::string(buffer, static_cast<size_t>(got));
}

// Little-endian fields, written from the wire format by hand.
std::string Le(uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string RequestBytes(uint32_t magic, uint32_t window, uint32_t msg, uint32_t reserved)
{
    return Le(magic, 4) + Le(window, 4) + Le(msg, 4) + Le(reserved, 4) + Le(7, 8) + Le(static_cast<uint64_t>(-8), 8);
}

TEST_F(WindowBus, DropsMalformedRequests)
{
    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    std::atomic<int> calls{0};
    uint32_t window = server.RegisterWindow("TfrmMainDLMR1", [&](uint32_t msg, uint64_t w, int64_t l) {
        ++calls;
        return static_cast<int64_t>(msg) + static_cast<int64_t>(w) + l;
    });
    ASSERT_EQ(window, 1u);
    LoopThread running(loop);
    std::string socketPath = BusFolder() + "p." + server.ProcessKey() + ".sock";
    const uint32_t magic = 0x31514C44; // "DLQ1"

    struct Case {
        const char* name;
        std::string packet;
    };
    const Case cases[] = {
        {"one byte short", RequestBytes(magic, 1, 10, 0).substr(0, 31)},
        {"one byte long", RequestBytes(magic, 1, 10, 0) + "x"},
        {"wrong magic", RequestBytes(0x31514C45, 1, 10, 0)},
        {"reserved field set", RequestBytes(magic, 1, 10, 1)},
        {"empty", std::string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int fd = RawConnect(socketPath);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(Exchange(fd, c.packet), "");
        close(fd);
    }
    EXPECT_EQ(calls.load(), 0);

    int fd = RawConnect(socketPath);
    ASSERT_GE(fd, 0);
    // "DLR1", status 0, result 10 + 7 - 8.
    EXPECT_EQ(Exchange(fd, RequestBytes(magic, 1, 10, 0)), Le(0x31524C44, 4) + Le(0, 4) + Le(9, 8));
    close(fd);
    fd = RawConnect(socketPath);
    EXPECT_EQ(Exchange(fd, RequestBytes(magic, 2, 10, 0)), Le(0x31524C44, 4) + Le(1, 4) + Le(0, 8));
    close(fd);
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(WindowBus, DropsRequestsOfAnotherUid)
{
    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    std::atomic<int> calls{0};
    ASSERT_NE(server.RegisterWindow("TfrmMainDLMR1",
                                    [&](uint32_t, uint64_t, int64_t) {
                                        ++calls;
                                        return 1;
                                    }),
              0u);
    LoopThread running(loop);

    // The server believes it runs as another user, so this process is foreign.
    plat::BusServer::SetPeerUidForTest(static_cast<long>(geteuid()) + 1);
    std::vector<plat::BusDelivery> dropped = plat::SendToClass("TfrmMainDLMR1", kRestore, 0, 0, 2000);
    plat::BusServer::SetPeerUidForTest(-1);
    EXPECT_EQ(Outcomes(dropped), std::vector<BusSendResult>{BusSendResult::NoAnswer});
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(Outcomes(plat::SendToClass("TfrmMainDLMR1", kRestore, 0, 0)),
              std::vector<BusSendResult>{BusSendResult::Answered});
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(WindowBus, DropsRequestsOfAnotherUserProcess)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run a process as another user";
    plat::HeadlessMainLoop loop;
    plat::BusServer server(loop);
    std::atomic<int> calls{0};
    ASSERT_NE(server.RegisterWindow("TfrmMainDLMR1",
                                    [&](uint32_t, uint64_t, int64_t) {
                                        ++calls;
                                        return 1;
                                    }),
              0u);
    LoopThread running(loop);
    // Let the other user through the file permissions: only the uid check
    // stands in its way.
    std::string socketPath = BusFolder() + "p." + server.ProcessKey() + ".sock";
    ASSERT_EQ(chmod(socketPath.c_str(), 0666), 0);
    int socketFile = open(socketPath.c_str(), O_PATH | O_CLOEXEC);
    ASSERT_GE(socketFile, 0);
    std::string request = RequestBytes(0x31514C44, 1, kRestore, 0);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 0 dropped, 1 answered, 2 set-up failed.
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = "/proc/self/fd/" + std::to_string(socketFile);
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
            _exit(2);
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            _exit(0); // closed before the request got in: dropped
        pollfd entry{fd, POLLIN, 0};
        char buffer[64];
        if (poll(&entry, 1, 2000) != 1)
            _exit(3);
        _exit(recv(fd, buffer, sizeof(buffer), 0) > 0 ? 1 : 0);
    }
    close(socketFile);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(calls.load(), 0);
}

TEST_F(WindowBus, IgnoresMalformedRegistrations)
{
    ASSERT_EQ(mkdir(BusFolder().c_str(), 0700), 0);
    const std::string key = "4242-0123456789abcdef";
    struct Case {
        const char* name;
        std::string file;
        std::string contents;
        bool listed;
    };
    const Case cases[] = {
        {"valid", "w." + key + ".1", "DLW1\nTfrmMainDLMR1\n4242\n17\n", true},
        {"wrong magic", "w." + key + ".2", "DLW2\nTfrmMainDLMR1\n4242\n17\n", false},
        {"blank in class", "w." + key + ".3", "DLW1\nTfrm MainDLMR1\n4242\n17\n", false},
        {"no final line end", "w." + key + ".4", "DLW1\nTfrmMainDLMR1\n4242\n17", false},
        {"extra line", "w." + key + ".5", "DLW1\nTfrmMainDLMR1\n4242\n17\n\n", false},
        {"pid of another process", "w." + key + ".6", "DLW1\nTfrmMainDLMR1\n4243\n17\n", false},
        {"stamp beyond 64 bits", "w." + key + ".7", "DLW1\nTfrmMainDLMR1\n4242\n18446744073709551616\n", false},
        {"over 256 bytes", "w." + key + ".8", "DLW1\nTfrmMainDLMR1\n4242\n17\n" + std::string(240, ' '), false},
        {"window 0", "w." + key + ".0", "DLW1\nTfrmMainDLMR1\n4242\n17\n", false},
        {"key without random part", "w.4242.9", "DLW1\nTfrmMainDLMR1\n4242\n17\n", false},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(plat::WriteFileAtomically(BusFolder() + c.file, c.contents));
    // Neither a link nor a pipe is read (a pipe would block the reader).
    ASSERT_EQ(symlink((BusFolder() + "w." + key + ".1").c_str(), (BusFolder() + "w." + key + ".10").c_str()), 0);
    ASSERT_EQ(mkfifo((BusFolder() + "w." + key + ".11").c_str(), 0600), 0);

    std::vector<plat::BusWindow> windows = plat::ListBusWindows("TfrmMainDLMR1");
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].window, 1u);
    EXPECT_EQ(windows[0].pid, 4242);
    EXPECT_EQ(windows[0].stamp, 17u);
    EXPECT_EQ(windows[0].processKey, key);
}

TEST_F(WindowBus, IsNotUsedInAFolderThatFailsTheChecks)
{
    struct Case {
        const char* name;
        std::function<bool()> prepare; // makes the bus folder
    };
    const std::string folder = runtime_ + "dalmora1";
    const std::string elsewhere = root_ + "elsewhere";
    const Case cases[] = {
        {"readable by others", [&] { return testenv::MakeFolder(folder, 0755); }},
        {"a link to a private folder",
         [&] { return testenv::MakeFolder(elsewhere, 0700) && symlink(elsewhere.c_str(), folder.c_str()) == 0; }},
        {"a file", [&] { return testenv::MakeFile(folder); }},
        {"runtime folder missing", [&] { return rmdir(runtime_.c_str()) == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::RemoveTree(folder);
        testing_support::RemoveTree(elsewhere);
        ASSERT_TRUE(testenv::MakeFolder(runtime_, 0700));
        ASSERT_TRUE(c.prepare());
        plat::HeadlessMainLoop loop;
        plat::BusServer server(loop);
        EXPECT_EQ(server.RegisterWindow("TfrmMainDLMR1", [](uint32_t, uint64_t, int64_t) { return 1; }), 0u);
        EXPECT_FALSE(server.Listening());
        EXPECT_TRUE(plat::ListBusWindows("TfrmMainDLMR1").empty());
    }
}

TEST_F(WindowBus, WorksWhenTheSocketPathIsTooLongForAnAddress)
{
    std::string deep = root_ + std::string(60, 'r') + "/" + std::string(60, 'u') + "/";
    ASSERT_TRUE(plat::CreateFolders(deep));
    ASSERT_GT((deep + "dalmora1/p.").size(), sizeof(sockaddr_un::sun_path));
    setenv("XDG_RUNTIME_DIR", deep.c_str(), 1);

    testenv::Child peer;
    ASSERT_EQ(StartPeer(peer, {"--main", "1"}).size(), 2u);
    EXPECT_EQ(Outcomes(plat::SendToClass("TfrmMainDLMR1", kRestore, 0, 0)),
              std::vector<BusSendResult>{BusSendResult::Answered});
}

} // namespace
