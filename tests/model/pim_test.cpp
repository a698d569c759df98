#include "foundation/hooks.h"
#include "model/pim.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(TNPIM, InitPointsItemsAtTheSetInitialisedLast)
{
    model_test::Environment environment;
    {
        TNPIM first(0);
        EXPECT_EQ(CurrentPIMOrganizers, &first.Organizers);
        EXPECT_EQ(CurrentPIMLastRequests, &first.LastRequests);
        {
            TNPIM second(1);
            EXPECT_EQ(CurrentPIMOrganizers, &second.Organizers);
            EXPECT_EQ(CurrentPIMLastRequests, &second.LastRequests);
            ASSERT_TRUE(second.Organizers.Resize(1));
            EXPECT_EQ(second.Organizers.Items[0]->pim_srv_pos, 1);
            first.Init();
            EXPECT_EQ(CurrentPIMOrganizers, &first.Organizers);
        }
        EXPECT_EQ(CurrentPIMOrganizers, &first.Organizers);

        ASSERT_NE(first.Records, nullptr);
        EXPECT_EQ(first.Records->ParentPIM, &first);
        ASSERT_TRUE(first.Records->Resize(1));
        EXPECT_EQ(first.Records->Items[0]->ParentPIM, &first);
        first.UserID = 77;
        first.Records->UserOrganizerID = 512;
        first.Records->NextID = kFirstLocalID + 9;
        first.Init();
        EXPECT_EQ(first.UserID, 0u);
        EXPECT_EQ(first.Records->UserOrganizerID, 0u);
        EXPECT_EQ(first.Records->NextID, kFirstLocalID);
    }
    EXPECT_EQ(CurrentPIMOrganizers, nullptr) << "no pointer into a set that is gone";
    EXPECT_EQ(CurrentPIMLastRequests, nullptr);
}

TEST(TNPIM, FactoryMakesTheSetsOfPIM)
{
    model_test::Environment environment;
    TNFoundationHooks saved = FoundationHooks;
    InstallPIMFactory();
    ASSERT_NE(FoundationHooks.CreatePIM, nullptr);
    TNPIM* pim = FoundationHooks.CreatePIM(2);
    ASSERT_NE(pim, nullptr);
    EXPECT_EQ(pim->pimSrvPos, 2);
    EXPECT_EQ(pim->Organizers.ParentPIM, pim);
    FoundationHooks.DestroyPIM(pim);
    FoundationHooks.CreatePIM = saved.CreatePIM;
    FoundationHooks.DestroyPIM = saved.DestroyPIM;
}

} // namespace
