#include "store/registry_views.h"

#include "model/text.h"
#include "store/registry_layout.h"

namespace klangrid {

namespace {

// A driver's key that cannot be opened (no access, say) still counts: the
// rule must not pass over it only because it cannot be read.
bool HasActiveKey(SettingsStore& store) { return KeyExists(store, kActiveKeyPath); }

bool SameNameChar(char a, char b) {
  return FoldKeyNameChar(static_cast<unsigned char>(a)) == FoldKeyNameChar(static_cast<unsigned char>(b));
}

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
    if (views_[1]) read_ = ChooseReadView(own_, HasActiveKey(*views_[0]), HasActiveKey(*views_[1]));
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
  return kStoreTooManyOpenKeys;
}

long RegistryViewsStore::CreateKey(const char* path, Key* key) {
  Key opened = nullptr;
  const long status = TrackActive(path, Read().CreateKey(path, &opened), &opened);
  if (status == kStoreOk) *key = opened;
  return status;
}

long RegistryViewsStore::OpenKey(const char* path, Key* key) {
  Key opened = nullptr;
  const long status = TrackActive(path, Read().OpenKey(path, &opened), &opened);
  if (status == kStoreOk) *key = opened;
  return status;
}

long RegistryViewsStore::QueryValue(Key key, const char* name, void* buffer, unsigned long size) {
  return Read().QueryValue(key, name, buffer, size);
}

long RegistryViewsStore::SetValue(Key key, const char* name, unsigned long type, const void* data,
                                  unsigned long length) {
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
  return Read().EnumKey(key, index, buffer, size);
}

long RegistryViewsStore::DeleteKey(const char* path) { return Read().DeleteKey(path); }

long RegistryViewsStore::CloseKey(Key key) {
  const int slot = ActiveSlot(key);
  if (slot >= 0) activeUsed_[slot] = false;
  return Read().CloseKey(key);
}

}  // namespace klangrid
