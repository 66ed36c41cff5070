// CMovieResource: the banner animation (kind 4), the one widget fed from
// the network. It shows a skin picture until an animated GIF from its
// source has arrived, passed the checks of GifScan and been decoded, then
// plays it. A loader thread fetches, decodes and advances the frames; it
// never touches the window but posts the repaint message to it. Anything
// that fails on the way fails silently and the skin picture stays.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "ui/CachedBitmap.h"
#include "ui/GifScan.h"
#include "ui/ImageResource.h"
#include "ui/MovieSource.h"

namespace orvane {

class CMovieLoader;

class CMovieResource : public CImageResource {
 public:
  // how long destruction waits for the loader after cancelling its request
  static constexpr DWORD kStopWaitMs = 1000;
  // what the scaled frames may keep; frames beyond it are scaled per paint
  static constexpr size_t kFrameCacheBytes = 32u << 20;

  // starts the loader at once; it waits for the first Draw before it asks
  // the source. frameMessage is posted to host (wParam 0, lParam 0) when a
  // new frame is due. The fallback is not owned; source may be null (the
  // fallback then stays).
  CMovieResource(HWND host,
                 UINT frameMessage,
                 std::unique_ptr<IMovieSource> source,
                 Gdiplus::GpImage* fallback,
                 int32_t id,
                 const WidgetStyles* styles,
                 const GifLimits& limits = GifLimits());
  // cancels the source's request and waits up to kStopWaitMs for the
  // loader. A loader still inside a step that cannot be interrupted (name
  // resolution) is left to end by itself: the picture is disposed here and
  // the loader no longer touches GDI+ or posts anything.
  ~CMovieResource() override;

  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  // while set, frames keep advancing but no repaint is requested
  void SetQuiet(bool quiet);
  bool quiet() const;

  // whether the animated picture replaced the fallback, its frames and the
  // frame a paint would show now
  bool animated() const;
  int32_t frameCount() const;
  int32_t currentFrame() const;
  // where the picture is drawn
  const IntRect& animationRect() const { return animationRect_; }
  // waits up to ms for the loader thread to end (tests)
  bool WaitLoaderEnded(DWORD ms);

 private:
  // the animation rectangle for the picture on show
  void PlacePicture();
  CachedBitmap& FrameCache(int32_t frame);

  CMovieLoader* loader_;  // owned; left alive on purpose when it could not be stopped
  Gdiplus::GpImage* fallback_;
  IntRect animationRect_;
  uint32_t seenGeneration_ = 0;  // the loader's picture that animationRect_ is for
  uint32_t pictureWidth_ = 0;
  uint32_t pictureHeight_ = 0;
  std::vector<std::unique_ptr<CachedBitmap>> frames_;
  CachedBitmap spare_;  // the fallback, and frames beyond the budget
};

}  // namespace orvane
