// Qlx.dll as the installer uses it: its setters, its collectors and the
// journal lines they produce, machine id, data pair and URL opening.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "QlxKeys.h"
#include "platform/StringUtil.h"
#include "sdk/SdkCopy.h"
#include "support/AnalyticsSink.h"

namespace orvane::test {
namespace {

// runs Qlx.exe from the copy's folder; what it printed
std::string RunTool(const SdkCopy& sdk, const std::wstring& args) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "no pipe";
  UniqueHandle reader(readEnd), writer(writeEnd);
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + sdk.folder() + L"Qlx.exe\" " + args;
  if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
    return "not started";
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  writer.reset();
  std::string out;
  char buf[256];
  DWORD got = 0;
  while (::ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got)
    out.append(buf, got);
  WaitExitCode(process.get(), 30000);
  // the console runtime writes "\r\n"
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
  return out;
}

TEST(QlxModule, SettersCheckTheirArguments) {
  SdkCopy sdk;
  auto applyKey = sdk.Get<QlxSetApplyKeyFn>("qlxSetApplyKey");
  auto appInfo = sdk.Get<QlxSetAppInfoFn>("qlxSetAppInfo");
  auto host = sdk.Get<QlxSetHostInfoFn>("qlxSetHostInfo");
  auto url = sdk.Get<QlxSetSensorUrlFn>("qlxSetSensorUrl");
  auto pub = sdk.Get<QlxSetPubCertificateFn>("qlxSetPubCertificate");
  auto pri = sdk.Get<QlxSetPriCcertificateFn>("qlxSetPriCcertificate");
  auto midVersion = sdk.Get<QlxSetMidVersionFn>("qlxSetMidVersion");
  auto protocol = sdk.Get<QlxSetNetProtocolFn>("qlxSetNetProtocol");
  auto urlVersion = sdk.Get<QlxSetURLVersionFn>("qlxSetURLVersion");

  EXPECT_EQ(applyKey("40917263", "7A1C04E9B25F4D83A6E0C9F15B27D4E8"), 0);
  EXPECT_NE(applyKey(nullptr, "7A1C04E9B25F4D83A6E0C9F15B27D4E8"), 0);
  EXPECT_NE(applyKey("40917263", nullptr), 0);
  EXPECT_NE(applyKey("abc", "7A1C04E9B25F4D83A6E0C9F15B27D4E8"), 0);
  EXPECT_NE(applyKey("40917263", "short"), 0);

  EXPECT_EQ(appInfo("win_installer", 0, 0), 0);
  EXPECT_NE(appInfo(nullptr, 0, 0), 0);
  EXPECT_NE(appInfo("", 0, 0), 0);
  EXPECT_NE(appInfo("has space", 0, 0), 0);
  EXPECT_NE(appInfo("win_installer", -1, 0), 0);

  EXPECT_EQ(host("sa.orvane.test", 80), 0);
  EXPECT_EQ(host("127.0.0.13", 65535), 0);
  EXPECT_NE(host(nullptr, 80), 0);
  EXPECT_NE(host("", 80), 0);
  EXPECT_NE(host("sa.orvane.test", 0), 0);
  EXPECT_NE(host("sa.orvane.test", 65536), 0);
  EXPECT_NE(host("sa.orvane.test\r\nX-Evil: 1", 80), 0);

  EXPECT_EQ(url("/sa?project=production"), 0);
  EXPECT_NE(url(nullptr), 0);
  EXPECT_NE(url("sa"), 0);
  EXPECT_NE(url("/sa HTTP/1.0\r\n"), 0);

  EXPECT_EQ(pub(config::kQlxPublicKey), 0);
  EXPECT_EQ(pri(config::kQlxPrivateKey), 0);
  EXPECT_NE(pub(config::kQlxPrivateKey), 0);  // each setter wants its own kind of key
  EXPECT_NE(pri(config::kQlxPublicKey), 0);
  EXPECT_NE(pub("bm90IGEga2V5"), 0);  // Base64 of "not a key"
  EXPECT_NE(pub("!!!"), 0);
  EXPECT_NE(pri(nullptr), 0);

  EXPECT_EQ(midVersion(2), 0);
  EXPECT_NE(midVersion(0), 0);
  EXPECT_NE(midVersion(10), 0);
  EXPECT_EQ(protocol(0), 0);
  EXPECT_NE(protocol(1), 0);
  EXPECT_EQ(urlVersion("/v1.1"), 0);
  EXPECT_NE(urlVersion("/v 1"), 0);
  EXPECT_NE(urlVersion(nullptr), 0);

  QlxHandle h = nullptr;
  EXPECT_NE(sdk.Get<QlxCreateFn>("qlxCreate")(nullptr), 0);
  EXPECT_NE(sdk.Free(reinterpret_cast<QlxHandle>(0x1234)), 0);  // never handed out
  ASSERT_EQ(sdk.Get<QlxCreateFn>("qlxCreate")(&h), 0);
  EXPECT_EQ(sdk.Free(h), 0);
  EXPECT_NE(sdk.Free(h), 0);  // twice
}

TEST(QlxModule, CollectorsWriteOneJournalLinePerCommit) {
  SdkCopy sdk;
  // port 8084 is down: the records stay in the journal
  QlxHandle h = sdk.Open(kSinkDown);
  auto create = sdk.Get<QlxCLTCreateFn>("qlxCLTCreate");
  auto event = sdk.Get<QlxCLTSensorWriteEventFn>("qlxCLTSensorWriteEvent");
  auto intProp = sdk.Get<QlxCLTSensorWriteIntPropertiesFn>("qlxCLTSensorWriteIntProperties");
  auto boolProp = sdk.Get<QlxCLTSensorWriteBoolPropertiesFn>("qlxCLTSensorWriteBoolProperties");
  auto textProp = sdk.Get<QlxCLTSensorWriteStringPropertiesFn>("qlxCLTSensorWriteStringProperties");
  auto writeInt = sdk.Get<QlxCLTWriteIntFn>("qlxCLTWriteInt");
  auto writeData = sdk.Get<QlxCLTWriteDataFn>("qlxCLTWriteData");
  auto commit = sdk.Get<QlxCLTCommitFn>("qlxCLTCommit");
  auto release = sdk.Get<QlxCLTFreeFn>("qlxCLTFree");

  QlxCollector ev = nullptr;
  ASSERT_EQ(create(h, 6, &ev), 0);
  EXPECT_EQ(event(ev, "pSoftInstall", 123456701), 0);
  EXPECT_NE(event(ev, "again", 1), 0);  // one event per record
  EXPECT_EQ(intProp(ev, "download_time", 42), 0);
  EXPECT_EQ(boolProp(ev, "is_first_install", 1), 0);
  EXPECT_EQ(textProp(ev, "install_type", "安装器"), 0);
  EXPECT_EQ(textProp(ev, "quote", "a \"b\" \\ c\nd"), 0);
  EXPECT_NE(intProp(ev, "download_time", 1), 0);  // a key once per record
  EXPECT_NE(textProp(ev, "k", nullptr), 0);
  EXPECT_NE(textProp(ev, "", "v"), 0);
  EXPECT_EQ(commit(ev), 0);
  EXPECT_NE(commit(ev), 0);  // committed already
  EXPECT_EQ(release(ev), 0);
  EXPECT_NE(release(ev), 0);
  EXPECT_NE(commit(ev), 0);  // freed

  QlxCollector report = nullptr;
  ASSERT_EQ(create(h, 4, &report), 0);
  EXPECT_NE(event(report, "x", 1), 0);  // events only in sensor records
  EXPECT_NE(intProp(report, "k", 1), 0);
  EXPECT_EQ(writeInt(report, 50, 4), 0);
  EXPECT_EQ(writeData(report, 51, "0001", 4), 0);
  EXPECT_EQ(writeData(report, 55, "C:\\a.dmp", 8), 0);
  EXPECT_EQ(writeData(report, 55, "\xB0\xB2.dmp", 6), 0);  // ANSI bytes
  EXPECT_NE(writeData(report, 56, nullptr, 3), 0);
  EXPECT_NE(writeData(report, 56, "x", -1), 0);
  EXPECT_NE(writeInt(report, -1, 0), 0);
  EXPECT_EQ(commit(report), 0);
  release(report);

  QlxCollector empty = nullptr;
  ASSERT_EQ(create(h, 6, &empty), 0);
  EXPECT_NE(commit(empty), 0);  // a sensor record needs its event
  release(empty);
  EXPECT_NE(create(h, 0, &empty), 0);
  EXPECT_NE(create(reinterpret_cast<QlxHandle>(0x77), 6, &empty), 0);

  QlxCollector stale = nullptr;
  ASSERT_EQ(create(h, 1, &stale), 0);
  EXPECT_EQ(sdk.Free(h), 0);
  EXPECT_NE(writeInt(stale, 1, 1), 0);  // its handle is gone
  EXPECT_NE(commit(stale), 0);

  std::vector<std::string> lines = JournalLines(sdk.folder());
  ASSERT_EQ(lines.size(), 2u);
  Json::Value e = ParseJsonLine(lines[0]);
  EXPECT_EQ(e["type"].asInt(), 6);
  EXPECT_EQ(e["event"].asString(), "pSoftInstall");
  EXPECT_EQ(e["id"].asInt(), 123456701);
  EXPECT_EQ(e["app"].asString(), "40917263");
  EXPECT_EQ(e["name"].asString(), "sdk_tests");
  EXPECT_EQ(e["seq"].asInt(), 1);
  EXPECT_EQ(e["pid"].asUInt(), ::GetCurrentProcessId());
  EXPECT_EQ(e["mid"].asString(), sdk.Get<QlxMidFn>("qlxMid")());
  EXPECT_EQ(e["uid"].asString().size(), 32u);
  EXPECT_EQ(e["props"].getMemberNames(), (std::vector<std::string>{"download_time", "install_type",
                                                                   "is_first_install", "quote"}));
  EXPECT_EQ(e["props"]["download_time"].asInt(), 42);
  EXPECT_EQ(e["props"]["is_first_install"].asBool(), true);
  EXPECT_EQ(e["props"]["quote"].asString(), "a \"b\" \\ c\nd");
  // text as plain UTF-8, not escaped
  EXPECT_NE(lines[0].find("\"install_type\":\"安装器\""), std::string::npos) << lines[0];

  Json::Value r = ParseJsonLine(lines[1]);
  EXPECT_EQ(r["type"].asInt(), 4);
  EXPECT_EQ(r["seq"].asInt(), 2);
  EXPECT_EQ(r["sid"].asString(), e["sid"].asString());
  ASSERT_EQ(r["fields"].size(), 4u);
  EXPECT_EQ(r["fields"][0][1].asInt(), 4);
  EXPECT_EQ(r["fields"][1][1].asString(), "0001");
  EXPECT_EQ(r["fields"][2][1].asString(), "C:\\a.dmp");
  EXPECT_EQ(r["fields"][3][1]["b64"].asString(), "sLIuZG1w");
  EXPECT_NE(e["uid"].asString(), r["uid"].asString());
}

TEST(QlxModule, MidIsTheSameInEveryProcess) {
  SdkCopy sdk;
  const std::string mid = sdk.Get<QlxMidFn>("qlxMid")();
  EXPECT_EQ(mid.size(), 32u);
  auto midEx = sdk.Get<QlxMidExFn>("qlxMidEx");
  EXPECT_EQ(mid, midEx(1));  // version 1 until qlxSetMidVersion
  EXPECT_NE(std::string(midEx(1)), midEx(2));
  EXPECT_EQ(midEx(0), nullptr);
  EXPECT_EQ(midEx(10), nullptr);
  EXPECT_EQ(sdk.Get<QlxSetMidVersionFn>("qlxSetMidVersion")(2), 0);
  EXPECT_EQ(std::string(sdk.Get<QlxMidFn>("qlxMid")()), midEx(2));

  // Qlx.exe beside the module prints the id it gets in its own process
  for (int variant : {1, 2}) {
    std::string out = RunTool(sdk, L"mid " + std::to_wstring(variant));
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
      out.pop_back();
    EXPECT_EQ(out, midEx(variant));
  }
}

TEST(QlxTool, StatusCountsWhatIsNotAcknowledged) {
  SdkCopy sdk;
  QlxHandle h = sdk.Open(kSinkDown);
  ASSERT_EQ(sdk.CommitEvent(h, "vOne", 1), 0);
  ASSERT_EQ(sdk.CommitEvent(h, "vTwo", 2), 0);
  ASSERT_EQ(sdk.Free(h), 0);
  const size_t size = ReadFileBytes(sdk.folder() + L"Qlx.journal").size();
  const std::string out = RunTool(sdk, L"status");
  EXPECT_NE(out.find("bytes " + std::to_string(size) + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("acknowledged 0\npending 2\nunreadable 0\n"), std::string::npos) << out;
  EXPECT_EQ(RunTool(sdk, L"nonsense").find("usage"), 0u);
}

TEST(QlxModule, HttpDataAndDecryptAreInverse) {
  SdkCopy sdk;
  auto build = sdk.Get<QlxBuildHttpDataFn>("qlxBuildHttpData");
  auto decrypt = sdk.Get<QlxDecryptDataFn>("qlxDecryptData");
  auto release = sdk.Get<QlxDataFreeFn>("qlxDataFree");
  int length = -1;
  EXPECT_EQ(build(1, "x", 1, &length, 0, "/v1.1"), nullptr);  // no keys yet
  EXPECT_EQ(length, 0);
  ASSERT_EQ(sdk.Get<QlxSetPubCertificateFn>("qlxSetPubCertificate")(config::kQlxPublicKey), 0);
  ASSERT_EQ(sdk.Get<QlxSetPriCcertificateFn>("qlxSetPriCcertificate")(config::kQlxPrivateKey), 0);

  for (const std::string& body : {std::string("{\"channel\":\"huawei00\",\"名\":\"安装器\"}"),
                                  std::string(1, '\0'), std::string(5000, 'z'), std::string()}) {
    char* text = build(7, body.data(), static_cast<int>(body.size()), &length, 0, "/v1.1");
    ASSERT_NE(text, nullptr);
    std::string packed(text, static_cast<size_t>(length));
    release(text);
    EXPECT_EQ(packed.rfind("QLX1:7:/v1.1:", 0), 0u) << packed;
    EXPECT_EQ(body.size() > 4 ? packed.find(body) : std::string::npos, std::string::npos);

    int plainLength = -1;
    char* plain = decrypt(packed.data(), static_cast<int>(packed.size()), &plainLength);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(std::string(plain, static_cast<size_t>(plainLength)), body);
    release(plain);

    std::string damaged = packed;
    damaged[damaged.size() - 6] = damaged[damaged.size() - 6] == 'A' ? 'B' : 'A';
    char* bad = decrypt(damaged.data(), static_cast<int>(damaged.size()), &plainLength);
    if (bad) {
      // a damaged padding block is caught; a damaged earlier block may not be,
      // but it never gives the body back
      EXPECT_NE(std::string(bad, static_cast<size_t>(plainLength)), body);
      release(bad);
    }
  }
  // two builds of the same body differ: each has its own session key
  char* a = build(1, "same", 4, &length, 0, nullptr);
  std::string first(a, static_cast<size_t>(length));
  char* b = build(1, "same", 4, &length, 0, nullptr);
  EXPECT_NE(first, std::string(b, static_cast<size_t>(length)));
  release(a);
  release(b);

  EXPECT_EQ(build(1, "x", 1, &length, 1, "/v1.1"), nullptr);  // reserved must be 0
  EXPECT_EQ(build(1, nullptr, 3, &length, 0, "/v1.1"), nullptr);
  EXPECT_EQ(decrypt("QLX1:1:/v:!!!", 13, &length), nullptr);
  EXPECT_EQ(decrypt("plain text", 10, &length), nullptr);
  EXPECT_EQ(decrypt(nullptr, 0, &length), nullptr);
}

TEST(QlxModule, OpenUrlTakesOnlyWebAddresses) {
  SdkCopy sdk;
  auto open = sdk.Get<QlxOpenUrlFn>("qlxOpenUrl");
  for (const char* url :
       {static_cast<const char*>(nullptr), "", "cmd.exe", "C:\\Windows\\notepad.exe",
        "file:///C:/windows/notepad.exe", "http://", "http://a b", "javascript:alert(1)"}) {
    EXPECT_NE(open(url), 0) << (url ? url : "(null)");
  }
}

}  // namespace
}  // namespace orvane::test
