#include "foundation/record_file.h"

#include "foundation/file_numbers.h"
#include "foundation/log.h"
#include "platform/core/clock.h"

#include <algorithm>
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

// A record of the data file is a hole when its type or id is 0 or its type is
// not one the program knows.
bool IsHoleHeader(uint32_t type, uint32_t id)
{
    return type == raftHole || id == 0 || type > kRaftLastType;
}

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
        return writeIndex(indexCountFilePos, bytes, sizeof bytes);
    }
    return true;
}

bool TNRAFile::readIndexEntry(plat::ByteReader& in, uint32_t base, TNRAFileIndexEntry& entry)
{
    entry.ownOffset = base + static_cast<uint32_t>(in.Position());
    std::string_view bytes;
    if (!in.ReadView(kIndexEntrySize, bytes))
        return false;
    uint32_t type = GetU16(bytes.data());
    entry.length = GetU32(bytes.data() + 2);
    entry.id = GetU32(bytes.data() + 6);
    entry.position = GetU32(bytes.data() + 10);
    // An unknown type is kept as a hole; the check against the data file
    // treats both alike.
    entry.type = static_cast<uint8_t>(type);
    if (IsHoleHeader(type, entry.id)) {
        entry.type = raftHole;
        entry.id = 0;
    }
    return true;
}

bool TNRAFile::writeIndexEntry(const TNRAFileIndexEntry& entry)
{
    char bytes[kIndexEntrySize];
    EncodeIndexEntry(entry, bytes);
    return writeIndex(entry.ownOffset, bytes, sizeof bytes);
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
    if (!writeIndex(indexCountFilePos, count, sizeof count))
        return -1;
    try {
        index.push_back(entry);
    } catch (const std::bad_alloc&) {
        needsReindex_ = true;
        return -1;
    }
    ++indexCount;
    int32_t newPosition = static_cast<int32_t>(index.size() - 1);
    linkEntry(newPosition);
    return newPosition;
}

int32_t TNRAFile::getIndexPosById(uint32_t id, uint8_t type) const
{
    if (type == raftHole || id == 0)
        return -1;
    auto found = live_.find(Key(type, id));
    return found == live_.end() ? -1 : found->second;
}

int32_t TNRAFile::getIndexHolePosByLength(uint32_t length) const
{
    auto found = holes_.find(length);
    if (found == holes_.end() || found->second.empty())
        return -1;
    return *found->second.begin();
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
    auto found = live_.find(Key(entry.type, entry.id));
    if (found != live_.end() && found->second == position)
        live_.erase(found);
}

void TNRAFile::linkEntry(int32_t position)
{
    TNRAFileIndexEntry& entry = index[static_cast<size_t>(position)];
    if (entry.IsHole()) {
        entry.type = raftHole;
        entry.id = 0;
        holes_[entry.length].insert(position);
    } else {
        live_[Key(entry.type, entry.id)] = position;
    }
}

void TNRAFile::setEntry(int32_t position, uint8_t type, uint32_t id)
{
    unlinkEntry(position);
    index[static_cast<size_t>(position)].type = type;
    index[static_cast<size_t>(position)].id = id;
    linkEntry(position);
}

void TNRAFile::rebuildLookups()
{
    live_.clear();
    live_.reserve(index.size());
    holes_.clear();
    for (size_t i = 0; i < index.size(); ++i) {
        const TNRAFileIndexEntry& entry = index[i];
        if (entry.IsHole())
            holes_[entry.length].insert(static_cast<int32_t>(i));
        else
            live_[Key(entry.type, entry.id)] = static_cast<int32_t>(i);
    }
}

void TNRAFile::closeFiles()
{
    handle.Close();
    indexHandle.Close();
    clearIndex();
    itemsCount = 0;
    dataEnd_ = 0;
    needsReindex_ = false;
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

bool TNRAFile::createHole(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) >= index.size())
        return false;
    TNRAFileIndexEntry hole = index[static_cast<size_t>(position)];
    hole.type = raftHole;
    hole.id = 0;
    if (handle.IsOpen() && indexHandle.IsOpen()) {
        // Type first: a write cut short already leaves a hole.
        char header[6] = {};
        if (!writeData(hole.position, header, sizeof header) || !writeIndexEntry(hole)) {
            needsReindex_ = true;
            return false;
        }
    }
    setEntry(position, raftHole, 0);
    return true;
}

// ---------------------------------------------------------------- files

bool TNRAFile::writeData(uint64_t offset, const void* data, size_t size)
{
    windowSize_ = 0;
    return handle.WriteAt(offset, data, size);
}

bool TNRAFile::writeIndex(uint64_t offset, const void* data, size_t size)
{
    return indexHandle.IsOpen() && indexHandle.WriteAt(offset, data, size);
}

