#include "ui/ResourceMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ZipTestSupport.h"
#include "support/RecordingLogger.h"
#include "support/WineTestSupport.h"
#include "ui/PictureAhead.h"
#include "ui/PngDecode.h"

namespace orvane {
namespace {

using test::MakeZip;
using test::ScratchDir;
using test::W;

const std::string kStart = "event vResourceMgrStart {}";
const std::string kMissing = "event vResourceError {error_status=获取指定资源失败}";
const std::string kUnpack = "event vResourceError {error_status=资源解压失败}";
const std::string kNoCache = "event vResourceError {error_status=创建缓存路径失败}";
const std::string kCreated = "event vResourceStatus {resource_status=创建资源成功}";
const std::string kFailed = "event vResourceStatus {resource_status=创建资源失败}";

// the eighteen files of the skin stored in the installer
const char* const kSkinFiles[] = {
    "main_bg.png",
    "success_bg.png",
    "install_banner.png",
    "logo.png",
    "global_btn_close_normal.png",
    "global_btn_close_hover.png",
    "custom_btn_back_normal.png",
    "custom_btn_back_hover.png",
    "custom_btn_back_press.png",
    "custom_btn_back_click.png",
    "main_checkbox_select.png",
    "main_checkbox_deselect.png",
    "main_word_custom_normal.png",
    "main_word_custom_hover.png",
    "main_word_custom_press.png",
    "main_word_custom_click.png",
    "error_icon.png",
    "inquire_icon.png",
};

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (::FindNextFileW(find.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

UINT Width(Gdiplus::GpImage* image) {
  UINT w = 0;
  gp::GdipGetImageWidth(image, &w);
  return w;
}

struct ResourceMgrTest : ::testing::Test {
  test::RecordingLogger log;
  ScopedEventSink useLog{&log};
  ScratchDir dir;
  std::wstring cache = dir.path() + L"\\";
  std::wstring images = cache + L"images";
  std::wstring archive = cache + L"Resource.zip";
  // the real installer, whose resource 103 is the skin
  UniqueModule installer{::LoadLibraryExW(test::HostPath(ORVANE_INSTALLER_EXE).c_str(),
                                          nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE)};

  void SetUp() override { ASSERT_TRUE(installer); }
  SkinSource WithSkin() { return {cache, installer.get()}; }
  // a module without the skin resource
  SkinSource WithoutSkin() { return {cache, ::GetModuleHandleW(L"kernel32.dll")}; }
  // every file of the stored skin, unpacked by a first run
  void LeaveSkinBehind() {
    ResourceMgrPtr first(CreateResourceMgr(WithSkin()));
    ASSERT_TRUE(first);
  }
};

TEST_F(ResourceMgrTest, FreshRunExtractsTheStoredSkin) {
  ResourceMgrPtr mgr(CreateResourceMgr(WithSkin()));
  ASSERT_TRUE(mgr);
  // the whole skin: nothing to report
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kCreated}));
  EXPECT_GT(FileSize(archive), 0);
  std::vector<std::wstring> expected;
  for (const char* name : kSkinFiles)
    expected.push_back(W(name));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(images), expected);
  // every file can be looked up, so the index is in the lookup's order
  for (const char* name : kSkinFiles)
    EXPECT_NE(mgr->GetImage(W(name).c_str()), nullptr) << name;
  EXPECT_EQ(log.Lines().size(), 2u);
  EXPECT_EQ(Width(mgr->GetImage(L"global_btn_close_normal.png")), 24u);
  EXPECT_EQ(Width(mgr->GetImage(L"main_bg.png")), 900u);
}

TEST_F(ResourceMgrTest, EverySkinPictureDecodesHereAsGdiplusDecodesIt) {
  LeaveSkinBehind();
  for (const char* name : kSkinFiles) {
    SCOPED_TRACE(name);
    const std::wstring path = images + L"\\" + W(name);
    const std::string bytes = test::ReadFileBytes(path);
    DecodedPng own;
    ASSERT_EQ(DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &own),
              PngResult::kDecoded);
    GdipImage system;
    ASSERT_EQ(gp::GdipLoadImageFromFile(path.c_str(), system.receive()), Gdiplus::Ok);
    ASSERT_EQ(Width(system.get()), static_cast<UINT>(own.width));
    const Gdiplus::GpRect all(0, 0, own.width, own.height);
    Gdiplus::BitmapData data{};
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(system.get());
    ASSERT_EQ(gp::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                     &data),
              Gdiplus::Ok);
    size_t differing = 0;
    for (int y = 0; y < own.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) +
                                                          static_cast<ptrdiff_t>(y) * data.Stride);
      for (int x = 0; x < own.width; ++x)
        differing += row[x] != own.pixels[static_cast<size_t>(y) * own.width + x];
    }
    gp::GdipBitmapUnlockBits(bitmap, &data);
    EXPECT_EQ(differing, 0u);
  }
}

