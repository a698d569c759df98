#pragma once

// Helpers of the contact, group, notification, sharing and event-type tests.

#include "foundation/record_file_set.h"
#include "foundation/string.h"
#include "model/pim.h"
#include "tests/model/model_test_support.h"

#include <cstdint>
#include <string>

namespace people_test {

inline TNString Answer(const std::string& fixture)
{
    return TNString(model_test::ReadFixture(fixture));
}

// The stored bytes of (type, id), empty when there is no such record.
inline std::string StoredBody(model_test::DataSet& set, uint8_t type, uint32_t id)
{
    std::string body;
    set.ReadStored(type, id, [&](plat::ByteReader& in) {
        uint32_t byte = 0;
        while (in.ReadUnsigned(1, byte)) {
            body.push_back(static_cast<char>(byte));
        }
        return true;
    });
    return body;
}

// A data set with a signed-in user, so that Save and Load run.
struct Account {
    model_test::Environment environment;
    model_test::ActiveUser user{77};
    model_test::DataSet set;

    TNPIM& Pim() { return set.Pim(); }
    // Loads the file again, as the start after a sign-in does.
    void Load()
    {
        set.Reopen();
        Pim().Load(nullptr);
    }
    // Saves, then loads the file again as a restart does.
    void Restart()
    {
        Pim().Save(false, false);
        Load();
    }
};

// A collection outside a data set, writing to the set's file.
template <class Collection> void Attach(Collection& items, model_test::DataSet& set)
{
    items.ParentPIM = &set.Pim();
    items.Init();
}

} // namespace people_test
