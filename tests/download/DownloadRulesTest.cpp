#include "download/DownloadRules.h"

#include <gtest/gtest.h>

#include "platform/Error.h"

namespace orvane {
namespace {

struct UrlCase {
  const char* url;
  const char* host;
  int port;
  const char* path;
};

TEST(SplitUrl, HostPortAndPath) {
  const UrlCase cases[] = {
      {"http://cdn.orvane.test/a/b.exe", "cdn.orvane.test", 80, "/a/b.exe"},
      {"https://cdn.orvane.test/a/b.exe", "cdn.orvane.test", 80, "/a/b.exe"},
      {"http://127.0.0.16:8080/x", "127.0.0.16", 8080, "/x"},
      // the path is the rest from the first single slash after the host
      {"http://h:81/a//b/c/", "h", 81, "/a/b/c"},
      {"http://h:65617/x", "h", 81, "/x"},  // modulo 65536
      {"http://h/a?b=c/d", "h", 80, "/a?b=c/d"},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.url);
    UrlParts p = SplitUrl(c.url);
    EXPECT_EQ(p.host, c.host);
    EXPECT_EQ(p.port, c.port);
    EXPECT_EQ(p.path, c.path);
  }
}

TEST(SplitUrl, RefusesWhatIsNoUrl) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://host/", "invalid url"},
      {"http://host", "invalid url"},
      {"", "invalid url"},
      {"///", "invalid url"},
      {"http://a:1:2/x", "invalid host"},
      {"http://a:b/x", "invalid host"},
      {"http://a:99999999999/x", "invalid host"},
  };
  for (const auto& [url, message] : cases) {
    SCOPED_TRACE(url);
    try {
      SplitUrl(url);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
}

TEST(ResolveLocation, RelativeTargetsStayOnTheAnsweringHost) {
  UrlParts from = SplitUrl("http://cdn.test:8080/a/b");
  EXPECT_EQ(ResolveLocation(from, "/dl/x.exe"), "http://cdn.test:8080/dl/x.exe");
  EXPECT_EQ(ResolveLocation(from, "http://other/x"), "http://other/x");
  EXPECT_EQ(ResolveLocation(from, "https://other/x"), "https://other/x");
  // neither absolute nor rooted: taken as it is (and refused by SplitUrl later)
  EXPECT_EQ(ResolveLocation(from, "x.exe"), "x.exe");
}

TEST(BuildRangeRequest, ExactBytes) {
  UrlParts p = SplitUrl("http://cdn.orvane.test:8080/pkg/install.exe");
  EXPECT_EQ(BuildRangeRequest(p, 524288, 1048575),
            "GET /pkg/install.exe HTTP/1.1\r\n"
            "Host:cdn.orvane.test\r\n"
            "Accept:*/*\r\n"
            "Range:bytes=524288-1048575\r\n"
            "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
            "Connection:close\r\n"
            "\r\n");
  EXPECT_NE(BuildRangeRequest(p, 7, 7).find("Range:bytes=7-7\r\n"), std::string::npos);
  EXPECT_NE(BuildRangeRequest(p, 0, 5000000000LL).find("bytes=0-5000000000"), std::string::npos);
}

struct AnswerCase {
  const char* head;
  int64_t asked;
  RangeAnswer::Kind kind;
  int status;
};

TEST(ReadRangeAnswer, OnlyTheAskedRangeIsData) {
  const AnswerCase cases[] = {
      {"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 500-999/1000", 500, RangeAnswer::kData,
       206},
      {"HTTP/1.1 206 Partial Content\r\ncontent-range:bytes 0-0/1", 0, RangeAnswer::kData, 206},
      {"HTTP/1.1 206 Partial Content\r\nCONTENT-RANGE:  bytes 7-9/*", 7, RangeAnswer::kData, 206},
      // another range, no range, a whole file, an error page
      {"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 501-999/1000", 500,
       RangeAnswer::kRejected, 206},
      {"HTTP/1.1 206 Partial Content\r\nContent-Length: 5", 0, RangeAnswer::kRejected, 206},
      {"HTTP/1.1 200 OK\r\nContent-Length: 1000", 0, RangeAnswer::kRejected, 200},
      {"HTTP/1.1 200 OK\r\nContent-Range: bytes 0-9/10", 0, RangeAnswer::kRejected, 200},
      {"HTTP/1.1 416 Range Not Satisfiable", 0, RangeAnswer::kRejected, 416},
      {"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes x-9/10", 0, RangeAnswer::kRejected,
       206},
      {"garbage", 0, RangeAnswer::kRejected, 0},
      {"", 0, RangeAnswer::kRejected, 0},
      {"HTTP/1.1 302 Found\r\nLocation: http://b/x", 0, RangeAnswer::kRedirect, 302},
      // a redirect without a target is nothing to follow
      {"HTTP/1.1 302 Found\r\nContent-Length: 0", 0, RangeAnswer::kRejected, 302},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.head);
    RangeAnswer a = ReadRangeAnswer(c.head, c.asked);
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.status, c.status);
  }
  EXPECT_EQ(ReadRangeAnswer("HTTP/1.1 301 Moved\r\nLocation:   /dl/x.exe", 0).location,
            "/dl/x.exe");
}

