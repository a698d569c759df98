#include "foundation/record_file.h"

#include "foundation/file_numbers.h"
#include "foundation/log.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <new>

namespace {

// add_toSave waits for another running add_toSave in polls of this length.
constexpr int kAddToSavePollMs = 25;
constexpr int kAddToSaveMaxPolls = 600;
constexpr int kAddToSaveLogEvery = 100;

// Read-ahead while loading records; larger records are read on their own.
constexpr size_t kReadWindow = 256 * 1024;
// Read size of the scan over the data file.
constexpr size_t kScanBuffer = 1024 * 1024;

const char* const kTypeNames[] = {
    "raftHole",         "raftOrganizer",       "raftRecord",    "raftAlert",        "raftTag",
    "raftTagsAssign",   "raftContactsRequest", "raftGroup",     "raftGroupsAssign", "raftContact",
    "raftNotification", "raftSharing",         "raftEventType", "raftLastRequest",
};

void PutU16(char* at, uint32_t value)
{
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetU16(const char* at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(at[0])) | static_cast<uint32_t>(static_cast<uint8_t>(at[1])) << 8;
}

uint32_t GetU32(const char* at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(at[i])) << (8 * i);
    return value;
}

// How many records ahead the scan of the data file asks for their headers.
constexpr size_t kPrefetchAhead = 16;
// How many entries ahead a load asks for a record's bytes, and how many of
// its first bytes it asks for.
constexpr uint32_t kLoadPrefetchAhead = 16;
constexpr uint64_t kPrefetchRecordBytes = 1024;
constexpr uint64_t kCacheLine = 64;

// Size of the index file's header: uint16 length, "rafIndexFile", uint16 version.
constexpr uint32_t kIndexHeaderSize = 2 + 12 + 2;

// One record header as the scan of the data file found it.
struct ScannedRecord {
    uint16_t type;
    uint32_t id;
    uint32_t length;
    uint32_t position;
};

void EncodeIndexEntry(const TNRAFileIndexEntry& entry, char* out)
{
    PutU16(out, entry.type);
    PutU32(out + 2, entry.length);
    PutU32(out + 6, entry.id);
    PutU32(out + 10, entry.position);
}

} // namespace

const char* RaftTypeName(uint32_t type)
{
    if (type > kRaftLastType)
        return "Unknown raftType";
    return kTypeNames[type];
}

TNRAFile::TNRAFile() = default;

void TNRAFile::Destroy()
{
    LogText("[TNRAFile::Destroy][BEGIN]");
    LogText("[TNRAFile::Destroy][END]");
}

