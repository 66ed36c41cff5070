// IResourceMgr and CResourceManager: the skin. The images ship as one ZIP
// archive in the executable's resources ("BinarySystem" 103); the manager
// turns it into files in the per-run temporary folder, indexes them by file
// name and hands out GDI+ images on demand. It also owns the process's use
// of GDI+: every drawing widget depends on the manager being alive.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/BasedThread.h"
#include "ui/GdiplusHandles.h"
#include "ui/WidgetPainter.h"

namespace orvane {

class IResourceMgr {
 public:
  // the image of a skin file (exact, case-sensitive name), decoded on first
  // use and owned by the manager until Release; null for a null or unknown
  // name
  virtual Gdiplus::GpImage* GetImage(const wchar_t* name) = 0;
  // destroys the manager and shuts GDI+ down
  virtual void Release() = 0;

 protected:
  virtual ~IResourceMgr() = default;
};

struct ResourceMgrReleaser {
  void operator()(IResourceMgr* m) const {
    if (m) m->Release();
  }
};
using ResourceMgrPtr = std::unique_ptr<IResourceMgr, ResourceMgrReleaser>;

// where the skin comes from
struct SkinSource {
  std::wstring cacheFolder;  // with a trailing backslash; empty = none could be made
  HMODULE module = nullptr;  // holds the stored skin
};

// the per-run temporary folder and the program's own module
SkinSource DefaultSkinSource();

// null when no source yielded an image or the images folder could not be
// made (the failure is reported as telemetry)
IResourceMgr* CreateResourceMgr(const SkinSource& source);
inline IResourceMgr* CreateResourceMgr() {
  return CreateResourceMgr(DefaultSkinSource());
}

class CResourceManager : public IResourceMgr {
 public:
  // raises "make dir failed" or "load resource error"
  explicit CResourceManager(const SkinSource& source);

  Gdiplus::GpImage* GetImage(const wchar_t* name) override;
  void Release() override { delete this; }

  size_t entryCount() const { return entries_.size(); }
  // decodes the picture now, as GetImage would, but says nothing of a name
  // the skin does not have (GetImage reports it when it is asked for); the
  // picture, or null
  Gdiplus::GpImage* DecodeAhead(const std::wstring& name);

 private:
  struct SkinEntry {
    std::wstring path;
    std::wstring name;             // the lookup key
    std::vector<uint32_t> pixels;  // image's, when decoded here (PngDecode)
    GdipImage image;               // empty until first requested
    bool loaded = false;
  };

  ~CResourceManager() override = default;

  SkinEntry* Find(const std::wstring& name);
  static Gdiplus::GpImage* Decoded(SkinEntry& entry);
  bool LoadFolder();
  bool UnpackArchive();
  bool ExtractResource();

  // declared first so that GDI+ shuts down after the images are disposed
  GdiplusSession gdiplus_;
  std::vector<std::unique_ptr<SkinEntry>> entries_;
  SkinSource source_;
  std::wstring imagesFolder_;
  std::wstring archivePath_;
};

// a skin picture as a paint will ask for it fitted (PictureFit, by name)
struct SkinPictureFit {
  std::wstring name;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t backdrop = 0;
};

// Makes the manager on a thread of its own, and decodes the named pictures
// ahead (and loads what the first paint would load), while the caller does
// other work. Under Wine, starting GDI+, unpacking the skin and decoding its
// pictures take about 40 ms; beside
// the main window's creation, which takes as long, the first paint no
// longer waits for both one after the other. What the manager reports comes
// from that thread, in the same order.
class ResourceMgrLoader : private COrvaneBasedThread {
 public:
  // the default source, worked out on the thread too (choosing the per-run
  // folder asks every volume)
  explicit ResourceMgrLoader(std::vector<std::wstring> ahead);
  ResourceMgrLoader(SkinSource source, std::vector<std::wstring> ahead);
  // waits for the thread; a manager nobody took is released
  ~ResourceMgrLoader() override;

  // starts the thread; without one, Take makes the manager itself
  void Start();
  // waits for the thread and hands over its manager (null as from
  // CreateResourceMgr); null on a second call
  IResourceMgr* Take();
  // asks the thread to fit, once it has decoded it, a picture as the first
  // paint is expected to ask for it; Take waits for that too and hands the
  // result to PictureAhead. One request, before Take; a picture the skin
  // lacks is not fitted.
  void FitAhead(const SkinPictureFit& fit);

 private:
  int Run() override;
  // once the pictures are decoded: waits until a fit is asked for or Take
  // says there will be none
  void FitWhenAsked(CResourceManager& manager);
  // no fit will be asked for any more
  void CloseFitRequests();

  bool defaultSource_;
  SkinSource source_;
  std::vector<std::wstring> ahead_;
  bool started_ = false;
  bool taken_ = false;
  ResourceMgrPtr made_;
  std::mutex fitLock_;
  std::condition_variable fitAsked_;
  bool fitClosed_ = false;  // by FitAhead or Take
  SkinPictureFit fit_;      // empty name: none
  // written by the thread, read after it has ended
  Gdiplus::GpImage* fitImage_ = nullptr;
  std::unique_ptr<FittedPicture> fitted_;
};

}  // namespace orvane
