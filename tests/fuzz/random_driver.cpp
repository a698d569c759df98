// The fuzz driver. It takes the libFuzzer-style flags that matter here and
// the seed folders: every seed runs once, then mutated
// seeds run until the time is up, all from one random seed, so a run can be
// repeated. An input that takes longer than the time-out, or asks for one
// allocation above the memory limit, or raises the peak resident memory by
// more than that, is written to "crash-<n>" and ends the run with status 1.
// A watchdog ends an input that never returns (an endless loop) the same way.
//
//   <target> [-max_total_time=S] [-seed=N] [-timeout=S] [-malloc_limit_mb=M] SEEDS...

#include "tests/fuzz/fuzz_target.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::atomic<size_t> mallocLimit{64u << 20};

void* Allocate(size_t size)
{
    if (size > mallocLimit.load()) {
        std::fprintf(stderr, "fuzz: an allocation of %zu bytes is over the limit\n", size);
        std::abort();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

struct Options {
    int64_t Seconds = 10;
    uint32_t Seed = 1;
    int64_t TimeoutSeconds = 1;
    std::vector<std::string> Folders;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&](const char* flag) { return std::atoll(argument.c_str() + std::string(flag).size()); };
        if (argument.rfind("-max_total_time=", 0) == 0)
            options.Seconds = value("-max_total_time=");
        else if (argument.rfind("-seed=", 0) == 0)
            options.Seed = static_cast<uint32_t>(value("-seed="));
        else if (argument.rfind("-timeout=", 0) == 0)
            options.TimeoutSeconds = value("-timeout=");
        else if (argument.rfind("-malloc_limit_mb=", 0) == 0)
            mallocLimit.store(static_cast<size_t>(value("-malloc_limit_mb=")) << 20);
        else if (argument[0] != '-')
            options.Folders.push_back(argument);
    }
    return options;
}

std::vector<std::string> ReadSeeds(const std::vector<std::string>& folders)
{
    std::vector<std::string> seeds;
    for (const std::string& folder : folders) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    if (seeds.empty())
        seeds.emplace_back();
    return seeds;
}

// Pieces that steer the answer readers: tags, numbers at their limits,
// entities and the separators of the lists.
const char* const kTokens[] = {"<0>",
                               "</0>",
                               "<1>",
                               "</1>",
                               "<Records>",
                               "</Records>",
                               "<ID>",
                               "</ID>",
                               "4000000000",
                               "-1",
                               "2147483648",
                               "99999999999999999999",
                               "&#",
                               "&amp;",
                               "&#x10FFFF;",
                               ";",
                               "]",
                               "\\]",
                               "\0",
                               "<handshake>1</handshake>",
                               "<api-sync-pim>",
                               "</api-sync-pim>"};

std::string Mutate(std::string input, std::mt19937& random)
{
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int step = 0; step < steps; ++step) {
        const size_t at = input.empty() ? 0 : random() % (input.size() + 1);
        switch (random() % 6) {
        case 0:
            if (!input.empty())
                input[at % input.size()] = static_cast<char>(random());
            break;
        case 1:
            input.insert(at, 1, static_cast<char>(random()));
            break;
        case 2:
            if (!input.empty())
                input.erase(at % input.size(), 1 + random() % 16);
            break;
        case 3: {
            const char* token = kTokens[random() % std::size(kTokens)];
            input.insert(at, token[0] == '\0' ? std::string(1, '\0') : std::string(token));
            break;
        }
        case 4:
            if (!input.empty()) {
                const size_t from = random() % input.size();
                input.insert(at, input.substr(from, 1 + random() % 64));
            }
            break;
        default:
            input.resize(at);
            break;
        }
    }
    return input;
}

// The input under way and when it started, for the watchdog.
std::atomic<const std::string*> inputUnderWay{nullptr};
std::atomic<int64_t> inputStartedMs{0};
std::atomic<int64_t> runsSoFar{0};

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void WriteCrash(const std::string& input, int64_t run, const char* fault)
{
    std::string name = "crash-" + std::to_string(run);
    std::ofstream(name, std::ios::binary) << input;
    std::fprintf(stderr, "fuzz: input %s %s\n", name.c_str(), fault);
}

// An input still running at twice the time-out never ends by itself: it is
// written out and the run ends at once, since its thread cannot be stopped.
void StartWatchdog(int64_t timeoutSeconds)
{
    std::thread([timeoutMs = timeoutSeconds * 2000] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const std::string* input = inputUnderWay.load();
            int64_t started = inputStartedMs.load();
            if (input != nullptr && started != 0 && NowMs() - started > timeoutMs) {
                WriteCrash(*input, runsSoFar.load() + 1, "did not end within twice the time-out");
                _exit(1);
            }
        }
    }).detach();
}

long PeakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool RunOne(const std::string& input, const Options& options, int64_t& runs)
{
    const long peakBefore = PeakResidentKb();
    const auto start = std::chrono::steady_clock::now();
    inputUnderWay.store(&input);
    inputStartedMs.store(NowMs());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    inputStartedMs.store(0);
    inputUnderWay.store(nullptr);
    const auto took = std::chrono::steady_clock::now() - start;
    runsSoFar.store(++runs);
    const char* fault = nullptr;
    if (took > std::chrono::seconds(options.TimeoutSeconds))
        fault = "took longer than the time-out";
    else if (static_cast<size_t>(PeakResidentKb() - peakBefore) * 1024 > mallocLimit.load())
        fault = "raised the peak resident memory above the limit";
    if (fault == nullptr)
        return true;
    WriteCrash(input, runs, fault);
    return false;
}

} // namespace

void* operator new(size_t size)
{
    return Allocate(size);
}
void* operator new[](size_t size)
{
    return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete[](void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, size_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, size_t) noexcept
{
    std::free(block);
}

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);
    const std::vector<std::string> seeds = ReadSeeds(options.Folders);
    std::mt19937 random(options.Seed);
    StartWatchdog(options.TimeoutSeconds);
    int64_t runs = 0;
    for (const std::string& seed : seeds)
        if (!RunOne(seed, options, runs))
            return 1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(options.Seconds);
    while (std::chrono::steady_clock::now() < end)
        if (!RunOne(Mutate(seeds[random() % seeds.size()], random), options, runs))
            return 1;
    std::printf("fuzz: %lld runs from %zu seeds, seed %u, no fault\n", static_cast<long long>(runs), seeds.size(),
                options.Seed);
    return 0;
}
