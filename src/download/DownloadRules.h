// The download engine's platform-free rules: URL splitting, the ranged
// request, reading the head of a range answer, the segment split, version
// comparison and the package file names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct UrlParts {
  std::string host;
  uint16_t port = 80;
  std::string path = "/";
};

// Splits "scheme://host[:port]/path..." at every "/" (empty pieces dropped):
// the second piece is host[:port], the rest the path. The scheme is ignored:
// every URL is fetched over plain HTTP. Throws Error "invalid url" (fewer
// than three pieces) or "invalid host" (more than one colon, or an empty
// host or port).
UrlParts SplitUrl(const std::string& url);

// the URL a redirect leads to: a target beginning with "/" (and not with
// "http") is taken on the host and port of the URL that answered
std::string ResolveLocation(const UrlParts& answered, const std::string& target);

// the ranged GET of a download worker, byte for byte
std::string BuildRangeRequest(const UrlParts& url, int64_t first, int64_t last);

// the value of the first line beginning with `name` (exact case), with
// leading blanks removed; false when there is none
bool FindHeaderValue(const std::vector<std::string>& lines,
                     const std::string& name,
                     std::string* value);

// "HTTP/1.1 206 Partial Content" -> 206; 0 when the line holds no status
int ParseStatusCode(const std::string& statusLine);

// What a worker makes of a complete response head (status line first):
//
//   HTTP/1.1 206 Partial Content      status 206: range data ...
//   Content-Range: bytes 500-999/1000 ... only when it starts at the asked
//                                     offset and its total (unless "*") is
//                                     the package's size, when known
//   Location: http://host/x           status 300-399: a redirect
//
// Anything else (a 200 with the whole file, an error page, another range,
// a range of a file of another size, which the package was replaced by
// since it was probed) is never written into the package file.
struct RangeAnswer {
  enum Kind { kData, kRedirect, kRejected };
  Kind kind = kRejected;
  int status = 0;
  std::string location;  // kRedirect: the Location value as sent
};
// packageSize: the probed size, -1 when unknown
RangeAnswer ReadRangeAnswer(const std::string& head, int64_t askedFirst, int64_t packageSize = -1);

// "bytes 500-999/1000" -> first 500, last 999, total 1000 (-1 for "*");
// false when malformed
bool ParseContentRange(const std::string& value,
                       int64_t* first,
                       int64_t* last,
                       int64_t* total = nullptr);

struct SegmentRange {
  int64_t start;
  int64_t end;  // inclusive
};
// `count` nearly equal ranges; the last one takes the rest
std::vector<SegmentRange> SplitSegments(int64_t total, int count);

// both texts split at dots: the same, non-zero number of parts, and every
// part of a (decimal) at least the part of b at the same place
bool VersionAtLeast(const std::wstring& a, const std::wstring& b);

// the channel installer name for this program's ProductVersion: four parts
// whose second is 96 to 99; empty for any other version
std::wstring ChannelPackageName(const std::wstring& productVersion);

// the name in a "filename=" header line (quotes removed); empty when no
// line carries one
std::string FileNameFromHeaders(const std::vector<std::string>& lines);

// The package file name that a HEAD answer proposes, made safe to put into
// the cache folder: its last component (after any "\" or "/"), provided that
// it names a plain file there. Empty, so that the caller falls back to a name
// of its own, when that component is empty, "." or "..", longer than
// kMaxPackageNameLength, ends with "." or " " (which Windows would drop),
// holds a control character or one of < > : " | ? * (":" is a drive prefix or
// an alternate data stream), or is a reserved device name (CON, PRN, AUX,
// NUL, COM0-9, LPT0-9, CONIN$, CONOUT$; also with an extension, "nul.exe").
inline constexpr size_t kMaxPackageNameLength = 128;
std::wstring SafePackageFileName(const std::wstring& proposed);

// the package name built from this program's file name: stem + "_install"
// (unless present) + "_v" + version (when given) + ".exe"; empty when the
// stem is empty
std::wstring BuildPackageFileName(const std::wstring& ownFileName, const std::wstring& version);

// Whether the package an earlier run remembered will do instead of a
// download; the version texts are product versions ("1.0.0.2").
//
// Once the package info is known: when the server offers a version and the
// package's own version is at least that one.
bool RememberedPackageIsCurrent(const std::wstring& path,
                                const std::wstring& packageVersion,
                                const std::wstring& offeredVersion);
// When the download cannot go on: unless the product is installed (its
// program path is known) in a version the package's does not reach.
bool RememberedPackageServesAsFallback(const std::wstring& path,
                                       const std::wstring& packageVersion,
                                       const std::wstring& installedExe,
                                       const std::wstring& installedVersion);

// how long a download took, from the file's creation and last-write times
// (the browser's download of the installer, or ours of the package); 0 when
// not later
int32_t DownloadSeconds(int64_t creation, int64_t lastWrite);

// Content-Length of a head's lines ("%lld" of the first line longer than 15
// characters beginning with "Content-Length:"); 0 when missing
int64_t ContentLengthFromHeaders(const std::vector<std::string>& lines);

}  // namespace orvane
