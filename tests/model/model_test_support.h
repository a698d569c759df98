#pragma once

// Shared set-up of the model tests: the program's globals with a fixed
// clock, a capture of the log, and a data set whose record file lives in a
// temporary folder.

#include "foundation/record_file.h"
#include "platform/core/bytes.h"
#include "platform/testing/fake_clock.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <cstdint>
#include <functional>
#include <string>

class TNPIM;
class TNPIMRecord;

namespace model_test {

// The bytes of a file in tests/model/data.
using testing_support::ReadFixture;

// The program's globals, built once per process, and the clock standing at
// 15 June 2024 12:00 local time.
class Environment {
public:
    Environment();

private:
    plat::testing::ScopedFakeClock clock_;
};

// Turns logging on into a temporary folder for its lifetime.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Lines that contain the CP1250 text.
    int CountContaining(const char* text) const;

private:
    testing_support::ScratchFolder folder_;
};

// Makes a signed-in user with this id the active one for its lifetime.
class ActiveUser {
public:
    explicit ActiveUser(uint32_t userID);
    ~ActiveUser();
    ActiveUser(const ActiveUser&) = delete;
    ActiveUser& operator=(const ActiveUser&) = delete;
};

// A data set at PIM position 0 with an open record file.
class DataSet {
public:
    DataSet();
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    TNPIM& Pim() { return *pim_; }
    int32_t Fid() const { return fid_; }
    std::string UserFolder() const { return folder_.Path(); }
    std::string Domain() const;

    // A new record at the end of the set's records.
    TNPIMRecord& NewRecord();

    // Queues (type, id) for saving as the collections do.
    void Queue(uint8_t type, uint32_t id, int32_t position);
    // The unsaved queue item of (type, id), -1 when there is none.
    int32_t QueueItem(uint8_t type, uint32_t id) const;
    // Writes the queued item through its own Save, as the data set's save
    // pass does, and returns the body written.
    template <class Item> std::string WriteQueued(Item& item, uint8_t type, uint32_t id)
    {
        item.Save(QueueItem(type, id), fid_);
        return WrittenBody();
    }
    // Lets `load` read the stored record of (type, id) through a reader
    // bounded to it; false when the record is missing or load fails.
    bool ReadStored(uint8_t type, uint32_t id, const std::function<bool(plat::ByteReader&)>& load);
    int32_t StoredCount(uint8_t type) const;
    // Closes and opens the record file again, as a restart does.
    void Reopen();
    // Writes a record of any type and body straight into the file, as an
    // older or newer program would have left it, and a hole.
    void StoreRaw(uint8_t type, uint32_t id, const std::string& body);
    void HoleRaw(uint8_t type, uint32_t id);
    // The bytes of the data file and of its index.
    std::string FileBytes() const;

private:
    std::string WrittenBody();

    testing_support::ScratchFolder folder_;
    TNPIM* pim_ = nullptr;
    int32_t fid_ = -1;
    int32_t savedFid_ = -1;
};

} // namespace model_test
