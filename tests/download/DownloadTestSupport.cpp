#include "DownloadTestSupport.h"

#include <gtest/gtest.h>

#include "net/TCPHttp.h"
#include "platform/StringUtil.h"

namespace orvane::test {

std::string UniqueTag() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  static int n = 0;
  return std::string(info->test_suite_name()) + "-" + info->name() + "-" +
         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
}

std::vector<std::string> FaultLog(const std::string& tag) {
  CTCPHttp http("127.0.0.17", 80);
  http.SetRecvTimeout(5000);
  return SplitAny(http.GetBody("127.0.0.17", "/log/" + tag), "\n");
}

std::string FaultUrl(const std::string& mode, const std::string& tag, int64_t size) {
  return std::string(kFaults) + "/" + mode + "/" + tag + "/" + std::to_string(size);
}

}  // namespace orvane::test
