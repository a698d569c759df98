// The update as a signed-in run meets it: a newer version announced by the
// synchronisation pass's answers is checked once, downloaded, and installed
// into a copy of the program folder when the run ends.

#include "tests/online/sync_world.h"
#include "tests/service/update_service.h"
#include "tests/support/files.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "online/auto_update.h"
#include "online/global.h"
#include "online/update.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <cstdio>

namespace online_test {
namespace {

using testing_support::ReadFile;

class UpdateSyncTest : public SyncWorld {
protected:
    UpdateSyncTest() : updates_(service_) {}

    void SetUp() override
    {
        SyncWorld::SetUp();
        program_ = Root() + "/program/";
        ASSERT_TRUE(plat::CreateFolders(program_));
        Dirs.AppDir.Set(program_.c_str());
        std::snprintf(App.UpdateWebProtocol[0], sizeof(App.UpdateWebProtocol[0]), "http");
        std::snprintf(App.UpdateWebDomain[0], sizeof(App.UpdateWebDomain[0]), "127.0.0.1:%u", service_.Port());
        ASSERT_TRUE(BuildServerAddresses(App));
        AutoUpdate.ResetRun();
    }

    void TearDown() override
    {
        SyncWorld::TearDown();
        AutoUpdate.ResetRun();
    }

    test_service::UpdateService updates_;
    std::string program_;
};

TEST_F(UpdateSyncTest, AnAnnouncedVersionIsCheckedOnceAndInstalledWhenTheRunEnds)
{
    SignIn();
    std::string data(600000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i % 251);
    data.replace(1000, 8, std::string(":]\\\\]\0\0:", 8));
    updates_.SetNewestVersion(168);
    updates_.AddFile("readme.txt", "?", "0123456789");
    updates_.AddFile("data.bin", "share/extra", data);
    accounts_.SetNewestVersion(168);

    g.RunOnlineNow();
    ASSERT_TRUE(RunUntil([] { return g.WantUpdate != 0; }, 20000));
    ASSERT_TRUE(RunUntilIdle(20000));
    // Later passes announce it again.
    g.RunOnlineNow();
    ASSERT_TRUE(RunUntilIdle());

    EXPECT_EQ(updates_.CheckCount(), 1);
    std::vector<size_t> froms;
    for (const auto& [file, from] : updates_.Downloads())
        if (file == "data.bin")
            froms.push_back(from);
    EXPECT_EQ(froms, (std::vector<size_t>{0, 250000, 500000}));
    EXPECT_FALSE(plat::FileExists(program_ + "readme.txt"));

    g.Close = 1;
    host_.reset();
    EXPECT_EQ(ReadFile(program_ + "readme.txt"), "0123456789");
    EXPECT_EQ(ReadFile(program_ + "share/extra/data.bin"), data);
}

} // namespace
} // namespace online_test
