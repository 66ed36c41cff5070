// Writing a resource of the program (test_resources.rc) out to a file, as the
// skin and the SDK delivery do.
#include "platform/EmbeddedResource.h"

#include <gtest/gtest.h>

#include "support/WineTestSupport.h"

namespace orvane {
namespace {

constexpr wchar_t kType[] = L"BinarySystem";

TEST(EmbeddedResource, OutcomesByResourceAndPath) {
  test::ScratchDir dir;
  const std::string stored = test::ReadFileBytes(test::HostPath(ORVANE_RESOURCE_BYTES));
  ASSERT_FALSE(stored.empty());
  struct Case {
    const char* what;
    int id;
    const wchar_t* type;
    std::wstring path;
    ResourceSave expected;
  } cases[] = {
      {"stored bytes", 300, kType, dir.File(L"a.zip"), ResourceSave::kSaved},
      {"no such id", 399, kType, dir.File(L"b.zip"), ResourceSave::kNotFound},
      {"the id under another type", 300, L"OtherType", dir.File(L"c.zip"), ResourceSave::kNotFound},
      {"an empty resource", 301, kType, dir.File(L"d.zip"), ResourceSave::kEmpty},
      {"no path", 300, kType, L"", ResourceSave::kNotWritten},
      {"a folder that is missing", 300, kType, dir.File(L"missing\\e.zip"),
       ResourceSave::kNotWritten},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SaveResourceToFile(nullptr, c.id, c.type, c.path), c.expected);
    if (c.expected == ResourceSave::kSaved) {
      EXPECT_EQ(test::ReadFileBytes(c.path), stored);
    } else if (!c.path.empty()) {
      EXPECT_EQ(::GetFileAttributesW(c.path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
  }
}

TEST(EmbeddedResource, ReplacesALongerFileWhole) {
  test::ScratchDir dir;
  const std::wstring path = dir.File(L"Resource.zip");
  test::WriteFileBytes(path, std::string(4096, 'x'));
  ASSERT_EQ(SaveResourceToFile(::GetModuleHandleW(nullptr), 300, kType, path),
            ResourceSave::kSaved);
  EXPECT_EQ(test::ReadFileBytes(path), test::ReadFileBytes(test::HostPath(ORVANE_RESOURCE_BYTES)));
}

}  // namespace
}  // namespace orvane
