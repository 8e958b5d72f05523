#include "store/registry_views.h"

#include <cstring>

#include "model/text.h"
#include "store/registry_layout.h"

namespace klangrid {

namespace {

// A driver's key that cannot be opened (no access, say) still counts: the
// rule must not pass over it only because it cannot be read.
bool HasActiveKey(SettingsStore& store) { return KeyExists(store, kActiveKeyPath); }

constexpr long kMoreData = 234;     // ERROR_MORE_DATA
constexpr long kNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

// The driver's key path is ASCII, so A..Z decide whether a path names it.
bool SameNameChar(char a, char b) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(a) == lower(b);
}

// A failure of either call, else success where either found the key.
long BothDeleted(long first, long second) {
  if (first != kStoreOk && first != kStoreNotFound) return first;
  if (second != kStoreOk && second != kStoreNotFound) return second;
  return (first == kStoreOk || second == kStoreOk) ? kStoreOk : kStoreNotFound;
}

long FirstFailure(long sofar, long status) { return sofar != kStoreOk ? sofar : status; }

}  // namespace

RegistryView ChooseReadView(RegistryView own, bool keyIn32Bit, bool keyIn64Bit) {
  if (keyIn64Bit) return RegistryView::k64Bit;
  if (keyIn32Bit) return RegistryView::k32Bit;
  return own;
}

bool NamesActiveKey(const char* path) {
  if (!path) return false;
  const char* want = kActiveKeyPath;
  for (;;) {
    while (*path == '\\') ++path;
    while (*want == '\\') ++want;
    if (*path == '\0' || *want == '\0') return *path == *want;
    while (*path != '\0' && *path != '\\' && SameNameChar(*path, *want)) {
      ++path;
      ++want;
    }
    const bool pathNameEnds = *path == '\0' || *path == '\\';
    const bool wantNameEnds = *want == '\0' || *want == '\\';
    if (!pathNameEnds || !wantNameEnds) return false;
  }
}

RegistryViewsStore::RegistryViewsStore(SettingsStore& view32, SettingsStore* view64,
                                       RegistryView own)
    : views_{&view32, view64}, own_(own), read_(own) {}

RegistryView RegistryViewsStore::ReadView() {
  if (!chosen_) {
    chosen_ = true;
    if (views_[1]) {
      const bool in32 = HasActiveKey(*views_[0]);
      const bool in64 = HasActiveKey(*views_[1]);
      read_ = ChooseReadView(own_, in32, in64);
      joined_ = in32 && in64;
    }
  }
  return read_;
}

int RegistryViewsStore::ActiveSlot(Key key) const {
  for (int slot = 0; slot < kMaxActiveKeys; ++slot) {
    if (activeUsed_[slot] && active_[slot] == key) return slot;
  }
  return -1;
}

long RegistryViewsStore::TrackActive(const char* path, long status, Key* key) {
  // With one view there is nothing to mirror, so nothing to track.
  if (status != kStoreOk || !views_[1] || !NamesActiveKey(path)) return status;
  for (int slot = 0; slot < kMaxActiveKeys; ++slot) {
    if (!activeUsed_[slot]) {
      activeUsed_[slot] = true;
      active_[slot] = *key;
      return status;
    }
  }
  // Untracked, its writes would miss the other view unseen.
  Read().CloseKey(*key);
  return kTooManyOpenKeys;
}

bool RegistryViewsStore::NamesSchemeKey(const char* path) {
  if (!path || !Joined()) return false;
  char parent[kKeyPathSize];
  // The driver's key path is ASCII: its end is the first backslash after
  // which the path so far names it.
  std::size_t end = 0;
  for (;; ++end) {
    if (path[end] == '\0' || end + 1 >= sizeof parent) return false;
    if (path[end] != '\\') continue;
    std::memcpy(parent, path, end);
    parent[end] = '\0';
    if (NamesActiveKey(parent)) break;
  }
  const char* name = path + end;
  while (*name == '\\') ++name;
  if (*name == '\0') return false;
  // One name, walked by characters: a trail byte may look like a backslash.
  for (; *name; ++name) {
    if (*name == '\\') return false;
    if (Read().IsLeadByte(static_cast<unsigned char>(*name)) && name[1] != '\0') ++name;
  }
  return true;
}

RegistryViewsStore::OtherKey* RegistryViewsStore::OtherSlot(Key key) {
  for (OtherKey& slot : other_) {
    if (slot.used && key == static_cast<Key>(&slot)) return &slot;
  }
  return nullptr;
}

