// A link at C:\OrvanePkg, where the working-folder choice probes each drive:
// the fixture links.probe plants it, leading to a folder outside the prefix.
#include <gtest/gtest.h>

#include "app/InstallerRunChecks.h"
#include "config/ProductIdentity.h"
#include "platform/FileSystem.h"
#include "support/DownloadedInstaller.h"
#include "support/WineTestSupport.h"

namespace orvane::test {
namespace {

// Hole: a link at C:\OrvanePkg made the installer delete what it points to.
// The link (fixture links.probe) leads to a folder outside the prefix.
TEST(InstallerLinkAttack, LinkAtTheProbePlaceIsNotFollowed) {
  ScratchRegKey uninstall(HKEY_LOCAL_MACHINE, kUninstallKey);
  DeleteTree(QlxFolder());
  ASSERT_TRUE(FileExists(L"C:\\OrvanePkg\\keep.txt"));  // the link leads there
  DownloadedInstaller installer(ORVANE_INSTALLER_EXE);
  ExpectNormalRun(installer);
  EXPECT_EQ(ReadFileBytes(HostPath(ORVANE_LINK_TARGETS) + L"\\probe\\keep.txt"),
            "not yours to delete\n");
}

}  // namespace
}  // namespace orvane::test
