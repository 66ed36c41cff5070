// The UI thread and several workers send events at the same moment through
// one logger: every journal line carries exactly what its own sender set.
#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <map>
#include <set>
#include <thread>

#include "telemetry/TestLogger.h"

namespace orvane::test {
namespace {

constexpr int kWorkers = 4;
constexpr int kEventsPerThread = 150;

// what sender `who` sets for its event number `n`
std::vector<std::string> Expected(int who, int n) {
  const std::string name = "t" + std::to_string(who);
  std::vector<std::string> props = {
      "even=" + std::string(n % 2 == 0 ? "true" : "false"),
      "n=" + std::to_string(n),
      "only_" + name + "=" + std::to_string(n * 7),
      "payload=文本 \"" + name + "\" \\ " + std::to_string(n) + "\n",
      "sender=" + name,
  };
  if (n % 3 == 0) props.insert(props.begin(), "a_every_third=" + std::to_string(who));
  return props;
}

void Send(ILoggerServer& logger, int who, int n) {
  const std::string name = "t" + std::to_string(who);
  logger.ClearProperties();
  logger.SetStringProperty("sender", name);
  std::this_thread::yield();
  logger.SetIntProperty("n", n);
  logger.SetBoolProperty("even", n % 2 == 0);
  std::this_thread::yield();
  logger.SetIntProperty("only_" + name, n * 7);
  if (n % 3 == 0) logger.SetIntProperty("a_every_third", who);
  logger.SetStringProperty("payload", "文本 \"" + name + "\" \\ " + std::to_string(n) + "\n");
  logger.SetIntProperty("n", -1);  // set twice: the first value stays
  std::this_thread::yield();
  logger.WriteEvent("vSender" + std::to_string(who));
}

TEST(LoggerThreads, EveryEventCarriesExactlyWhatItsSenderSet) {
  TestLoggerFolder folder;
  auto logger = folder.Create(kSinkDown);
  ASSERT_TRUE(logger->CanWriteRecords()) << logger->LastSdkError();

  std::atomic<int> ready{0};
  auto run = [&](int who) {
    ++ready;
    while (ready.load() < kWorkers + 1)
      std::this_thread::yield();
    for (int n = 0; n < kEventsPerThread; ++n)
      Send(*logger, who, n);
  };
  std::vector<std::thread> workers;
  for (int w = 1; w <= kWorkers; ++w)
    workers.emplace_back(run, w);
  run(0);  // this thread plays the UI thread
  for (auto& t : workers)
    t.join();

  std::vector<std::string> lines = folder.Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>((kWorkers + 1) * kEventsPerThread));
  std::map<int, int> next;  // sender -> the n its next event must carry
  std::set<std::string> uids;
  int interleaved = 0, previous = -1;
  for (const std::string& line : lines) {
    Json::Value v = ParseJsonLine(line);
    ASSERT_TRUE(v.isObject()) << line;
    EXPECT_TRUE(uids.insert(v["uid"].asString()).second);
    const std::string event = v["event"].asString();
    ASSERT_EQ(event.rfind("vSender", 0), 0u) << line;
    const int who = std::stoi(event.substr(7));
    const int n = next[who]++;  // each sender's events in its own order
    EXPECT_EQ(PropsOf(line), Expected(who, n)) << line;
    if (previous != -1 && previous != who) ++interleaved;
    previous = who;
  }
  for (int who = 0; who <= kWorkers; ++who)
    EXPECT_EQ(next[who], kEventsPerThread);
  // the senders did run at the same time
  std::cout << "sender changes between neighbouring lines: " << interleaved << "\n";
  EXPECT_GT(interleaved, 0);
}

}  // namespace
}  // namespace orvane::test
