// Owners of Win32 handles: one RAII type per kind of handle, all built the
// same way. Movable, not copyable; reset(), release(), get() and receive()
// (an out-parameter accessor that frees the old value first).
#pragma once

#include <windows.h>

#include <utility>

namespace orvane {

template <typename Traits>
class HandleT {
 public:
  using Type = typename Traits::Type;

  HandleT() = default;
  explicit HandleT(Type h) : h_(h) {}
  ~HandleT() { reset(); }

  HandleT(const HandleT&) = delete;
  HandleT& operator=(const HandleT&) = delete;
  HandleT(HandleT&& other) noexcept : h_(other.release()) {}
  HandleT& operator=(HandleT&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const { return h_; }
  bool valid() const { return Traits::IsValid(h_); }
  explicit operator bool() const { return valid(); }

  void reset(Type h = Traits::Empty()) {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = h;
  }
  Type release() { return std::exchange(h_, Traits::Empty()); }

  // frees the current value and hands out its address for an API to fill
  Type* receive() {
    reset();
    return &h_;
  }

 private:
  Type h_ = Traits::Empty();
};

// kernel objects: both null and INVALID_HANDLE_VALUE mean "no handle"
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
using UniqueHandle = HandleT<KernelHandleTraits>;

struct FindHandleTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindClose(h); }
};
using FindHandle = HandleT<FindHandleTraits>;

struct VolumeFindTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindVolumeClose(h); }
};
using VolumeFindHandle = HandleT<VolumeFindTraits>;

struct RegKeyTraits {
  using Type = HKEY;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};
using RegKey = HandleT<RegKeyTraits>;

struct ModuleTraits {
  using Type = HMODULE;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::FreeLibrary(h); }
};
using UniqueModule = HandleT<ModuleTraits>;

struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};
using GdiObject = HandleT<GdiObjectTraits>;

struct MemoryDcTraits {
  using Type = HDC;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::DeleteDC(h); }
};
using MemoryDc = HandleT<MemoryDcTraits>;

struct WindowTraits {
  using Type = HWND;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::DestroyWindow(h); }
};
using UniqueWindow = HandleT<WindowTraits>;

// a COM interface pointer that this code holds one reference of
template <typename Interface>
struct ComTraits {
  using Type = Interface*;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { h->Release(); }
};
template <typename Interface>
using ComPtr = HandleT<ComTraits<Interface>>;

// a window DC obtained with GetDC, released to its window
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// selects an object into a DC and restores the previous one on scope exit
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace orvane
