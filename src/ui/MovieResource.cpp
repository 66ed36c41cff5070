#include "ui/MovieResource.h"

#include <atomic>
#include <string>

#include "platform/BasedThread.h"
#include "platform/Handles.h"
#include "platform/XMutex.h"
#include "ui/WidgetPainter.h"

namespace orvane {

using namespace Gdiplus;

namespace {

// how often the loader looks for the first paint
constexpr DWORD kFirstDrawPollMs = 10;

// the shell's memory stream; exported by ordinal 12 only before Vista
IStream* CreateMemoryStream(const std::string& bytes) {
  using CreateFn = IStream*(WINAPI*)(const BYTE*, UINT);
  static CreateFn create = [] {
    HMODULE shlwapi = ::GetModuleHandleW(L"shlwapi.dll");
    if (!shlwapi) {
      wchar_t system[MAX_PATH] = {};
      const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
      // from the system folder only; kept loaded for the run
      if (n > 0 && n < MAX_PATH) {
        shlwapi = ::LoadLibraryW((std::wstring(system, n) + L"\\shlwapi.dll").c_str());
      }
    }
    return shlwapi ? reinterpret_cast<CreateFn>(
                         reinterpret_cast<void*>(::GetProcAddress(shlwapi, MAKEINTRESOURCEA(12))))
                   : nullptr;
  }();
  if (!create) return nullptr;
  return create(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
}

}  // namespace

// The loader thread and what it shares with the widget. The widget owns
// it; the picture, its frame facts and the current frame are guarded by
// mutex_, and every GDI+ call of the loader happens under it after a look
// at stop_, so that no GDI+ object is made once the widget has gone.
class CMovieLoader : public COrvaneBasedThread {
 public:
  CMovieLoader(HWND host, UINT message, std::unique_ptr<IMovieSource> source, GifLimits limits)
      : host_(host),
        message_(message),
        source_(std::move(source)),
        limits_(limits),
        wake_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  int Run() override {
    while (!drawn_ && !stop_)
      ::WaitForSingleObject(wake_.get(), kFirstDrawPollMs);
    if (stop_ || !source_) return 0;
    const std::string bytes = source_->FetchPicture(limits_.maxBytes);
    if (bytes.empty() || stop_) return 0;
    GifFacts facts;
    if (ScanGif(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), limits_, &facts) !=
        GifVerdict::kOk) {
      return 0;
    }
    {
      XMutexLock hold(mutex_);
      if (stop_ || !Decode(bytes, facts)) return 0;
    }
    // the picture replaces the fallback now; frames and delays stay as
    // published, and only this thread changes the current frame
    Post();
    if (frameCount_ < 2) return 0;
    for (;;) {
      const DWORD wait = delays_[current_] * 10;
      if (::WaitForSingleObject(wake_.get(), wait) == WAIT_OBJECT_0 || stop_) break;
      XMutexLock hold(mutex_);
      if (stop_) break;
      current_ = (current_ + 1) % frameCount_;
      if (!quiet_) Post();
    }
    return 0;
  }

  void MarkDrawn() { drawn_ = true; }
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  bool quiet() const { return quiet_; }

  // any thread: no more waiting, requests, decoding or messages
  void RequestStop() {
    {
      XMutexLock hold(mutex_);
      stop_ = true;
    }
    ::SetEvent(wake_.get());
    if (source_) source_->Cancel();
  }
  // the widget goes while this thread still runs: the picture goes with it
  void Abandon() {
    XMutexLock hold(mutex_);
    picture_.reset();
    frameCount_ = 0;
  }

  CXMutex& mutex() { return mutex_; }
  // under mutex()
  GpImage* picture() const { return picture_.get(); }
  const GUID& dimension() const { return dimension_; }
  int32_t frameCount() const { return frameCount_; }
  int32_t current() const { return current_; }
  uint32_t generation() const { return generation_; }
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }

 private:
  void Post() {
    if (!stop_) ::PostMessageW(host_, message_, 0, 0);
  }

  // GDI+ decodes the checked bytes; what it reports must agree with the
  // scan and pass the same timing rule, else the fallback stays
  bool Decode(const std::string& bytes, const GifFacts& facts) {
    GdipImage image;
    {
      ComPtr<IStream> stream(CreateMemoryStream(bytes));
      if (!stream) return false;
      if (gp::GdipLoadImageFromStream(stream.get(), image.receive()) != Ok) {
        image.reset();
        return false;
      }
    }
    UINT width = 0, height = 0, dimensions = 0, frames = 0;
    GUID dimension{};
    if (gp::GdipGetImageWidth(image.get(), &width) != Ok ||
        gp::GdipGetImageHeight(image.get(), &height) != Ok || width != facts.width ||
        height != facts.height) {
      return false;
    }
    if (gp::GdipImageGetFrameDimensionsCount(image.get(), &dimensions) != Ok || dimensions == 0 ||
        gp::GdipImageGetFrameDimensionsList(image.get(), &dimension, 1) != Ok ||
        gp::GdipImageGetFrameCount(image.get(), &dimension, &frames) != Ok ||
        frames != facts.delays.size()) {
      return false;
    }
    std::vector<uint32_t> delays(frames, 0);
    if (frames > 1) {
      UINT size = 0;
      if (gp::GdipGetPropertyItemSize(image.get(), PropertyTagFrameDelay, &size) != Ok ||
          size < sizeof(PropertyItem) + frames * sizeof(uint32_t)) {
        return false;
      }
      std::vector<unsigned char> buffer(size);
      auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
      if (gp::GdipGetPropertyItem(image.get(), PropertyTagFrameDelay, size, item) != Ok ||
          item->length < frames * sizeof(uint32_t) || !item->value) {
        return false;
      }
      const auto* values = static_cast<const uint32_t*>(item->value);
      delays.assign(values, values + frames);
    }
    if (CheckMovieTiming(delays, limits_) != GifVerdict::kOk) return false;

    picture_ = std::move(image);
    dimension_ = dimension;
    delays_ = std::move(delays);
    frameCount_ = static_cast<int32_t>(frames);
    current_ = 0;
    width_ = width;
    height_ = height;
    ++generation_;
    return true;
  }

