// One download answer of the update service: a 250,000-byte Data value,
// escaped as the service writes it, parsed and appended to the file. Goal
// on one core: under 5 ms.

#include "online/web_answer.h"
#include "platform/core/file.h"
#include "tests/service/bracket_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Random bytes with the escaped characters and zero bytes among them.
std::string Answer()
{
    std::string data(250000, '\0');
    unsigned seed = 7;
    for (char& byte : data) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return test_service::BracketItem("FileSize", "600000") + test_service::BracketItem("DataLength", "250000") +
           test_service::BracketItem("Finished", "0") + test_service::BracketItem("Data", data);
}

void BM_ParseAndAppendChunk(benchmark::State& state)
{
    const std::string answer = Answer();
    char folder[] = "/tmp/update-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(folder) + "/data.bin";
    for (auto _ : state) {
        TNWebAnswer parsed;
        parsed.Parse(answer);
        int32_t data = parsed.FindByName("Data");
        if (data < 0 || !plat::AppendToFile(path, parsed.Items[data]->Value.View())) {
            state.SkipWithError("the chunk was not appended");
            break;
        }
        state.PauseTiming();
        plat::RemoveFile(path);
        state.ResumeTiming();
    }
    rmdir(folder);
}
BENCHMARK(BM_ParseAndAppendChunk)->Unit(benchmark::kMillisecond);

} // namespace
