#include "ui/ResourceMgr.h"

#include <algorithm>

#include "platform/CacheFolders.h"
#include "platform/DllSearch.h"
#include "platform/EmbeddedResource.h"
#include "platform/Error.h"
#include "platform/EventSink.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/ZipUnpack.h"
#include "ui/PictureAhead.h"
#include "ui/PngDecode.h"
#include "ui/WidgetPainter.h"

namespace orvane {

namespace {

constexpr int kSkinResourceId = 103;
constexpr wchar_t kSkinResourceType[] = L"BinarySystem";
// the files of the stored skin (resources/skin, checked by the build's
// check-skin-archive.py): a folder with another count is not the whole skin.
// Checking against any other number reported a missing resource on every
// start, which hid the starts where one was really missing.
constexpr size_t kExpectedImageCount = 18;

constexpr char kMissingResource[] = "获取指定资源失败";
constexpr char kUnpackFailed[] = "资源解压失败";
constexpr char kNoCachePath[] = "创建缓存路径失败";

void ReportStatus(const char* status) {
  EventSink().Send(Event("vResourceStatus").String("resource_status", status));
}

void ReportError(const char* status) {
  EventSink().Send(Event("vResourceError").String("error_status", status));
}

}  // namespace

SkinSource DefaultSkinSource() {
  return {GetRunTempFolder(), ::GetModuleHandleW(nullptr)};
}

IResourceMgr* CreateResourceMgr(const SkinSource& source) {
  try {
    return new CResourceManager(source);
  } catch (const std::exception&) {
    return nullptr;
  }
}

CResourceManager::CResourceManager(const SkinSource& source) : gdiplus_(), source_(source) {
  EventSink().Send(Event("vResourceMgrStart"));

  bool loaded = false;
  if (source_.cacheFolder.empty()) {
    // without a cache folder every path would be relative to the current
    // folder, where unpacking could overwrite the user's files
    ReportError(kNoCachePath);
  } else {
    imagesFolder_ = source_.cacheFolder + L"images\\";
    archivePath_ = source_.cacheFolder + L"Resource.zip";
    loaded = LoadFolder() || UnpackArchive() || ExtractResource();
  }
  if (!loaded) {
    ReportStatus("创建资源失败");
    throw Error("load resource error");
  }
  ReportStatus("创建资源成功");
}

bool CResourceManager::LoadFolder() {
  entries_.clear();
  if (!DirectoryExists(imagesFolder_)) {
    if (!CreateDirectories(imagesFolder_)) throw Error("make dir failed");
    return false;
  }
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileW((imagesFolder_ + L"*").c_str(), &found));
  if (find) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      auto entry = std::make_unique<SkinEntry>();
      entry->path = imagesFolder_ + found.cFileName;
      entry->name = FileNamePart(entry->path);
      entries_.push_back(std::move(entry));
    } while (::FindNextFileW(find.get(), &found));
  }
  if (entries_.size() != kExpectedImageCount) {
    ReportError(kMissingResource);
    if (entries_.empty()) ReportError(kMissingResource);
  }
  // ordinal order of UTF-16 code units, a prefix first
  std::sort(entries_.begin(), entries_.end(),
            [](const auto& a, const auto& b) { return a->name < b->name; });
  return !entries_.empty();
}

bool CResourceManager::UnpackArchive() {
  if (!FileExists(archivePath_) || FileSize(archivePath_) == 0) return false;
  if (UnpackAll(archivePath_, imagesFolder_) != 0) {
    ReportError(kUnpackFailed);
    return false;
  }
  return LoadFolder();
}

bool CResourceManager::ExtractResource() {
  switch (SaveResourceToFile(source_.module, kSkinResourceId, kSkinResourceType, archivePath_)) {
    case ResourceSave::kSaved:
      break;
    case ResourceSave::kNotWritten:
      // reported, and the unpack below fails on its own
      ReportError(kUnpackFailed);
      break;
    default:
      ReportError(kUnpackFailed);
      return false;
  }
  return UnpackArchive();
}

CResourceManager::SkinEntry* CResourceManager::Find(const std::wstring& name) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                             [](const auto& e, const std::wstring& k) { return e->name < k; });
  return it == entries_.end() || (*it)->name != name ? nullptr : it->get();
}

