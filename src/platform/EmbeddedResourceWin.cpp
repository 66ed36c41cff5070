#include "platform/EmbeddedResource.h"

#include <windows.h>

#include "platform/Handles.h"

namespace orvane {

ResourceSave SaveResourceToFile(void* module,
                                int id,
                                const wchar_t* type,
                                const std::wstring& path) {
  HMODULE m = static_cast<HMODULE>(module);
  HRSRC found = ::FindResourceW(m, MAKEINTRESOURCEW(id), type);
  if (!found) return ResourceSave::kNotFound;
  const DWORD size = ::SizeofResource(m, found);
  if (size == 0) return ResourceSave::kEmpty;
  HGLOBAL loaded = ::LoadResource(m, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return ResourceSave::kNotLoaded;

  if (path.empty()) return ResourceSave::kNotWritten;
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD put = 0;
  if (!file || !::WriteFile(file.get(), bytes, size, &put, nullptr) || put != size)
    return ResourceSave::kNotWritten;
  return ResourceSave::kSaved;
}

}  // namespace orvane
