// dalmora-test-service: the local test service as its own process, for runs
// of dalmora1 by hand. Prints its address (and, with --tls, the test CA's
// file) and serves until SIGTERM or SIGINT.
//
//   dalmora-test-service [--port N] [--tls] [--cert-name NAME]
//                        [--proxy [--proxy-user U --proxy-pass P]] [--demo [--password P]]
//
// With --demo it serves the demo account alice ("alice@example.test",
// password "p&ss +1%=ž"), its records dated around the start. The program's
// login page takes only letters, digits and "-!?&+._" in a password:
// --password gives alice one it can type (ASCII). --help lists the controls.

#include "tests/service/service_set.h"
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

constexpr const char* kUsage = "usage: %s [--port N] [--tls] [--cert-name NAME] [--proxy [--proxy-user U "
                               "--proxy-pass P]] [--demo [--password P]] [--help]\n";

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
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(kUsage, argv[0]);
        std::fputs(test_service::ControlsHelp(), stdout);
        return 0;
    }
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, kUsage, argv[0]);
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
    test_service::ServiceSet routes(service);
    routes.RegisterControls();
    if (demo)
        test_service::SeedDemoAccount(routes, static_cast<int64_t>(std::time(nullptr)), demoPassword);
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
