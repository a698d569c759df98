// dalmora-test-service: the local test service as its own process, for runs
// of dalmora1 by hand. Prints its address (and, with --tls, the test CA's
// file) and serves until SIGTERM or SIGINT.
//
//   dalmora-test-service [--port N] [--tls] [--cert-name NAME]
//                        [--proxy [--proxy-user U --proxy-pass P]] [--demo [--password P]]
//
// With --demo it serves the account service with alice ("alice@example.test",
// password "p&ss +1%=ž"): organizer 501 with 250 records, 502 with 40. The
// program's login page takes only letters, digits and "-!?&+._" in a
// password: --password gives alice one it can type (ASCII).

#include "tests/service/account_actions.h"
#include "tests/service/account_service.h"
#include "tests/service/sync_service.h"
#include "tests/service/test_service.h"

#include <openssl/ssl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

bool demo = false;
std::string demoPassword = "p&ss +1%=\x9E";

// The local date `days` after today, as the service stores dates.
std::string LocalDate(int days)
{
    std::time_t now = std::time(nullptr) + static_cast<std::time_t>(days) * 86400;
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// Records dated from the day the service starts, for the pages' checks:
// two events today, one over today and tomorrow, and a task due today.
void SeedDemoToday(test_service::SyncService& sync)
{
    const std::string today = LocalDate(0);
    const auto event = [&](const char* text, const std::string& endDate, const char* begin, const char* end) {
        sync.Seed(test_service::kRecords, {{"OrganizerID", "501"},
                                           {"CreatedByUserID", "1001"},
                                           {"Type", "3"},
                                           {"Text", text},
                                           {"HasBegin", "1"},
                                           {"DateBegin", today},
                                           {"TimeBegin", begin},
                                           {"HasEnd", "1"},
                                           {"DateEnd", endDate},
                                           {"TimeEnd", end}});
    };
    event("Porada", today, "09:00:00", "10:00:00");
    event("Ob\xECd", today, "14:00:00", "15:00:00");
    event("V\xFDjezd", LocalDate(1), "16:00:00", "12:00:00");
    sync.Seed(test_service::kRecords, {{"OrganizerID", "501"},
                                       {"CreatedByUserID", "1001"},
                                       {"Type", "1"},
                                       {"Text", "Zavolat do banky"},
                                       {"HasBegin", "1"},
                                       {"DateBegin", today},
                                       {"TimeBegin", "11:00:00"}});
}

void SeedDemo(test_service::AccountService& accounts, test_service::SyncService& sync)
{
    test_service::Account alice;
    alice.UserID = 1001;
    alice.Password = demoPassword;
    alice.UserName = "alice";
    alice.Email = "alice@example.test";
    alice.FirstName = "Alice";
    alice.LastName = "Nov\xE1kov\xE1";
    alice.MainOrganizer = 501;
    accounts.AddAccount(alice);
    accounts.SetSyncInterval(3);
    sync.AddOrganizer(501, 1001, 1, 1, "Alice");
    sync.AddOrganizer(502, 1001, 10, 1,
                      "Pr\xE1"
                      "ce");
    for (int i = 0; i < 250; ++i)
        sync.SeedRecord(501, "Z\xE1znam " + std::to_string(i), 9001 + i);
    for (int i = 0; i < 40; ++i)
        sync.SeedRecord(502, "\xDAkol " + std::to_string(i));
    SeedDemoToday(sync);
}

bool ParseArguments(int argc, char** argv, test_service::Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--port" && hasValue)
            options.Port = static_cast<uint16_t>(std::atoi(argv[++i]));
        else if (argument == "--tls")
            options.Tls = true;
        else if (argument == "--cert-name" && hasValue)
            options.CertificateName = argv[++i];
        else if (argument == "--proxy")
            options.Proxy = true;
        else if (argument == "--proxy-user" && hasValue)
            options.ProxyUser = argv[++i];
        else if (argument == "--proxy-pass" && hasValue)
            options.ProxyPass = argv[++i];
        else if (argument == "--demo")
            demo = true;
        else if (argument == "--password" && hasValue)
            demoPassword = argv[++i];
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    test_service::Options options;
    options.Controls = true;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--port N] [--tls] [--cert-name NAME] [--proxy [--proxy-user U "
                     "--proxy-pass P]] [--demo [--password P]]\n",
                     argv[0]);
        return 2;
    }
    // Before any thread: the signals wait for sigwait below, and a client
    // that goes away never ends the service.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    OPENSSL_init_ssl(0, nullptr);

    test_service::TestService service(options);
    test_service::AccountService accounts(service);
    test_service::SyncService sync(accounts);
    test_service::AccountActions actions(accounts, sync);
    sync.RegisterControls(service);
    if (demo)
        SeedDemo(accounts, sync);
    if (!service.Start()) {
        std::fprintf(stderr, "dalmora-test-service: could not start\n");
        return 1;
    }
    std::printf("listening on %s\n", service.BaseUrl().c_str());
    if (options.Tls)
        std::printf("CA file: %s\n", service.CaFile().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    service.Stop();
    std::printf("stopped\n");
    return 0;
}
