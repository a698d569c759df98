// 1,000 sequential POSTs of a 2 KB body to the in-process test service on
// loopback, over HTTP and HTTPS, with the kept per-thread handle and with a
// fresh handle per call. Goals on one core: with the kept handle under 0.5 s
// over HTTP and under 1 s over HTTPS; over HTTPS the kept handle at least
// 5 times faster than fresh handles.

#include "foundation/globals.h"
#include "online/download.h"
#include "tests/service/test_service.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kPosts = 1000;

test_service::TestService& Service(bool tls)
{
    static bool ready = [] {
        InitTransport();
        return GlobalsConstructed() || ConstructGlobals();
    }();
    (void)ready;
    static auto make = [](bool secure) {
        test_service::Options options;
        options.Tls = secure;
        auto* service = new test_service::TestService(options);
        service->Start();
        service->Route("/index.php", [](const test_service::Request&) {
            return test_service::Response::Text("<handshake>1</handshake>");
        });
        return service;
    };
    static test_service::TestService* plain = make(false);
    static test_service::TestService* secure = make(true);
    return tls ? *secure : *plain;
}

void SequentialPosts(benchmark::State& state, bool tls, bool reuse)
{
    test_service::TestService& service = Service(tls);
    TNTransportConfig config;
    config.CaFile = service.CaFile();
    config.ReuseHandle = reuse;
    SetTransportConfig(config);
    std::string url = service.BaseUrl() + "/index.php?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167";
    std::string body = "ApiReq=get%2Drecords&Data=" + std::string(2048 - 26, 'x');
    for (auto _ : state) {
        for (int i = 0; i < kPosts; ++i) {
            TNDownload download;
            if (!download.Post(url.c_str(), body.c_str(), false) || download.ResultCode != 200) {
                state.SkipWithError("a POST failed");
                return;
            }
        }
    }
    SetTransportConfig(TNTransportConfig());
}

} // namespace

BENCHMARK_CAPTURE(SequentialPosts, http_kept_handle, false, true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(SequentialPosts, https_kept_handle, true, true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(SequentialPosts, http_fresh_handle, false, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(SequentialPosts, https_fresh_handle, true, false)->Unit(benchmark::kMillisecond)->Iterations(1);