// The total of a range answer against the size the probe found: a range of
// a file of another size is a range of another file (the package was
// replaced between the probe and the download).
TEST(ReadRangeAnswer, TheTotalMustBeThePackagesSize) {
  struct Case {
    const char* contentRange;
    int64_t packageSize;
    RangeAnswer::Kind kind;
  } cases[] = {
      {"bytes 500-999/1000", 1000, RangeAnswer::kData},
      {"bytes 500-999/1001", 1000, RangeAnswer::kRejected},
      {"bytes 500-999/999", 1000, RangeAnswer::kRejected},
      {"bytes 500-999/5000000000", 1000, RangeAnswer::kRejected},
      // a server that does not know the total: nothing to compare
      {"bytes 500-999/*", 1000, RangeAnswer::kData},
      // a worker whose owner does not know the size
      {"bytes 500-999/1001", -1, RangeAnswer::kData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.contentRange) + " against " + std::to_string(c.packageSize));
    std::string head = std::string("HTTP/1.1 206 Partial Content\r\nContent-Range: ") +
                       c.contentRange + "\r\nContent-Length: 500";
    EXPECT_EQ(ReadRangeAnswer(head, 500, c.packageSize).kind, c.kind);
  }
}

TEST(ParseContentRange, Forms) {
  int64_t a = -1, b = -1;
  EXPECT_TRUE(ParseContentRange("bytes 0-4/10", &a, &b));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 4);
  EXPECT_TRUE(ParseContentRange("bytes 5000000000-5000000001/*", &a, &b));
  EXPECT_EQ(a, 5000000000LL);
  int64_t total = 0;
  EXPECT_TRUE(ParseContentRange("bytes 0-4/10", &a, &b, &total));
  EXPECT_EQ(total, 10);
  EXPECT_TRUE(ParseContentRange("bytes 0-4/*", &a, &b, &total));
  EXPECT_EQ(total, -1);
  EXPECT_TRUE(ParseContentRange("bytes 0-4/5000000000", &a, &b, &total));
  EXPECT_EQ(total, 5000000000LL);
  for (const char* bad : {"bytes 5-4/10", "bytes -4/10", "bytes 4-/10", "bytes */10", "0-4/10",
                          "bytes 1-2", "bytes 99999999999999999999-1/2"}) {
    EXPECT_FALSE(ParseContentRange(bad, &a, &b)) << bad;
  }
}

TEST(SplitSegments, NearlyEqualHalvesWithTheRestLast) {
  auto ten = SplitSegments(10, 2);
  ASSERT_EQ(ten.size(), 2u);
  EXPECT_EQ(ten[0].start, 0);
  EXPECT_EQ(ten[0].end, 4);
  EXPECT_EQ(ten[1].start, 5);
  EXPECT_EQ(ten[1].end, 9);
  auto eleven = SplitSegments(11, 2);
  EXPECT_EQ(eleven[0].end, 4);
  EXPECT_EQ(eleven[1].start, 5);
  EXPECT_EQ(eleven[1].end, 10);
  auto big = SplitSegments(5000000001LL, 2);
  EXPECT_EQ(big[1].end, 5000000000LL);
  EXPECT_TRUE(SplitSegments(0, 2).empty());
  EXPECT_TRUE(SplitSegments(10, 0).empty());
}

