#pragma once
// One move-only owner for every kind of Win32 handle. A Traits type names the handle type,
// its "no handle" value and how to release it; the aliases below cover the handles the
// program holds.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <utility>

namespace tw {

template <class Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  pointer get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

  /// Gives up ownership without releasing the handle.
  pointer release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  /// Releases the owned handle (if any) and takes `handle`.
  void reset(pointer handle = Traits::Invalid()) noexcept {
    const pointer old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  /// Releases the owned handle and returns the slot for an API's output parameter.
  pointer* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  pointer handle_ = Traits::Invalid();
};

struct HKeyTraits {
  using pointer = HKEY;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::RegCloseKey(h); }
};

/// Kernel object handles whose "none" value is INVALID_HANDLE_VALUE (files).
struct FileHandleTraits {
  using pointer = HANDLE;
  static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(pointer h) noexcept { ::CloseHandle(h); }
};

/// Kernel object handles whose "none" value is null (processes, events, threads).
struct KernelHandleTraits {
  using pointer = HANDLE;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using pointer = HANDLE;
  static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(pointer h) noexcept { ::FindClose(h); }
};

struct HIconTraits {
  using pointer = HICON;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::DestroyIcon(h); }
};

struct HImageListTraits {
  using pointer = HIMAGELIST;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::ImageList_Destroy(h); }
};

/// A device context made by CreateDC / CreateCompatibleDC (not one from GetDC).
struct HdcTraits {
  using pointer = HDC;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::DeleteDC(h); }
};

/// A GDI object (font, brush, pen, bitmap) released by DeleteObject.
template <class T>
struct GdiObjectTraits {
  using pointer = T;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::DeleteObject(h); }
};

/// Puts a GDI object into a device context for one scope and restores the previous one.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~SelectGuard() { ::SelectObject(dc_, old_); }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

/// A window's device context for one scope (GetDC / ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

/// The painting of one WM_PAINT (BeginPaint / EndPaint), ended on every way out.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintDc() { ::EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

/// COM on the calling thread for one scope (CoInitialize / CoUninitialize when it started).
class ComApartment {
 public:
  ComApartment() : started_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (started_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool started_;
};

/// A menu made by the program (CreatePopupMenu), destroyed with its items.
struct HMenuTraits {
  using pointer = HMENU;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::DestroyMenu(h); }
};

using UniqueHKey = UniqueHandle<HKeyTraits>;
/// Memory the system allocated for the caller with LocalAlloc (CommandLineToArgvW,
/// FormatMessageW with FORMAT_MESSAGE_ALLOCATE_BUFFER).
struct LocalMemoryTraits {
  using pointer = HLOCAL;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer p) noexcept { ::LocalFree(p); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueHIcon = UniqueHandle<HIconTraits>;
using UniqueHImageList = UniqueHandle<HImageListTraits>;
using UniqueHdc = UniqueHandle<HdcTraits>;
using UniqueHFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueHBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueHMenu = UniqueHandle<HMenuTraits>;

}  // namespace tw
