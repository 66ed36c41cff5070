// Winsock for the test programs that talk to the network, started before
// any test runs (the installer starts version 1.1 at launch, and so do the
// tests). Listed as a source of each such program, not linked from a library,
// so that its registration is never dropped.
#include <winsock2.h>

#include <gtest/gtest.h>

namespace {

class WinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(1, 1), &data), 0);
  }
  void TearDown() override { ::WSACleanup(); }
};

const auto* const g_winsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

}  // namespace