TEST(VersionAtLeast, PartByPart) {
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"2.1.5", L"2.1.4", true}, {L"2.1.4", L"2.1.4", true},     {L"3.0.0", L"2.1.4", false},
      {L"2.0", L"1.5", false},    {L"10.0", L"9.0", true},        {L"2.1", L"2.1.0", false},
      {L"", L"", false},          {L"1.2.3.4", L"1.2.3.4", true}, {L"1.x", L"1.0", false},
      {L"1.2", L"", false},
  };
  for (const auto& [a, b, expected] : cases) {
    EXPECT_EQ(VersionAtLeast(a, b), expected) << std::wstring(a).size() << " " << expected;
  }
}

TEST(ChannelPackageName, SecondPartOfFourNamesTheChannel) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"1.96.0.0", L"install_tengxun0.exe"},
      {L"1.97.0.0", L"install_qihu3600.exe"},
      {L"1.98.3.1", L"install_jinshan0.exe"},
      {L"5.99.0.0", L"install_huawei00.exe"},
      {L"1.95.0.0", L""},
      {L"1.97.0", L""},
      {L"1.97.0.0.0", L""},
      {L"", L""},
      {L"1.097.0.0", L"install_qihu3600.exe"},
  };
  for (const auto& [version, name] : cases)
    EXPECT_EQ(ChannelPackageName(version), name);
}

