// dalmora-sync: signs in to an account service, loads the local data, runs
// synchronisation passes until nothing is left to do, and prints what each
// collection holds, downloaded and uploaded. Runs on the headless host.
//
//   dalmora-sync --server URL|pimsrv00.cfg --data DIR --user LOGIN
//                [--password-file FILE] [--ca FILE] [--edits FILE]
//                [--timeout SECONDS]
//
// Without --password-file the password is the first line of standard input;
// it is never an argument. The edits file holds lines applied to the local
// data after the first download:
//
//   edit <record id> <text>
//   new <organizer id> <text>
//   delete <record id>
//
// Exit status: 0 when idle or ended by SIGTERM or SIGINT, 1 when the service
// refused the sign-in, 2 otherwise (a sign-in that got no usable answer
// prints "sign-in failed: " and the reason).

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/server_config.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/end_of_run.h"
#include "online/global.h"
#include "online/headless_host.h"
#include "online/transport.h"
#include "platform/core/clock.h"
#include "platform/core/codepage.h"
#include "platform/core/headless_loop.h"
#include "platform/core/main_loop.h"
#include "platform/core/thread.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kIdle = 0;
constexpr int kSignInRefused = 1;
constexpr int kFailed = 2;

struct Options {
    std::string Server;
    std::string DataFolder;
    std::string User;
    std::string PasswordFile;
    std::string CaFile;
    std::string EditsFile;
    int TimeoutSeconds = 300;
};

void Usage()
{
    std::fprintf(stderr, "usage: dalmora-sync --server URL|pimsrv00.cfg --data DIR --user LOGIN\n"
                         "                    [--password-file FILE] [--ca FILE] [--edits FILE] [--timeout SECONDS]\n"
                         "The password is read from FILE, or else from the first line of standard input.\n");
}

bool ParseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (i + 1 >= argc)
            return false;
        std::string value = argv[++i];
        if (argument == "--server")
            options.Server = value;
        else if (argument == "--data")
            options.DataFolder = value;
        else if (argument == "--user")
            options.User = value;
        else if (argument == "--password-file")
            options.PasswordFile = value;
        else if (argument == "--ca")
            options.CaFile = value;
        else if (argument == "--edits")
            options.EditsFile = value;
        else if (argument == "--timeout")
            options.TimeoutSeconds = std::atoi(value.c_str());
        else
            return false;
    }
    return !options.Server.empty() && !options.DataFolder.empty() && !options.User.empty();
}

bool ReadPassword(const Options& options, std::string& password)
{
    std::istream* in = &std::cin;
    std::ifstream file;
    if (!options.PasswordFile.empty()) {
        file.open(options.PasswordFile, std::ios::binary);
        if (!file)
            return false;
        in = &file;
    }
    if (!std::getline(*in, password))
        return false;
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return true;
}

// An address "http(s)://host[:port][/path]" or a server configuration file.
bool ConfigureServer(const std::string& server)
{
    size_t scheme = server.find("://");
    if (scheme == std::string::npos) {
        std::filesystem::path file(server);
        std::string folder = file.parent_path().string();
        return ReadServerConfigFilesFrom(App, (folder.empty() ? std::string(".") : folder) + "/") &&
               BuildServerAddresses(App);
    }
    std::string protocol = server.substr(0, scheme);
    std::string rest = server.substr(scheme + 3);
    std::string host = rest.substr(0, rest.find('/'));
    if (rest.find('/') == std::string::npos)
        rest += "/index.php";
    App.PimServersCount = 1;
    std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "%s", protocol.c_str());
    std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "%s", rest.c_str());
    std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "%s", host.c_str());
    return BuildServerAddresses(App);
}

struct Edit {
    std::string Kind;
    uint32_t Id = 0;
    std::string Text;
};

