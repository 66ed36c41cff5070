#include "telemetry/EventProperties.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace orvane {
namespace {

TEST(EventProperties, FirstValueStaysUntilCleared) {
  PerThreadProperties p;
  p.SetBool("is_reinstall", true);
  p.SetBool("is_reinstall", false);
  p.SetInt("n", 1);
  p.SetInt("n", 2);
  p.SetString("s", "first");
  p.SetString("s", "second");
  PropertySets s = p.Snapshot();
  EXPECT_EQ(s.bools.at("is_reinstall"), true);
  EXPECT_EQ(s.ints.at("n"), 1);
  EXPECT_EQ(s.strings.at("s"), "first");
  // a snapshot leaves the sets as they are
  EXPECT_EQ(p.Snapshot().ints.size(), 1u);
  p.Clear();
  s = p.Snapshot();
  EXPECT_TRUE(s.ints.empty() && s.bools.empty() && s.strings.empty());
  p.SetBool("is_reinstall", false);
  EXPECT_EQ(p.Snapshot().bools.at("is_reinstall"), false);
}

TEST(EventProperties, KeysAreOrderedBytewise) {
  PerThreadProperties p;
  for (const char* k : {"b", "B", "a", "键", "_x"})
    p.SetString(k, k);
  std::vector<std::string> keys;
  for (const auto& [k, v] : p.Snapshot().strings)
    keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"B", "_x", "a", "b", "键"}));
}

TEST(EventProperties, EachThreadSeesOnlyWhatItSet) {
  PerThreadProperties p;
  constexpr int kThreads = 6;
  constexpr int kRounds = 2000;
  std::atomic<int> ready{0};
  std::atomic<int> mixed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ++ready;
      while (ready < kThreads)
        std::this_thread::yield();
      for (int i = 0; i < kRounds; ++i) {
        p.Clear();
        p.SetInt("round", i);
        std::this_thread::yield();
        p.SetInt("thread", t);
        p.SetString("only_" + std::to_string(t), "x");
        PropertySets s = p.Snapshot();
        if (s.ints.size() != 2 || s.ints.at("round") != i || s.ints.at("thread") != t ||
            s.strings.size() != 1 || !s.strings.count("only_" + std::to_string(t))) {
          ++mixed;
        }
      }
      p.Clear();
    });
  }
  for (auto& th : threads)
    th.join();
  EXPECT_EQ(mixed, 0);
  EXPECT_EQ(p.ThreadCount(), 0u);  // cleared threads leave nothing behind
}

}  // namespace
}  // namespace orvane
