#pragma once

// The save passes of the crash driver, generated the same way in the driver
// and in the test that kills it: from a seed, a round number and the records
// the file held when the driver started.

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace crashplan {

struct Op {
    uint8_t type;
    uint32_t id;
    bool remove;
    uint32_t version;
    uint32_t length;
};

// Record key (type << 32 | id) to the version and length it holds.
struct Content {
    uint32_t version;
    uint32_t length;
    bool operator==(const Content& other) const { return version == other.version && length == other.length; }
};
using State = std::map<uint64_t, Content>;

inline uint64_t Key(uint8_t type, uint32_t id)
{
    return (static_cast<uint64_t>(type) << 32) | id;
}

constexpr uint32_t kIdsPerType = 40;
constexpr uint32_t kMaxOpsPerPass = 300;

// A record's bytes follow from its key, version and length, so a torn or
// mixed record cannot pass for a whole one.
inline std::string RecordBytes(uint8_t type, uint32_t id, uint32_t version, uint32_t length)
{
    std::string bytes(length, '\0');
    uint32_t x = version * 2654435761u ^ id * 40503u ^ type;
    for (uint32_t i = 0; i < length; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(x >> 24);
    }
    for (int i = 0; i < 4 && static_cast<uint32_t>(i) < length; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<char>((version >> (8 * i)) & 0xFF);
    return bytes;
}

// The version stored in a record's first four bytes, 0 when it is shorter.
inline uint32_t VersionOf(const std::string& bytes)
{
    if (bytes.size() < 4)
        return 0;
    uint32_t version = 0;
    for (int i = 0; i < 4; ++i)
        version |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[static_cast<size_t>(i)])) << (8 * i);
    return version;
}

class Planner {
public:
    Planner(uint32_t seed, uint32_t round, State start) : random_(seed * 7919u + round), state_(std::move(start))
    {
        nextVersion_ = (round + 1) * 1000000u;
    }

    // The next pass: each key at most once; new records, changes keeping or
    // changing the length, deletions.
    std::vector<Op> NextPass()
    {
        static const uint32_t lengths[] = {16, 16, 24, 24, 40, 40, 64, 100, 160, 300, 700, 2000};
        std::vector<Op> ops;
        std::set<uint64_t> used;
        uint32_t count = 1 + random_() % kMaxOpsPerPass;
        for (uint32_t i = 0; i < count; ++i) {
            auto type = static_cast<uint8_t>(1 + random_() % 13);
            uint32_t id = 1 + random_() % kIdsPerType;
            uint64_t key = Key(type, id);
            if (!used.insert(key).second)
                continue;
            auto found = state_.find(key);
            uint32_t roll = random_() % 10;
            Op op{type, id, false, 0, 0};
            if (found != state_.end() && roll < 2) {
                op.remove = true;
                state_.erase(found);
            } else {
                op.version = nextVersion_++;
                op.length = found != state_.end() && roll < 6
                                ? found->second.length
                                : lengths[random_() % (sizeof lengths / sizeof lengths[0])];
                // Now and then a record the file layer writes in several
                // pieces (64 KiB each), which a kill can cut.
                if (random_() % 64 == 0)
                    op.length = 150000;
                state_[key] = Content{op.version, op.length};
            }
            ops.push_back(op);
        }
        return ops;
    }

    const State& state() const { return state_; }

private:
    std::mt19937 random_;
    State state_;
    uint32_t nextVersion_;
};

} // namespace crashplan
