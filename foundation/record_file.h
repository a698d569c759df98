#pragma once

#include "foundation/record_key_map.h"
#include "platform/core/bytes.h"
#include "platform/core/file.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// Record types of the organizer data file.
enum TNRAFType : uint8_t {
    raftHole = 0,
    raftOrganizer = 1,
    raftRecord = 2,
    raftAlert = 3,
    raftTag = 4,
    raftTagsAssign = 5,
    raftContactsRequest = 6,
    raftGroup = 7,
    raftGroupsAssign = 8,
    raftContact = 9,
    raftNotification = 10,
    raftSharing = 11,
    raftEventType = 12,
    raftLastRequest = 13,
};
constexpr uint32_t kRaftLastType = raftLastRequest;

// The name of a record type for log lines ("Unknown raftType" for others).
const char* RaftTypeName(uint32_t type);

// One record's place: the index file holds it as uint16 type, uint32 length,
// uint32 id, uint32 data position. A hole has type and id 0. A type above
// kRaftLastType is one a later version writes: kept, never reused, not loaded.
struct TNRAFileIndexEntry {
    uint16_t type = raftHole;
    uint32_t length = 0;
    uint32_t id = 0;
    // Offset of the record in the data file.
    uint32_t position = 0;
    // Offset of this entry in the index file.
    uint32_t ownOffset = 0;

    bool IsHole() const { return type == raftHole || id == 0; }
    bool IsUnknownType() const { return !IsHole() && type > kRaftLastType; }
};

// One item of the save queue.
struct TNRAFileToSave {
    // 1 when written; a saved item is a free slot.
    uint8_t saved = 0;
    uint8_t type = raftHole;
    // The type to write; raftHole means "delete".
    uint8_t retype = raftHole;
    uint32_t id = 0;
    // The item's position in its collection, as the caller gave it.
    int32_t position = -1;
    // Raised by every add_toSave that fills the item. A write marks the item
    // saved only when nobody queued it again meanwhile.
    uint64_t generation = 0;
    // The generation the save pass saw when it took the item (get_toSave).
    uint64_t seenGeneration = 0;
};

// Size of a record header in the data file: uint16 type, uint32 id, uint32 length.
constexpr uint32_t kRecordHeaderSize = 10;
constexpr uint32_t kIndexEntrySize = 14;

// One random-access record file: a data file of typed records addressed by
// (type, id), an index file mapping each record to its place, a save queue and
// the stream in which the record being written is assembled.
//
// Writing is staged: save_stream only keeps the stream, and commit() (the
// end of a save pass, TNRAF::flushFile) writes the pass in two phases so that
// a power cut at any moment leaves every record in its old or its new state:
//   1. new copies: into holes as id, length and data with the type still 0,
//      or appended whole behind the committed count; then a sync.
//   2. the 2-byte types that make the copies in holes live, the count that
//      commits the appended ones, the types of deleted records, the index;
//      then a sync of both files.
// A pass that re-keys records (noteReplacement) first writes, between the
// two phases and synced, each old record's index entry as a hole that names
// its successor (type 0, the new id). Opening drops a live record whose
// entry names a successor that is live too, and keeps it otherwise; its type
// goes in the next pass, and then the entry becomes a plain hole.
// Only a type (2 bytes, one page) ever decides whether a place is live, so a
// torn write cannot make a record appear under a wrong id. A live record is
// never overwritten; the old copy of a changed record stays live on disk
// until its replacement is committed and loses its type in the next pass
// (or when the file is closed). Until then the durable index names the copy
// that counts. An id is zeroed only once the type before it is durably 0.
//
// Threads: add_toSave, clean_toSave and the queue accessors may run on any
// thread. Everything that touches the files (save_stream, createHole,
// loadStreamHeader, the index) runs on one thread at a time: the data set's
// save or load.
class TNRAFile {
public:
    std::string raFile;
    std::string raIndexFile;
    std::string raHeader;
    // Header version to write; after opening, the version read.
    int32_t raVersion = 0;
    int32_t raIndexVersion = 0;

    plat::File handle;
    plat::File indexHandle;

    // The record being assembled; streamState is -1 until the first reset.
    std::string stream;
    int32_t streamState = -1;

    // The index in memory, in file order.
    std::vector<TNRAFileIndexEntry> index;
    uint32_t indexCount = 0;
    uint32_t indexCountFilePos = 0;
    uint32_t itemsCount = 0;
    uint32_t itemsCountFilePos = 0;

    // Busy byte of add_toSave.
    std::atomic<bool> runningAddToSave{false};

    TNRAFile();
    TNRAFile(const TNRAFile&) = delete;
    TNRAFile& operator=(const TNRAFile&) = delete;

    void Destroy();

    bool resize_stream(int32_t n);
    void resetStream() { resize_stream(0); }

