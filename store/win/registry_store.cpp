#include "store/win/registry_store.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace klangrid {

namespace {

// A scratch buffer on the heap, freed on every exit. Not std::vector: its
// length checks would bring the C++ runtime's exception machinery into the
// program.
class Scratch {
 public:
  explicit Scratch(unsigned long size) : bytes_(static_cast<BYTE*>(std::malloc(size ? size : 1))) {}
  ~Scratch() { std::free(bytes_); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  BYTE* Get() const { return bytes_; }

 private:
  BYTE* bytes_;
};

HKEY AsHkey(SettingsStore::Key key) { return static_cast<HKEY>(key); }

// The registry calls hand back the key passed in when the subkey is empty;
// a caller closing that handle would close the root, so an empty path (which
// names the root, not a key below it) is refused.
bool NamesKeyBelowRoot(const char* path) { return path && path[0] != '\0'; }

bool IsStringType(unsigned long type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Found at run time rather than imported: RegDeleteKeyExA exists only from
// Windows XP x64 and Vista on, IsWow64Process from XP SP2, and an import of
// either would keep the program from starting on older Windows. Both exist
// wherever Windows has a second registry view.
template <class Function>
Function Find(const char* module, const char* name) {
  const HMODULE loaded = GetModuleHandleA(module);
  const FARPROC found = loaded ? GetProcAddress(loaded, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

bool RunsUnderWow64() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = Find<IsWow64ProcessFunction>("kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

constexpr bool kProgramIs64Bit = sizeof(void*) == 8;

// A key name has at most 255 characters.
constexpr int kMaxKeyNameChars = 256;

// The ANSI name into UTF-16, as the A functions turn it into the key's name.
bool ToWide(const char* text, WCHAR (&wide)[kMaxKeyNameChars]) {
  return text && MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kMaxKeyNameChars) > 0;
}

// Case-insensitive equality with the system's own table, as the registry
// compares names. CompareStringOrdinal exists from Vista on; before it,
// upper-casing both with the system locale's table comes closest.
bool EqualIgnoringCase(const WCHAR* a, const WCHAR* b) {
  using CompareStringOrdinalFunction = int(WINAPI*)(LPCWSTR, int, LPCWSTR, int, BOOL);
  const auto compare =
      Find<CompareStringOrdinalFunction>("kernel32.dll", "CompareStringOrdinal");
  if (compare) return compare(a, -1, b, -1, TRUE) == CSTR_EQUAL;
  WCHAR upperA[kMaxKeyNameChars];
  WCHAR upperB[kMaxKeyNameChars];
  const int lengthA = LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, a, -1, upperA, kMaxKeyNameChars);
  const int lengthB = LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, b, -1, upperB, kMaxKeyNameChars);
  return lengthA > 0 && lengthA == lengthB &&
         std::memcmp(upperA, upperB, sizeof(WCHAR) * static_cast<std::size_t>(lengthA)) == 0;
}

}  // namespace

long RegistryStore::CreateKey(const char* path, Key* key) {
  if (!NamesKeyBelowRoot(path)) return ERROR_INVALID_PARAMETER;
  HKEY opened = nullptr;
  // MAXIMUM_ALLOWED here and in OpenKey, as RegCreateKeyA and RegOpenKeyA
  // ask: whatever access the user has.
  const LONG status = RegCreateKeyExA(root_, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      MAXIMUM_ALLOWED | view_, nullptr, &opened, nullptr);
  if (status == ERROR_SUCCESS) *key = opened;
  return status;
}

long RegistryStore::OpenKey(const char* path, Key* key) {
  if (!NamesKeyBelowRoot(path)) return ERROR_INVALID_PARAMETER;
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(root_, path, 0, MAXIMUM_ALLOWED | view_, &opened);
  if (status == ERROR_SUCCESS) *key = opened;
  return status;
}

long RegistryStore::QueryValue(Key key, const char* name, void* buffer, unsigned long size) {
  // RegQueryValueExA may write into the buffer although it fails with
  // ERROR_MORE_DATA, and for a string without its NUL it stores a NUL after
  // the data when there is room. Reading into a copy keeps both away from the
  // caller: only the value's own bytes arrive, and only on success.
  Scratch scratch(size);
  if (!scratch.Get()) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD length = size;
  const LONG status = RegQueryValueExA(AsHkey(key), name, nullptr, nullptr,
                                       buffer ? scratch.Get() : nullptr, &length);
  if (status == ERROR_SUCCESS && buffer && length <= size) std::memcpy(buffer, scratch.Get(), length);
  return status;
}

long RegistryStore::SetValue(Key key, const char* name, unsigned long type, const void* data,
                             unsigned long length) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  if (IsStringType(type) && bytes && length > 0 && bytes[length - 1] != 0) {
    // For text that does not end in NUL, RegSetValueExA reads the byte after
    // the data and stores one byte more when that is a NUL. Hand it a copy
    // followed by a non-NUL byte, so it reads nothing of ours and stores
    // exactly the length given.
    Scratch copy(length + 1);
    if (!copy.Get()) return ERROR_NOT_ENOUGH_MEMORY;
    std::memcpy(copy.Get(), bytes, length);
    copy.Get()[length] = 1;
    return RegSetValueExA(AsHkey(key), name, 0, type, copy.Get(), length);
  }
  return RegSetValueExA(AsHkey(key), name, 0, type, bytes, length);
}

long RegistryStore::EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) {
  // The wide name, turned into ANSI here: RegEnumKeyA would hand back a
  // name with no exact ANSI form as '?' or a best-fit letter, and that name
  // reaches another key or none. Such a key is reported, never named.
  WCHAR wide[kMaxKeyNameChars];
  DWORD wideLength = kMaxKeyNameChars;
  const LONG status =
      RegEnumKeyExW(AsHkey(key), index, wide, &wideLength, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  char name[2 * kMaxKeyNameChars];
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, name, sizeof name,
                                         nullptr, &usedDefault);
  WCHAR back[kMaxKeyNameChars];
  // The way back must give the same name, or the A functions reach another.
  if (length <= 0 || usedDefault || !ToWide(name, back) || std::wcscmp(back, wide) != 0)
    return ERROR_NO_UNICODE_TRANSLATION;
  if (static_cast<unsigned long>(length) > size) return ERROR_MORE_DATA;
  std::memcpy(buffer, name, static_cast<std::size_t>(length));
  return ERROR_SUCCESS;
}