namespace {

// the skin's files are small; a larger one is left to GDI+
constexpr int64_t kMaxOwnDecodeBytes = 4 << 20;

// the picture decoded without the system's codecs (PngDecode), its pixels
// kept beside it; false, and nothing made, when this cannot read the file
bool DecodeOwn(const std::wstring& path, std::vector<uint32_t>* pixels, Gdiplus::GpImage** image) {
  CFileStream file(path, CFileStream::kModeReadShared);
  const int64_t size = file.isOpen() ? file.GetSize() : -1;
  if (size <= 0 || size > kMaxOwnDecodeBytes) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (file.Read(bytes.data(), static_cast<uint32_t>(size)) != static_cast<int32_t>(size))
    return false;
  DecodedPng png;
  if (DecodePng(bytes.data(), bytes.size(), &png) != PngResult::kDecoded) return false;
  Gdiplus::GpBitmap* bitmap = nullptr;
  // GDI+ draws from these pixels as they are: they live as long as the image
  if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(
          png.width, png.height, png.width * 4, PixelFormat32bppARGB,
          reinterpret_cast<BYTE*>(png.pixels.data()), &bitmap) != Gdiplus::Ok) {
    return false;
  }
  *pixels = std::move(png.pixels);
  *image = bitmap;
  return true;
}

}  // namespace

Gdiplus::GpImage* CResourceManager::Decoded(SkinEntry& entry) {
  if (!entry.loaded) {
    entry.loaded = true;
    // what this does not read goes to GDI+; a file GDI+ cannot decode gives
    // no image, and asking again does not retry
    if (!DecodeOwn(entry.path, &entry.pixels, entry.image.receive()) &&
        Gdiplus::DllExports::GdipLoadImageFromFile(entry.path.c_str(), entry.image.receive()) !=
            Gdiplus::Ok) {
      entry.image.reset();
    }
  }
  return entry.image.get();
}

Gdiplus::GpImage* CResourceManager::GetImage(const wchar_t* name) {
  if (!name) return nullptr;
  SkinEntry* entry = Find(name);
  if (!entry) {
    ReportError(kMissingResource);
    return nullptr;
  }
  return Decoded(*entry);
}

Gdiplus::GpImage* CResourceManager::DecodeAhead(const std::wstring& name) {
  SkinEntry* entry = Find(name);
  return entry ? Decoded(*entry) : nullptr;
}

ResourceMgrLoader::ResourceMgrLoader(std::vector<std::wstring> ahead)
    : defaultSource_(true), ahead_(std::move(ahead)) {}

ResourceMgrLoader::ResourceMgrLoader(SkinSource source, std::vector<std::wstring> ahead)
    : defaultSource_(false), source_(std::move(source)), ahead_(std::move(ahead)) {}

ResourceMgrLoader::~ResourceMgrLoader() {
  CloseFitRequests();
  if (started_) Join(INFINITE);
}

void ResourceMgrLoader::CloseFitRequests() {
  {
    std::lock_guard<std::mutex> hold(fitLock_);
    fitClosed_ = true;
  }
  fitAsked_.notify_all();
}

void ResourceMgrLoader::FitAhead(const SkinPictureFit& fit) {
  {
    std::lock_guard<std::mutex> hold(fitLock_);
    if (fitClosed_) return;
    fit_ = fit;
    fitClosed_ = true;
  }
  fitAsked_.notify_all();
}

void ResourceMgrLoader::FitWhenAsked(CResourceManager& manager) {
  std::unique_lock<std::mutex> hold(fitLock_);
  fitAsked_.wait(hold, [this] { return fitClosed_; });
  hold.unlock();
  if (fit_.name.empty()) return;
  fitImage_ = manager.DecodeAhead(fit_.name);
  if (fitImage_)
    fitted_ = std::make_unique<FittedPicture>(fitImage_, fit_.width, fit_.height, fit_.backdrop);
}

void ResourceMgrLoader::Start() {
  if (!started_ && !taken_) started_ = COrvaneBasedThread::Start();
}

IResourceMgr* ResourceMgrLoader::Take() {
  if (taken_) return nullptr;
  taken_ = true;
  CloseFitRequests();
  if (started_) {
    Join(INFINITE);
    started_ = false;
  } else {
    Run();
  }
  if (fitted_)
    PictureAhead::Adopt(fitImage_, fit_.width, fit_.height, fit_.backdrop, std::move(fitted_));
  return made_.release();
}

int ResourceMgrLoader::Run() {
  if (defaultSource_) source_ = DefaultSkinSource();
  CResourceManager* manager = nullptr;
  try {
    manager = new CResourceManager(source_);
  } catch (const std::exception&) {
    return 1;
  }
  made_.reset(manager);
  for (const std::wstring& name : ahead_)
    manager->DecodeAhead(name);
  // Two one-time costs of the first paint, paid here while the window is
  // still being made: Wine's first GDI+ font builds its list of fonts, and
  // the first blend of a translucent widget loads msimg32 (4 ms together).
  CreateStyleFont(WidgetStyle(), 1.0);
  LoadSystemLibrary(L"msimg32.dll").release();
  FitWhenAsked(*manager);
  return 0;
}

}  // namespace orvane