bool TNRAFile::writeIntoHole(int32_t hole, uint8_t type, uint32_t id)
{
    const TNRAFileIndexEntry& entry = index[static_cast<size_t>(hole)];
    // The place stays a hole until its type is written: length and data
    // first, then the id, then the type that makes it live.
    std::string body(4 + stream.size(), '\0');
    PutU32(body.data(), static_cast<uint32_t>(stream.size()));
    std::copy(stream.begin(), stream.end(), body.begin() + 4);
    if (!writeData(entry.position + 6u, body.data(), body.size()))
        return false;
    char idBytes[4];
    PutU32(idBytes, id);
    if (!writeData(entry.position + 2u, idBytes, sizeof idBytes))
        return false;
    char typeBytes[2];
    PutU16(typeBytes, type);
    if (!writeData(entry.position, typeBytes, sizeof typeBytes))
        return false;
    TNRAFileIndexEntry updated = entry;
    updated.type = type;
    updated.id = id;
    if (!writeIndexEntry(updated))
        return false;
    setEntry(hole, type, id);
    return true;
}

bool TNRAFile::appendRecord(uint8_t type, uint32_t id)
{
    uint64_t position = dataEnd_;
    uint64_t end = position + kRecordHeaderSize + stream.size();
    // Data positions are 32 bits wide in the index.
    if (position > UINT32_MAX || itemsCount == UINT32_MAX) {
        LogTextUInt("[TNRAFile::save_stream][ERROR] data file full; id = ", id);
        return false;
    }
    std::string record(kRecordHeaderSize + stream.size(), '\0');
    PutU16(record.data(), type);
    PutU32(record.data() + 2, id);
    PutU32(record.data() + 6, static_cast<uint32_t>(stream.size()));
    std::copy(stream.begin(), stream.end(), record.begin() + kRecordHeaderSize);
    // The record first, then the count that commits it.
    if (!writeData(position, record.data(), record.size())) {
        handle.Truncate(position);
        return false;
    }
    dataEnd_ = end;
    char count[4];
    PutU32(count, itemsCount + 1);
    if (!writeData(itemsCountFilePos, count, sizeof count))
        return false;
    ++itemsCount;
    return addIndexEntry(type, static_cast<uint32_t>(stream.size()), static_cast<uint32_t>(position), id) >= 0;
}

bool TNRAFile::readWindow(uint64_t offset, uint64_t size, std::string_view& out)
{
    if (offset + size > dataEnd_)
        return false;
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

// ---------------------------------------------------------------- checking and rebuilding

bool TNRAFile::scanData(std::vector<ScannedRecord>& records, uint64_t& validEnd, uint64_t& fileSize)
{
    records.clear();
    if (!handle.IsOpen() || !handle.Size(fileSize))
        return false;
    // The count of the header is a hint only; every record takes 10 bytes at least.
    records.reserve(std::min<uint64_t>(itemsCount, fileSize / kRecordHeaderSize));
    std::string buffer(kScanBuffer, '\0');
    uint64_t bufferStart = 0;
    size_t bufferSize = 0;
    uint64_t position = itemsCountFilePos + 4u;
    while (position + kRecordHeaderSize <= fileSize && position <= UINT32_MAX) {
        if (position < bufferStart || position + kRecordHeaderSize > bufferStart + bufferSize) {
            bufferSize = static_cast<size_t>(std::min<uint64_t>(kScanBuffer, fileSize - position));
            if (!handle.ReadAt(position, buffer.data(), bufferSize))
                return false;
            bufferStart = position;
        }
        const char* header = buffer.data() + (position - bufferStart);
        ScannedRecord record{static_cast<uint16_t>(GetU16(header)), GetU32(header + 2), GetU32(header + 6),
                             static_cast<uint32_t>(position)};
        uint64_t end = position + kRecordHeaderSize + record.length;
        // A record that runs past the end of the file was cut short.
        if (end > fileSize)
            break;
        records.push_back(record);
        position = end;
    }
    validEnd = position;
    return true;
}

bool TNRAFile::checkIndexAgainstData()
{
    std::vector<ScannedRecord> records;
    uint64_t validEnd = 0;
    uint64_t fileSize = 0;
    if (!scanData(records, validEnd, fileSize) || validEnd != fileSize)
        return false;
    if (indexCount != itemsCount || indexCount != records.size() || index.size() != records.size())
        return false;
    std::unordered_map<uint64_t, int32_t> live;
    live.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const ScannedRecord& record = records[i];
        const TNRAFileIndexEntry& entry = index[i];
        if (entry.position != record.position || entry.length != record.length)
            return false;
        bool hole = IsHoleHeader(record.type, record.id);
        if (hole != entry.IsHole())
            return false;
        if (!hole && (entry.type != record.type || entry.id != record.id))
            return false;
        // One (type, id) listed twice is a save cut short between the new
        // copy and the hole of the old one.
        if (!hole && !live.emplace(Key(entry.type, entry.id), static_cast<int32_t>(i)).second)
            return false;
    }
    live_ = std::move(live);
    holes_.clear();
    for (size_t i = 0; i < index.size(); ++i)
        if (index[i].IsHole())
            holes_[index[i].length].insert(static_cast<int32_t>(i));
    dataEnd_ = validEnd;
    windowSize_ = 0;
    needsReindex_ = false;
    return true;
}