bool TNRAFile::resize_stream(int32_t n)
{
    if (n <= 0) {
        std::string().swap(stream);
        streamState = 0;
        return true;
    }
    try {
        stream.resize(static_cast<size_t>(n), '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- write plans

namespace {

const char kZeros[8] = {};

// Writes of one phase, joined where they touch or overlap; a later write of
// the same bytes wins.
class WritePlan {
public:
    void Add(uint64_t offset, std::string_view bytes) { writes_.push_back({offset, std::string(bytes)}); }
    void AddU16(uint64_t offset, uint32_t value)
    {
        char bytes[2];
        PutU16(bytes, value);
        Add(offset, std::string_view(bytes, 2));
    }
    void AddU32(uint64_t offset, uint32_t value)
    {
        char bytes[4];
        PutU32(bytes, value);
        Add(offset, std::string_view(bytes, 4));
    }
    bool Empty() const { return writes_.empty(); }

    bool Apply(plat::File& file)
    {
        std::stable_sort(writes_.begin(), writes_.end(),
                         [](const Write& a, const Write& b) { return a.offset < b.offset; });
        std::vector<Write> runs;
        for (Write& write : writes_) {
            if (!runs.empty() && write.offset <= runs.back().offset + runs.back().bytes.size()) {
                Write& run = runs.back();
                size_t at = static_cast<size_t>(write.offset - run.offset);
                if (run.bytes.size() < at + write.bytes.size())
                    run.bytes.resize(at + write.bytes.size());
                run.bytes.replace(at, write.bytes.size(), write.bytes);
            } else {
                runs.push_back(std::move(write));
            }
        }
        writes_.clear();
        for (const Write& run : runs)
            if (!file.WriteAt(run.offset, run.bytes.data(), run.bytes.size()))
                return false;
        return true;
    }

private:
    struct Write {
        uint64_t offset;
        std::string bytes;
    };
    std::vector<Write> writes_;
};

// Dirty index entries closer than this are written as one range, the clean
// ones between them encoded again from memory.
constexpr int32_t kIndexJoinGap = 4096 / kIndexEntrySize;

std::string LocalTimeStamp()
{
    time_t now = static_cast<time_t>(plat::UnixSeconds());
    struct tm parts {};
    localtime_r(&now, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                  parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

} // namespace

// ---------------------------------------------------------------- index

bool TNRAFile::resize_index(int32_t n, bool writeCount)
{
    if (n <= 0) {
        clearIndex();
        return true;
    }
    // Entries cut off leave the look-ups; new ones are empty and join them
    // once they are filled from the index file.
    for (size_t position = static_cast<size_t>(n); position < index.size(); ++position)
        unlinkEntry(static_cast<int32_t>(position));
    try {
        index.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        return false;
    }
    indexCount = static_cast<uint32_t>(n);
    if (writeCount && indexHandle.IsOpen()) {
        char bytes[4];
        PutU32(bytes, indexCount);
        return indexHandle.WriteAt(indexCountFilePos, bytes, sizeof bytes);
    }
    return true;
}

bool TNRAFile::readIndexEntry(plat::ByteReader& in, uint32_t base, TNRAFileIndexEntry& entry)
{
    entry.ownOffset = base + static_cast<uint32_t>(in.Position());
    std::string_view bytes;
    if (!in.ReadView(kIndexEntrySize, bytes))
        return false;
    // Kept as the file has it: the check against the data file compares
    // every byte.
    entry.type = static_cast<uint16_t>(GetU16(bytes.data()));
    entry.length = GetU32(bytes.data() + 2);
    entry.id = GetU32(bytes.data() + 6);
    entry.position = GetU32(bytes.data() + 10);
    return true;
}

bool TNRAFile::writeIndexEntry(const TNRAFileIndexEntry& entry)
{
    char bytes[kIndexEntrySize];
    EncodeIndexEntry(entry, bytes);
    return indexHandle.IsOpen() && indexHandle.WriteAt(entry.ownOffset, bytes, sizeof bytes);
}

int32_t TNRAFile::addIndexEntry(uint8_t type, uint32_t length, uint32_t position, uint32_t id)
{
    if (!indexHandle.IsOpen() || index.size() >= INT32_MAX)
        return -1;
    TNRAFileIndexEntry entry;
    entry.type = type;
    entry.length = length;
    entry.id = id;
    entry.position = position;
    // The entry's slot follows from its number, so a torn entry left at the
    // end of the file by a crash is simply overwritten.
    uint64_t ownOffset = indexCountFilePos + 4 + static_cast<uint64_t>(index.size()) * kIndexEntrySize;
    if (ownOffset > UINT32_MAX)
        return -1;
    entry.ownOffset = static_cast<uint32_t>(ownOffset);
    if (!writeIndexEntry(entry))
        return -1;
    char count[4];
    PutU32(count, indexCount + 1);
    if (!indexHandle.WriteAt(indexCountFilePos, count, sizeof count))
        return -1;
    try {
        index.push_back(entry);
    } catch (const std::bad_alloc&) {
        needsReindex_ = true;
        return -1;
    }
    ++indexCount;
    int32_t newPosition = static_cast<int32_t>(index.size() - 1);
    linkEntry(newPosition, true);
    return newPosition;
}

int32_t TNRAFile::getIndexPosById(uint32_t id, uint8_t type) const
{
    if (type == raftHole || id == 0)
        return -1;
    return live_.find(Key(type, id));
}

int32_t TNRAFile::getIndexHolePosByLength(uint32_t length) const
{
    auto found = holes_.find(length);
    if (found == holes_.end() || found->second.empty())
        return -1;
    return *found->second.begin();
}

int32_t TNRAFile::takeHole(uint32_t length)
{
    auto found = holes_.find(length);
    if (found == holes_.end() || found->second.empty())
        return -1;
    int32_t hole = *found->second.begin();
    found->second.erase(found->second.begin());
    if (found->second.empty())
        holes_.erase(found);
    return hole;
}

void TNRAFile::unlinkEntry(int32_t position)
{
    const TNRAFileIndexEntry& entry = index[static_cast<size_t>(position)];
    if (entry.IsHole()) {
        auto holes = holes_.find(entry.length);
        if (holes != holes_.end()) {
            holes->second.erase(position);
            if (holes->second.empty())
                holes_.erase(holes);
        }
        return;
    }
    if (live_.find(Key(entry.type, entry.id)) == position)
        live_.erase(Key(entry.type, entry.id));
}

void TNRAFile::linkEntry(int32_t position, bool reusable)
{
    TNRAFileIndexEntry& entry = index[static_cast<size_t>(position)];
    if (entry.IsHole()) {
        entry.type = raftHole;
        entry.id = 0;
        if (reusable)
            holes_[entry.length].insert(position);
    } else if (!entry.IsUnknownType()) {
        live_.assign(Key(entry.type, entry.id), position);
    }
}

void TNRAFile::setEntry(int32_t position, uint16_t type, uint32_t id, bool reusable)
{
    unlinkEntry(position);
    index[static_cast<size_t>(position)].type = type;
    index[static_cast<size_t>(position)].id = id;
    linkEntry(position, reusable);
}

void TNRAFile::takeLookups(TNRecordKeyMap& live)
{
    live_ = std::move(live);
    holes_.clear();
    for (size_t i = 0; i < index.size(); ++i)
        if (index[i].IsHole())
            holes_[index[i].length].insert(static_cast<int32_t>(i));
}

void TNRAFile::closeFiles()
{
    handle.Close();
    indexHandle.Close();
    clearIndex();
    staged_.clear();
    stagedByKey_.clear();
    oldCopies_.clear();
    idsToZero_.clear();
    retired_.clear();
    {
        std::lock_guard<std::mutex> lock(toSaveMutex_);
        replacements_.clear();
    }
    itemsCount = 0;
    dataEnd_ = 0;
    needsReindex_ = false;
    indexUsable_ = false;
    dropContent();
}

void TNRAFile::clearIndex()
{
    index.clear();
    index.shrink_to_fit();
    indexCount = 0;
    live_.clear();
    holes_.clear();
    windowSize_ = 0;
    recordReader_ = plat::ByteReader();
}

void TNRAFile::dropContent()
{
    content_ = std::string_view();
    mapping_.Unmap();
    windowSize_ = 0;
    recordReader_ = plat::ByteReader();
}

bool TNRAFile::createHole(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) >= index.size())
        return false;
    const TNRAFileIndexEntry& entry = index[static_cast<size_t>(position)];
    if (entry.IsHole() || entry.IsUnknownType())
        return false;
    return stage(static_cast<uint8_t>(entry.type), entry.id, true, -1);
}

// ---------------------------------------------------------------- reading

bool TNRAFile::readDataFile()
{
    dropContent();
    uint64_t size = 0;
    if (!handle.IsOpen() || !handle.Size(size) || !mapping_.Map(handle, size))
        return false;
    content_ = mapping_.View();
    return true;
}

bool TNRAFile::readIndexFile()
{
    clearIndex();
    indexUsable_ = false;
    indexFileSize_ = 0;
    std::string bytes;
    if (!indexHandle.IsOpen() || !indexHandle.Size(indexFileSize_))
        return false;
    try {
        bytes.resize(static_cast<size_t>(indexFileSize_));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!bytes.empty() && !indexHandle.ReadAt(0, bytes.data(), bytes.size()))
        return false;
    plat::ByteReader reader(bytes);
    int32_t version = 0;
    ReadHeader("rafIndexFile", reader, version);
    raIndexVersion = version;
    indexCountFilePos = static_cast<uint32_t>(reader.Position());
    uint32_t count = 0;
    // The count is checked against the bytes the file holds before anything
    // is allocated for it.
    uint64_t first = indexCountFilePos + 4u;
    if (version != 1 || !ReadUNumber(4, reader, count))
        return false;
    uint64_t whole = indexFileSize_ > first ? (indexFileSize_ - first) / kIndexEntrySize : 0;
    bool complete = count <= INT32_MAX && first + static_cast<uint64_t>(count) * kIndexEntrySize <= indexFileSize_;
    // A count that arrived before its entries (a cut pass) leaves the index
    // unusable, but the entries it holds still name re-keyed records'
    // successors for the repair.
    auto readable = static_cast<uint32_t>(std::min<uint64_t>({count, whole, INT32_MAX}));
    if (!resize_index(static_cast<int32_t>(readable), false)) {
        clearIndex();
        return false;
    }
    for (uint32_t i = 0; i < readable; ++i)
        readIndexEntry(reader, 0, index[i]);
    indexUsable_ = complete;
    return complete;
}

bool TNRAFile::readWindow(uint64_t offset, uint64_t size, std::string_view& out)
{
    if (offset + size > dataEnd_)
        return false;
    if (!content_.empty()) {
        out = content_.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
        return true;
    }
    if (offset >= windowStart_ && offset + size <= windowStart_ + windowSize_) {
        out = std::string_view(window_).substr(static_cast<size_t>(offset - windowStart_), static_cast<size_t>(size));
        return true;
    }
    if (size > kReadWindow) {
        try {
            largeRecord_.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!handle.ReadAt(offset, largeRecord_.data(), largeRecord_.size()))
            return false;
        out = largeRecord_;
        return true;
    }
    size_t fill = static_cast<size_t>(std::min<uint64_t>(kReadWindow, dataEnd_ - offset));
    window_.resize(kReadWindow);
    windowSize_ = 0;
    if (!handle.ReadAt(offset, window_.data(), fill))
        return false;
    windowStart_ = offset;
    windowSize_ = fill;
    out = std::string_view(window_).substr(0, static_cast<size_t>(size));
    return true;
}

int64_t TNRAFile::loadStreamHeader(uint32_t position, uint8_t type, uint32_t id)
{
    recordReader_ = plat::ByteReader();
    // What the caller reads must be what the file holds.
    if (!staged_.empty())
        commit();
    std::string_view header;
    if (!handle.IsOpen() || position < itemsCountFilePos + 4u || !readWindow(position, kRecordHeaderSize, header)) {
        LogText("[TNRAFile::loadStreamHeader][ERROR][NULL] handle = NULL");
        return -1;
    }
    uint32_t streamType = GetU16(header.data());
    if ((streamType & 0xFF) != type) {
        LogTextUInt("[TNRAFile::loadStreamHeader] ERROR -2; wanted_type = ", type);
        LogTextUInt("[TNRAFile::loadStreamHeader] ERROR -2; stream_type = ", streamType);
        return -2;
    }
    uint32_t streamId = GetU32(header.data() + 2);
    if (streamId != id) {
        LogTextUInt("[TNRAFile::loadStreamHeader] ERROR -3; wanted_id = ", id);
        LogTextUInt("[TNRAFile::loadStreamHeader] ERROR -3; stream_id = ", streamId);
        return -3;
    }
    uint32_t length = GetU32(header.data() + 6);
    std::string_view data;
    if (static_cast<uint64_t>(position) + kRecordHeaderSize + length > dataEnd_ ||
        !readWindow(static_cast<uint64_t>(position) + kRecordHeaderSize, length, data)) {
        LogTextUInt("[TNRAFile::loadStreamHeader] ERROR -4; length past end of file = ", length);
        return -4;
    }
    recordReader_ = plat::ByteReader(data);
    return length;
}

// ---------------------------------------------------------------- committing a save pass

bool TNRAFile::stage(uint8_t type, uint32_t id, bool remove, int32_t position)
{
    try {
        uint64_t key = Key(type, id);
        auto found = stagedByKey_.find(key);
        size_t slot = found != stagedByKey_.end() ? found->second : staged_.size();
        if (slot == staged_.size()) {
            staged_.push_back(Staged{type, id, remove, position, {}});
            stagedByKey_[key] = slot;
        }
        Staged& staged = staged_[slot];
        staged.remove = remove;
        staged.position = position;
        if (remove)
            std::string().swap(staged.data);
        else
            staged.data = stream;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TNRAFile::requeueStaged()
{
    for (const Staged& staged : staged_)
        add_toSave(staged.type, staged.id, staged.position, staged.remove ? 1 : 0, true, false);
    staged_.clear();
    stagedByKey_.clear();
}

namespace {

// The dirty index entries, runs close together joined into one write.
WritePlan IndexWritesOf(const std::vector<TNRAFileIndexEntry>& index, std::vector<int32_t>& dirty)
{
    WritePlan indexWrites;
    std::sort(dirty.begin(), dirty.end());
    dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
    for (size_t i = 0; i < dirty.size();) {
        size_t j = i;
        while (j + 1 < dirty.size() && dirty[j + 1] - dirty[j] <= kIndexJoinGap)
            ++j;
        std::string bytes(static_cast<size_t>(dirty[j] - dirty[i] + 1) * kIndexEntrySize, '\0');
        for (int32_t slot = dirty[i]; slot <= dirty[j]; ++slot)
            EncodeIndexEntry(index[static_cast<size_t>(slot)],
                             bytes.data() + static_cast<size_t>(slot - dirty[i]) * kIndexEntrySize);
        indexWrites.Add(index[static_cast<size_t>(dirty[i])].ownOffset, bytes);
        i = j + 1;
    }
    return indexWrites;
}

} // namespace

// What one save pass writes, gathered before anything is written.
struct TNRAFile::CommitPass {
    WritePlan first;
    WritePlan second;
    // Index entries to write again.
    std::vector<int32_t> dirty;
    std::string appended;
    uint64_t appendAt = 0;
    size_t entriesBefore = 0;
    std::vector<int32_t> deleted;
    std::vector<int32_t> superseded;
    // Re-keys of this pass: the old record's place by the new record's key.
    std::unordered_map<uint64_t, Rekey> rekeys;
    std::set<int32_t> retiredNow;
    // Index entries of old records naming their successors.
    WritePlan successors;
    std::vector<int32_t> retiring;
};

bool TNRAFile::commit()
{
    if (staged_.empty())
        return true;
    if (!handle.IsOpen() || !indexHandle.IsOpen() || needsReindex_) {
        LogText("[TNRAFile::commit][ERROR] the files are not ready; the records stay queued");
        requeueStaged();
        return false;
    }
    // A pass builds on what opening found only once that is durable.
    if (!stateDurable_ && !(handle.Sync() && indexHandle.Sync())) {
        LogText("[TNRAFile::commit][ERROR] sync failed; the records stay queued");
        requeueStaged();
        return false;
    }
    stateDurable_ = true;
    dropContent();
    CommitPass pass;
    pass.appendAt = dataEnd_;
    pass.entriesBefore = index.size();
    finishEarlierPasses(pass);
    pass.rekeys = takeRekeys();
    for (const auto& [key, rekey] : pass.rekeys)
        pass.retiredNow.insert(rekey.place);
    bool ok = true;
    for (const Staged& staged : staged_) {
        if (!placeStaged(pass, staged)) {
            ok = false;
            break;
        }
    }
    const auto appendedCount = static_cast<uint32_t>(index.size() - pass.entriesBefore);
    if (!ok || !writePass(pass, appendedCount)) {
        LogText("[TNRAFile::commit][ERROR] write failed; the records stay queued");
        for (const auto& [key, rekey] : pass.rekeys)
            noteReplacement(static_cast<uint8_t>(key >> 32), static_cast<uint32_t>(key), rekey.oldId);
        requeueStaged();
        // Memory took the pass already: it shows the files again, and the
        // next save repairs them first.
        uint32_t before = 0;
        uint32_t after = 0;
        rebuildIndex(before, after);
        needsReindex_ = true;
        return false;
    }
    itemsCount += appendedCount;
    indexCount = static_cast<uint32_t>(index.size());
    dataEnd_ = pass.appendAt + pass.appended.size();
    // Old copies that lost their type in this pass, and records deleted in
    // it, are durable holes now.
    for (int32_t slot : oldCopies_)
        holes_[index[static_cast<size_t>(slot)].length].insert(slot);
    for (int32_t slot : pass.deleted)
        holes_[index[static_cast<size_t>(slot)].length].insert(slot);
    for (int32_t slot : retired_)
        holes_[index[static_cast<size_t>(slot)].length].insert(slot);
    idsToZero_ = std::move(pass.deleted);
    oldCopies_ = std::move(pass.superseded);
    retired_ = std::move(pass.retiring);
    staged_.clear();
    stagedByKey_.clear();
    return true;
}

// Earlier passes: ids of holes whose type is durably 0, and the types (now)
// and ids (after the first sync) of old copies whose replacement is
// committed. Old records of earlier re-keys: the same, and their index
// entries stop naming a successor once their type is durably 0.
void TNRAFile::finishEarlierPasses(CommitPass& pass)
{
    for (int32_t slot : idsToZero_)
        pass.first.Add(index[static_cast<size_t>(slot)].position + 2u, std::string_view(kZeros, 4));
    for (int32_t slot : oldCopies_) {
        pass.first.Add(index[static_cast<size_t>(slot)].position, std::string_view(kZeros, 2));
        pass.second.Add(index[static_cast<size_t>(slot)].position + 2u, std::string_view(kZeros, 4));
    }
    for (int32_t slot : retired_) {
        pass.first.Add(index[static_cast<size_t>(slot)].position, std::string_view(kZeros, 2));
        pass.second.Add(index[static_cast<size_t>(slot)].position + 2u, std::string_view(kZeros, 4));
        index[static_cast<size_t>(slot)].id = 0;
        pass.dirty.push_back(slot);
    }
}

bool TNRAFile::placeStaged(CommitPass& pass, const Staged& staged)
{
    int32_t old = getIndexPosById(staged.id, staged.type);
    // Retired with its successor below.
    if (old >= 0 && pass.retiredNow.count(old) != 0)
        return true;
    if (staged.remove) {
        if (old >= 0) {
            pass.second.Add(index[static_cast<size_t>(old)].position, std::string_view(kZeros, 2));
            setEntry(old, raftHole, 0, false);
            pass.dirty.push_back(old);
            pass.deleted.push_back(old);
        }
        return true;
    }
    auto length = static_cast<uint32_t>(staged.data.size());
    int32_t hole = takeHole(length);
    if (hole >= 0) {
        // The place stays a hole until its type arrives in the second phase.
        std::string bytes(8 + staged.data.size(), '\0');
        PutU32(bytes.data(), staged.id);
        PutU32(bytes.data() + 4, length);
        std::copy(staged.data.begin(), staged.data.end(), bytes.begin() + 8);
        pass.first.Add(index[static_cast<size_t>(hole)].position + 2u, bytes);
        pass.second.AddU16(index[static_cast<size_t>(hole)].position, staged.type);
        setEntry(hole, staged.type, staged.id);
        pass.dirty.push_back(hole);
    } else if (!appendStaged(pass, staged)) {
        return false;
    }
    if (old >= 0) {
        setEntry(old, raftHole, 0, false);
        pass.dirty.push_back(old);
        pass.superseded.push_back(old);
    }
    auto rekey = pass.rekeys.find(Key(staged.type, staged.id));
    if (rekey != pass.rekeys.end()) {
        // The old record's entry names its successor before the successor
        // goes live; memory keeps the name so that the index writes of this
        // pass repeat it.
        int32_t place = rekey->second.place;
        setEntry(place, raftHole, 0, false);
        TNRAFileIndexEntry& entry = index[static_cast<size_t>(place)];
        entry.id = staged.id;
        char bytes[kIndexEntrySize];
        EncodeIndexEntry(entry, bytes);
        pass.successors.Add(entry.ownOffset, std::string_view(bytes, sizeof bytes));
        pass.retiring.push_back(place);
    }
    return true;
}

// Appended whole behind the committed count, which commits it.
bool TNRAFile::appendStaged(CommitPass& pass, const Staged& staged)
{
    auto length = static_cast<uint32_t>(staged.data.size());
    uint64_t position = pass.appendAt + pass.appended.size();
    uint64_t ownOffset = indexCountFilePos + 4 + static_cast<uint64_t>(index.size()) * kIndexEntrySize;
    if (position + kRecordHeaderSize + length > UINT32_MAX || ownOffset > UINT32_MAX || index.size() >= INT32_MAX) {
        LogTextUInt("[TNRAFile::commit][ERROR] data file full; id = ", staged.id);
        return false;
    }
    std::string& appended = pass.appended;
    size_t at = appended.size();
    appended.resize(at + kRecordHeaderSize + length);
    PutU16(appended.data() + at, staged.type);
    PutU32(appended.data() + at + 2, staged.id);
    PutU32(appended.data() + at + 6, length);
    std::copy(staged.data.begin(), staged.data.end(), appended.begin() + static_cast<ptrdiff_t>(at) + 10);
    TNRAFileIndexEntry entry;
    entry.type = staged.type;
    entry.id = staged.id;
    entry.length = length;
    entry.position = static_cast<uint32_t>(position);
    entry.ownOffset = static_cast<uint32_t>(ownOffset);
    index.push_back(entry);
    linkEntry(static_cast<int32_t>(index.size() - 1), true);
    pass.dirty.push_back(static_cast<int32_t>(index.size() - 1));
    return true;
}

bool TNRAFile::writePass(CommitPass& pass, uint32_t appendedCount)
{
    // Phase 1, then the sync that makes the new copies durable before
    // anything makes them live.
    bool ok = pass.appended.empty() || handle.WriteAt(pass.appendAt, pass.appended.data(), pass.appended.size());
    bool firstWrites = !pass.appended.empty() || !pass.first.Empty();
    ok = ok && pass.first.Apply(handle);
    ok = ok && (!firstWrites || handle.Sync());
    bool successorsNamed = !pass.successors.Empty();
    ok = ok && pass.successors.Apply(indexHandle) && (!successorsNamed || indexHandle.Sync());

    // Phase 2: types, count and index; then both files synced.
    if (appendedCount > 0)
        pass.second.AddU32(itemsCountFilePos, itemsCount + appendedCount);
    bool secondWrites = !pass.second.Empty();
    ok = ok && pass.second.Apply(handle);
    WritePlan indexWrites = IndexWritesOf(index, pass.dirty);
    if (appendedCount > 0)
        indexWrites.AddU32(indexCountFilePos, static_cast<uint32_t>(index.size()));
    bool indexWritten = !indexWrites.Empty();
    ok = ok && indexWrites.Apply(indexHandle);
    ok = ok && (!secondWrites || handle.Sync());
    return ok && (!indexWritten || indexHandle.Sync());
}

void TNRAFile::noteReplacement(uint8_t type, uint32_t newId, uint32_t oldId)
{
    if (type == raftHole || newId == 0 || oldId == 0 || newId == oldId)
        return;
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    try {
        replacements_[Key(type, newId)] = oldId;
    } catch (const std::bad_alloc&) {
        // The old record then goes in the deletion that follows the write.
    }
}

std::unordered_map<uint64_t, TNRAFile::Rekey> TNRAFile::takeRekeys()
{
    std::unordered_map<uint64_t, Rekey> rekeys;
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    for (const Staged& staged : staged_) {
        auto found = replacements_.find(Key(staged.type, staged.id));
        if (found == replacements_.end())
            continue;
        uint32_t oldId = found->second;
        // Taken by this pass whatever it writes: a replacement never waits
        // for a later write, which might follow a reuse of the old id.
        replacements_.erase(found);
        int32_t old = getIndexPosById(oldId, staged.type);
        auto rewritten = stagedByKey_.find(Key(staged.type, oldId));
        bool oldRewritten = rewritten != stagedByKey_.end() && !staged_[rewritten->second].remove;
        if (staged.remove || old < 0 || oldRewritten)
            continue;
        rekeys.emplace(Key(staged.type, staged.id), Rekey{old, oldId});
    }
    return rekeys;
}

bool TNRAFile::settle()
{
    if (!commit())
        return false;
    if (oldCopies_.empty() && idsToZero_.empty() && retired_.empty())
        return true;
    if (!handle.IsOpen() || needsReindex_)
        return false;
    dropContent();
    WritePlan first;
    WritePlan second;
    WritePlan entries;
    for (int32_t slot : idsToZero_)
        first.Add(index[static_cast<size_t>(slot)].position + 2u, std::string_view(kZeros, 4));
    for (const std::vector<int32_t>* copies : {&oldCopies_, &retired_}) {
        for (int32_t slot : *copies) {
            first.Add(index[static_cast<size_t>(slot)].position, std::string_view(kZeros, 2));
            second.Add(index[static_cast<size_t>(slot)].position + 2u, std::string_view(kZeros, 4));
        }
    }
    // Retired records' entries stop naming a successor once their type is durably 0.
    for (int32_t slot : retired_) {
        index[static_cast<size_t>(slot)].id = 0;
        char bytes[kIndexEntrySize];
        EncodeIndexEntry(index[static_cast<size_t>(slot)], bytes);
        entries.Add(index[static_cast<size_t>(slot)].ownOffset, std::string_view(bytes, sizeof bytes));
    }
    bool copiesLeft = !oldCopies_.empty() || !retired_.empty();
    bool ok = first.Apply(handle) && handle.Sync() && second.Apply(handle) && (!copiesLeft || handle.Sync()) &&
              entries.Apply(indexHandle) && (retired_.empty() || indexHandle.Sync());
    if (!ok) {
        needsReindex_ = true;
        return false;
    }
    for (const std::vector<int32_t>* copies : {&oldCopies_, &retired_})
        for (int32_t slot : *copies)
            holes_[index[static_cast<size_t>(slot)].length].insert(slot);
    oldCopies_.clear();
    idsToZero_.clear();
    retired_.clear();
    return true;
}

// ---------------------------------------------------------------- checking and recovering

// What opening found in the data file and what it must write.
struct TNRAFile::RecoveryPlan {
    std::vector<TNRAFileIndexEntry> entries;
    // Type bytes first (synced), then ids, lengths of damaged records, the
    // count and the cut.
    WritePlan first;
    WritePlan second;
    bool firstWrites = false;
    bool secondWrites = false;
    uint64_t end = 0;
    bool cut = false;
    // Something the protocol of a save pass cannot leave behind.
    bool damaged = false;
    // Committed records lost to the damage; they are copied aside first.
    uint32_t dropped = 0;
    std::vector<std::string> notes;
    bool matchesIndex = false;
    // The live records of `entries` by (type, id).
    TNRecordKeyMap live;
    // The chain as scanned, and which of its records are damage.
    std::vector<ScannedRecord> records;
    std::vector<bool> damagedRecord;
};

bool TNRAFile::planRecovery(RecoveryPlan& plan) const
{
    const uint64_t start = itemsCountFilePos + 4u;
    if (content_.size() < start)
        return false;
    // 1. The chain of records, finding its way past a damaged length
    // through the index.
    const uint64_t scanEnd = scanRecordChain(plan, start);
    // 2. What is committed.
    cutUncommitted(plan, scanEnd);
    // 3. Each record's state, and one copy kept of a record found twice.
    std::unordered_map<uint64_t, std::vector<size_t>> copies;
    classifyRecords(plan, copies);
    keepOneCopy(plan, copies);
    // 4. A re-key cut short.
    undoCutRekeys(plan);
    if (itemsCount != plan.records.size())
        plan.second.AddU32(itemsCountFilePos, static_cast<uint32_t>(plan.records.size()));
    plan.firstWrites = !plan.first.Empty();
    plan.secondWrites = !plan.second.Empty() || plan.cut;
    // 5. The fast path: the index on disk is exactly what a rebuild writes.
    plan.matchesIndex = indexMatchesPlan(plan);
    return true;
}

uint64_t TNRAFile::scanRecordChain(RecoveryPlan& plan, uint64_t start) const
{
    const std::string_view data(content_);
    const uint64_t size = data.size();
    const std::vector<TNRAFileIndexEntry>& listed = index;
    const bool indexUsable = indexUsable_;
    auto header = [&](uint64_t at, uint32_t& type, uint32_t& id, uint32_t& length) {
        type = GetU16(data.data() + at);
        id = GetU32(data.data() + at + 2);
        length = GetU32(data.data() + at + 6);
    };
    // True when entry j of the index is where the data file has a record of
    // its length that fits (or j is just past the last entry at the end).
    auto continuesAt = [&](uint64_t at, size_t j) {
        if (at == size)
            return j == listed.size();
        if (j >= listed.size() || listed[j].position != at || at + kRecordHeaderSize > size)
            return false;
        uint32_t type = 0, id = 0, length = 0;
        header(at, type, id, length);
        return length == listed[j].length && at + kRecordHeaderSize + length <= size;
    };
    std::vector<ScannedRecord>& records = plan.records;
    std::vector<bool>& damagedRecord = plan.damagedRecord;
    records.reserve(std::min<uint64_t>(itemsCount, size / kRecordHeaderSize));
    uint64_t at = start;
    while (at < size && at <= UINT32_MAX) {
        size_t k = records.size();
        const TNRAFileIndexEntry* entry =
            indexUsable && k < listed.size() && listed[k].position == at ? &listed[k] : nullptr;
        if (at + kRecordHeaderSize > size)
            break;
        // The chain from header to header waits on memory at each step; the
        // index knows the places ahead.
        if (indexUsable && k + kPrefetchAhead < listed.size() && listed[k + kPrefetchAhead].position < size)
            __builtin_prefetch(data.data() + listed[k + kPrefetchAhead].position);
        uint32_t type = 0, id = 0, length = 0;
        header(at, type, id, length);
        uint64_t next = at + kRecordHeaderSize + length;
        uint64_t guided = 0;
        size_t skipped = 1;
        if (entry != nullptr && entry->length != length && continuesAt(at + kRecordHeaderSize + entry->length, k + 1)) {
            guided = at + kRecordHeaderSize + entry->length;
        } else if (next > size && indexUsable) {
            for (size_t j = k + 1; j < listed.size(); ++j) {
                if (listed[j].position > at + kRecordHeaderSize && continuesAt(listed[j].position, j)) {
                    guided = listed[j].position;
                    skipped = j - k;
                    break;
                }
            }
        }
        if (guided != 0) {
            // The bytes up to where the index leads on become one hole; what
            // they held counts as dropped.
            auto holeLength = static_cast<uint32_t>(guided - at - kRecordHeaderSize);
            records.push_back({0, 0, holeLength, static_cast<uint32_t>(at)});
            damagedRecord.push_back(true);
            char bytes[10] = {};
            PutU32(bytes + 6, holeLength);
            plan.first.Add(at, std::string_view(bytes, sizeof bytes));
            plan.damaged = true;
            plan.dropped += static_cast<uint32_t>(skipped);
            at = guided;
            continue;
        }
        if (next > size)
            break;
        records.push_back({static_cast<uint16_t>(type), id, length, static_cast<uint32_t>(at)});
        damagedRecord.push_back(false);
        at = next;
    }
    return at;
}

// What is committed: the count of the data file, or the count of the
// durable index when it is larger (written only after the appended records
// were synced). What lies behind was never committed.
void TNRAFile::cutUncommitted(RecoveryPlan& plan, uint64_t scanEnd) const
{
    const uint64_t size = content_.size();
    const std::vector<TNRAFileIndexEntry>& listed = index;
    std::vector<ScannedRecord>& records = plan.records;
    const uint64_t at = scanEnd;
    uint64_t committed = std::min<uint64_t>(itemsCount, records.size());
    if (indexUsable_ && listed.size() > committed && listed.size() <= records.size())
        committed = listed.size();
    if (records.size() > committed || at != size) {
        plan.cut = true;
        plan.end = committed == records.size() ? at : records[committed].position;
        if (itemsCount > committed) {
            // A committed record cut short: damage, not a crash of a pass.
            plan.damaged = true;
            plan.dropped += static_cast<uint32_t>(itemsCount - committed);
        }
        std::string note = "[TNRAF::reindexFile] uncommitted tail cut; bytes = " + std::to_string(size - plan.end);
        plan.notes.push_back(note);
    } else {
        plan.end = at;
    }
    if (itemsCount > records.size() && !plan.cut)
        plan.damaged = true;
    records.resize(committed);
}

// Each record's state, and of several live copies of one record the one to
// keep: the copy the durable index lists at its place (the save pass writes
// that index only after the copy is durable); when it lists none or
// several, the last in the file. The others become holes.
void TNRAFile::classifyRecords(RecoveryPlan& plan, std::unordered_map<uint64_t, std::vector<size_t>>& copies) const
{
    const std::vector<TNRAFileIndexEntry>& listed = index;
    const bool indexUsable = indexUsable_;
    const std::vector<ScannedRecord>& records = plan.records;
    const std::vector<bool>& damagedRecord = plan.damagedRecord;
    plan.entries.resize(records.size());
    plan.live.reserve(records.size());
    for (size_t k = 0; k < records.size(); ++k) {
        if (k + kPrefetchAhead < records.size())
            plan.live.prefetch(Key(records[k + kPrefetchAhead].type, records[k + kPrefetchAhead].id));
        const ScannedRecord& record = records[k];
        TNRAFileIndexEntry& entry = plan.entries[k];
        entry.length = record.length;
        entry.position = record.position;
        entry.ownOffset = static_cast<uint32_t>(kIndexHeaderSize + 4 + k * kIndexEntrySize);
        const TNRAFileIndexEntry* aligned = indexUsable && k < listed.size() && listed[k].position == record.position &&
                                                    listed[k].length == record.length
                                                ? &listed[k]
                                                : nullptr;
        if (record.type == raftHole) {
            if (record.id != 0)
                plan.second.Add(record.position + 2u, std::string_view(kZeros, 4));
            continue;
        }
        if (record.id == 0) {
            plan.first.Add(record.position, std::string_view(kZeros, 2));
            continue;
        }
        entry.type = record.type;
        entry.id = record.id;
        // Another type at the place the index lists: a pass never leaves
        // that. (Another id alone is left to the loader, which compares it
        // with the id in the record's body.)
        if (aligned != nullptr && !aligned->IsHole() && aligned->type != record.type && !damagedRecord[k])
            plan.damaged = true;
        if (entry.IsUnknownType())
            continue;
        uint64_t key = Key(record.type, record.id);
        int32_t first = plan.live.insert(key, static_cast<int32_t>(k));
        if (first != static_cast<int32_t>(k)) {
            std::vector<size_t>& places = copies[key];
            if (places.empty())
                places.push_back(static_cast<size_t>(first));
            places.push_back(k);
        }
    }
}

void TNRAFile::keepOneCopy(RecoveryPlan& plan, const std::unordered_map<uint64_t, std::vector<size_t>>& copies) const
{
    const std::vector<TNRAFileIndexEntry>& listed = index;
    const bool indexUsable = indexUsable_;
    const std::vector<ScannedRecord>& records = plan.records;
    for (const auto& [key, places] : copies) {
        size_t keep = places.back();
        std::vector<size_t> listedHere;
        for (size_t k : places) {
            if (indexUsable && k < listed.size() && listed[k].position == records[k].position &&
                listed[k].type == records[k].type && listed[k].id == records[k].id)
                listedHere.push_back(k);
        }
        if (listedHere.size() == 1)
            keep = listedHere.front();
        plan.live.assign(key, static_cast<int32_t>(keep));
        for (size_t k : places) {
            if (k == keep)
                continue;
            plan.first.Add(records[k].position, std::string_view(kZeros, 2));
            plan.second.Add(records[k].position + 2u, std::string_view(kZeros, 4));
            plan.entries[k].type = raftHole;
            plan.entries[k].id = 0;
            plan.notes.push_back(
                "[TNRAF::reindexFile] two copies of one record; type = " + std::to_string(records[k].type) +
                "; id = " + std::to_string(records[k].id) + "; kept at " + std::to_string(records[keep].position) +
                ", hole at " + std::to_string(records[k].position));
        }
    }
}

// A re-key cut short: the durable index lists the old record's place as a
// hole naming its successor. The old record goes when the successor is
// live, and stays when the cut came before it was.
void TNRAFile::undoCutRekeys(RecoveryPlan& plan) const
{
    const std::vector<TNRAFileIndexEntry>& listed = index;
    const std::vector<ScannedRecord>& records = plan.records;
    for (size_t k = 0; k < records.size() && k < listed.size(); ++k) {
        const ScannedRecord& record = records[k];
        const TNRAFileIndexEntry& entry = listed[k];
        if (plan.entries[k].IsHole() || plan.entries[k].IsUnknownType() || entry.type != raftHole || entry.id == 0 ||
            entry.id == record.id || entry.position != record.position || entry.length != record.length ||
            plan.live.find(Key(record.type, entry.id)) < 0)
            continue;
        if (plan.live.find(Key(record.type, record.id)) == static_cast<int32_t>(k))
            plan.live.erase(Key(record.type, record.id));
        plan.first.Add(record.position, std::string_view(kZeros, 2));
        plan.second.Add(record.position + 2u, std::string_view(kZeros, 4));
        plan.entries[k].type = raftHole;
        plan.entries[k].id = 0;
        plan.notes.push_back(
            "[TNRAF::reindexFile] record replaced by its new id; type = " + std::to_string(record.type) +
            "; id = " + std::to_string(record.id) + "; new id = " + std::to_string(entry.id));
    }
}

bool TNRAFile::indexMatchesPlan(const RecoveryPlan& plan) const
{
    const std::vector<TNRAFileIndexEntry>& listed = index;
    bool matches = indexUsable_ && !plan.firstWrites && !plan.secondWrites && !plan.damaged &&
                   listed.size() == plan.entries.size() && raIndexVersion == raVersion &&
                   indexCountFilePos == kIndexHeaderSize &&
                   indexFileSize_ == kIndexHeaderSize + 4 + plan.entries.size() * kIndexEntrySize;
    for (size_t k = 0; matches && k < plan.entries.size(); ++k) {
        const TNRAFileIndexEntry& a = listed[k];
        const TNRAFileIndexEntry& b = plan.entries[k];
        matches = a.type == b.type && a.id == b.id && a.length == b.length && a.position == b.position;
    }
    return matches;
}

std::string TNRAFile::asidePath() const
{
    return raFile + "." + LocalTimeStamp();
}

bool TNRAFile::applyRecovery(RecoveryPlan& plan)
{
    for (const std::string& note : plan.notes)
        LogText(note.c_str());
    std::string aside;
    if (plan.dropped > 0) {
        // Nothing goes that is not kept beside the file first.
        aside = asidePath();
        if (!plat::WriteFileAtomically(aside, content_, 0600)) {
            LogWrite("[TNRAF::reindexFile][ERROR] cannot copy the damaged data file aside; left as it is: ",
                     raFile.c_str(), false);
            return false;
        }
    }
    if (plan.damaged) {
        uint32_t kept = 0;
        for (const TNRAFileIndexEntry& entry : plan.entries)
            kept += entry.IsHole() ? 0 : 1;
        std::string text = raFile + "; records kept = " + std::to_string(kept) +
                           "; dropped = " + std::to_string(plan.dropped) +
                           "; copy = " + (aside.empty() ? std::string("none") : aside);
        LogWrite("[TNRAF::reindexFile][ERROR] damaged data file ", text.c_str(), false);
    }
    bool ok = plan.first.Apply(handle) && (!plan.firstWrites || handle.Sync());
    ok = ok && plan.second.Apply(handle) && (!plan.cut || handle.Truncate(plan.end)) &&
         (!plan.secondWrites || handle.Sync());
    if (!ok)
        return false;
    std::string bytes;
    index = std::move(plan.entries);
    indexCount = static_cast<uint32_t>(index.size());
    indexCountFilePos = kIndexHeaderSize;
    indexHandle.Close();
    if (!plat::WriteFileAtomically(raIndexFile, indexFileBytes(), 0600) ||
        !indexHandle.Open(raIndexFile, plat::File::Mode::ReadWrite))
        return false;
    raIndexVersion = raVersion;
    return true;
}

std::string TNRAFile::indexFileBytes() const
{
    std::string bytes;
    plat::ByteWriter writer(bytes);
    WriteHeader("rafIndexFile", raVersion, writer);
    WriteUNumber(static_cast<uint32_t>(index.size()), 4, writer);
    size_t first = bytes.size();
    bytes.resize(first + index.size() * kIndexEntrySize);
    for (size_t i = 0; i < index.size(); ++i)
        EncodeIndexEntry(index[i], bytes.data() + first + i * kIndexEntrySize);
    return bytes;
}

bool TNRAFile::checkIndexAgainstData()
{
    RecoveryPlan plan;
    if (!planRecovery(plan) || !plan.matchesIndex)
        return false;
    itemsCount = static_cast<uint32_t>(index.size());
    indexCount = itemsCount;
    dataEnd_ = plan.end;
    takeLookups(plan.live);
    windowSize_ = 0;
    needsReindex_ = false;
    stateDurable_ = false;
    return true;
}

bool TNRAFile::rebuildIndex(uint32_t& oldCount, uint32_t& newCount)
{
    oldCount = indexCount;
    newCount = 0;
    needsReindex_ = true;
    staged_.clear();
    stagedByKey_.clear();
    oldCopies_.clear();
    idsToZero_.clear();
    retired_.clear();
    // After a failed write the memory is not what the disk holds: read both again.
    if (content_.empty() && !readDataFile())
        return false;
    if (indexHandle.IsOpen())
        readIndexFile();
    RecoveryPlan plan;
    if (!planRecovery(plan))
        return false;
    uint64_t end = plan.end;
    auto count = static_cast<uint32_t>(plan.entries.size());
    // Memory shows what was found even when the repair cannot be written.
    std::vector<TNRAFileIndexEntry> found = plan.entries;
    bool written = applyRecovery(plan);
    if (!written) {
        index = std::move(found);
        indexCount = count;
    }
    itemsCount = count;
    newCount = count;
    dataEnd_ = end;
    takeLookups(plan.live);
    windowSize_ = 0;
    if (plan.cut && written)
        content_ = content_.substr(0, static_cast<size_t>(end));
    needsReindex_ = !written;
    // The repair synced the data file and replaced the index atomically.
    stateDurable_ = written;
    return written;
}

// ---------------------------------------------------------------- save queue

bool TNRAFile::add_toSave(uint8_t type, uint32_t id, int32_t position, uint32_t deleted, bool deleteAllowed, bool log)
{
    // 1. The busy byte keeps its contract; the queue itself is guarded by the
    // mutex, so a caller that gave up waiting is still safe.
    for (int polls = 0; runningAddToSave.exchange(true);) {
        if (polls == kAddToSaveMaxPolls)
            break;
        plat::SleepMilliseconds(kAddToSavePollMs);
        ++polls;
        if (polls % kAddToSaveLogEvery == 0)
            LogText("[TNRAFile::add_toSave][WAITING...]");
    }
    struct Release {
        std::atomic<bool>& busy;
        ~Release() { busy.store(false); }
    } release{runningAddToSave};

    try {
        // 2. The call, when asked.
        if (log)
            LogWrite("[TNRAFile::add_toSave][BEGIN] type = ", RaftTypeName(type), false);
        std::lock_guard<std::mutex> lock(toSaveMutex_);
        // 3. The item of this record, else the first free one, else a new one.
        int32_t slot = -1;
        auto queued = queued_.find(Key(type, id));
        if (queued != queued_.end()) {
            slot = queued->second;
        } else if (!freeSlots_.empty()) {
            slot = *freeSlots_.begin();
            LogTextInt("[TNRAFile::add_toSave][REUSE] to_save_pos = ", slot);
            const TNRAFileToSave& reused = toSave_[static_cast<size_t>(slot)];
            queued_.erase(Key(reused.type, reused.id));
        } else {
            if (!resize_toSave_locked(static_cast<int32_t>(toSave_.size()) + 1))
                return false;
            slot = static_cast<int32_t>(toSave_.size()) - 1;
        }
        freeSlots_.erase(slot);
        queued_[Key(type, id)] = slot;
        // 4. The item describes the record; a deletion is written as a hole
        // where that is allowed.
        TNRAFileToSave& item = toSave_[static_cast<size_t>(slot)];
        item.saved = 0;
        item.type = type;
        item.retype = type;
        item.id = id;
        item.position = position;
        if (deleted != 0 && deleteAllowed)
            item.retype = raftHole;
        item.generation = ++nextGeneration_;
        return true;
    } catch (...) {
        ExceptionHandler("TNRAFile::add_toSave", 0, 0);
        return false;
    }
}

bool TNRAFile::resize_toSave(int32_t n)
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    return resize_toSave_locked(n);
}

bool TNRAFile::resize_toSave_locked(int32_t n)
{
    LogText("[TNRAFile::resize_toSave][BEGIN]");
    if (n <= 0) {
        std::vector<TNRAFileToSave>().swap(toSave_);
        queued_.clear();
        freeSlots_.clear();
    } else {
        for (size_t slot = static_cast<size_t>(n); slot < toSave_.size(); ++slot) {
            auto queued = queued_.find(Key(toSave_[slot].type, toSave_[slot].id));
            if (queued != queued_.end() && queued->second == static_cast<int32_t>(slot))
                queued_.erase(queued);
        }
        freeSlots_.erase(freeSlots_.lower_bound(n), freeSlots_.end());
        try {
            toSave_.resize(static_cast<size_t>(n));
        } catch (const std::bad_alloc&) {
            LogText("[TNRAFile::resize_toSave][ERROR]");
            return false;
        }
    }
    LogText("[TNRAFile::resize_toSave][END]");
    return true;
}

void TNRAFile::clean_toSave()
{
    if (runningAddToSave.load()) {
        LogText("[TNRAFile::clean_toSave][RETURN] runningAddToSave = true");
        return;
    }
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    size_t keep = toSave_.size();
    while (keep > 0 && toSave_[keep - 1].saved == 1)
        --keep;
    if (keep != toSave_.size())
        resize_toSave_locked(static_cast<int32_t>(keep));
}

int32_t TNRAFile::toSaveCount() const
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    return static_cast<int32_t>(toSave_.size());
}

int32_t TNRAFile::toSaveSavedCount() const
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    return static_cast<int32_t>(
        std::count_if(toSave_.begin(), toSave_.end(), [](const TNRAFileToSave& item) { return item.saved == 1; }));
}

bool TNRAFile::get_toSave(int32_t tsp, TNRAFileToSave& item)
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    if (tsp < 0 || static_cast<size_t>(tsp) >= toSave_.size())
        return false;
    toSave_[static_cast<size_t>(tsp)].seenGeneration = toSave_[static_cast<size_t>(tsp)].generation;
    item = toSave_[static_cast<size_t>(tsp)];
    return true;
}

bool TNRAFile::set_toSavePosition(int32_t tsp, int32_t position)
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    if (tsp < 0 || static_cast<size_t>(tsp) >= toSave_.size())
        return false;
    toSave_[static_cast<size_t>(tsp)].position = position;
    return true;
}

