// Names that identify this product to the system and to the vendor, fixed
// at build time like the endpoints of BuildConfig.h beside them. Every layer
// may read them; nothing here depends on any other header.
#pragma once

namespace orvane {

inline constexpr const char kAppId[] = "40917263";

// the product's name as the user sees it: window titles
inline constexpr const wchar_t kProductTitle[] = L"栖木工坊";

inline constexpr const wchar_t kSingleInstanceMutex[] =
    L"OrvanePkg-Event-5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63";
inline constexpr const wchar_t kMainWindowClass[] =
    L"OrvanePkg-Window-5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63";
inline constexpr const wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"{5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63}_is1";

// the vendor's folder under roaming AppData (the package cache root), and
// the stem of the per-run temporary folder "OrvanePkg_<time>"
inline constexpr const wchar_t kVendorFolderName[] = L"OrvanePkg";
// the product's folder below the package cache root: config.ini and the
// downloaded package
inline constexpr const wchar_t kCacheFolderName[] = L"KESTRELVAULT\\";
// the package's name when neither the server nor the program's name gives one
inline constexpr const wchar_t kFallbackPackageName[] = L"OrvanePkg.exe";

// The distribution channels that a program's ProductVersion can name: a
// four-part version whose second part is one of these picks the channel (the
// start-up rules) and the channel's installer "install_<channel>.exe" (the
// download rules).
struct VersionChannel {
  int versionPart;
  const char* channel;
};
inline constexpr VersionChannel kVersionChannels[] = {
    {96, "tengxun0"},
    {97, "qihu3600"},
    {98, "jinshan0"},
    {99, "huawei00"},
};

// the channel that the second part of a product version names; null for
// any other value
constexpr const char* ChannelOfVersionPart(long long part) {
  for (const VersionChannel& c : kVersionChannels)
    if (c.versionPart == part) return c.channel;
  return nullptr;
}

}  // namespace orvane
