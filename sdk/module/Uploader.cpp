#include "module/Uploader.h"

#include <algorithm>

namespace orvane::qlx {

namespace {

constexpr size_t kBatchRecords = 100;
constexpr size_t kBatchBytes = 64 * 1024;
constexpr ULONGLONG kAttemptMs = 60000;
constexpr DWORD kFirstBackoffMs = 1000;
constexpr DWORD kLongestBackoffMs = 60000;

}  // namespace

Uploader::Uploader(JournalFile* journal, SettingsSource settings)
    : journal_(journal), settings_(std::move(settings)) {
  wake_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

Uploader::~Uploader() = default;

bool Uploader::Start() {
  if (thread_ || !wake_ || !stop_) return false;
  HMODULE pinned = nullptr;
  // the thread holds the module, so that FreeLibrary cannot pull its code away
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&Uploader::ThreadMain), &pinned)) {
    return false;
  }
  self_ = shared_from_this();
  pinned_ = pinned;
  thread_.reset(::CreateThread(nullptr, 0, &Uploader::ThreadMain, this, 0, nullptr));
  if (!thread_) {
    self_.reset();
    pinned_ = nullptr;
    ::FreeLibrary(pinned);
    return false;
  }
  return true;
}

void Uploader::Wake() {
  if (wake_) ::SetEvent(wake_.get());
}

bool Uploader::StopAndFlush(DWORD budgetMs) {
  if (!thread_) return true;
  deadline_.CutTo(::GetTickCount64() + budgetMs);
  ::SetEvent(stop_.get());
  // a little beyond the budget for the thread to notice and end
  return ::WaitForSingleObject(thread_.get(), budgetMs + 500) == WAIT_OBJECT_0;
}

DWORD WINAPI Uploader::ThreadMain(void* arg) {
  auto* self = static_cast<Uploader*>(arg);
  HMODULE pinned = self->pinned_;
  {
    std::shared_ptr<Uploader> keep = std::move(self->self_);
    keep->Loop();
    keep->FinalFlush();
  }
  ::FreeLibraryAndExitThread(pinned, 0);
  return 0;
}

void Uploader::Loop() {
  DWORD backoff = 0;
  ULONGLONG retryAt = 0;
  HANDLE events[2] = {stop_.get(), wake_.get()};
  DWORD wait = 0;  // the first round uploads what earlier runs left
  for (;;) {
    DWORD r = ::WaitForMultipleObjects(2, events, FALSE, wait);
    if (r == WAIT_OBJECT_0) return;
    ULONGLONG now = ::GetTickCount64();
    if (now < retryAt) {
      wait = static_cast<DWORD>(retryAt - now);
      continue;
    }
    deadline_.SetAttempt(now + kAttemptMs);
    switch (UploadPending()) {
      case Outcome::kDone:
      case Outcome::kOff:
        backoff = 0;
        retryAt = 0;
        wait = INFINITE;
        break;
      case Outcome::kFailed:
        backoff = backoff ? std::min(backoff * 2, kLongestBackoffMs) : kFirstBackoffMs;
        retryAt = ::GetTickCount64() + backoff;
        wait = backoff;
        break;
      case Outcome::kBusy:
        // another process is uploading this journal; look again soon
        retryAt = ::GetTickCount64() + kFirstBackoffMs;
        wait = kFirstBackoffMs;
        break;
    }
  }
}

void Uploader::FinalFlush() {
  deadline_.SetAttempt(~0ULL);  // the cut set by StopAndFlush decides
  while (::GetTickCount64() < deadline_.Get()) {
    Outcome o = UploadPending();
    if (o != Outcome::kBusy) return;
    ::Sleep(50);
  }
}

Uploader::Outcome Uploader::UploadPending() {
  UploadSettings settings = settings_();
  if (!settings.enabled) return Outcome::kOff;
  if (!journal_->TryLockUpload()) return Outcome::kBusy;
  // whatever the outcome, the acknowledged lines go, and the journal stays
  // within its cap while uploads fail
  struct TrimAndUnlock {
    JournalFile* j;
    ~TrimAndUnlock() {
      j->Trim();
      j->UnlockUpload();
    }
  } trimAndUnlock{journal_};

  AckState ack = journal_->LoadAck();
  for (;;) {
    if (::GetTickCount64() >= deadline_.Get()) return Outcome::kFailed;
    std::string bytes;
    uint64_t size = 0;
    if (!journal_->Read(ack.offset, kJournalReadWindow, &bytes, &size)) return Outcome::kFailed;
    std::vector<JournalLine> lines =
        SplitCompleteLines(bytes, ack.offset, bytes.size() == kJournalReadWindow);
    if (lines.empty()) return Outcome::kDone;
    Batch batch = MakeBatch(lines, kBatchRecords, kBatchBytes);
    if (!batch.uids.empty()) {
      std::string request =
          BuildUploadRequest(settings.target, batch.body, batch.id, batch.uids.size());
      HttpReply reply;
      if (!HttpExchange(settings.target, request, deadline_, &reply)) return Outcome::kFailed;
      if (!IsAcknowledged(reply, batch.id)) {
        if (!IsRefusedForGood(reply)) return Outcome::kFailed;
        // the receiver will never take these records: they are kept aside,
        // so that the records after them go out
        if (!journal_->SetAside(batch.body)) return Outcome::kFailed;
      }
    }
    ack.offset = batch.end;
    ack.uid = batch.lastUid;
    // not stored: the batch goes out again and the receiver drops it
    if (!journal_->StoreAck(ack)) return Outcome::kFailed;
  }
}

}  // namespace orvane::qlx
