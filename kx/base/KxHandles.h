#pragma once
// Owners of platform handles for the length of a block or of an object: a GDI object
// selected into a DC, a GDI object, a memory DC with its bitmap, an icon, a kernel
// handle, a COM apartment and a COM interface. Each is written once here and used
// everywhere.

#include <windows.h>
#include <objbase.h>

// Selects an object into a DC for the length of a block.
class KxSelected {
public:
  KxSelected(HDC dc, HGDIOBJ object) : dc(dc), previous(object ? SelectObject(dc, object) : NULL) {}
  KxSelected(const KxSelected&) = delete;
  KxSelected& operator=(const KxSelected&) = delete;
  ~KxSelected() {
    if (previous) SelectObject(dc, previous);
  }

private:
  HDC dc;
  HGDIOBJ previous;
};

// A GDI object deleted at the end of a block.
class KxGdiObject {
public:
  explicit KxGdiObject(HGDIOBJ object) : object(object) {}
  KxGdiObject(const KxGdiObject&) = delete;
  KxGdiObject& operator=(const KxGdiObject&) = delete;
  ~KxGdiObject() {
    if (object) DeleteObject(object);
  }
  HGDIOBJ Get() const { return object; }
  HBITMAP Bitmap() const { return static_cast<HBITMAP>(object); }

private:
  HGDIOBJ object;
};

// A memory DC compatible with another, with one bitmap selected for its lifetime; both
// are owned.
class KxMemoryDc {
public:
  KxMemoryDc(HDC like, HBITMAP bitmap) : dc(CreateCompatibleDC(like)), bitmap(bitmap) {
    if (dc && bitmap) previous = SelectObject(dc, bitmap);
  }
  KxMemoryDc(const KxMemoryDc&) = delete;
  KxMemoryDc& operator=(const KxMemoryDc&) = delete;
  ~KxMemoryDc() {
    if (dc) {
      if (previous) SelectObject(dc, previous);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
  }
  bool Ready() const { return dc && bitmap && previous; }
  HDC Dc() const { return dc; }

private:
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous = NULL;
};

// A kernel handle closed at the end of a block (NULL and INVALID_HANDLE_VALUE hold none).
class KxHandle {
public:
  explicit KxHandle(HANDLE handle = NULL) : handle(handle) {}
  KxHandle(const KxHandle&) = delete;
  KxHandle& operator=(const KxHandle&) = delete;
  ~KxHandle() {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  HANDLE Get() const { return handle; }

private:
  HANDLE handle;
};

// Owner of one icon handle, destroyed with DestroyIcon. A copy holds its own CopyIcon
// duplicate, so records that carry icons can live in value lists.
class OwnedIcon {
public:
  OwnedIcon() = default;
  explicit OwnedIcon(HICON icon) : handle(icon) {}
  OwnedIcon(const OwnedIcon& other);
  OwnedIcon(OwnedIcon&& other) noexcept;
  OwnedIcon& operator=(const OwnedIcon& other);
  OwnedIcon& operator=(OwnedIcon&& other) noexcept;
  ~OwnedIcon();

  HICON Get() const { return handle; }
  bool IsEmpty() const { return handle == nullptr; }
  // Destroys the held icon and takes icon (may be nullptr).
  void Reset(HICON icon = nullptr);
  // Gives up ownership; the caller destroys the result.
  HICON Release();

private:
  HICON handle = nullptr;
};


// COM on the calling thread for the length of a block, single-threaded. An apartment the
// thread already has is kept: a repeated start is balanced by its own end, and a thread
// in another kind of apartment is left as it is.
class KxComApartment {
public:
  KxComApartment() : initialized(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED))) {}
  KxComApartment(const KxComApartment&) = delete;
  KxComApartment& operator=(const KxComApartment&) = delete;
  ~KxComApartment() {
    if (initialized) CoUninitialize();
  }

private:
  bool initialized;
};

// One reference to a COM interface, released with the holder. Out() hands the slot to a
// call that creates or queries the interface, releasing what it held before.
template <class Interface>
class KxComPtr {
public:
  KxComPtr() = default;
  KxComPtr(const KxComPtr&) = delete;
  KxComPtr& operator=(const KxComPtr&) = delete;
  ~KxComPtr() { Reset(); }
  Interface* Get() const { return pointer; }
  Interface* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }
  void** Out() {
    Reset();
    return reinterpret_cast<void**>(&pointer);
  }
  void Reset() {
    if (pointer) pointer->Release();
    pointer = nullptr;
  }

private:
  Interface* pointer = nullptr;
};
