#include "download/DownloadRules.h"

#include "config/ProductIdentity.h"
#include "net/HttpWire.h"
#include "platform/Error.h"
#include "platform/StringUtil.h"

namespace orvane {

namespace {

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// a decimal number of at most 18 digits; false for anything else
bool ParseDecimal(const std::string& text, int64_t* value) {
  if (!AllDigits(text) || text.size() > 18) return false;
  *value = ParseInt64(text);
  return true;
}

bool ParseWideDecimal(const std::wstring& text, int64_t* value) {
  std::string narrow;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    narrow += static_cast<char>(c);
  }
  return ParseDecimal(narrow, value);
}

}  // namespace

UrlParts SplitUrl(const std::string& url) {
  std::vector<std::string> pieces = SplitAny(url, "/");
  if (pieces.size() < 3) throw Error("invalid url");
  std::vector<std::string> hostPort = SplitAny(pieces[1], ":");
  UrlParts parts;
  if (hostPort.size() == 1) {
    parts.host = hostPort[0];
  } else if (hostPort.size() == 2) {
    // a port that is not a number is refused rather than read as port 0
    if (!AllDigits(hostPort[1]) || hostPort[1].size() > 9) throw Error("invalid host");
    parts.host = hostPort[0];
    parts.port = static_cast<uint16_t>(ParseInt64(hostPort[1]) % 65536);
  } else {
    throw Error("invalid host");
  }
  parts.path.clear();
  for (size_t i = 2; i < pieces.size(); ++i)
    parts.path += "/" + pieces[i];
  return parts;
}

std::string ResolveLocation(const UrlParts& answered, const std::string& target) {
  if (!StartsWith(target, "http") && StartsWith(target, "/")) {
    return "http://" + answered.host + ":" + std::to_string(answered.port) + target;
  }
  return target;
}

std::string BuildRangeRequest(const UrlParts& url, int64_t first, int64_t last) {
  std::string r;
  r += "GET " + url.path + " HTTP/1.1\r\n";
  r += "Host:" + url.host + "\r\n";
  r += "Accept:*/*\r\n";
  r += "Range:bytes=" + FormatInt64(first) + "-" + FormatInt64(last) + "\r\n";
  r += kUserAgentLine;
  r += "Connection:close\r\n";
  r += "\r\n";
  return r;
}

bool FindHeaderValue(const std::vector<std::string>& lines,
                     const std::string& name,
                     std::string* value) {
  for (const std::string& line : lines) {
    if (StartsWith(line, name)) {
      *value = TrimLeftChars(line.substr(name.size()), " \t");
      return true;
    }
  }
  return false;
}

int ParseStatusCode(const std::string& statusLine) {
  if (!StartsWith(statusLine, "HTTP/")) return 0;
  std::string code = StatusOfLine(statusLine);
  if (!AllDigits(code)) return 0;
  return static_cast<int>(ParseInt64(code));
}

bool ParseContentRange(const std::string& value, int64_t* first, int64_t* last, int64_t* total) {
  // bytes <first>-<last>/<total or *>
  if (!StartsWith(value, "bytes ")) return false;
  std::string rest = TrimLeftChars(value.substr(6), " ");
  size_t dash = rest.find('-');
  size_t slash = rest.find('/');
  if (dash == std::string::npos || slash == std::string::npos || slash < dash) return false;
  std::string a = rest.substr(0, dash);
  std::string b = rest.substr(dash + 1, slash - dash - 1);
  if (!ParseDecimal(a, first) || !ParseDecimal(b, last)) return false;
  if (*first > *last) return false;
  if (total) {
    std::string c = rest.substr(slash + 1);
    // a total that is neither "*" nor a number is unknown, as before
    if (c == "*" || !ParseDecimal(c, total)) *total = -1;
  }
  return true;
}

RangeAnswer ReadRangeAnswer(const std::string& head, int64_t askedFirst, int64_t packageSize) {
  RangeAnswer answer;
  std::vector<std::string> lines = SplitAny(head, "\r\n");
  if (lines.empty()) return answer;
  answer.status = ParseStatusCode(lines[0]);
  std::vector<std::string> fields(lines.begin() + 1, lines.end());
  if (answer.status >= 300 && answer.status <= 399) {
    if (FindHeaderValue(fields, "Location:", &answer.location) && !answer.location.empty()) {
      answer.kind = RangeAnswer::kRedirect;
    }
    return answer;
  }
  if (answer.status != 206) return answer;
  // header names are case-insensitive on the wire
  for (const std::string& line : fields) {
    if (line.size() < 14) continue;
    std::string name = line.substr(0, 14);
    for (char& c : name)
      c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    if (name != "content-range:") continue;
    int64_t first = 0, last = 0, total = -1;
    if (ParseContentRange(TrimLeftChars(line.substr(14), " \t"), &first, &last, &total) &&
        first == askedFirst && (total < 0 || packageSize < 0 || total == packageSize)) {
      answer.kind = RangeAnswer::kData;
    }
    break;
  }
  return answer;
}