bool TNRAFile::writeOff_toSave(int32_t tsp)
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    if (tsp < 0 || static_cast<size_t>(tsp) >= toSave_.size())
        return false;
    TNRAFileToSave& item = toSave_[static_cast<size_t>(tsp)];
    if (item.seenGeneration != 0 && item.seenGeneration != item.generation)
        return false;
    item.saved = 1;
    item.seenGeneration = 0;
    freeSlots_.insert(tsp);
    return true;
}

int32_t TNRAFile::find_toSave(uint8_t type, uint32_t id) const
{
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    auto queued = queued_.find(Key(type, id));
    if (queued == queued_.end() || toSave_[static_cast<size_t>(queued->second)].saved != 0)
        return -1;
    return queued->second;
}

// ---------------------------------------------------------------- writing

bool TNRAFile::save_stream(int32_t tsp)
{
    TNRAFileToSave item;
    {
        std::lock_guard<std::mutex> lock(toSaveMutex_);
        if (tsp < 0 || static_cast<size_t>(tsp) >= toSave_.size()) {
            LogTextInt("[TNRAFile::save_stream][ERROR] tsp = ", tsp);
            return false;
        }
        item = toSave_[static_cast<size_t>(tsp)];
    }
    // The state the pass serialised: the one it saw when it took the item,
    // or the current one when nobody took it.
    uint64_t written = item.seenGeneration != 0 ? item.seenGeneration : item.generation;
    LogWrite(
        "[TNRAFile::save_stream][BEGIN] id = ",
        (IdToAnsi(item.id) + "; type = " + RaftTypeName(item.type) + "; retype = " + RaftTypeName(item.retype)).c_str(),
        false);
    if (!handle.IsOpen()) {
        LogText("[TNRAFile::save_stream][ERROR] handle = NULL!");
        return false;
    }
    bool remove = item.retype == raftHole;
    if (remove && getIndexPosById(item.id, item.type) < 0 && stagedByKey_.count(Key(item.type, item.id)) == 0)
        LogText("[TNRAFile::save_stream] Item does not exist in stream, no need to retype");
    else if (needsReindex_ || stream.size() > UINT32_MAX - kRecordHeaderSize ||
             !stage(item.type, item.id, remove, item.position)) {
        LogWrite("[TNRAFile::save_stream][ERROR] cannot stage; id = ", IdToAnsi(item.id).c_str(), false);
        return false;
    }
    std::lock_guard<std::mutex> lock(toSaveMutex_);
    if (static_cast<size_t>(tsp) < toSave_.size()) {
        TNRAFileToSave& current = toSave_[static_cast<size_t>(tsp)];
        // Queued again while it was written: the newer state goes in the next pass.
        if (current.generation == written) {
            current.saved = 1;
            freeSlots_.insert(tsp);
        }
        current.seenGeneration = 0;
    }
    return true;
}

