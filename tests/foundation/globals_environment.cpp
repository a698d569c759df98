#include "foundation/globals.h"

#include <gtest/gtest.h>

namespace {

// Every test of this binary runs with the program's globals built.
class GlobalsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(ConstructGlobals()); }
    void TearDown() override { DestroyGlobals(); }
};

[[maybe_unused]] ::testing::Environment* const globalsEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlobalsEnvironment);

} // namespace
