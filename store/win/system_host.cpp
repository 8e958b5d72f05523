#include "store/win/system_host.h"

#include <windows.h>

namespace klangrid {

namespace {

constexpr long kInvalidData = 13;   // ERROR_INVALID_DATA
constexpr long kOutOfMemory = 14;   // ERROR_OUTOFMEMORY

// Closes the file on every exit.
struct FileHandle {
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE handle;
};

}  // namespace

std::size_t SystemHost::ToUtf16(const char* text, std::size_t length, char16_t* out,
                                std::size_t capacity) {
  if (length == 0) return 0;
  if (length > 0x7FFFFFFF || capacity > 0x7FFFFFFF) return capacity + 1;
  // MB_ERR_INVALID_CHARS: a broken double-byte sequence is no text.
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, int(length),
                                        reinterpret_cast<wchar_t*>(out), int(capacity));
  return units > 0 ? std::size_t(units) : capacity + 1;
}

bool SystemHost::ToAnsi(const char16_t* text, std::size_t length, char* out, std::size_t size) {
  if (size == 0 || length > 0x7FFFFFFF || size > 0x7FFFFFFF) return false;
  out[0] = '\0';
  if (length == 0) return true;
  BOOL usedDefault = FALSE;
  // WC_NO_BEST_FIT_CHARS: no look-alike (an "e" for an "e" with a mark)
  // stands in, so a name never lands on some other scheme's key. Where the
  // ANSI code page is UTF-8 every character has a form (a lone surrogate
  // is refused), and Windows takes neither that flag nor the question.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int bytes =
      WideCharToMultiByte(CP_ACP, flags, reinterpret_cast<const wchar_t*>(text), int(length), out,
                          int(size) - 1, nullptr, utf8 ? nullptr : &usedDefault);
  if (bytes <= 0 || usedDefault) return false;
  out[bytes] = '\0';
  return true;
}

long SystemHost::ReadWholeFile(const char* path, ByteArray& data) {
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return long(GetLastError());
  DWORD high = 0;
  const DWORD size = GetFileSize(file.handle, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return long(GetLastError());
  if (high || size > kMaxFileSize) return kInvalidData;
  std::uint8_t* bytes = data.Grow(size);
  if (size && !bytes) return kOutOfMemory;
  DWORD read = 0;
  if (size && !ReadFile(file.handle, bytes, size, &read, nullptr)) return long(GetLastError());
  if (read != size) return kInvalidData;  // it changed under us
  return 0;
}

long SystemHost::WriteWholeFile(const char* path, const ByteArray& data) {
  long status = 0;
  {
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) return long(GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.handle, data.Data(), DWORD(data.Size()), &written, nullptr)) {
      status = long(GetLastError());
    } else if (written != data.Size()) {
      status = ERROR_HANDLE_DISK_FULL;
    }
  }
  if (status != 0) DeleteFileA(path);
  return status;
}

void SystemHost::WriteOutput(const char* text, std::size_t length) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(output, text, DWORD(length), &written, nullptr);
}

}  // namespace klangrid