std::string TNRAFile::IdToAnsi(uint32_t id)
{
    return std::to_string(id);
}

// ---------------------------------------------------------------- reading for a load

uint32_t TNRAFile::entryCount() const
{
    return static_cast<uint32_t>(std::min<size_t>(indexCount, index.size()));
}

bool TNRAFile::liveEntry(uint32_t n, uint16_t& type, uint32_t& id) const
{
    if (n >= index.size() || index[n].IsHole())
        return false;
    type = index[n].type;
    id = index[n].id;
    return true;
}

int64_t TNRAFile::openEntry(uint32_t n)
{
    if (n >= index.size() || index[n].IsHole() || index[n].IsUnknownType())
        return -1;
    // A load walks the entries in order: the record a few entries ahead
    // comes from memory while this one is read. (In this body: a function
    // made only of prefetches counts as doing nothing and is dropped.)
    if (size_t ahead = size_t{n} + kLoadPrefetchAhead; ahead < index.size()) {
        const TNRAFileIndexEntry& next = index[ahead];
        uint64_t end = std::min<uint64_t>({content_.size(), uint64_t{next.position} + kRecordHeaderSize + next.length,
                                           uint64_t{next.position} + kPrefetchRecordBytes});
        for (uint64_t at = next.position; at < end; at += kCacheLine)
            __builtin_prefetch(content_.data() + at);
    }
    const TNRAFileIndexEntry& entry = index[n];
    return loadStreamHeader(entry.position, static_cast<uint8_t>(entry.type), entry.id);
}

bool TNRAFile::holeRecord(uint8_t type, uint32_t id)
{
    int32_t position = getIndexPosById(id, type);
    return position >= 0 && createHole(position);
}
