#include "PostgresEnvironment.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<PostgresServer> server;

// Starting a cluster costs a second or two: once for the whole program, not once per test.
class PostgresEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        server = std::make_unique<PostgresServer>();
        ASSERT_TRUE(server->running());
    }
    void TearDown() override { server.reset(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PostgresEnvironment);

} // namespace

PostgresServer& postgres() {
    return *server;
}