bool ReadEdits(const std::string& path, std::vector<Edit>& edits)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Edit edit;
        fields >> edit.Kind >> edit.Id;
        std::getline(fields >> std::ws, edit.Text);
        if (edit.Kind != "edit" && edit.Kind != "new" && edit.Kind != "delete")
            return false;
        edit.Text = plat::Utf8ToCp1250(edit.Text);
        edits.push_back(edit);
    }
    return true;
}

// The edits as the record editor makes them; how many could be applied.
int ApplyEdits(const std::vector<Edit>& edits)
{
    TNModelWriteGuard lock;
    TNPIMRecords& records = *PIM[0]->Records;
    int applied = 0;
    for (const Edit& edit : edits) {
        int32_t pos = -1;
        if (edit.Kind == "new") {
            uint32_t id = records.GetNextID();
            if (id == 0 || !records.Resize(records.Count + 1))
                continue;
            pos = records.Count - 1;
            TNPIMRecord& record = *records.Items[pos];
            record.ID = id;
            record.OrganizerID = edit.Id;
            record.Type = 2;
            record.Created = record.Changed = static_cast<uint32_t>(plat::UnixSeconds());
            records.NoteIDChanged(pos);
        } else {
            pos = records.GetRecordPosByID(edit.Id);
            if (pos < 0) {
                std::fprintf(stderr, "dalmora-sync: no record %u\n", edit.Id);
                continue;
            }
        }
        TNPIMRecord& record = *records.Items[pos];
        if (edit.Kind == "delete")
            record.Deleted = static_cast<uint32_t>(plat::UnixSeconds());
        else
            record.Text.Set(edit.Text.c_str());
        record.PleaseSync = true;
        records.SaveOrDeleteRecordByPos(pos, false);
        ++applied;
    }
    return applied;
}

bool Idle(TNHeadlessHost& host)
{
    if (g.OnlineThreadRunning != 0 || plat::RunningThreadCount() != 0 || g.NewSyncWanted != 0 ||
        g.apiQueueRequests.HasLive())
        return false;
    int32_t type = 0;
    TNString scratch;
    if (PIM[0] != nullptr && PIM[0]->GetDataToSync(&type, &scratch) != 0)
        return false;
    int64_t dueIn = host.OnlineTimerDueIn();
    return dueIn > g.FastPassDelayMs;
}

void PrintSummary()
{
    TNPIM& pim = *PIM[0];
    TNModelReadGuard lock;
    struct Row {
        const char* name;
        int32_t code;
        int32_t held;
    };
    const Row rows[] = {
        {"organizers", 10, pim.Organizers.Count},
        {"records", 1, pim.Records->Count},
        {"tags", 3, pim.Tags.Count},
        {"tag assignments", 2, pim.TagsAssign.Count},
        {"alerts", 4, pim.Alerts.Count},
        {"contacts", 7, pim.Contacts.Count},
        {"contact requests", 9, pim.ContactsRequests.Count},
        {"groups", 5, pim.Groups.Count},
        {"group assignments", 6, pim.GroupsAssign.Count},
        {"notifications", 8, pim.Notifications.Count},
        {"sharing", 11, pim.Sharing.Count},
        {"event types", 12, pim.EventTypes.Count},
    };
    std::printf("%-18s %8s %10s %8s %8s\n", "collection", "held", "downloaded", "uploaded", "failed");
    for (const Row& row : rows) {
        std::printf("%-18s %8d %10d %8d %8d\n", row.name, row.held, g.SyncCounters.Downloaded[row.code].load(),
                    g.SyncCounters.Uploaded[row.code].load(), g.SyncCounters.Failed[row.code].load());
    }
    if (int32_t refused = RefusedAnswerItems(); refused > 0)
        std::printf("refused %d downloaded items with unusable ids\n", refused);
}