TEST_F(ResourceMgrTest, StoredSkinIsSimplifiedChinese) {
  EXPECT_NE(::FindResourceExW(installer.get(), L"BinarySystem", MAKEINTRESOURCEW(103),
                              MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
            nullptr);
}

TEST_F(ResourceMgrTest, LeftoverImagesFolderIsUsedWithoutUnpacking) {
  LeaveSkinBehind();
  ASSERT_TRUE(::DeleteFileW(archive.c_str()));
  test::RecordingLogger second;
  ScopedEventSink useSecond(&second);
  ResourceMgrPtr mgr(CreateResourceMgr(WithoutSkin()));
  ASSERT_TRUE(mgr);
  EXPECT_EQ(second.Lines(), (std::vector<std::string>{kStart, kCreated}));
  EXPECT_FALSE(FileExists(archive));
  EXPECT_NE(mgr->GetImage(L"logo.png"), nullptr);
}

// a folder that is not the whole skin is reported once and used as it is
TEST_F(ResourceMgrTest, OnlyAFolderOfTheSkinsFileCountIsNotReported) {
  const struct {
    int files;
    bool reported;
  } cases[] = {{1, true}, {15, true}, {17, true}, {18, false}, {19, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.files);
    DeleteTree(images);
    ASSERT_TRUE(CreateDirectories(images));
    for (int i = 0; i < c.files; ++i)
      test::WriteFileBytes(images + L"\\f" + std::to_wstring(i), "x");
    test::RecordingLogger attempt;
    ScopedEventSink useAttempt(&attempt);
    ResourceMgrPtr mgr(CreateResourceMgr(WithoutSkin()));
    ASSERT_TRUE(mgr);
    const std::vector<std::string> reported = {kStart, kMissing, kCreated};
    const std::vector<std::string> quiet = {kStart, kCreated};
    EXPECT_EQ(attempt.Lines(), c.reported ? reported : quiet);
  }
}

TEST_F(ResourceMgrTest, EmptyImagesFolderFallsThroughToTheResource) {
  ASSERT_TRUE(CreateDirectories(images));
  ResourceMgrPtr mgr(CreateResourceMgr(WithSkin()));
  ASSERT_TRUE(mgr);
  // empty: reported twice; then the unpacked skin is whole
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kMissing, kMissing, kCreated}));
  EXPECT_EQ(FilesIn(images).size(), 18u);
}

TEST_F(ResourceMgrTest, ArchiveOnDiskIsUnpackedBeforeTheResource) {
  MakeZip(archive, {{"a.png", "a", false}, {"b.png", "bb"}});
  ResourceMgrPtr mgr(CreateResourceMgr(WithSkin()));
  ASSERT_TRUE(mgr);
  EXPECT_EQ(FilesIn(images), (std::vector<std::wstring>{L"a.png", L"b.png"}));
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kMissing, kCreated}));
}

TEST_F(ResourceMgrTest, ZeroByteArchiveIsReplacedByTheResource) {
  test::WriteFileBytes(archive, "");
  ResourceMgrPtr mgr(CreateResourceMgr(WithSkin()));
  ASSERT_TRUE(mgr);
  EXPECT_GT(FileSize(archive), 1000);
  EXPECT_EQ(FilesIn(images).size(), 18u);
}

TEST_F(ResourceMgrTest, CraftedArchiveWritesNothingOutsideTheImagesFolder) {
  const std::vector<std::string> evil = {"../escaped.png",        "..\\escaped.png",
                                         "sub/../../escaped.png", "\\escaped.png",
                                         "C:\\escaped.png",       "C:escaped.png"};
  for (const std::string& name : evil) {
    SCOPED_TRACE(name);
    DeleteTree(images);
    MakeZip(archive, {{"ok.png", "ok"}, {name, "evil"}});
    test::RecordingLogger attempt;
    ScopedEventSink useAttempt(&attempt);
    // without a stored skin to fall back on, the manager cannot be made
    EXPECT_EQ(CreateResourceMgr(WithoutSkin()), nullptr);
    EXPECT_EQ(attempt.Lines(), (std::vector<std::string>{kStart, kUnpack, kUnpack, kFailed}));
    // with one, the stored skin replaces the archive
    MakeZip(archive, {{"ok.png", "ok"}, {name, "evil"}});
    ResourceMgrPtr mgr(CreateResourceMgr(WithSkin()));
    EXPECT_TRUE(mgr);
    EXPECT_EQ(mgr ? mgr->GetImage(L"escaped.png") : nullptr, nullptr);
  }
  EXPECT_FALSE(FileExists(cache + L"escaped.png"));
  EXPECT_FALSE(FileExists(dir.path() + L"\\..\\escaped.png"));
  EXPECT_FALSE(FileExists(images + L"\\escaped.png"));
  EXPECT_FALSE(FileExists(L"C:\\escaped.png"));
  EXPECT_FALSE(FileExists(L"C:\\windows\\escaped.png"));
}

