#include "foundation/string.h"

#include <benchmark/benchmark.h>

#include <string>

// The tag reader on an answer the size of a large synchronisation: 5,000
// records in numbered elements, about 2 MB in all.

namespace {

constexpr int kItems = 5000;

std::string Record(int n)
{
    std::string id = std::to_string(4100000 + n);
    std::string record = "<" + std::to_string(n) + ">";
    record += "<ID>" + id + "</ID><OrganizerID>" + std::to_string(n % 7 + 1) + "</OrganizerID>";
    record += "<Type>" + std::to_string(n % 4) + "</Type><Deleted>0</Deleted>";
    record += "<Title>Porada týmu č. " + id + " &amp; plán na příští týden</Title>";
    record += "<Place>Zasedací místnost 3, Praha</Place>";
    record += "<Note>Přinést podklady k rozpočtu a zápis z minulé schůzky.</Note>";
    record += "<Start>1718092800</Start><End>1718096400</End><Changed>1718000000</Changed>";
    record += "<Settings>{\"alarm\":\"15\",\"repeat\":\"week\",\"days\":\"1,3,5\"}</Settings>";
    record += "<Tags>work,meeting</Tags>";
    record += "</" + std::to_string(n) + ">";
    return record;
}

const TNString& Answer()
{
    static const TNString answer = [] {
        std::string text = "<answer><handshake>1</handshake><records-count>5000</records-count><records>";
        for (int n = 0; n < kItems; ++n)
            text += Record(n);
        text += "</records><server-time>1718100000</server-time></answer>";
        return TNString(text);
    }();
    return answer;
}

// One read of the answer per iteration; the byte rate counts the answer once.
void ReadFromAnswer(benchmark::State& state, const char* tag, const char* parents, bool decode)
{
    TNString answer(Answer());
    TNString out;
    for (auto _ : state) {
        if (!answer.GetXmlValue(tag, parents, 0, &out, decode))
            state.SkipWithError("element not found");
        benchmark::DoNotOptimize(out.Text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * answer.Length);
    state.counters["answer_bytes"] = answer.Length;
}

// The last record: the reader scans the whole answer once for the parent's
// closing form and once for the record.
void BM_GetXmlValue_LastRecord(benchmark::State& state)
{
    ReadFromAnswer(state, std::to_string(kItems - 1).c_str(), "records", false);
}
BENCHMARK(BM_GetXmlValue_LastRecord)->Unit(benchmark::kMicrosecond);

// A field of the last record through two parents.
void BM_GetXmlValue_LastRecordTitle(benchmark::State& state)
{
    ReadFromAnswer(state, "title", ("records " + std::to_string(kItems - 1)).c_str(), true);
}
BENCHMARK(BM_GetXmlValue_LastRecordTitle)->Unit(benchmark::kMicrosecond);

// The last element of the answer, named in letters written in another case.
void BM_GetXmlValue_LastElementByName(benchmark::State& state)
{
    ReadFromAnswer(state, "Server-Time", nullptr, false);
}
BENCHMARK(BM_GetXmlValue_LastElementByName)->Unit(benchmark::kMicrosecond);

// What the download of records does: take the "records" element, then read
// its numbered elements "0", "1", ... one after another.
void BM_GetXmlValue_AllRecordsInTurn(benchmark::State& state)
{
    TNString answer(Answer());
    TNString section;
    TNString item;
    for (auto _ : state) {
        if (!answer.GetXmlValue("records", nullptr, 0, &section, false))
            state.SkipWithError("records not found");
        int read = 0;
        for (int n = 0; n < kItems; ++n) {
            const std::string name = std::to_string(n);
            if (!section.GetXmlValue(name.c_str(), nullptr, 0, &item, false))
                break;
            ++read;
        }
        if (read != kItems)
            state.SkipWithError("a record is missing");
    }
    state.counters["records"] = kItems;
}
BENCHMARK(BM_GetXmlValue_AllRecordsInTurn)->Unit(benchmark::kMillisecond);

} // namespace
