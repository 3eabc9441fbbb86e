// Test entry: joins (or starts) the headless session before the first test.
#include <gtest/gtest.h>

#include "desktop.h"

namespace {
class SessionEnvironment : public ::testing::Environment {
public:
    void SetUp() override { desktop::JoinSession(); }
};
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new SessionEnvironment);
    return RUN_ALL_TESTS();
}