    // n <= 0 empties the index; otherwise grows it with empty entries or
    // shrinks it. With writeCount and an open index file the new count is
    // written to the file.
    bool resize_index(int32_t n, bool writeCount);
    // Reads one 14-byte entry; its own offset is the reader's position plus base.
    bool readIndexEntry(plat::ByteReader& in, uint32_t base, TNRAFileIndexEntry& entry);
    bool writeIndexEntry(const TNRAFileIndexEntry& entry);
    // Appends an entry: the entry first, then the count that commits it.
    // Returns its position, -1 on failure.
    int32_t addIndexEntry(uint8_t type, uint32_t length, uint32_t position, uint32_t id);
    // Position of the live entry of (type, id), -1 when none.
    int32_t getIndexPosById(uint32_t id, uint8_t type) const;
    // The hole earliest in the index of exactly that length, -1 when none.
    int32_t getIndexHolePosByLength(uint32_t length) const;
    // Stages the deletion of the record at that index position; the next
    // commit makes it a hole.
    bool createHole(int32_t position);

    // Reads the header of the record at a data position and checks it; a
    // save pass still staged is committed first. Returns the data length,
    // with recordReader() bounded to the record's data; -1 without a data file
    // or when the header lies outside the file, -2 for another type, -3 for
    // another id, -4 when the length runs past the end of the file.
    int64_t loadStreamHeader(uint32_t position, uint8_t type, uint32_t id);
    // The data of the record last found by loadStreamHeader; it cannot read
    // past the record. Valid until the next file operation.
    plat::ByteReader& recordReader() { return recordReader_; }

    // --- What a load reads: the live records, in index order. ---

    // True while the data file is open.
    bool isOpen() const { return handle.IsOpen(); }
    // Entries of the index, holes included.
    uint32_t entryCount() const;
    // Entry n when it is a live record, of a known type or not: its type
    // and id. False for a hole and past the end.
    bool liveEntry(uint32_t n, uint16_t& type, uint32_t& id) const;
    // Reads the record header of live entry n of a known type as
    // loadStreamHeader does: the data length with recordReader() bounded to
    // the data, or a value below 1.
    int64_t openEntry(uint32_t n);
    // Turns the live record of (type, id) into a hole; false when there is none.
    bool holeRecord(uint8_t type, uint32_t id);

    // Queues (type, id); a record already queued keeps its item, and the last
    // call decides what is written. With deleted != 0 and deleteAllowed the
    // record is to be removed. False when no item could be had.
    bool add_toSave(uint8_t type, uint32_t id, int32_t position, uint32_t deleted, bool deleteAllowed, bool log);
    bool resize_toSave(int32_t n);
    // Drops the saved items at the end of the queue.
    void clean_toSave();

    // Queue access for the save pass; each takes the queue lock.
    int32_t toSaveCount() const;
    int32_t toSaveSavedCount() const;
    // Copies item tsp and remembers that the pass has seen its current state.
    bool get_toSave(int32_t tsp, TNRAFileToSave& item);
    bool set_toSavePosition(int32_t tsp, int32_t position);
    // Marks item tsp saved without writing anything (an entry no item will
    // ever answer), unless it was queued again since the pass took it.
    bool writeOff_toSave(int32_t tsp);
    // The unsaved item of (type, id); -1 when none.
    int32_t find_toSave(uint8_t type, uint32_t id) const;

    // Stages the stream as queue item tsp for the next commit and marks the
    // item saved (a failed commit queues it again).
    bool save_stream(int32_t tsp);

    // The next committed write of (type, newId) replaces the live record
    // (type, oldId), as when the service gives an item its id (a re-key):
    // the commit that makes the new record live retires the old one with
    // it, so that a cut leaves exactly one of the two.
    void noteReplacement(uint8_t type, uint32_t newId, uint32_t oldId);

    static std::string IdToAnsi(uint32_t id);

    // --- Used by TNRAF to open, check and rebuild the files. ---

    // Writes what the save pass staged (see the class comment). True when
    // there was nothing to write. On failure the staged records are queued
    // again and the next save rebuilds the index from the data file first.
    bool commit();
    // Records staged and not yet committed.
    bool hasStaged() const { return !staged_.empty(); }
    // Commits, then gives the old copies still live on disk their hole
    // headers, so the closed files agree with each other.
    bool settle();

    // Offset just past the last committed record.
    uint64_t dataEnd() const { return dataEnd_; }
    // True after a failed write: the files may differ from memory until the
    // index is rebuilt from the data file.
    bool needsReindex() const { return needsReindex_; }

    // --- Used by TNRAF to open, check and repair the files. ---

