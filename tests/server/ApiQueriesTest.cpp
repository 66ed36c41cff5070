#include "server/ApiQueries.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <thread>

#include "platform/Error.h"

namespace orvane {
namespace {

using namespace std::chrono;

// answers from a script; "!" throws like a failed connection
struct ScriptedTransport : IApiTransport {
  std::deque<std::string> answers;
  std::vector<std::string> asked;  // "GET host path" / "POST host path"
  std::function<void()> onRequest;

  std::string Next() {
    if (onRequest) onRequest();
    if (answers.empty()) return {};
    std::string a = answers.front();
    answers.pop_front();
    if (a == "!") throw Error("Connect failed");
    return a;
  }
  std::string Get(const std::string& host, const std::string& path) override {
    asked.push_back("GET " + host + " " + path);
    return Next();
  }
  std::string Post(const std::string& host, const std::string& path, HttpForm&) override {
    asked.push_back("POST " + host + " " + path);
    return Next();
  }
};

std::string FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no failure";
}

TEST(PackageAttempts, NameThenFixedAddressUntilABodyArrives) {
  ScriptedTransport t;
  t.answers = {"", "!", "!", "", "", "{}"};
  QueryCancel cancel;
  int attempts = 0;
  auto start = steady_clock::now();
  EXPECT_EQ(FetchPackageAnswer(t, cancel, "api", "10.0.0.1", "/p", &attempts), "{}");
  EXPECT_EQ(attempts, 6);
  std::vector<std::string> want = {"GET api /p",      "GET 10.0.0.1 /p", "GET api /p",
                                   "GET 10.0.0.1 /p", "GET api /p",      "GET 10.0.0.1 /p"};
  EXPECT_EQ(t.asked, want);
  // two pauses of 300 ms between three cycles
  EXPECT_GE(steady_clock::now() - start, milliseconds(550));
}

TEST(PackageAttempts, TheNameAnsweringSkipsTheFixedAddress) {
  ScriptedTransport t;
  t.answers = {"body"};
  QueryCancel cancel;
  EXPECT_EQ(FetchPackageAnswer(t, cancel, "api", "ip", "/p"), "body");
  EXPECT_EQ(t.asked.size(), 1u);
}

TEST(PackageAttempts, CancelEndsTheEndlessLoop) {
  ScriptedTransport t;  // never answers
  QueryCancel cancel;
  std::thread stopper([&] {
    std::this_thread::sleep_for(milliseconds(700));
    cancel.Set();
  });
  auto start = steady_clock::now();
  EXPECT_EQ(FailureOf([&] { FetchPackageAnswer(t, cancel, "api", "ip", "/p"); }), "user cancel");
  stopper.join();
  // the pause ends at once when the flag is set
  EXPECT_LT(steady_clock::now() - start, seconds(5));
  EXPECT_GE(t.asked.size(), 2u);

  // cancelled before the first cycle: nothing is sent
  ScriptedTransport idle;
  EXPECT_EQ(FailureOf([&] { FetchPackageAnswer(idle, cancel, "api", "ip", "/p"); }), "user cancel");
  EXPECT_TRUE(idle.asked.empty());
}

TEST(PackageAttempts, CancelDuringTheNameRequestSkipsTheFixedAddress) {
  ScriptedTransport t;
  QueryCancel cancel;
  t.onRequest = [&] { cancel.Set(); };
  EXPECT_EQ(FailureOf([&] { FetchPackageAnswer(t, cancel, "api", "ip", "/p"); }), "user cancel");
  EXPECT_EQ(t.asked, std::vector<std::string>{"GET api /p"});
}

TEST(WelcomeAttempts, AtMostThreeToTheNameOnly) {
  ScriptedTransport t;
  t.answers = {"!", "", "", "late"};
  QueryCancel cancel;
  EXPECT_EQ(FetchWelcomeAnswer(t, cancel, "api", "/w"), "");
  EXPECT_EQ(t.asked, std::vector<std::string>(3, "GET api /w"));

  ScriptedTransport second;
  second.answers = {"", "ok"};
  EXPECT_EQ(FetchWelcomeAnswer(second, cancel, "api", "/w"), "ok");
  EXPECT_EQ(second.asked.size(), 2u);
}

TEST(WelcomeAttempts, CancelAfterAnEmptyAttemptFails) {
  ScriptedTransport t;
  QueryCancel cancel;
  t.onRequest = [&] { cancel.Set(); };
  EXPECT_EQ(FailureOf([&] { FetchWelcomeAnswer(t, cancel, "api", "/w"); }), "user cancel");
  EXPECT_EQ(t.asked.size(), 1u);
  // an answer that arrives still counts
  ScriptedTransport answered;
  answered.answers = {"ok"};
  EXPECT_EQ(FetchWelcomeAnswer(answered, cancel, "api", "/w"), "ok");
}

TEST(ReportAttempts, AtMostThreePosts) {
  ScriptedTransport t;
  QueryCancel cancel;
  HttpForm form;
  form.AddField("a", "1");
  EXPECT_EQ(PostConversionReport(t, cancel, "conv", "/v1/install/kelmor", form), "");
  EXPECT_EQ(t.asked, std::vector<std::string>(3, "POST conv /v1/install/kelmor"));
  ScriptedTransport second;
  second.answers = {"!", "{}"};
  EXPECT_EQ(PostConversionReport(second, cancel, "conv", "/r", form), "{}");
  EXPECT_EQ(second.asked.size(), 2u);
}

TEST(QueryCancel, HookIsCalledOnceRegisteredAndNeverAfterRemoval) {
  QueryCancel cancel;
  int calls = 0;
  {
    ScopedAbortHook hook(cancel, [&] { ++calls; });
  }
  cancel.Set();
  EXPECT_EQ(calls, 0);
  // registered after the flag: aborted at once
  ScopedAbortHook hook(cancel, [&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(cancel.Pause(milliseconds(10000)));
}

TEST(QueryCancel, PauseRunsItsTimeWithoutCancel) {
  QueryCancel cancel;
  auto start = steady_clock::now();
  EXPECT_TRUE(cancel.Pause(milliseconds(50)));
  EXPECT_GE(steady_clock::now() - start, milliseconds(45));
}

}  // namespace
}  // namespace orvane
