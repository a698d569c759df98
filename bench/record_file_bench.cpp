// The organizer data file against SQLite, the store a user would pick instead.
//
// 100,000 records of types 1 to 13 with data lengths from a fixed-seed mix
// averaging about 300 bytes; then 10,000 of them changed, half keeping their
// length and half changing it.
//   Insert:      write all 100,000 into a new file in one save pass, durably
//                (SQLite: one transaction, WAL, synchronous=FULL).
//   OpenAndLoad: open the file and read every record through its header and
//                bounded reader, as the data set's load does (SQLite: read
//                every row).
//   SavePass:    queue the 10,000 changes, write them and flush once with the
//                sync (SQLite: the same changes in one transaction, WAL,
//                synchronous=FULL).
// Each pair runs one after the other, so the figures stand side by side.
// Files go to $DALMORA_BENCH_DIR, else the temporary folder. The program's
// log lines go to standard error; run with 2>/dev/null.

#include "foundation/record_file_set.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "tests/support/scratch_folder.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRecords = 100000;
constexpr uint32_t kChanges = 10000;

struct Record {
    uint8_t type;
    uint32_t id;
    std::string data;
};

uint32_t DrawLength(std::mt19937& random)
{
    // Buckets 64-127, 128-255, 256-511, 512-1023 at 30, 30, 25 and 15 %: about 300 on average.
    uint32_t bucket = random() % 100;
    uint32_t low = bucket < 30 ? 64 : bucket < 60 ? 128 : bucket < 85 ? 256 : 512;
    return low + random() % low;
}

std::string DrawData(std::mt19937& random, uint32_t length)
{
    std::string data(length, '\0');
    for (char& byte : data)
        byte = static_cast<char>(random());
    return data;
}

void Check(int rc, int expected, const char* what)
{
    if (rc != expected)
        throw std::runtime_error(std::string("sqlite: ") + what + " failed with " + std::to_string(rc));
}

void Exec(sqlite3* db, const char* sql)
{
    Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK, sql);
}

sqlite3* OpenDatabase(const std::string& path)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK, "open");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=FULL");
    return db;
}

class Scenario {
public:
    static Scenario& Get()
    {
        static Scenario scenario;
        return scenario;
    }

    testing_support::ScratchFolder scratch;
    std::string folder;
    std::string dataPath;
    std::string indexPath;
    std::string dbPath;
    std::vector<Record> records;
    // Index into records and the new data.
    std::vector<std::pair<uint32_t, std::string>> changes;
    std::string pristineData;
    std::string pristineIndex;
    std::string pristineDb;

    void RestoreRecordFile() const
    {
        if (!plat::WriteFileAtomically(dataPath, pristineData) || !plat::WriteFileAtomically(indexPath, pristineIndex))
            throw std::runtime_error("cannot restore the record file");
    }
    void RestoreDatabase() const
    {
        plat::RemoveFile(dbPath + "-wal");
        plat::RemoveFile(dbPath + "-shm");
        if (!plat::WriteFileAtomically(dbPath, pristineDb))
            throw std::runtime_error("cannot restore the database");
    }

private:
    static std::string BaseFolder()
    {
        const char* base = std::getenv("DALMORA_BENCH_DIR");
        return base != nullptr ? std::string(base) : plat::TempFolder();
    }

    Scenario() : scratch(BaseFolder())
    {
        if (scratch.Path().empty())
            throw std::runtime_error("cannot create the bench folder");
        folder = scratch.Path();
        dataPath = folder + "pim-bench.dld";
        indexPath = folder + "pim-bench.dli";
        dbPath = folder + "pim-bench.sqlite";

        std::mt19937 random(20240611);
        records.reserve(kRecords);
        for (uint32_t i = 0; i < kRecords; ++i)
            records.push_back(
                Record{static_cast<uint8_t>(1 + i % 13), 1000 + i / 13, DrawData(random, DrawLength(random))});
        std::vector<uint32_t> order(kRecords);
        for (uint32_t i = 0; i < kRecords; ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), random);
        for (uint32_t i = 0; i < kChanges; ++i) {
            uint32_t which = order[i];
            uint32_t length = static_cast<uint32_t>(records[which].data.size());
            if (i % 2 == 1)
                while (length == records[which].data.size())
                    length = DrawLength(random);
            changes.emplace_back(which, DrawData(random, length));
        }