std::vector<SegmentRange> SplitSegments(int64_t total, int count) {
  std::vector<SegmentRange> segments;
  if (count < 1 || total < 1) return segments;
  int64_t size = total / count;
  int64_t rest = total % count;
  for (int k = 0; k < count; ++k) {
    SegmentRange s;
    s.start = k * size;
    s.end = s.start + size - 1;
    if (k == count - 1) s.end += rest;
    segments.push_back(s);
  }
  return segments;
}

bool VersionAtLeast(const std::wstring& a, const std::wstring& b) {
  std::vector<std::wstring> pa = SplitAny(a, L".");
  std::vector<std::wstring> pb = SplitAny(b, L".");
  if (pa.empty() || pa.size() != pb.size()) return false;
  for (size_t i = 0; i < pa.size(); ++i) {
    int64_t x = 0, y = 0;
    if (!ParseWideDecimal(pa[i], &x) || !ParseWideDecimal(pb[i], &y)) return false;
    if (x < y) return false;
  }
  return true;
}

std::wstring ChannelPackageName(const std::wstring& productVersion) {
  std::vector<std::wstring> parts = SplitAny(productVersion, L".");
  int64_t second = 0;
  if (parts.size() != 4 || !ParseWideDecimal(parts[1], &second)) return {};
  const char* channel = ChannelOfVersionPart(second);
  if (!channel) return {};
  const std::string name = std::string("install_") + channel + ".exe";
  return std::wstring(name.begin(), name.end());
}

std::string FileNameFromHeaders(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    size_t at = line.find("filename=");
    if (at == std::string::npos) continue;
    std::vector<std::string> pieces = SplitAny(line.substr(at + 9), "\"");
    return pieces.empty() ? std::string() : pieces[0];
  }
  return {};
}

namespace {

wchar_t Upper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// the names Windows opens as devices in any folder, whatever follows the
// first dot
bool IsDeviceName(const std::wstring& name) {
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ')
    base.pop_back();
  for (auto& c : base)
    c = Upper(c);
  static const wchar_t* const kDevices[] = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                            L"CONIN$", L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* device : kDevices) {
    if (base == device) return true;
  }
  // COM0-COM9 and LPT0-LPT9, the superscript digits too
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
    wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 ||
           digit == 0x00B3;
  }
  return false;
}

}  // namespace

std::wstring SafePackageFileName(const std::wstring& proposed) {
  size_t separator = proposed.find_last_of(L"\\/");
  std::wstring name = separator == std::wstring::npos ? proposed : proposed.substr(separator + 1);
  if (name.empty() || name == L"." || name == L"..") return {};
  if (name.size() > kMaxPackageNameLength) return {};
  if (name.back() == L'.' || name.back() == L' ') return {};
  for (wchar_t c : name) {
    if (c < 0x20 || c == 0x7F) return {};
    if (c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
      return {};
  }
  if (IsDeviceName(name)) return {};
  return name;
}

std::wstring BuildPackageFileName(const std::wstring& ownFileName, const std::wstring& version) {
  std::wstring stem = ownFileName;
  size_t dot = ownFileName.rfind(L'.');
  if (dot != std::wstring::npos) stem = EraseAll(ownFileName, ownFileName.substr(dot));
  if (stem.empty()) return {};
  std::wstring name = stem;
  if (FindSubstring(stem, L"_install") < 0) name += L"_install";
  if (!version.empty()) name += L"_v" + version;
  return name + L".exe";
}

int64_t ContentLengthFromHeaders(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line.size() > 15 && StartsWith(line, "Content-Length:")) {
      return ParseInt64(line.substr(15));
    }
  }
  return 0;
}

int32_t DownloadSeconds(int64_t creation, int64_t lastWrite) {
  return lastWrite > creation ? static_cast<int32_t>(lastWrite - creation) : 0;
}

bool RememberedPackageIsCurrent(const std::wstring& path,
                                const std::wstring& packageVersion,
                                const std::wstring& offeredVersion) {
  if (path.empty() || offeredVersion.empty()) return false;
  return VersionAtLeast(packageVersion, offeredVersion);
}

bool RememberedPackageServesAsFallback(const std::wstring& path,
                                       const std::wstring& packageVersion,
                                       const std::wstring& installedExe,
                                       const std::wstring& installedVersion) {
  if (path.empty()) return false;
  return installedExe.empty() || VersionAtLeast(packageVersion, installedVersion);
}

}  // namespace orvane