long RegistryStore::DeleteKey(const char* path) {
  // RegDeleteKeyA with an empty subkey deletes the key handed in: the root.
  if (!NamesKeyBelowRoot(path)) return ERROR_INVALID_PARAMETER;
  // RegDeleteKeyA deletes in the program's own view only.
  if (view_ == 0) return RegDeleteKeyA(root_, path);
  using RegDeleteKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
  const auto deleteKeyEx = Find<RegDeleteKeyExAFunction>("advapi32.dll", "RegDeleteKeyExA");
  if (!deleteKeyEx) return ERROR_CALL_NOT_IMPLEMENTED;
  return deleteKeyEx(root_, path, view_, 0);
}

long RegistryStore::CloseKey(Key key) { return RegCloseKey(AsHkey(key)); }

bool RegistryStore::SameKeyName(const char* a, const char* b) {
  WCHAR wideA[kMaxKeyNameChars];
  WCHAR wideB[kMaxKeyNameChars];
  // Text that names no key (too long, say) is compared byte for byte, which
  // never joins two different names.
  if (!ToWide(a, wideA) || !ToWide(b, wideB)) return a && b && std::strcmp(a, b) == 0;
  return EqualIgnoringCase(wideA, wideB);
}

bool RegistryStore::IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

// Members start in order: both registry stores exist before the views join
// them. A 64-bit program's own view is the 64-bit one; a 32-bit program has a
// 64-bit view to reach only under WOW64.
MachineRegistry::MachineRegistry()
    : own_(HKEY_LOCAL_MACHINE),
      other_(HKEY_LOCAL_MACHINE, kProgramIs64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY),
      views_(kProgramIs64Bit ? other_ : own_,
             kProgramIs64Bit ? &own_ : (RunsUnderWow64() ? &other_ : nullptr),
             kProgramIs64Bit ? RegistryView::k64Bit : RegistryView::k32Bit) {}

}  // namespace klangrid
