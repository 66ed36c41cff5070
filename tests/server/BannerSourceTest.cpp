// The banner's picture from the simulator: the installer configuration,
// then the GIF it names, with the limits and the cancel of the widget.
#include <gtest/gtest.h>

#include <thread>

#include "BuildConfig.h"
#include "net/TCPHttp.h"
#include "server/BannerSource.h"
#include "server/InstallerConfig.h"
#include "support/VendorSim.h"

namespace orvane {
namespace {

constexpr size_t kLimit = 1 << 20;

std::string Picture(const std::string& name) {
  return CTCPHttp(config::kApiHost, 80).GetBody(config::kApiHost, "/static/" + name);
}

std::string ConfigNaming(const std::string& url) {
  return R"({"config":{"data":{"ProductsShow":{"gif_url":")" + url + R"("}}}})";
}

TEST(BannerSource, FetchesThePictureTheConfigurationNames) {
  const std::string banner = Picture("banner.gif");
  const std::string oneFrame = Picture("one-frame.gif");
  test::SetSimScenario("{}");
  std::unique_ptr<CBannerSource> source(CreateBannerSource());
  EXPECT_EQ(source->FetchPicture(kLimit), banner);
  auto requests = test::SimRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].raw, test::ExpectedGet(config::kApiHost, InstallerConfigPath()));
  EXPECT_EQ(requests[1].endpoint, "picture");

  // another host spelling with a port, a secure scheme: still plain HTTP there
  test::SetSimScenario(ConfigNaming(std::string("https://") + config::kApiIp +
                                    ":80/static/one-frame.gif"));
  EXPECT_EQ(source->FetchPicture(kLimit), oneFrame);
  EXPECT_EQ(test::SimRequestsTo("picture").size(), 1u);
}

TEST(BannerSource, NothingForRefusalsMissingPicturesAndOversizedOnes) {
  const struct {
    const char* name;
    std::string scenario;
    size_t limit;
    size_t pictureRequests;
  } cases[] = {
      {"another code", R"({"config":{"reply":"refused","code":"server.busy"}})", kLimit, 0},
      {"an HTML page", R"({"config":{"reply":"html"}})", kLimit, 0},
      {"no path in the address", ConfigNaming("http://api.orvane.test"), kLimit, 0},
      {"a picture that is not there", ConfigNaming("http://api.orvane.test/static/none.gif"),
       kLimit, 0},
      {"a picture above the limit", "{}", 1000, 1},
      {"a chunked picture above the limit", R"({"picture":{"chunked":true}})", 1000, 1},
  };
  std::unique_ptr<CBannerSource> source(CreateBannerSource());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::SetSimScenario(c.scenario);
    EXPECT_EQ(source->FetchPicture(c.limit), "");
    EXPECT_EQ(test::SimRequestsTo("config").size(), 1u);
    EXPECT_EQ(test::SimRequestsTo("picture").size(), c.pictureRequests);
  }
}

TEST(BannerSource, CancelEndsAHangingRequest) {
  test::SetSimScenario(R"({"config":{"reply":"silent"}})");
  std::unique_ptr<CBannerSource> source(CreateBannerSource());
  std::thread canceller([&source] {
    ::Sleep(300);
    source->Cancel();
  });
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(source->FetchPicture(kLimit), "");
  EXPECT_LT(::GetTickCount() - start, 2000u) << "the 5 s time-out did not decide";
  canceller.join();
  EXPECT_EQ(source->FetchPicture(kLimit), "") << "cancelled for good";
  EXPECT_EQ(test::SimRequestsTo("config").size(), 1u);
}

}  // namespace
}  // namespace orvane
