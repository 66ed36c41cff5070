// TaskAsUser.dll: ShellExecAsUser starts a program with the rights of the
// logged-on user rather than those of the elevated installer.
//
// When the process runs elevated, it asks the desktop's shell (the
// Explorer window that the user's session runs unelevated) to do the launch
// through its automation interface, IShellDispatch2::ShellExecute, so the
// new process inherits the shell's token. When the process is not elevated,
// or there is no desktop shell to ask (no Explorer, an older system, or the
// interface is missing), it falls back to a plain ShellExecuteW.
//
// A show value of 0 means the program's normal window, not SW_HIDE: callers
// pass 0 when they start the product for the user to see.
//
// The module uses nothing of the C++ library (no strings, no exceptions, no
// operator new): it is shipped inside the installer, and the library's
// strings and exception classes would be nearly all of its size.
#include <windows.h>

#include <exdisp.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "QlxApi.h"

namespace {

// an owned COM interface pointer
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** receive() {
    reset();
    return &p_;
  }
  void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

 private:
  T* p_ = nullptr;
};

// an owned UTF-16 copy of a UTF-8 text; empty for a null or empty text and
// for one that does not convert
class WideText {
 public:
  explicit WideText(const char* utf8) {
    if (!utf8 || !*utf8) return;
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 1) return;
    text_ = static_cast<wchar_t*>(::HeapAlloc(::GetProcessHeap(), 0, n * sizeof(wchar_t)));
    if (text_ && ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text_, n) != n) {
      ::HeapFree(::GetProcessHeap(), 0, text_);
      text_ = nullptr;
    }
  }
  ~WideText() {
    if (text_) ::HeapFree(::GetProcessHeap(), 0, text_);
  }
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;
  bool empty() const { return !text_ || !*text_; }
  const wchar_t* c_str() const { return text_ ? text_ : L""; }
  // null when empty, for the optional arguments of ShellExecuteW
  const wchar_t* OrNull() const { return empty() ? nullptr : text_; }
  size_t size() const { return text_ ? ::lstrlenW(text_) : 0; }
  wchar_t operator[](size_t i) const { return text_[i]; }

 private:
  wchar_t* text_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const WideText& text) : b_(::SysAllocString(text.c_str())) {}
  ~Bstr() { ::SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

class ComScope {
 public:
  ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // usable also when the thread had COM in another mode already
  bool ok() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

// "X:\..." or "\\server\..."
bool IsFullPath(const WideText& path) {
  if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

bool IsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  BOOL ok = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
  ::CloseHandle(token);
  return ok && elevation.TokenIsElevated != 0;
}

// the shell's automation object of the desktop window
bool DesktopShellDispatch(ComPtr<IShellDispatch2>* out) {
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.receiveVoid()))) {
    return false;
  }
  VARIANT location;
  ::VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT empty;
  ::VariantInit(&empty);
  long hwnd = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                            desktop.receive()) != S_OK ||
      !desktop) {
    return false;
  }
  ComPtr<IServiceProvider> services;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.receiveVoid()))) return false;
  ComPtr<IShellBrowser> browser;
  if (FAILED(
          services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.receiveVoid()))) {
    return false;
  }
  ComPtr<IShellView> view;
  if (FAILED(browser->QueryActiveShellView(view.receive()))) return false;
  ComPtr<IDispatch> background;
  if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receiveVoid())))
    return false;
  ComPtr<IShellFolderViewDual> folderView;
  if (FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.receiveVoid())))
    return false;
  ComPtr<IDispatch> application;
  if (FAILED(folderView->get_Application(application.receive()))) return false;
  return SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, out->receiveVoid()));
}

bool LaunchThroughShell(const WideText& verb,
                        const WideText& file,
                        const WideText& parameters,
                        const WideText& directory,
                        int show) {
  ComScope com;
  if (!com.ok()) return false;
  ComPtr<IShellDispatch2> shell;
  if (!DesktopShellDispatch(&shell)) return false;
  Bstr bFile(file), bParams(parameters), bDir(directory), bVerb(verb);
  VARIANT args, dir, op, showCmd;
  ::VariantInit(&args);
  args.vt = VT_BSTR;
  args.bstrVal = bParams.get();
  ::VariantInit(&dir);
  dir.vt = VT_BSTR;
  dir.bstrVal = bDir.get();
  ::VariantInit(&op);
  op.vt = VT_BSTR;
  op.bstrVal = bVerb.get();
  ::VariantInit(&showCmd);
  showCmd.vt = VT_I4;
  showCmd.lVal = show;
  // the shell headers rename this method to ShellExecuteW along with the API
  return SUCCEEDED(shell->ShellExecute(bFile.get(), args, dir, op, showCmd));
}

bool PlainLaunch(const WideText& verb,
                 const WideText& file,
                 const WideText& parameters,
                 const WideText& directory,
                 int show) {
  auto r = reinterpret_cast<INT_PTR>(::ShellExecuteW(
      nullptr, verb.c_str(), file.c_str(), parameters.OrNull(), directory.OrNull(), show));
  return r > 32;
}

}  // namespace

extern "C" int ShellExecAsUser(const char* verb,
                               const char* file,
                               const char* parameters,
                               const char* directory,
                               int show) {
  const WideText v(verb), f(file), p(parameters), d(directory);
  if (v.empty() || f.empty()) return 0;
  // the shell's automation launch answers success even for a missing file,
  // so a full path is checked first
  if (IsFullPath(f) && ::GetFileAttributesW(f.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  if (show == SW_HIDE) show = SW_SHOWNORMAL;
  if (IsElevated() && LaunchThroughShell(v, f, p, d, show)) return 1;
  return PlainLaunch(v, f, p, d, show) ? 2 : 0;
}