int Run(const Options& options, const std::string& password, const std::vector<Edit>& edits)
{
    plat::HeadlessMainLoop loop;
    plat::SetMainLoop(&loop);
    TNHeadlessHost host;
    g.FastPassDelayMs = 0;
    if (!host.SignIn(plat::Utf8ToCp1250(options.User).c_str(), plat::Utf8ToCp1250(password).c_str())) {
        std::fprintf(stderr, "dalmora-sync: the job thread could not be started\n");
        return kFailed;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.TimeoutSeconds);
    bool editsApplied = edits.empty();
    bool signInFailed = false;
    int result = kFailed;
    while (std::chrono::steady_clock::now() < deadline) {
        if (int signal = loop.TakeSignal(); signal != 0) {
            LogTextInt("[dalmora-sync] ended by signal ", signal);
            std::printf("ended by signal %d\n", signal);
            result = kIdle;
            break;
        }
        bool worked = loop.RunPendingTasks() > 0;
        worked = host.FireDueOnlineTimer() || worked;
        std::vector<int32_t> afterLogin = host.AfterLoginTags();
        if (!afterLogin.empty() && afterLogin.front() == 1 && !g.loginResult && plat::RunningThreadCount() == 0) {
            // A refusal of the service, or no usable answer (unreachable,
            // not trusted, cut off), with the transport's reason.
            std::string text = plat::Cp1250ToUtf8(g.LoginResultText().View());
            bool refused = g.loginResNo.load() < 0;
            std::printf("sign-in %s: %s\n", refused ? "refused" : "failed", text.c_str());
            result = refused ? kSignInRefused : kFailed;
            signInFailed = true;
            break;
        }
        if (g.UserLoginStatus == 1 && Idle(host)) {
            if (!editsApplied) {
                std::printf("applied %d local edits\n", ApplyEdits(edits));
                editsApplied = true;
                g.FastSync("dalmora-sync");
                continue;
            }
            result = kIdle;
            break;
        }
        if (!worked)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EndRunUnderThreads(result);
    loop.RunPendingTasks();
    if (!signInFailed) {
        if (g.UserLoginStatus == 1) {
            PIM[0]->Save(false, false);
            PrintSummary();
        }
        if (result != kIdle)
            std::printf("not idle before the time-out\n");
    }
    plat::SetMainLoop(nullptr);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread, so that every thread inherits the mask and the
    // signals wait for the pump.
    plat::BlockTerminationSignals();
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        Usage();
        return kFailed;
    }
    std::string password;
    if (!ReadPassword(options, password)) {
        std::fprintf(stderr, "dalmora-sync: no password\n");
        return kFailed;
    }
    std::vector<Edit> edits;
    if (!options.EditsFile.empty() && !ReadEdits(options.EditsFile, edits)) {
        std::fprintf(stderr, "dalmora-sync: the edits file could not be read\n");
        return kFailed;
    }
    std::filesystem::create_directories(options.DataFolder + "/log");
    setenv("XDG_DATA_HOME", options.DataFolder.c_str(), 1);

    InitTransport();
    InstallPIMFactory();
    InstallOnlineGlobals();
    if (!ConstructGlobals()) {
        std::fprintf(stderr, "dalmora-sync: the program's globals could not be built\n");
        return kFailed;
    }
    SetLogDir((options.DataFolder + "/log/").c_str());
    App.WriteLog = 1;
    if (!ConfigureServer(options.Server) || !c.ResizePIM()) {
        std::fprintf(stderr, "dalmora-sync: the server could not be configured\n");
        return kFailed;
    }
    Dirs.ProducerDirName.Set(App.DirProducer);
    Dirs.ProductDirName.Set(App.DirName);
    // The installation the service knows this data folder by.
    g.InstID = Dirs.LoadInstID();
    if (!options.CaFile.empty()) {
        TNTransportConfig config;
        config.CaFile = options.CaFile;
        SetTransportConfig(config);
    }
    int result = Run(options, password, edits);
    LogTextInt("[dalmora-sync][END] exit code = ", result);
    DestroyGlobals();
    return result;
}