// Names a download server may send in "filename=": what stays of each in the
// cache folder; empty means the caller falls back to the program's own name.
TEST(ProbeNames, SafePackageFileNameNeverLeavesTheFolder) {
  const std::wstring longest(kMaxPackageNameLength - 4, L'a');
  struct Case {
    const char* what;
    std::wstring proposed;
    std::wstring kept;
  } cases[] = {
      {"a plain name", L"install.exe", L"install.exe"},
      {"a blank inside", L"pkg 1.exe", L"pkg 1.exe"},
      {"Chinese", L"栖木工坊安装包.exe", L"栖木工坊安装包.exe"},
      {"no extension", L"install", L"install"},
      {"a dot at the front", L".install.exe", L".install.exe"},
      {"parent folders: the last component stays", L"..\\..\\Windows\\evil.exe", L"evil.exe"},
      {"forward slashes", L"../../evil.exe", L"evil.exe"},
      {"an absolute path", L"C:\\Windows\\System32\\evil.dll", L"evil.dll"},
      {"a UNC path", L"\\\\srv\\share\\evil.exe", L"evil.exe"},
      {"a device path", L"\\\\?\\C:\\evil.exe", L"evil.exe"},
      {"ends with a separator", L"dir\\", L""},
      {"the parent itself", L"..", L""},
      {"the parent after a path", L"a\\..", L""},
      {"the folder itself", L".", L""},
      {"empty", L"", L""},
      {"a drive-relative name", L"C:evil.exe", L""},
      {"an alternate data stream", L"pkg.exe:hidden", L""},
      {"the default stream named", L"pkg.exe::$DATA", L""},
      {"a device", L"NUL", L""},
      {"a device in lower case", L"con", L""},
      {"a device with an extension", L"nul.exe", L""},
      {"a device with blanks before the dot", L"AUX .exe", L""},
      {"a numbered port", L"COM1.exe", L""},
      {"a printer port", L"lpt9", L""},
      {"port zero", L"LPT0.txt", L""},
      {"a superscript port", L"COM\u00b9.exe", L""},
      {"the console input", L"CONIN$", L""},
      {"the clock", L"clock$.exe", L""},
      {"not a device: longer", L"CONSOLE.exe", L"CONSOLE.exe"},
      {"not a device: no digit", L"COMX.exe", L"COMX.exe"},
      {"not a device: two digits", L"COM10.exe", L"COM10.exe"},
      {"a trailing dot Windows would drop", L"pkg.exe.", L""},
      {"a trailing blank", L"pkg.exe ", L""},
      {"a wildcard", L"pkg*.exe", L""},
      {"a question mark", L"pkg?.exe", L""},
      {"a pipe", L"a|b.exe", L""},
      {"angle brackets", L"<pkg>.exe", L""},
      {"a quote", L"pk\"g.exe", L""},
      {"a line break", L"pkg\r\n.exe", L""},
      {"a control character", std::wstring(L"pkg") + wchar_t(1) + L".exe", L""},
      {"a NUL inside", std::wstring(L"pkg.exe\0.txt", 11), L""},
      {"the longest kept", longest + L".exe", longest + L".exe"},
      {"one too long", longest + L".exe1", L""},
      {"too long before a separator is cut away", std::wstring(400, L'x') + L"\\ok.exe", L"ok.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SafePackageFileName(c.proposed), c.kept);
  }
}

TEST(ProbeNames, FromHeadersAndFromTheProgram) {
  EXPECT_EQ(FileNameFromHeaders(
                {"HTTP/1.1 200 OK", "Content-Disposition: attachment; filename=\"pkg 1.exe\""}),
            "pkg 1.exe");
  EXPECT_EQ(FileNameFromHeaders({"X: filename=plain.exe"}), "plain.exe");
  EXPECT_EQ(FileNameFromHeaders({"X: filename=\"\""}), "");
  EXPECT_EQ(FileNameFromHeaders({"Content-Length: 5"}), "");

  EXPECT_EQ(BuildPackageFileName(L"setup.exe", L"1.2.0"), L"setup_install_v1.2.0.exe");
  EXPECT_EQ(BuildPackageFileName(L"setup.exe", L""), L"setup_install.exe");
  EXPECT_EQ(BuildPackageFileName(L"kv_install.exe", L""), L"kv_install.exe");
  EXPECT_EQ(BuildPackageFileName(L".exe", L"1"), L"");
  EXPECT_EQ(BuildPackageFileName(L"noext", L""), L"noext_install.exe");

  EXPECT_EQ(ContentLengthFromHeaders({"HTTP/1.1 200 OK", "Content-Length: 3145851"}), 3145851);
  EXPECT_EQ(ContentLengthFromHeaders({"content-length: 5"}), 0);
  EXPECT_EQ(ContentLengthFromHeaders({"Content-Length:"}), 0);
}

TEST(DownloadRules, DownloadSeconds) {
  EXPECT_EQ(DownloadSeconds(1000, 1042), 42);
  EXPECT_EQ(DownloadSeconds(1000, 1000), 0);  // created and written at once
  EXPECT_EQ(DownloadSeconds(1000, 900), 0);
}

// Whether a remembered package will do instead of a download, as the
// downloader asks it once the package info is known ("current") and when
// the download cannot go on ("fallback").
TEST(DownloadRules, RememberedPackageWillDo) {
  struct Case {
    const char* what;
    const wchar_t* path;
    const wchar_t* packageVersion;
    const wchar_t* offered;  // the package info's version code
    const wchar_t* installedExe;
    const wchar_t* installedVersion;
    bool current;
    bool fallback;
  } cases[] = {
      {"nothing remembered", L"", L"2.0.0.0", L"1.0.0.0", L"", L"", false, false},
      {"same version as offered, nothing installed", L"C:\\p.exe", L"1.2.0.0", L"1.2.0.0", L"", L"",
       true, true},
      {"newer than offered", L"C:\\p.exe", L"1.3.0.0", L"1.2.0.0", L"", L"", true, true},
      {"older than offered", L"C:\\p.exe", L"1.2.0.0", L"1.2.0.1", L"", L"", false, true},
      // the server names no version: only the fallback can take it
      {"no offered version", L"C:\\p.exe", L"1.2.0.0", L"", L"", L"", false, true},
      // a package whose version cannot be read never counts as current
      {"unreadable package version", L"C:\\p.exe", L"", L"1.2.0.0", L"", L"", false, true},
      {"installed older than the package", L"C:\\p.exe", L"1.2.0.0", L"1.2.0.0", L"C:\\KV\\kv.exe",
       L"1.1.0.0", true, true},
      {"installed newer than the package", L"C:\\p.exe", L"1.2.0.0", L"1.2.0.0", L"C:\\KV\\kv.exe",
       L"1.3.0.0", true, false},
      // an installed product without a readable version: the parts differ
      {"installed version unknown", L"C:\\p.exe", L"1.2.0.0", L"", L"C:\\KV\\kv.exe", L"", false,
       false},
      // every part must reach its counterpart: 1.3.0.0 does not reach 1.2.0.9,
      // and 1.10.0.0 does not reach 1.9.5.0
      {"a later part below", L"C:\\p.exe", L"1.3.0.0", L"1.2.0.9", L"", L"", false, true},
      {"part by part", L"C:\\p.exe", L"1.10.0.0", L"1.9.0.0", L"C:\\KV\\kv.exe", L"1.9.5.0", true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RememberedPackageIsCurrent(c.path, c.packageVersion, c.offered), c.current);
    EXPECT_EQ(RememberedPackageServesAsFallback(c.path, c.packageVersion, c.installedExe,
                                                c.installedVersion),
              c.fallback);
  }
}

}  // namespace
}  // namespace orvane
