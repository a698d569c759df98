#pragma once

// Helpers of the contact, group, notification, sharing and event-type tests:
// reading answer fixtures and putting raw record bodies into the data set's
// file.

#include "foundation/record_file_set.h"
#include "foundation/string.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace people_test {

inline TNString Answer(const std::string& fixture)
{
    return TNString(model_test::ReadFixture(fixture));
}

inline TNString Text(const char* text)
{
    return TNString(text);
}

// Writes bytes as the stored record of (type, id), as an older or newer
// program would have left them.
inline void StoreRaw(model_test::DataSet& set, uint8_t type, uint32_t id, const std::string& body)
{
    raf.resetStream(set.Fid());
    raf.Items[static_cast<size_t>(set.Fid())]->stream = body;
    set.Queue(type, id, 0);
    ASSERT_TRUE(raf.Items[static_cast<size_t>(set.Fid())]->save_stream(set.QueueItem(type, id)));
    ASSERT_TRUE(raf.flushFile(set.Fid()));
}

// The stored bytes of (type, id), empty when there is no such record.
inline std::string StoredBody(model_test::DataSet& set, uint8_t type, uint32_t id)
{
    std::string body;
    set.ReadStored(type, id, [&](plat::ByteReader& in) {
        while (!in.AtEnd()) {
            uint32_t byte = 0;
            in.ReadUnsigned(1, byte);
            body.push_back(static_cast<char>(byte));
        }
        return true;
    });
    return body;
}

// A collection of a fresh data set's kind, writing to the set's file.
template <class Collection> void Attach(Collection& items, model_test::DataSet& set)
{
    items.ParentPIM = &set.Pim();
    items.Init();
}

} // namespace people_test
