// The simulator's installer configuration and its animated picture, as the
// progress page's banner will fetch them through the installer's client.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <memory>

#include "BuildConfig.h"
#include "net/TCPHttp.h"
#include "server/ApiAnswer.h"
#include "support/VendorSim.h"
#include "ui/GdiplusHandles.h"

namespace orvane {
namespace {

TEST(Simulator, ServesTheInstallerConfigurationAndItsPicture) {
  test::SetSimScenario("{}");
  const std::string path = std::string("/applicationService/app/installerConfig?appId=") + kAppId;
  std::string body = CTCPHttp(config::kApiHost, 80).GetBody(config::kApiHost, path);
  Json::Value data = EnvelopeData(ParseApiBody(body));
  const std::string gif = data["ProductsShow"]["gif_url"].asString();
  const std::string prefix = std::string("http://") + config::kApiHost + "/";
  ASSERT_EQ(gif.compare(0, prefix.size(), prefix), 0) << gif;

  std::string picture =
      CTCPHttp(config::kApiHost, 80).GetBody(config::kApiHost, gif.substr(prefix.size() - 1));
  ASSERT_GT(picture.size(), 13u);
  EXPECT_EQ(picture.substr(0, 6), "GIF89a");
  EXPECT_EQ(picture.back(), '\x3B');  // the trailer
  EXPECT_EQ(test::SimRequestsTo("config").size(), 1u);
  EXPECT_EQ(test::SimRequestsTo("picture").size(), 1u);
}

// the frame count and delays of a picture as GDI+ reads them; -1 when it
// does not load
int AnimationFrames(const std::string& bytes, std::vector<uint32_t>* delays) {
  GdiplusSession gdiplus;
  if (!gdiplus.ok()) return -1;
  struct Release {
    void operator()(IStream* s) const { s->Release(); }
  };
  std::unique_ptr<IStream, Release> stream(::SHCreateMemStream(
      reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
  if (!stream) return -1;
  Gdiplus::GpImage* raw = nullptr;
  if (gp::GdipLoadImageFromStream(stream.get(), &raw) != Gdiplus::Ok) return -1;
  GdipImage image(raw);
  UINT dimensions = 0;
  gp::GdipImageGetFrameDimensionsCount(image.get(), &dimensions);
  if (dimensions == 0) return -1;
  GUID first{};
  gp::GdipImageGetFrameDimensionsList(image.get(), &first, 1);
  UINT frames = 0;
  gp::GdipImageGetFrameCount(image.get(), &first, &frames);
  UINT size = 0;
  if (gp::GdipGetPropertyItemSize(image.get(), PropertyTagFrameDelay, &size) == Gdiplus::Ok &&
      size >= sizeof(Gdiplus::PropertyItem)) {
    std::vector<unsigned char> item(size);
    auto* p = reinterpret_cast<Gdiplus::PropertyItem*>(item.data());
    if (gp::GdipGetPropertyItem(image.get(), PropertyTagFrameDelay, size, p) == Gdiplus::Ok) {
      const auto* values = static_cast<const uint32_t*>(p->value);
      delays->assign(values, values + p->length / sizeof(uint32_t));
    }
  }
  return static_cast<int>(frames);
}

TEST(Simulator, ThePictureIsAnAnimatedGif) {
  test::SetSimScenario("{}");
  std::string picture =
      CTCPHttp(config::kApiHost, 80).GetBody(config::kApiHost, "/static/banner.gif");
  std::vector<uint32_t> delays;
  EXPECT_EQ(AnimationFrames(picture, &delays), 3);
  EXPECT_EQ(delays, (std::vector<uint32_t>{10, 30, 20}));
  std::string one =
      CTCPHttp(config::kApiHost, 80).GetBody(config::kApiHost, "/static/one-frame.gif");
  EXPECT_EQ(AnimationFrames(one, &delays), 1);
}

TEST(Simulator, DelaysAndChunkedAnswers) {
  test::SetSimScenario(R"({"config":{"delay_ms":600,"chunked":true,
      "data":{"ProductsShow":{"gif_url":"http://x.test/a.gif"}}}})");
  DWORD start = ::GetTickCount();
  std::string body = CTCPHttp(config::kApiHost, 80)
                         .GetBody(config::kApiHost, "/applicationService/app/installerConfig");
  EXPECT_GE(::GetTickCount() - start, 500u);
  EXPECT_EQ(EnvelopeData(ParseApiBody(body))["ProductsShow"]["gif_url"].asString(),
            "http://x.test/a.gif");
  // anything else is not found
  EXPECT_EQ(CTCPHttp(config::kApiHost, 80).GetBody(config::kApiHost, "/nothing"), "");
  EXPECT_EQ(test::SimRequestsTo("unknown").size(), 1u);
}

}  // namespace
}  // namespace orvane