  HWND host_;
  UINT message_;
  std::unique_ptr<IMovieSource> source_;
  GifLimits limits_;
  UniqueHandle wake_;  // set once, by RequestStop
  std::atomic<bool> stop_{false};
  std::atomic<bool> drawn_{false};
  std::atomic<bool> quiet_{false};

  CXMutex mutex_;
  GdipImage picture_;
  GUID dimension_{};
  std::vector<uint32_t> delays_;
  int32_t frameCount_ = 0;
  int32_t current_ = 0;
  uint32_t generation_ = 0;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
};

CMovieResource::CMovieResource(HWND host,
                               UINT frameMessage,
                               std::unique_ptr<IMovieSource> source,
                               GpImage* fallback,
                               int32_t id,
                               const WidgetStyles* styles,
                               const GifLimits& limits)
    : CImageResource(id, kKindAnimation, styles),
      loader_(new CMovieLoader(host, frameMessage, std::move(source), limits)),
      fallback_(fallback) {
  PlacePicture();
  loader_->Start();
}

CMovieResource::~CMovieResource() {
  loader_->RequestStop();
  if (loader_->Join(kStopWaitMs)) {
    delete loader_;
    return;
  }
  loader_->Abandon();
  // its thread still reads it; it ends when the request in progress gives up
}

void CMovieResource::SetQuiet(bool quiet) {
  loader_->SetQuiet(quiet);
}

bool CMovieResource::quiet() const {
  return loader_->quiet();
}

bool CMovieResource::animated() const {
  XMutexLock hold(loader_->mutex());
  return loader_->picture() != nullptr;
}

int32_t CMovieResource::frameCount() const {
  XMutexLock hold(loader_->mutex());
  return loader_->frameCount();
}

int32_t CMovieResource::currentFrame() const {
  XMutexLock hold(loader_->mutex());
  return loader_->current();
}

bool CMovieResource::WaitLoaderEnded(DWORD ms) {
  return loader_->Join(ms);
}

bool CMovieResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  PlacePicture();
  return true;
}

void CMovieResource::PlacePicture() {
  double w = pictureWidth_, h = pictureHeight_;
  if (seenGeneration_ == 0) ImageSize(fallback_, &w, &h);
  animationRect_ = FitPicture(rect_, w, h);
}

CachedBitmap& CMovieResource::FrameCache(int32_t frame) {
  if (frame < 0 || static_cast<size_t>(frame) >= frames_.size()) return spare_;
  if (!frames_[frame]) {
    const size_t frameBytes = static_cast<size_t>(animationRect_.width()) *
                              static_cast<size_t>(animationRect_.height()) * 4;
    size_t kept = 0;
    for (const auto& f : frames_)
      kept += f ? 1 : 0;
    if ((kept + 1) * frameBytes > kFrameCacheBytes) return spare_;
    frames_[frame] = std::make_unique<CachedBitmap>();
  }
  return *frames_[frame];
}

bool CMovieResource::Draw(HDC dc) {
  loader_->MarkDrawn();
  if (!visible()) return true;
  GdipGraphics g = DrawBase(dc);
  if (!g) return true;
  XMutexLock hold(loader_->mutex());
  GpImage* picture = loader_->picture();
  if (picture && loader_->generation() != seenGeneration_) {
    seenGeneration_ = loader_->generation();
    pictureWidth_ = loader_->width();
    pictureHeight_ = loader_->height();
    PlacePicture();
    frames_.clear();
    frames_.resize(static_cast<size_t>(loader_->frameCount()));
  }
  if (!picture) {
    DrawCachedPicture(spare_, dc, g.get(), fallback_, animationRect_);
    return true;
  }
  const int32_t frame = loader_->current();
  const uint32_t frameKey = static_cast<uint32_t>(frame) + 1;
  CachedBitmap& cache = FrameCache(frame);
  // selecting a frame decodes it: only when its scaled copy is missing
  if (!cache.Matches(animationRect_.width(), animationRect_.height(),
                     PictureKey(picture, frameKey))) {
    gp::GdipImageSelectActiveFrame(picture, &loader_->dimension(), static_cast<UINT>(frame));
  }
  DrawCachedPicture(cache, dc, g.get(), picture, animationRect_, frameKey);
  return true;
}

}  // namespace orvane