    // Reads the whole data file once; opening checks and loading use it.
    bool readDataFile();
    // The data file as read by readDataFile (empty once it was written to).
    std::string_view dataContent() const { return content_; }
    // Reads the index file into `index` as it stands on disk. False when its
    // header, version or count is not usable; the index is then empty.
    bool readIndexFile();
    // Compares the data file with the index read from disk; when they agree
    // exactly and nothing needs repair, takes the index and returns true.
    bool checkIndexAgainstData();
    // Recovers the data file (duplicates left by a cut, torn or uncommitted
    // tails, damaged records, holes that keep an id) and writes the index
    // anew. Fills `oldCount` and `newCount` for the log.
    bool rebuildIndex(uint32_t& oldCount, uint32_t& newCount);
    // The files were just created (and synced): the first pass need not
    // make what opening found durable first.
    void markStateDurable() { stateDurable_ = true; }
    // Where a repair that drops bytes copies the data file first: its name
    // with the local time appended.
    std::string asidePath() const;
    // Forgets the index and the look-ups.
    void clearIndex();
    // Closes both files and forgets what was read from them and what was staged.
    void closeFiles();

private:
    struct Staged {
        uint8_t type;
        uint32_t id;
        bool remove;
        int32_t position;
        std::string data;
    };
    struct RecoveryPlan;
    struct CommitPass;

    static uint64_t Key(uint16_t type, uint32_t id) { return (static_cast<uint64_t>(type) << 32) | id; }

    bool planRecovery(RecoveryPlan& plan) const;
    // planRecovery's steps. The scan gives where the chain of records ends.
    uint64_t scanRecordChain(RecoveryPlan& plan, uint64_t start) const;
    void cutUncommitted(RecoveryPlan& plan, uint64_t scanEnd) const;
    void classifyRecords(RecoveryPlan& plan, std::unordered_map<uint64_t, std::vector<size_t>>& copies) const;
    void keepOneCopy(RecoveryPlan& plan, const std::unordered_map<uint64_t, std::vector<size_t>>& copies) const;
    void undoCutRekeys(RecoveryPlan& plan) const;
    bool indexMatchesPlan(const RecoveryPlan& plan) const;
    bool applyRecovery(RecoveryPlan& plan);
    // Takes the live records found by a recovery plan; holes from the index.
    void takeLookups(TNRecordKeyMap& live);
    void unlinkEntry(int32_t position);
    void linkEntry(int32_t position, bool reusable);
    void setEntry(int32_t position, uint16_t type, uint32_t id, bool reusable = true);
    int32_t takeHole(uint32_t length);
    std::string indexFileBytes() const;
    void dropContent();
    void requeueStaged();
    bool stage(uint8_t type, uint32_t id, bool remove, int32_t position);
    // commit's steps: what earlier passes left to finish, each staged
    // record's place, and the two phases of writes.
    void finishEarlierPasses(CommitPass& pass);
    bool placeStaged(CommitPass& pass, const Staged& staged);
    bool appendStaged(CommitPass& pass, const Staged& staged);
    bool writePass(CommitPass& pass, uint32_t appendedCount);
    // The re-keys of the staged pass whose old record is live: the old
    // record's index position by the new record's key.
    struct Rekey {
        int32_t place;
        uint32_t oldId;
    };
    std::unordered_map<uint64_t, Rekey> takeRekeys();
    bool resize_toSave_locked(int32_t n);
    bool readWindow(uint64_t offset, uint64_t size, std::string_view& out);

    // Look-ups over `index`: live records by (type, id), reusable holes by
    // length in index order.
    TNRecordKeyMap live_;
    std::map<uint32_t, std::set<int32_t>> holes_;

    uint64_t dataEnd_ = 0;
    bool needsReindex_ = false;
    bool indexUsable_ = false;
    // False while what opening found may still sit in the page cache only
    // (a killed writer's last writes); the first commit syncs it first.
    bool stateDurable_ = false;
    uint64_t indexFileSize_ = 0;

    // The save pass in progress: one stream per record, the latest wins.
    std::vector<Staged> staged_;
    std::unordered_map<uint64_t, size_t> stagedByKey_;
    // Old copies whose replacement is committed: still live on disk, holes
    // in memory and in the index; their type goes in the next pass.
    std::vector<int32_t> oldCopies_;
    // Holes whose type is durably 0 but whose id is still on disk.
    std::vector<int32_t> idsToZero_;
    // Old records of committed re-keys: live on disk, their index entry
    // naming the successor; their type goes in the next pass.
    std::vector<int32_t> retired_;
    // Re-keys waiting for their commit: the old id by the new record's key.
    std::unordered_map<uint64_t, uint32_t> replacements_;

    // The data file as opening read it, and read-ahead for later loads.
    plat::FileMapping mapping_;
    std::string_view content_;
    std::string window_;
    uint64_t windowStart_ = 0;
    size_t windowSize_ = 0;
    std::string largeRecord_;
    plat::ByteReader recordReader_;

    mutable std::mutex toSaveMutex_;
    std::vector<TNRAFileToSave> toSave_;
    // Look-ups over toSave_: the item of each (type, id), the saved items.
    std::unordered_map<uint64_t, int32_t> queued_;
    std::set<int32_t> freeSlots_;
    uint64_t nextGeneration_ = 0;
};
