#pragma once

#include "model/collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// The newest change time received for one kind of data of one organizer.
class TNPIMLastRequest {
public:
    static constexpr uint8_t kStoredVersion = 1;

    // The record-file type of the items the time stands for: 2 records,
    // 4 tags, 5 tag assignments. Also the entry's key in the data file.
    int32_t Type = 0;
    // The organizer.
    uint32_t ID = 0;
    uint32_t Time = 0;
    uint32_t Deleted = 0;

    bool Save(int32_t queuePos, int32_t fid);
    // False when the version is unknown or the record is cut short.
    bool Load(plat::ByteReader& in);
};

// Last-request times of one data set.
class TNPIMLastRequests : public TNPIMCollection<TNPIMLastRequest, TNPIMLastRequests> {
public:
    // The owning data set; given by it at construction.
    TNPIM* ParentPIM = nullptr;

    void Init() {}
    void Clear();
    bool Resize(int32_t n);
    // By the entry's key in the data file: the type byte.
    int32_t GetItemPosByID(uint32_t typeByte) const;
    void FinalizeLoading() {}

    // Raises the time of (type, organizer) and queues the entry; an older
    // time changes nothing.
    void SetItem(int32_t type, uint32_t id, uint32_t time);
    // The stored time of (type, organizer) when it is later than the given
    // one; otherwise the given time.
    uint32_t GetHigher(int32_t type, uint32_t id, uint32_t time) const;

private:
    int32_t FindLive(int32_t type, uint32_t id) const;
};