bool TNRAFile::rebuildIndex(uint32_t& oldCount, uint32_t& newCount)
{
    oldCount = indexCount;
    newCount = 0;
    needsReindex_ = true;
    std::vector<ScannedRecord> records;
    uint64_t validEnd = 0;
    uint64_t fileSize = 0;
    if (!scanData(records, validEnd, fileSize))
        return false;

    // 1. The index in memory, from the scan: a record cut short at the end is
    // left out, of two copies of one record the later one stays, and records
    // of no known type are holes. The files follow below; should they fail,
    // memory still shows the data file as it is.
    std::string bytes;
    plat::ByteWriter writer(bytes);
    WriteHeader("rafIndexFile", raVersion, writer);
    indexCountFilePos = static_cast<uint32_t>(bytes.size());
    WriteUNumber(static_cast<uint32_t>(records.size()), 4, writer);
    std::unordered_map<uint64_t, size_t> latest;
    latest.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        if (!IsHoleHeader(records[i].type, records[i].id))
            latest[Key(static_cast<uint8_t>(records[i].type), records[i].id)] = i;
    std::vector<uint32_t> earlierCopies;
    std::vector<TNRAFileIndexEntry> entries(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const ScannedRecord& record = records[i];
        TNRAFileIndexEntry& entry = entries[i];
        entry.length = record.length;
        entry.position = record.position;
        entry.ownOffset = indexCountFilePos + 4 + static_cast<uint32_t>(i) * kIndexEntrySize;
        if (IsHoleHeader(record.type, record.id))
            continue;
        if (latest[Key(static_cast<uint8_t>(record.type), record.id)] != i) {
            earlierCopies.push_back(record.position);
            continue;
        }
        entry.type = static_cast<uint8_t>(record.type);
        entry.id = record.id;
    }
    index = std::move(entries);
    indexCount = static_cast<uint32_t>(index.size());
    itemsCount = indexCount;
    newCount = itemsCount;
    rebuildLookups();
    dataEnd_ = validEnd;
    windowSize_ = 0;

    // 2. The data file: cut, earlier copies made holes, the new count; made
    // durable before the index that relies on it.
    if (validEnd != fileSize && !handle.Truncate(validEnd))
        return false;
    for (uint32_t position : earlierCopies) {
        char header[6] = {};
        if (!writeData(position, header, sizeof header))
            return false;
    }
    char count[4];
    PutU32(count, itemsCount);
    if (!writeData(itemsCountFilePos, count, sizeof count) || !handle.Sync())
        return false;

    // 3. The index file anew, through the atomic writer.
    size_t first = bytes.size();
    bytes.resize(first + index.size() * kIndexEntrySize);
    for (size_t i = 0; i < index.size(); ++i)
        EncodeIndexEntry(index[i], bytes.data() + first + i * kIndexEntrySize);
    indexHandle.Close();
    if (!plat::WriteFileAtomically(raIndexFile, bytes, 0600) ||
        !indexHandle.Open(raIndexFile, plat::File::Mode::ReadWrite))
        return false;
    raIndexVersion = raVersion;
    needsReindex_ = false;
    return true;
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
        // 2.
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
        // 4.
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
    bool ok = !needsReindex_;
    if (ok) {
        int32_t idxpos = getIndexPosById(item.id, item.type);
        if (item.retype == raftHole) {
            // 2. Deletion.
            if (idxpos >= 0)
                ok = createHole(idxpos);
            else
                LogText("[TNRAFile::save_stream] Item does not exist in stream, no need to retype");
        } else if (stream.size() > UINT32_MAX - kRecordHeaderSize) {
            ok = false;
        } else {
            // 3.-6. The new copy into a hole of its length or at the end; only
            // then the old place becomes a hole.
            int32_t hole = getIndexHolePosByLength(static_cast<uint32_t>(stream.size()));
            ok = hole >= 0 ? writeIntoHole(hole, item.retype, item.id) : appendRecord(item.retype, item.id);
            if (ok && idxpos >= 0)
                ok = createHole(idxpos);
        }
    }
    if (!ok) {
        needsReindex_ = true;
        LogWrite("[TNRAFile::save_stream][ERROR] write failed; id = ", IdToAnsi(item.id).c_str(), false);
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

bool TNRAFile::liveEntry(uint32_t n, uint8_t& type, uint32_t& id) const
{
    if (n >= index.size() || index[n].IsHole())
        return false;
    type = index[n].type;
    id = index[n].id;
    return true;
}

int64_t TNRAFile::openEntry(uint32_t n)
{
    if (n >= index.size() || index[n].IsHole())
        return -1;
    const TNRAFileIndexEntry& entry = index[n];
    return loadStreamHeader(entry.position, entry.type, entry.id);
}

bool TNRAFile::holeRecord(uint8_t type, uint32_t id)
{
    int32_t position = getIndexPosById(id, type);
    return position >= 0 && createHole(position);
}
