#pragma once
// The two views of the registry on 64-bit Windows, and the store that joins
// them so the driver's key is read and written wherever the driver has it.
//
// On 64-bit Windows, HKEY_LOCAL_MACHINE\SOFTWARE has a 64-bit view and a
// 32-bit one (SOFTWARE\WOW6432Node), and every program sees its own unless it
// asks for the other. A 64-bit driver and its installer keep the driver's key
// in the 64-bit view; the driver's 32-bit part, loaded by 32-bit programs,
// reads the 32-bit one. A 32-bit program that only looked in its own view
// would show the defaults and have OK write nothing the driver reads; one that
// wrote a single view would leave 32-bit and 64-bit programs playing with
// different routings.
#include "store/settings_store.h"

namespace klangrid {

enum class RegistryView : unsigned char { k32Bit, k64Bit };

// The view rule, in one place:
// - start-up reads the driver's key from the 64-bit view where it exists
//   there, else from the 32-bit view where it exists there, else from the
//   program's own view; the scheme keys and the factory key are in that same
//   view. For a 32-bit program that is its own view unless the key is in the
//   64-bit view; a 64-bit program is in the 64-bit view already.
// - OK writes the active key's values into every view that has the driver's
//   key, and creates the key in none.
// - where both views have the driver's key, the schemes of the other view
//   are listed too, after those of the view that is read, unless that view
//   has a key of the same name (then its own is the one listed). Each scheme
//   is loaded from, saved to and written on OK in the view that holds it;
//   Delete removes the name from both views, so nothing comes back.
//   Nothing is copied, so no key of either view is ever written unasked.
// ChooseReadView gives the first part; RegistryViewsStore applies the rest.
RegistryView ChooseReadView(RegistryView own, bool keyIn32Bit, bool keyIn64Bit);

// True when path names the driver's key as the registry reads a path: names
// compared without regard to case, empty names between backslashes skipped.
bool NamesActiveKey(const char* path);

// A SettingsStore over the views of one registry. Every call goes to the view
// the rule reads, chosen at the first call and kept, so the active key, its
// schemes and the factory key stay together for the session. A value set on
// the driver's key is also set on the driver's key of the other view, opened
// for that write only and skipped where the key is missing there.
//
// The second write sits here, behind the interface, rather than in OK: OK
// opens the active key and sets its values, and the layout and the dialog
// then keep to one store and know nothing of views. Only the program's OK
// sets values on the driver's key (the masks and "Scheme"); scheme keys and
// the factory key stay in the view that is read, but for a scheme key that
// only the other view holds (see the rule above).
//
// With one view (32-bit Windows) every call passes straight through, and the
// store makes no call of its own.
class RegistryViewsStore : public SettingsStore {
 public:
  static constexpr long kTooManyOpenKeys = 4;  // ERROR_TOO_MANY_OPEN_FILES
  static constexpr int kMaxActiveKeys = 4;     // the driver's key open at once
  static constexpr int kMaxOtherKeys = 4;      // other-view scheme keys open at once

  // The stores of the 32-bit view and of the 64-bit view, which is null where
  // Windows has only one view; own is the program's view, whose store must
  // be given. The stores are not owned.
  RegistryViewsStore(SettingsStore& view32, SettingsStore* view64, RegistryView own);

  // Opening the driver's key fails with kTooManyOpenKeys, and leaves
  // nothing open, while kMaxActiveKeys handles to it are open; so does
  // opening a scheme key of the other view while kMaxOtherKeys are open.
  long CreateKey(const char* path, Key* key) override;
  long OpenKey(const char* path, Key* key) override;
  long QueryValue(Key key, const char* name, void* buffer, unsigned long size) override;
  // On the driver's key: returns the first failure of the two writes. A
  // failure to open the key in the other view, other than its absence, is a
  // failure of the write.
  long SetValue(Key key, const char* name, unsigned long type, const void* data,
                unsigned long length) override;
  long EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) override;
  // A scheme key: deleted in every view that has it. Missing from both
  // gives kStoreNotFound; any other failure of either is returned.
  long DeleteKey(const char* path) override;
  long CloseKey(Key key) override;
  // Both views belong to one process and compare with its code page.
  bool SameKeyName(const char* a, const char* b) override;
  bool IsLeadByte(unsigned char c) override;

  // The view calls go to; the first call of the store chooses it.
  RegistryView ReadView();

 private:
  // A scheme key open in the other view. Callers get the slot's address as
  // the handle, which no handle of either view can equal.
  struct OtherKey {
    bool used = false;
    Key key = nullptr;
  };

  SettingsStore& Read() { return *views_[static_cast<int>(ReadView())]; }
  SettingsStore& Other() { return *views_[ReadView() == RegistryView::k32Bit ? 1 : 0]; }
  // Whether the schemes of both views are joined (both have the driver's key).
  bool Joined() {
    ReadView();
    return joined_;
  }
  // True when path names a key right below the driver's key: a scheme key.
  bool NamesSchemeKey(const char* path);
  long TrackActive(const char* path, long status, Key* key);
  int ActiveSlot(Key key) const;
  OtherKey* OtherSlot(Key key);
  long OpenInOther(const char* path, Key* key);
  long EnumOtherSchemes(unsigned long index, char* buffer, unsigned long size);

  SettingsStore* views_[2];
  RegistryView own_;
  bool chosen_ = false;
  RegistryView read_;
  bool joined_ = false;
  OtherKey other_[kMaxOtherKeys];
  Key active_[kMaxActiveKeys] = {};
  bool activeUsed_[kMaxActiveKeys] = {};
};

}  // namespace klangrid
