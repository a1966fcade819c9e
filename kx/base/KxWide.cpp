#include "kx/base/KxWide.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Stands in for the buffer of an empty text, also when even that allocation fails; never
// written to, never freed.
wchar_t emptyWide[1] = {0};

wchar_t* NewWide(int count) {
  if (count < 0 || count > INT_MAX / 2 - 1) return nullptr;
  return static_cast<wchar_t*>(std::malloc((static_cast<size_t>(count) + 1) * sizeof(wchar_t)));
}

}  // namespace

KxWide::KxWide() : data(emptyWide), length(0) {}

KxWide::KxWide(const KxString& text) : data(emptyWide), length(0) {
  if (text.IsEmpty()) return;
  int count = MultiByteToWideChar(kKxTextCodePage, 0, text.CStr(), text.Length(), nullptr, 0);
  if (count <= 0 || !Resize(count)) return;
  MultiByteToWideChar(kKxTextCodePage, 0, text.CStr(), text.Length(), data, count);
}

KxWide::KxWide(const char* text) : KxWide(KxString(text)) {}

KxWide::KxWide(const wchar_t* text, int count) : data(emptyWide), length(0) { Init(text, count); }

KxWide::KxWide(const KxWide& other) : data(emptyWide), length(0) { Init(other.data, other.length); }

KxWide::KxWide(KxWide&& other) noexcept : data(other.data), length(other.length) {
  other.data = emptyWide;
  other.length = 0;
}

KxWide& KxWide::operator=(const KxWide& other) {
  if (this != &other) {
    KxWide copy(other);
    *this = static_cast<KxWide&&>(copy);
  }
  return *this;
}

KxWide& KxWide::operator=(KxWide&& other) noexcept {
  if (this != &other) {
    Release();
    data = other.data;
    length = other.length;
    other.data = emptyWide;
    other.length = 0;
  }
  return *this;
}

KxWide::~KxWide() { Release(); }

void KxWide::Init(const wchar_t* text, int count) {
  if (!text || count <= 0 || !Resize(count)) return;
  std::memcpy(data, text, static_cast<size_t>(count) * sizeof(wchar_t));
}

void KxWide::Release() {
  if (data != emptyWide) std::free(data);
  data = emptyWide;
  length = 0;
}

bool KxWide::Resize(int n) {
  if (n < 0) return false;
  if (n == 0) {
    Release();
    return true;
  }
  wchar_t* grown = NewWide(n);
  if (!grown) return false;
  int kept = length < n ? length : n;
  if (kept > 0) std::memcpy(grown, data, static_cast<size_t>(kept) * sizeof(wchar_t));
  for (int i = kept; i <= n; ++i) grown[i] = 0;
  Release();
  data = grown;
  length = n;
  return true;
}

KxString KxFromWide(const wchar_t* text, int count) {
  if (!text) return KxString();
  if (count < 0) count = lstrlenW(text);
  if (count == 0) return KxString();
  int bytes = WideCharToMultiByte(kKxTextCodePage, 0, text, count, nullptr, 0, nullptr, nullptr);
  KxString result;
  if (bytes <= 0 || !result.Resize(bytes)) return KxString();
  WideCharToMultiByte(kKxTextCodePage, 0, text, count, result.Buffer(), bytes, nullptr, nullptr);
  return result;
}

KxString KxToGbk(const KxString& text) {
  KxWide wide(text);
  if (wide.IsEmpty()) return KxString();
  int bytes = WideCharToMultiByte(kKxPluginCodePage, 0, wide, wide.Length(), nullptr, 0, nullptr, nullptr);
  KxString result;
  if (bytes <= 0 || !result.Resize(bytes)) return KxString();
  WideCharToMultiByte(kKxPluginCodePage, 0, wide, wide.Length(), result.Buffer(), bytes, "?", nullptr);
  return result;
}

KxString KxWindowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return KxString();
  KxWide text;
  if (!text.Resize(length)) return KxString();
  int got = GetWindowTextW(hwnd, text.Buffer(), length + 1);
  return KxFromWide(text, got < length ? got : length);
}

bool KxSetWindowText(HWND hwnd, const KxString& text) { return SetWindowTextW(hwnd, KxWide(text)) != FALSE; }