        BuildRecordFile();
        BuildDatabase();
    }

    void BuildRecordFile()
    {
        TNRAF set;
        int32_t fid = set.AddFile();
        TNRAFile& file = *set.Items[0];
        file.raFile = dataPath;
        file.raHeader = "DalmoraPIMra";
        file.raVersion = 1;
        if (set.openFile(fid) == nullptr)
            throw std::runtime_error("cannot create the record file");
        for (const Record& record : records) {
            file.add_toSave(record.type, record.id, 0, 0, true, false);
            int32_t tsp = file.toSaveCount() - 1;
            set.resetStream(fid);
            file.stream = record.data;
            if (!set.saveStream(fid, tsp))
                throw std::runtime_error("cannot write the record file");
            file.clean_toSave();
        }
        set.flushFile(fid);
        set.closeAllFiles();
        if (!plat::ReadWholeFile(dataPath, pristineData) || !plat::ReadWholeFile(indexPath, pristineIndex))
            throw std::runtime_error("cannot read the record file");
    }

    void BuildDatabase()
    {
        sqlite3* db = OpenDatabase(dbPath);
        Exec(db, "CREATE TABLE records (type INTEGER, id INTEGER, data BLOB, PRIMARY KEY (type, id))");
        Exec(db, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO records (type, id, data) VALUES (?, ?, ?)", -1, &insert, nullptr),
              SQLITE_OK, "prepare");
        for (const Record& record : records) {
            sqlite3_bind_int(insert, 1, record.type);
            sqlite3_bind_int64(insert, 2, record.id);
            sqlite3_bind_blob(insert, 3, record.data.data(), static_cast<int>(record.data.size()), SQLITE_STATIC);
            Check(sqlite3_step(insert), SQLITE_DONE, "insert");
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Exec(db, "COMMIT");
        Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
        sqlite3_close(db);
        if (!plat::ReadWholeFile(dbPath, pristineDb))
            throw std::runtime_error("cannot read the database");
    }
};

void Insert_RecordFile(benchmark::State& state)
{
    Scenario& scenario = Scenario::Get();
    const std::string path = scenario.folder + "pim-insert.dld";
    for (auto _ : state) {
        state.PauseTiming();
        plat::RemoveFile(path);
        plat::RemoveFile(TNRAF::IndexPathFor(path));
        state.ResumeTiming();
        TNRAF set;
        int32_t fid = set.AddFile();
        TNRAFile& file = *set.Items[0];
        file.raFile = path;
        file.raHeader = "DalmoraPIMra";
        file.raVersion = 1;
        if (set.openFile(fid) == nullptr) {
            state.SkipWithError("cannot open");
            break;
        }
        for (size_t i = 0; i < scenario.records.size(); ++i) {
            const Record& record = scenario.records[i];
            file.add_toSave(record.type, record.id, static_cast<int32_t>(i), 0, true, false);
        }
        for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
            TNRAFileToSave item;
            if (!file.get_toSave(tsp, item) || item.saved == 1)
                continue;
            set.resetStream(fid);
            file.stream = scenario.records[static_cast<size_t>(item.position)].data;
            if (!set.saveStream(fid, tsp))
                state.SkipWithError("save failed");
        }
        if (!set.flushFile(fid))
            state.SkipWithError("flush failed");
        file.clean_toSave();
        state.PauseTiming();
        set.closeAllFiles();
        state.ResumeTiming();
    }
    state.counters["records"] = kRecords;
}

