#include "sdk/SdkCopy.h"

#include <gtest/gtest.h>

namespace orvane::test {

SdkCopy::SdkCopy() {
  for (const wchar_t* name : {L"Qlx.dll", L"TaskAsUser.dll", L"Qlx.exe"}) {
    std::wstring from = HostPath(ORVANE_SDK_BIN_DIR) + L"\\" + name;
    EXPECT_TRUE(::CopyFileW(from.c_str(), dir_.File(name).c_str(), FALSE)) << "copy failed";
  }
  module_ = ::LoadLibraryW(dir_.File(L"Qlx.dll").c_str());
  EXPECT_NE(module_, nullptr);
}

QlxHandle SdkCopy::Open(int port, const char* host) {
  QlxHandle h = nullptr;
  EXPECT_EQ(Get<QlxCreateFn>("qlxCreate")(&h), 0);
  EXPECT_EQ(Get<QlxSetApplyKeyFn>("qlxSetApplyKey")("40917263", "7A1C04E9B25F4D83A6E0C9F15B27D4E8"),
            0);
  EXPECT_EQ(Get<QlxSetAppInfoFn>("qlxSetAppInfo")("sdk_tests", 0, 0), 0);
  EXPECT_EQ(Get<QlxSetHostInfoFn>("qlxSetHostInfo")(host, port), 0);
  EXPECT_EQ(Get<QlxSetSensorUrlFn>("qlxSetSensorUrl")("/sa?project=test"), 0);
  return h;
}

int SdkCopy::CommitEvent(QlxHandle handle, const char* name, int n) {
  QlxCollector c = nullptr;
  int rc = Get<QlxCLTCreateFn>("qlxCLTCreate")(handle, 6, &c);
  if (rc) return rc;
  rc = Get<QlxCLTSensorWriteEventFn>("qlxCLTSensorWriteEvent")(c, name, n);
  if (!rc) rc = Get<QlxCLTSensorWriteIntPropertiesFn>("qlxCLTSensorWriteIntProperties")(c, "n", n);
  if (!rc) rc = Get<QlxCLTCommitFn>("qlxCLTCommit")(c);
  Get<QlxCLTFreeFn>("qlxCLTFree")(c);
  return rc;
}

int SdkCopy::CommitFilled(QlxHandle handle, const char* name, int n, size_t bytes) {
  QlxCollector c = nullptr;
  int rc = Get<QlxCLTCreateFn>("qlxCLTCreate")(handle, 6, &c);
  if (rc) return rc;
  const std::string fill(bytes, 'f');
  rc = Get<QlxCLTSensorWriteEventFn>("qlxCLTSensorWriteEvent")(c, name, n);
  if (!rc) rc = Get<QlxCLTSensorWriteIntPropertiesFn>("qlxCLTSensorWriteIntProperties")(c, "n", n);
  if (!rc)
    rc = Get<QlxCLTSensorWriteStringPropertiesFn>("qlxCLTSensorWriteStringProperties")(
        c, "fill", fill.c_str());
  if (!rc) rc = Get<QlxCLTCommitFn>("qlxCLTCommit")(c);
  Get<QlxCLTFreeFn>("qlxCLTFree")(c);
  return rc;
}

}  // namespace orvane::test
