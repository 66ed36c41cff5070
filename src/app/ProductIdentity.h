// Names that identify this product to the system and to the vendor.
#pragma once

namespace orvane {

inline constexpr const char kAppId[] = "40917263";

inline constexpr const wchar_t kSingleInstanceMutex[] =
    L"OrvanePkg-Event-5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63";
inline constexpr const wchar_t kMainWindowClass[] =
    L"OrvanePkg-Window-5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63";
inline constexpr const wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"{5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63}_is1";
// below the package cache root
inline constexpr const wchar_t kCacheFolderName[] = L"KESTRELVAULT\\";

}  // namespace orvane
