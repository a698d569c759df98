// Runs save passes on a record file until it is killed, and prints
// "done <n>" after each pass that is written and flushed.
//
//   record_file_crash_driver <data file> <seed> <round>        save passes
//   record_file_crash_driver <data file> open                   open only
//
// The passes follow crashplan::Planner from the records the file holds at
// the start, so the test that kills the driver knows what each pass wrote.

#include "foundation/globals.h"
#include "foundation/record_file_set.h"
#include "tests/foundation/record_file_crash_plan.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int32_t OpenSlot(const char* path)
{
    int32_t fid = raf.AddFile();
    raf.Items[static_cast<size_t>(fid)]->raFile = path;
    raf.Items[static_cast<size_t>(fid)]->raHeader = "DalmoraPIMra";
    raf.Items[static_cast<size_t>(fid)]->raVersion = 1;
    if (raf.openFile(fid) == nullptr) {
        std::fprintf(stderr, "driver: cannot open %s\n", path);
        std::exit(2);
    }
    return fid;
}

crashplan::State LoadState(int32_t fid)
{
    crashplan::State state;
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    for (const TNRAFileIndexEntry& entry : file.index) {
        if (entry.IsHole())
            continue;
        int64_t length = raf.loadStreamHeader(fid, entry.position, entry.type, entry.id);
        std::string_view bytes;
        if (length < 0 || !file.recordReader().ReadView(static_cast<size_t>(length), bytes)) {
            std::fprintf(stderr, "driver: cannot load a record\n");
            std::exit(2);
        }
        state[crashplan::Key(entry.type, entry.id)] =
            crashplan::Content{crashplan::VersionOf(std::string(bytes)), static_cast<uint32_t>(length)};
    }
    return state;
}

void RunPass(int32_t fid, const std::vector<crashplan::Op>& ops)
{
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    std::map<uint64_t, const crashplan::Op*> byKey;
    for (const crashplan::Op& op : ops) {
        byKey[crashplan::Key(op.type, op.id)] = &op;
        file.add_toSave(op.type, op.id, 0, op.remove ? 1 : 0, true, false);
    }
    for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
        TNRAFileToSave item;
        if (!file.get_toSave(tsp, item) || item.saved == 1)
            continue;
        const crashplan::Op& op = *byKey.at(crashplan::Key(item.type, item.id));
        raf.resetStream(fid);
        if (!op.remove)
            file.stream = crashplan::RecordBytes(op.type, op.id, op.version, op.length);
        if (!raf.saveStream(fid, tsp)) {
            std::fprintf(stderr, "driver: save failed\n");
            std::exit(2);
        }
    }
    if (!raf.flushFile(fid)) {
        std::fprintf(stderr, "driver: flush failed\n");
        std::exit(2);
    }
    file.clean_toSave();
}

} // namespace

int main(int argc, char** argv)
{
    if (!ConstructGlobals())
        return 2;
    if (argc == 3 && std::string(argv[2]) == "open") {
        OpenSlot(argv[1]);
        std::printf("opened\n");
        std::fflush(stdout);
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <data file> <seed> <round> | <data file> open\n", argv[0]);
        return 2;
    }
    int32_t fid = OpenSlot(argv[1]);
    auto seed = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    auto round = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    crashplan::Planner planner(seed, round, LoadState(fid));
    // Bounded, so a driver that outlives its test stops by itself.
    for (int pass = 1; pass <= 100000; ++pass) {
        RunPass(fid, planner.NextPass());
        std::printf("done %d\n", pass);
        std::fflush(stdout);
    }
    return 0;
}