TEST_F(ResourceMgrTest, ZeroByteEntryFailsTheArchive) {
  MakeZip(archive, {{"a.png", "a"}, {"empty.png", ""}});
  EXPECT_EQ(CreateResourceMgr(WithoutSkin()), nullptr);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kUnpack, kUnpack, kFailed}));
}

TEST_F(ResourceMgrTest, NoSourceFailsTheManager) {
  EXPECT_EQ(CreateResourceMgr(WithoutSkin()), nullptr);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kUnpack, kFailed}));
  EXPECT_TRUE(DirectoryExists(images)) << "made on the way";
}

TEST_F(ResourceMgrTest, ImagesFolderThatCannotBeMadeFailsWithoutStatus) {
  test::WriteFileBytes(dir.File(L"blocker"), "a file where a folder should be");
  SkinSource source{dir.File(L"blocker") + L"\\", installer.get()};
  EXPECT_EQ(CreateResourceMgr(source), nullptr);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart}));
}

TEST_F(ResourceMgrTest, NoCacheFolderNeverTouchesTheCurrentFolder) {
  ScratchDir cwd;
  wchar_t previous[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(cwd.path().c_str()));
  IResourceMgr* mgr = CreateResourceMgr({L"", installer.get()});
  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(mgr, nullptr);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kNoCache, kFailed}));
  EXPECT_TRUE(FilesIn(cwd.path()).empty());
  EXPECT_FALSE(DirectoryExists(cwd.File(L"images")));
}

TEST_F(ResourceMgrTest, LookupIsExactAndDecodesOnce) {
  LeaveSkinBehind();
  ResourceMgrPtr mgr(CreateResourceMgr(WithSkin()));
  ASSERT_TRUE(mgr);
  test::RecordingLogger lookups;
  ScopedEventSink useLookups(&lookups);

  Gdiplus::GpImage* logo = mgr->GetImage(L"logo.png");
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(mgr->GetImage(L"logo.png"), logo) << "decoded once, then kept";
  EXPECT_EQ(Width(logo), 201u);
  EXPECT_TRUE(lookups.Lines().empty());

  EXPECT_EQ(mgr->GetImage(nullptr), nullptr);
  EXPECT_TRUE(lookups.Lines().empty()) << "a null name is not reported";
  EXPECT_EQ(mgr->GetImage(L"Logo.png"), nullptr) << "letter case counts";
  EXPECT_EQ(mgr->GetImage(L"logo.PNG"), nullptr);
  EXPECT_EQ(mgr->GetImage(L"logo"), nullptr);
  EXPECT_EQ(mgr->GetImage(L"zzz.png"), nullptr);
  EXPECT_EQ(mgr->GetImage(L""), nullptr);
  EXPECT_EQ(lookups.Lines(), std::vector<std::string>(5, kMissing));
}

TEST_F(ResourceMgrTest, UndecodableFileGivesNoImageAndNoReport) {
  ASSERT_TRUE(CreateDirectories(images));
  test::WriteFileBytes(images + L"\\broken.png", "not a picture");
  ResourceMgrPtr mgr(CreateResourceMgr(WithoutSkin()));
  ASSERT_TRUE(mgr);
  test::RecordingLogger lookups;
  ScopedEventSink useLookups(&lookups);
  EXPECT_EQ(mgr->GetImage(L"broken.png"), nullptr);
  EXPECT_EQ(mgr->GetImage(L"broken.png"), nullptr);
  EXPECT_TRUE(lookups.Lines().empty());
}

// the thread each event came from
struct ThreadSink : IEventSink {
  std::vector<DWORD> threads;
  void Send(const Event&) override { threads.push_back(::GetCurrentThreadId()); }
};

