#include "platform/ProcessSnapshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvane {
namespace {

// builds snapshots in the 32-bit layout: 184-byte process entries, each
// followed by its 64-byte thread entries
class SnapshotBuilder {
 public:
  struct Thread {
    uint32_t state;
    uint32_t reason;
  };

  SnapshotBuilder& Process(uint32_t id, std::vector<Thread> threads) {
    if (last_ != SIZE_MAX) Put(last_, static_cast<uint32_t>(bytes_.size() - last_));
    last_ = bytes_.size();
    bytes_.resize(bytes_.size() + 0xB8 + 0x40 * threads.size(), 0xEE);
    Put(last_ + 0x00, 0);
    Put(last_ + 0x04, static_cast<uint32_t>(threads.size()));
    Put(last_ + 0x44, id);
    for (size_t i = 0; i < threads.size(); ++i) {
      size_t t = last_ + 0xB8 + 0x40 * i;
      Put(t + 0x34, threads[i].state);
      Put(t + 0x38, threads[i].reason);
    }
    return *this;
  }
  std::vector<unsigned char>& bytes() { return bytes_; }
  void Put(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes_[at + i] = static_cast<unsigned char>(v >> (8 * i));
  }

 private:
  std::vector<unsigned char> bytes_;
  size_t last_ = SIZE_MAX;
};

ProcessRunState StateIn(std::vector<unsigned char>& bytes, uint32_t id) {
  return FindProcessRunState(bytes.data(), bytes.size(), id);
}

TEST(ProcessSnapshot, FirstThreadDecides) {
  SnapshotBuilder b;
  b.Process(0, {{0, 0}})
      .Process(100, {{5, 5}, {2, 0}})  // suspended: waiting (5) for the reason 5
      .Process(104, {{2, 0}, {5, 5}})  // only a later thread is suspended
      .Process(108, {{5, 6}})          // waiting for another reason
      .Process(112, {{3, 5}})
      .Process(116, {});
  auto& s = b.bytes();
  struct Case {
    uint32_t id;
    ProcessRunState state;
  } cases[] = {
      {0, ProcessRunState::kRunning},   {100, ProcessRunState::kSuspended},
      {104, ProcessRunState::kRunning}, {108, ProcessRunState::kRunning},
      {112, ProcessRunState::kRunning}, {116, ProcessRunState::kRunning},
      {120, ProcessRunState::kMissing},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StateIn(s, c.id), c.state) << c.id;
}

TEST(ProcessSnapshot, MalformedSnapshotsAnswerMissing) {
  SnapshotBuilder b;
  b.Process(10, {{2, 0}}).Process(20, {{5, 5}}).Process(30, {{5, 5}});
  auto& s = b.bytes();
  const size_t second = 0xB8 + 0x40, third = second * 2;

  EXPECT_EQ(FindProcessRunState(nullptr, 100, 10), ProcessRunState::kMissing);
  EXPECT_EQ(FindProcessRunState(s.data(), 0xB7, 10), ProcessRunState::kMissing);
  // the entry fits but its first thread is cut off
  EXPECT_EQ(FindProcessRunState(s.data(), 0xB8 + 0x3F, 10), ProcessRunState::kMissing);
  EXPECT_EQ(FindProcessRunState(s.data(), 0xB8 + 0x40, 10), ProcessRunState::kRunning);
  // the chain ends before a process that lies in the bytes
  EXPECT_EQ(FindProcessRunState(s.data(), third - 1, 30), ProcessRunState::kMissing);

  // a next offset beyond the end, and one that would wrap around
  auto copy = s;
  b.Put(second, 0x7FFFFFF0);
  EXPECT_EQ(StateIn(s, 30), ProcessRunState::kMissing);
  s = copy;
  b.Put(second, 0xFFFFFF00);
  EXPECT_EQ(StateIn(s, 30), ProcessRunState::kMissing);
  s = copy;
  EXPECT_EQ(StateIn(s, 30), ProcessRunState::kSuspended);
  // an offset of 0 ends the walk
  b.Put(0, 0);
  EXPECT_EQ(StateIn(s, 20), ProcessRunState::kMissing);
  EXPECT_EQ(StateIn(s, 10), ProcessRunState::kRunning);
}

}  // namespace
}  // namespace orvane