long RegistryViewsStore::OpenInOther(const char* path, Key* key) {
  for (OtherKey& slot : other_) {
    if (slot.used) continue;
    const long status = Other().OpenKey(path, &slot.key);
    if (status == kStoreOk) {
      slot.used = true;
      *key = static_cast<Key>(&slot);
    }
    return status;
  }
  return kTooManyOpenKeys;
}

long RegistryViewsStore::CreateKey(const char* path, Key* key) {
  // A scheme that lives only in the other view is saved there.
  if (NamesSchemeKey(path) && !KeyExists(Read(), path) && KeyExists(Other(), path))
    return OpenInOther(path, key);
  Key opened = nullptr;
  const long status = TrackActive(path, Read().CreateKey(path, &opened), &opened);
  if (status == kStoreOk) *key = opened;
  return status;
}

long RegistryViewsStore::OpenKey(const char* path, Key* key) {
  Key opened = nullptr;
  long status = TrackActive(path, Read().OpenKey(path, &opened), &opened);
  if (status == kStoreOk) {
    *key = opened;
    return status;
  }
  if (status == kStoreNotFound && NamesSchemeKey(path)) status = OpenInOther(path, key);
  return status;
}

long RegistryViewsStore::QueryValue(Key key, const char* name, void* buffer, unsigned long size) {
  if (OtherKey* slot = OtherSlot(key)) return Other().QueryValue(slot->key, name, buffer, size);
  return Read().QueryValue(key, name, buffer, size);
}

long RegistryViewsStore::SetValue(Key key, const char* name, unsigned long type, const void* data,
                                  unsigned long length) {
  if (OtherKey* slot = OtherSlot(key)) return Other().SetValue(slot->key, name, type, data, length);
  const long status = Read().SetValue(key, name, type, data, length);
  if (ActiveSlot(key) < 0) return status;
  SettingsStore& other = *views_[ReadView() == RegistryView::k32Bit ? 1 : 0];
  ScopedKey mirror(other);
  const long opened = mirror.Open(kActiveKeyPath);
  if (opened == kStoreNotFound) return status;
  if (opened != kStoreOk) return FirstFailure(status, opened);
  return FirstFailure(status, other.SetValue(mirror.Get(), name, type, data, length));
}

long RegistryViewsStore::EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) {
  if (OtherKey* slot = OtherSlot(key)) return Other().EnumKey(slot->key, index, buffer, size);
  const long status = Read().EnumKey(key, index, buffer, size);
  if (status != kNoMoreItems || !Joined() || ActiveSlot(key) < 0) return status;
  // Past the read view's schemes: the other view's follow. How many the
  // read view has is found by stepping back; lists are short.
  char name[kSchemeNameSize];
  unsigned long readCount = index;
  while (readCount > 0 && Read().EnumKey(key, readCount - 1, name, sizeof name) == kNoMoreItems)
    --readCount;
  return EnumOtherSchemes(index - readCount, buffer, size);
}

long RegistryViewsStore::EnumOtherSchemes(unsigned long index, char* buffer, unsigned long size) {
  ScopedKey driver(Other());
  if (driver.Open(kActiveKeyPath) != kStoreOk) return kNoMoreItems;
  for (unsigned long at = 0;; ++at) {
    char name[kSchemeNameSize];
    const long status = Other().EnumKey(driver.Get(), at, name, sizeof name);
    // Names no call can reach, or too long for a scheme, are not listed.
    if (status == kStoreNoAnsiName || status == kMoreData) continue;
    if (status != kStoreOk) return status;
    name[sizeof name - 1] = '\0';
    char path[kKeyPathSize];
    // A name the read view has too is listed as the read view's.
    if (!SchemeKeyPath(name, path) || KeyExists(Read(), path)) continue;
    if (index-- > 0) continue;
    if (std::strlen(name) + 1 > size) return kMoreData;
    std::memcpy(buffer, name, std::strlen(name) + 1);
    return kStoreOk;
  }
}

long RegistryViewsStore::DeleteKey(const char* path) {
  const long status = Read().DeleteKey(path);
  if (!NamesSchemeKey(path)) return status;
  return BothDeleted(status, Other().DeleteKey(path));
}

long RegistryViewsStore::CloseKey(Key key) {
  if (OtherKey* other = OtherSlot(key)) {
    other->used = false;
    return Other().CloseKey(other->key);
  }
  const int slot = ActiveSlot(key);
  if (slot >= 0) activeUsed_[slot] = false;
  return Read().CloseKey(key);
}

bool RegistryViewsStore::SameKeyName(const char* a, const char* b) { return views_[0]->SameKeyName(a, b); }

bool RegistryViewsStore::IsLeadByte(unsigned char c) { return views_[0]->IsLeadByte(c); }

}  // namespace klangrid