TEST_F(ResourceMgrTest, LoaderMakesTheManagerOnAThreadOfItsOwnWithPicturesAhead) {
  ThreadSink threads;
  {
    ScopedEventSink useThreads(&threads);
    ResourceMgrLoader loader(WithSkin(), {L"main_bg.png", L"not-in-the-skin.png"});
    loader.Start();
    ResourceMgrPtr mgr(loader.Take());
    ASSERT_TRUE(mgr);
    EXPECT_EQ(loader.Take(), nullptr) << "handed over once";
    EXPECT_EQ(Width(mgr->GetImage(L"main_bg.png")), 900u);
    // what the first paint's blends need is there already (ctest runs this
    // case in a process of its own, where nothing blended before)
    EXPECT_NE(::GetModuleHandleW(L"msimg32.dll"), nullptr);
  }
  ASSERT_EQ(threads.threads.size(), 2u);  // the start and the status
  EXPECT_NE(threads.threads[0], ::GetCurrentThreadId());
  EXPECT_EQ(threads.threads[1], threads.threads[0]);

  // the same reports as CreateResourceMgr's: a name decoded ahead that the
  // skin lacks is reported only when a page asks for it
  test::RecordingLogger second;
  ScopedEventSink useSecond(&second);
  ResourceMgrLoader again(WithSkin(), {L"not-in-the-skin.png"});
  again.Start();
  ResourceMgrPtr mgr(again.Take());
  ASSERT_TRUE(mgr);
  EXPECT_EQ(second.Lines(), (std::vector<std::string>{kStart, kCreated}));
  EXPECT_EQ(mgr->GetImage(L"not-in-the-skin.png"), nullptr);
  EXPECT_EQ(second.Lines(), (std::vector<std::string>{kStart, kCreated, kMissing}));
}

TEST_F(ResourceMgrTest, LoaderFitsThePictureAskedForAndHandsItToTheFirstPaint) {
  const uint32_t kGrey = 0xFF808080;
  {
    ResourceMgrLoader loader(WithSkin(), {L"main_bg.png"});
    loader.Start();
    loader.FitAhead({L"main_bg.png", 600, 400, kGrey});
    // asked once: a second ask is not it
    loader.FitAhead({L"main_bg.png", 300, 200, kGrey});
    ResourceMgrPtr mgr(loader.Take());
    ASSERT_TRUE(mgr);
    Gdiplus::GpImage* background = mgr->GetImage(L"main_bg.png");
    EXPECT_EQ(PictureAhead::Take(background, 300, 200, kGrey), nullptr);
    std::unique_ptr<FittedPicture> fitted = PictureAhead::Take(background, 600, 400, kGrey);
    ASSERT_NE(fitted, nullptr);
    EXPECT_TRUE(fitted->opaque());
  }
  // a picture the skin lacks, or an ask after Take: nothing fitted and
  // nothing more reported
  test::RecordingLogger second;
  ScopedEventSink useSecond(&second);
  for (const bool late : {false, true}) {
    ResourceMgrLoader loader(WithSkin(), {});
    loader.Start();
    if (!late) loader.FitAhead({L"not-in-the-skin.png", 600, 400, kGrey});
    ResourceMgrPtr mgr(loader.Take());
    ASSERT_TRUE(mgr);
    if (late) loader.FitAhead({L"main_bg.png", 600, 400, kGrey});
    EXPECT_EQ(PictureAhead::Take(mgr->GetImage(L"main_bg.png"), 600, 400, kGrey), nullptr);
  }
  EXPECT_EQ(second.Lines(), (std::vector<std::string>{kStart, kCreated, kStart, kCreated}));
  PictureAhead::Discard();
}

TEST_F(ResourceMgrTest, LoaderWithoutAThreadMakesTheManagerWhenTaken) {
  ThreadSink threads;
  ScopedEventSink useThreads(&threads);
  ResourceMgrLoader loader(WithSkin(), {L"logo.png"});
  {
    ScopedThreadCreationFailure noThreads;
    loader.Start();
  }
  EXPECT_TRUE(threads.threads.empty()) << "nothing before Take";
  ResourceMgrPtr mgr(loader.Take());
  ASSERT_TRUE(mgr);
  EXPECT_EQ(Width(mgr->GetImage(L"logo.png")), 201u);
  EXPECT_EQ(threads.threads, std::vector<DWORD>(2, ::GetCurrentThreadId()));
}

TEST_F(ResourceMgrTest, LoaderFailsAsTheManagerDoesAndWaitsWhenNotTaken) {
  {
    ResourceMgrLoader failing(WithoutSkin(), {L"logo.png"});
    failing.Start();
    EXPECT_EQ(failing.Take(), nullptr);
  }
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kStart, kUnpack, kFailed}));

  // never taken: the destructor waits for the thread and releases its
  // manager, so the whole report is there once it is gone
  test::RecordingLogger second;
  ScopedEventSink useSecond(&second);
  ScratchDir fresh;
  {
    ResourceMgrLoader unused({fresh.path() + L"\\", installer.get()}, {L"main_bg.png"});
    unused.Start();
  }
  EXPECT_EQ(second.Lines(), (std::vector<std::string>{kStart, kCreated}));
}

}  // namespace
}  // namespace orvane
