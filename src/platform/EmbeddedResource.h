// Resources stored in a module (the skin and the SDK archives of type
// "BinarySystem"), written out to a file so that they can be unpacked.
#pragma once

#include <string>

namespace orvane {

enum class ResourceSave {
  kSaved,
  kNotFound,   // no resource of that id and type
  kEmpty,      // found, but of size 0
  kNotLoaded,  // found, but its bytes could not be reached
  kNotWritten  // the file could not be created or written (also: empty path)
};

// writes the bytes of resource `id` of `type` in `module` (an HMODULE; null
// means this program) to `path`, creating or truncating the file. A failed
// write can leave a partial file behind.
ResourceSave SaveResourceToFile(void* module,
                                int id,
                                const wchar_t* type,
                                const std::wstring& path);

}  // namespace orvane
