#include "module/JournalFile.h"

#include <algorithm>
#include <vector>

#include "platform/Md5.h"

namespace orvane::qlx {

namespace {

// a lock wait this long means a stuck process; the append is given up
constexpr DWORD kAppendLockWaitMs = 10000;

std::wstring LockName(const wchar_t* kind, const std::wstring& path) {
  std::wstring lower = path;
  for (auto& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  std::string digest = Md5Hex(reinterpret_cast<const char*>(lower.data()),
                              static_cast<long long>(lower.size() * sizeof(wchar_t)));
  return std::wstring(kind) + std::wstring(digest.begin(), digest.end());
}

bool Acquire(HANDLE mutex, DWORD ms) {
  if (!mutex) return false;
  DWORD r = ::WaitForSingleObject(mutex, ms);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

class MutexHold {
 public:
  MutexHold(HANDLE mutex, DWORD ms) : mutex_(mutex), held_(Acquire(mutex, ms)) {}
  ~MutexHold() {
    if (held_) ::ReleaseMutex(mutex_);
  }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
  bool held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_;
};

UniqueHandle OpenShared(const std::wstring& path, DWORD access, DWORD disposition) {
  return UniqueHandle(::CreateFileW(path.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadAt(HANDLE file, uint64_t offset, size_t count, std::string* out) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
  out->assign(count, '\0');
  size_t done = 0;
  while (done < count) {
    DWORD got = 0;
    if (!::ReadFile(file, &(*out)[done], static_cast<DWORD>(count - done), &got, nullptr))
      return false;
    if (got == 0) break;
    done += got;
  }
  out->resize(done);
  return true;
}

}  // namespace

JournalFile::JournalFile(const std::wstring& folder, DropRecordMaker dropRecord, uint64_t cap)
    : path_(folder + L"Qlx.journal"),
      ackPath_(folder + L"Qlx.journal.ack"),
      refusedPath_(folder + L"Qlx.journal.refused"),
      dropRecord_(std::move(dropRecord)),
      cap_(cap) {
  appendLock_.reset(::CreateMutexW(nullptr, FALSE, LockName(L"Qlx-Journal-", path_).c_str()));
  uploadLock_.reset(::CreateMutexW(nullptr, FALSE, LockName(L"Qlx-Upload-", path_).c_str()));
}

bool JournalFile::Append(const std::string& line) {
  MutexHold hold(appendLock_.get(), kAppendLockWaitMs);
  if (!hold.held()) return false;
  {
    std::string none;
    uint64_t before = 0;
    const uint64_t incoming = line.size() + 2;
    if (Read(0, 0, &none, &before) && before + incoming > cap_) {
      // an upload under way has read offsets of this journal: trimming it
      // now would only cost a resend, but it waits for its end unless the
      // journal has grown far beyond the cap meanwhile
      const bool uploadHeld = TryLockUpload();
      if (uploadHeld || before + incoming > 2 * cap_) TrimLocked(incoming);
      if (uploadHeld) UnlockUpload();
    }
  }
  UniqueHandle file = OpenShared(path_, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return false;
  std::string data;
  if (size.QuadPart > 0) {
    std::string last;
    if (!ReadAt(file.get(), static_cast<uint64_t>(size.QuadPart) - 1, 1, &last)) return false;
    if (last != "\n") data.push_back('\n');
  }
  data += line;
  data.push_back('\n');
  if (!::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN)) return false;
  DWORD put = 0;
  if (!::WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &put, nullptr) ||
      put != data.size()) {
    // no half line stays behind
    ::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file.get());
    return false;
  }
  return true;
}

bool JournalFile::Read(uint64_t offset, size_t max, std::string* bytes, uint64_t* size) {
  bytes->clear();
  *size = 0;
  UniqueHandle file = OpenShared(path_, GENERIC_READ, OPEN_EXISTING);
  if (!file) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  LARGE_INTEGER s{};
  if (!::GetFileSizeEx(file.get(), &s)) return false;
  *size = static_cast<uint64_t>(s.QuadPart);
  if (offset >= *size) return true;
  size_t count = static_cast<size_t>(std::min<uint64_t>(max, *size - offset));
  return ReadAt(file.get(), offset, count, bytes);
}

AckState JournalFile::LoadAck() {
  AckState ack;
  UniqueHandle file = OpenShared(ackPath_, GENERIC_READ, OPEN_EXISTING);
  if (!file) return AckState();
  std::string text;
  if (!ReadAt(file.get(), 0, 128, &text) || !ParseAckState(text, &ack)) return AckState();
  if (ack.offset == 0) return AckState();
  uint64_t from = ack.offset > kJournalReadWindow ? ack.offset - kJournalReadWindow : 0;
  std::string tail;
  uint64_t size = 0;
  if (!Read(from, static_cast<size_t>(ack.offset - from), &tail, &size)) return AckState();
  if (!AckFitsJournal(ack, size, tail)) return AckState();
  return ack;
}

bool JournalFile::StoreAck(const AckState& ack) {
  const std::wstring temp = ackPath_ + L".tmp";
  {
    UniqueHandle file = OpenShared(temp, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) return false;
    std::string text = FormatAckState(ack);
    DWORD put = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) ||
        put != text.size()) {
      return false;
    }
  }
  return ::MoveFileExW(temp.c_str(), ackPath_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void JournalFile::Trim() {
  MutexHold hold(appendLock_.get(), kAppendLockWaitMs);
  if (hold.held()) TrimLocked(0);
}

void JournalFile::TrimLocked(uint64_t incoming) {
  std::string all;
  uint64_t size = 0;
  // the whole journal, which the trims keep within twice the cap and what
  // one upload round lets in
  if (!Read(0, static_cast<size_t>(std::min<uint64_t>(~size_t{0} >> 1, 64 * cap_)), &all, &size) ||
      all.size() != size) {
    return;
  }
  TrimPlan plan = PlanTrim(all, LoadAck().offset, cap_, incoming);
  if (!plan.changes()) return;
  std::string kept;
  if (plan.droppedRecords > 0 && dropRecord_) kept = dropRecord_(plan.droppedRecords) + "\n";
  kept.append(all, static_cast<size_t>(plan.keepFrom), std::string::npos);
  const std::wstring temp = path_ + L".tmp";
  {
    UniqueHandle file = OpenShared(temp, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) return;
    DWORD put = 0;
    if (!kept.empty() &&
        (!::WriteFile(file.get(), kept.data(), static_cast<DWORD>(kept.size()), &put, nullptr) ||
         put != kept.size())) {
      return;
    }
  }
  if (!::MoveFileExW(temp.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
  // a crash right here leaves an acknowledgement that no longer fits, which
  // reads as offset 0 of the new journal: everything in it is unsent
  StoreAck(AckState());
}

bool JournalFile::SetAside(const std::string& lines) {
  constexpr uint64_t kRefusedCapBytes = 256 * 1024;
  UniqueHandle file = OpenShared(refusedPath_, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return false;
  // the oldest go: the file starts over
  LARGE_INTEGER at{};
  if (static_cast<uint64_t>(size.QuadPart) + lines.size() <= kRefusedCapBytes) at = size;
  if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get()))
    return false;
  std::string data = lines;
  if (data.size() > kRefusedCapBytes) {
    // whole lines only
    size_t nl = data.find('\n', data.size() - kRefusedCapBytes);
    data.erase(0, nl == std::string::npos ? data.size() : nl + 1);
  }
  DWORD put = 0;
  return ::WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &put, nullptr) &&
         put == data.size();
}

bool JournalFile::TryLockUpload() {
  return Acquire(uploadLock_.get(), 0);
}

void JournalFile::UnlockUpload() {
  ::ReleaseMutex(uploadLock_.get());
}

}  // namespace orvane::qlx