void Insert_SQLite(benchmark::State& state)
{
    Scenario& scenario = Scenario::Get();
    const std::string path = scenario.folder + "pim-insert.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        plat::RemoveFile(path);
        plat::RemoveFile(path + "-wal");
        plat::RemoveFile(path + "-shm");
        state.ResumeTiming();
        sqlite3* db = OpenDatabase(path);
        Exec(db, "CREATE TABLE records (type INTEGER, id INTEGER, data BLOB, PRIMARY KEY (type, id))");
        Exec(db, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO records (type, id, data) VALUES (?, ?, ?)", -1, &insert, nullptr),
              SQLITE_OK, "prepare");
        for (const Record& record : scenario.records) {
            sqlite3_bind_int(insert, 1, record.type);
            sqlite3_bind_int64(insert, 2, record.id);
            sqlite3_bind_blob(insert, 3, record.data.data(), static_cast<int>(record.data.size()), SQLITE_STATIC);
            Check(sqlite3_step(insert), SQLITE_DONE, "insert");
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Exec(db, "COMMIT");
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["records"] = kRecords;
}

void OpenAndLoad_RecordFile(benchmark::State& state)
{
    Scenario& scenario = Scenario::Get();
    scenario.RestoreRecordFile();
    uint64_t bytes = 0;
    for (auto _ : state) {
        TNRAF set;
        int32_t fid = set.AddFile();
        TNRAFile& file = *set.Items[0];
        file.raFile = scenario.dataPath;
        file.raHeader = "DalmoraPIMra";
        file.raVersion = 1;
        if (set.openFile(fid) == nullptr) {
            state.SkipWithError("cannot open");
            break;
        }
        uint64_t sum = 0;
        // As the data set's load reads: each live entry, in index order.
        for (uint32_t n = 0; n < file.entryCount(); ++n) {
            uint16_t type = 0;
            uint32_t id = 0;
            if (!file.liveEntry(n, type, id))
                continue;
            int64_t length = file.openEntry(n);
            std::string_view data;
            if (length <= 0 || !file.recordReader().ReadView(static_cast<size_t>(length), data))
                continue;
            sum += type + id + static_cast<uint8_t>(data.back());
            bytes += data.size();
        }
        benchmark::DoNotOptimize(sum);
        set.closeAllFiles();
    }
    state.counters["records"] = kRecords;
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void OpenAndLoad_SQLite(benchmark::State& state)
{
    Scenario& scenario = Scenario::Get();
    scenario.RestoreDatabase();
    uint64_t bytes = 0;
    for (auto _ : state) {
        sqlite3* db = OpenDatabase(scenario.dbPath);
        sqlite3_stmt* select = nullptr;
        Check(sqlite3_prepare_v2(db, "SELECT type, id, data FROM records", -1, &select, nullptr), SQLITE_OK, "prepare");
        uint64_t sum = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            sum += static_cast<uint64_t>(sqlite3_column_int(select, 0)) + sqlite3_column_int64(select, 1);
            const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(select, 2));
            int size = sqlite3_column_bytes(select, 2);
            sum += data[size - 1];
            bytes += static_cast<uint64_t>(size);
        }
        benchmark::DoNotOptimize(sum);
        sqlite3_finalize(select);
        sqlite3_close(db);
    }
    state.counters["records"] = kRecords;
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void SavePass_RecordFile(benchmark::State& state)
{
    Scenario& scenario = Scenario::Get();
    for (auto _ : state) {
        state.PauseTiming();
        scenario.RestoreRecordFile();
        TNRAF set;
        int32_t fid = set.AddFile();
        TNRAFile& file = *set.Items[0];
        file.raFile = scenario.dataPath;
        file.raHeader = "DalmoraPIMra";
        file.raVersion = 1;
        if (set.openFile(fid) == nullptr) {
            state.SkipWithError("cannot open");
            break;
        }
        state.ResumeTiming();

        for (size_t i = 0; i < scenario.changes.size(); ++i) {
            const Record& record = scenario.records[scenario.changes[i].first];
            file.add_toSave(record.type, record.id, static_cast<int32_t>(i), 0, true, false);
        }
        for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
            TNRAFileToSave item;
            if (!file.get_toSave(tsp, item) || item.saved == 1)
                continue;
            set.resetStream(fid);
            file.stream = scenario.changes[static_cast<size_t>(item.position)].second;
            if (!set.saveStream(fid, tsp))
                state.SkipWithError("save failed");
        }
        if (!set.flushFile(fid))
            state.SkipWithError("flush failed");
        file.clean_toSave();

        state.PauseTiming();
        set.closeAllFiles();
        state.ResumeTiming();
    }
    state.counters["changes"] = kChanges;
}

void SavePass_SQLite(benchmark::State& state)
{
    Scenario& scenario = Scenario::Get();
    for (auto _ : state) {
        state.PauseTiming();
        scenario.RestoreDatabase();
        sqlite3* db = OpenDatabase(scenario.dbPath);
        sqlite3_stmt* update = nullptr;
        Check(sqlite3_prepare_v2(db, "UPDATE records SET data = ? WHERE type = ? AND id = ?", -1, &update, nullptr),
              SQLITE_OK, "prepare");
        state.ResumeTiming();

        Exec(db, "BEGIN");
        for (const auto& [which, data] : scenario.changes) {
            const Record& record = scenario.records[which];
            sqlite3_bind_blob(update, 1, data.data(), static_cast<int>(data.size()), SQLITE_STATIC);
            sqlite3_bind_int(update, 2, record.type);
            sqlite3_bind_int64(update, 3, record.id);
            Check(sqlite3_step(update), SQLITE_DONE, "update");
            sqlite3_reset(update);
        }
        Exec(db, "COMMIT");

        state.PauseTiming();
        sqlite3_finalize(update);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["changes"] = kChanges;
}

BENCHMARK(Insert_RecordFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Insert_SQLite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(OpenAndLoad_RecordFile)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(OpenAndLoad_SQLite)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(SavePass_RecordFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SavePass_SQLite)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
