#include "tests/model/model_test_support.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "platform/core/codepage.h"
#include "platform/core/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace model_test {

namespace {

// 15 June 2024 10:00 UTC, 12:00 in Prague.
constexpr int64_t kNow = 1718445600;

// One record-file slot for all data sets of the process.
int32_t SharedSlot()
{
    static int32_t slot = raf.AddFile();
    return slot;
}

void DestroyPIM(TNPIM* pim)
{
    delete pim;
}

} // namespace

Environment::Environment() : clock_(kNow)
{
    setenv("TZ", "Europe/Prague", 1);
    if (!GlobalsConstructed()) {
        ConstructGlobals();
    }
}

LogCapture::LogCapture()
{
    SetLogDir(folder_.Path().c_str());
    SetLogMutexName("model-test-log");
    App.WriteLog = 1;
}

LogCapture::~LogCapture()
{
    App.WriteLog = 0;
}

int LogCapture::CountContaining(const char* text) const
{
    std::string wanted = plat::Cp1250ToUtf8(text);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.find(wanted) != std::string::npos) {
                ++count;
            }
        }
    }
    return count;
}

ActiveUser::ActiveUser(uint32_t userID)
{
    TNString login("tester");
    TNString name("tester");
    int32_t index = Uzivatele.AddOrUpdate(&login, &name, userID, 0, nullptr);
    EXPECT_GE(index, 0);
    Uzivatele.AktivniUzivatel = index;
}

ActiveUser::~ActiveUser()
{
    Uzivatele.AktivniUzivatel = -1;
}

DataSet::DataSet()
{
    PIM.Clear(DestroyPIM);
    pim_ = new TNPIM(0);
    PIM.Append(pim_);

    fid_ = SharedSlot();
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    file.raFile = folder_.File("pim-test.dld");
    file.raIndexFile.clear();
    file.raHeader = "DalmoraPIMra";
    file.raVersion = 1;
    EXPECT_NE(raf.openFile(fid_), nullptr);
    // What an earlier test left queued is not this set's.
    file.resize_toSave(0);
    savedFid_ = App.raFileAllPIM;
    App.raFileAllPIM = fid_;
    Dirs.UserDir.Set(UserFolder().c_str());
}

DataSet::~DataSet()
{
    raf.closeFile(fid_, true);
    App.raFileAllPIM = savedFid_;
    PIM.Clear(DestroyPIM);
}

std::string DataSet::Domain() const
{
    return App.WebDomain[0];
}

TNPIMRecord& DataSet::NewRecord()
{
    TNPIMRecords& records = *pim_->Records;
    EXPECT_TRUE(records.Resize(records.Count + 1));
    return *records.Items[records.Count - 1];
}

void DataSet::Queue(uint8_t type, uint32_t id, int32_t position)
{
    raf.Items[static_cast<size_t>(fid_)]->add_toSave(type, id, position, 0, true, false);
}

int32_t DataSet::QueueItem(uint8_t type, uint32_t id) const
{
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
        TNRAFileToSave item;
        if (file.get_toSave(tsp, item) && item.saved == 0 && item.type == type && item.id == id) {
            return tsp;
        }
    }
    return -1;
}

std::string DataSet::WrittenBody()
{
    EXPECT_TRUE(raf.flushFile(fid_));
    return raf.Items[static_cast<size_t>(fid_)]->stream;
}

bool DataSet::ReadStored(uint8_t type, uint32_t id, const std::function<bool(plat::ByteReader&)>& load)
{
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    int32_t pos = file.getIndexPosById(id, type);
    if (pos < 0) {
        return false;
    }
    int64_t length = raf.loadStreamHeader(fid_, file.index[static_cast<size_t>(pos)].position, type, id);
    if (length <= 0) {
        return false;
    }
    plat::ByteReader& in = file.recordReader();
    return load(in) && in.AtEnd();
}

int32_t DataSet::StoredCount(uint8_t type) const
{
    int32_t count = 0;
    for (const TNRAFileIndexEntry& entry : raf.Items[static_cast<size_t>(fid_)]->index) {
        count += entry.type == type ? 1 : 0;
    }
    return count;
}

void DataSet::Reopen()
{
    raf.closeFile(fid_, false);
    EXPECT_NE(raf.openFile(fid_), nullptr);
}

void DataSet::StoreRaw(uint8_t type, uint32_t id, const std::string& body)
{
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    file.add_toSave(type, id, 0, 0, true, false);
    // The bytes as they are, past every item's own writer.
    raf.resetStream(fid_);
    file.stream = body;
    EXPECT_TRUE(raf.saveStream(fid_, QueueItem(type, id)));
    file.clean_toSave();
}

void DataSet::HoleRaw(uint8_t type, uint32_t id)
{
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    file.add_toSave(type, id, 0, 1, true, false);
    raf.resetStream(fid_);
    EXPECT_TRUE(raf.saveStream(fid_, QueueItem(type, id)));
    file.clean_toSave();
}

std::string DataSet::FileBytes() const
{
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    std::string data;
    std::string index;
    EXPECT_TRUE(plat::ReadWholeFile(file.raFile, data));
    EXPECT_TRUE(plat::ReadWholeFile(file.raIndexFile, index));
    return data + "|" + index;
}

} // namespace model_test
