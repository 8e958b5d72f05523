#pragma once
// The seven registry operations the program's logic is written against, so
// the same logic runs on the Windows registry and on an in-memory stand-in.
// Statuses follow the registry: 0 is success, anything else a failure.
#include <cstdint>

namespace klangrid {

constexpr unsigned long kTypeSz = 1;      // REG_SZ
constexpr unsigned long kTypeBinary = 3;  // REG_BINARY
constexpr long kStoreOk = 0;
// The registry's "no such key or value" (ERROR_FILE_NOT_FOUND). Every other
// failure leaves open whether the key is there.
constexpr long kStoreNotFound = 2;
// The registry's ERROR_NO_UNICODE_TRANSLATION: EnumKey's name for a key whose
// name has no exact form in the code page. No call by name reaches that key,
// so it is passed over.
constexpr long kStoreNoAnsiName = 1113;

class SettingsStore {
 public:
  using Key = void*;  // an open key; only valid until CloseKey

  virtual ~SettingsStore() = default;

  // Opens the key below the store's root, creating it and any missing parent.
  // On failure *key is left unchanged.
  virtual long CreateKey(const char* path, Key* key) = 0;
  // Opens an existing key; fails when it is missing. On failure *key is unchanged.
  virtual long OpenKey(const char* path, Key* key) = 0;
  // Reads a value's data into buffer. Fails when the value is missing or
  // larger than size; a shorter value fills only its leading bytes and
  // leaves the rest of the buffer untouched. The type is not examined.
  virtual long QueryValue(Key key, const char* name, void* buffer, unsigned long size) = 0;
  virtual long SetValue(Key key, const char* name, unsigned long type, const void* data,
                        unsigned long length) = 0;
  // Name of subkey index into buffer (NUL-terminated). Fails past the last
  // subkey, for a name that does not fit size with its NUL, and with
  // kStoreNoAnsiName for a name the code page cannot spell exactly.
  virtual long EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) = 0;
  // Deletes a key below the root; fails for a missing key or one that has subkeys.
  virtual long DeleteKey(const char* path) = 0;
  virtual long CloseKey(Key key) = 0;

  // Whether a and b name one key below one parent, compared as the store
  // compares key names. A name that does not fit a key is compared whole.
  virtual bool SameKeyName(const char* a, const char* b) = 0;
  // Whether c begins a two-byte character in the store's code page.
  virtual bool IsLeadByte(unsigned char c) = 0;
};

// Holds one open key for the length of a scope, so every exit closes it.
class ScopedKey {
 public:
  explicit ScopedKey(SettingsStore& store) : store_(store) {}
  ~ScopedKey() { Close(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  long Create(const char* path) { Close(); return Track(store_.CreateKey(path, &key_)); }
  long Open(const char* path) { Close(); return Track(store_.OpenKey(path, &key_)); }
  bool IsOpen() const { return open_; }
  SettingsStore::Key Get() const { return key_; }
  void Close() {
    if (open_) store_.CloseKey(key_);
    open_ = false;
  }

 private:
  long Track(long status) {
    open_ = (status == kStoreOk);
    return status;
  }
  SettingsStore& store_;
  SettingsStore::Key key_ = nullptr;
  bool open_ = false;
};

}  // namespace klangrid
