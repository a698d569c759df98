#pragma once

// Helpers of the record-file tests: a temporary folder, hex fixtures, and
// records saved and loaded the way the data set does it.

#include "foundation/record_file_set.h"
#include "log_capture.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace recfiletest {

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder_.empty()); }
    void TearDown() override { plat::FailNthWrite(0); }

    testing_support::ScratchFolder scratch_;
    std::string folder_ = scratch_.Path();
};

// Bytes from a hex fixture: pairs of hex digits, "text" for its bytes, XX*n
// for n copies of a byte, # to the end of the line a comment.
inline std::string ParseHex(const std::string& text)
{
    std::string bytes;
    size_t i = 0;
    auto hexValue = [](char ch) -> int {
        if (ch >= '0' && ch <= '9')
            return ch - '0';
        if (ch >= 'A' && ch <= 'F')
            return ch - 'A' + 10;
        if (ch >= 'a' && ch <= 'f')
            return ch - 'a' + 10;
        return -1;
    };
    while (i < text.size()) {
        char ch = text[i];
        if (ch == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (ch == '"') {
            size_t end = text.find('"', i + 1);
            bytes += text.substr(i + 1, end - i - 1);
            i = end + 1;
        } else if (hexValue(ch) >= 0) {
            char byte = static_cast<char>(hexValue(ch) * 16 + hexValue(text[i + 1]));
            i += 2;
            size_t repeat = 1;
            if (i < text.size() && text[i] == '*') {
                size_t end = i + 1;
                while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                    ++end;
                repeat = std::stoul(text.substr(i + 1, end - i - 1));
                i = end;
            }
            bytes.append(repeat, byte);
        } else {
            ++i;
        }
    }
    return bytes;
}

inline std::string Fixture(const std::string& name)
{
    return ParseHex(testing_support::ReadFixture(name));
}

inline std::string FileBytes(const std::string& path)
{
    return testing_support::ReadBytes(path);
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    testing_support::WriteFile(path, bytes);
}

// Adds a slot for the organizer data file at `path` and opens it.
inline int32_t OpenSlot(TNRAF& set, const std::string& path)
{
    int32_t fid = set.AddFile();
    TNRAFile& file = *set.Items[static_cast<size_t>(fid)];
    file.raFile = path;
    file.raHeader = "DalmoraPIMra";
    file.raVersion = 1;
    set.openFile(fid);
    return fid;
}

// The queue position of the unsaved item of (type, id), -1 when none.
inline int32_t FindQueued(TNRAFile& file, uint8_t type, uint32_t id)
{
    for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
        TNRAFileToSave item;
        if (file.get_toSave(tsp, item) && item.saved == 0 && item.type == type && item.id == id)
            return tsp;
    }
    return -1;
}

// Queues and writes one record as an item's Save does, in a save pass of
// its own.
inline bool SaveRecord(TNRAF& set, int32_t fid, uint8_t type, uint32_t id, const std::string& data)
{
    TNRAFile& file = *set.Items[static_cast<size_t>(fid)];
    file.add_toSave(type, id, 0, 0, true, false);
    int32_t tsp = FindQueued(file, type, id);
    set.resetStream(fid);
    for (char byte : data)
        set.writeNumber(static_cast<uint8_t>(byte), 1, fid);
    return set.saveStream(fid, tsp) && set.flushFile(fid);
}

inline bool DeleteRecord(TNRAF& set, int32_t fid, uint8_t type, uint32_t id)
{
    TNRAFile& file = *set.Items[static_cast<size_t>(fid)];
    file.add_toSave(type, id, 0, 1, true, false);
    int32_t tsp = FindQueued(file, type, id);
    set.resetStream(fid);
    return set.saveStream(fid, tsp) && set.flushFile(fid);
}

// The data of (type, id) read through the index and the record reader.
inline std::optional<std::string> LoadRecord(TNRAF& set, int32_t fid, uint8_t type, uint32_t id)
{
    TNRAFile& file = *set.Items[static_cast<size_t>(fid)];
    int32_t position = file.getIndexPosById(id, type);
    if (position < 0)
        return std::nullopt;
    int64_t length = set.loadStreamHeader(fid, file.index[static_cast<size_t>(position)].position, type, id);
    std::string_view bytes;
    if (length < 0 || !file.recordReader().ReadView(static_cast<size_t>(length), bytes) || !file.recordReader().AtEnd())
        return std::nullopt;
    return std::string(bytes);
}

// Log lines written while it lives.
class LogCapture {
public:
    std::string Take() { return capture_.Text(); }

private:
    testing_support::LogCapture capture_;
};

inline int CountOccurrences(const std::string& text, const std::string& needle)
{
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace recfiletest
