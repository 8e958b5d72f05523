#pragma once
// The settings store over the Windows registry.
#include <windows.h>

#include "store/settings_store.h"

namespace klangrid {

class RegistryStore : public SettingsStore {
 public:
  // root is HKEY_LOCAL_MACHINE in the product; tests hand in a scratch key.
  // The store does not own root and never closes it.
  explicit RegistryStore(HKEY root) : root_(root) {}

  long CreateKey(const char* path, Key* key) override;
  long OpenKey(const char* path, Key* key) override;
  long QueryValue(Key key, const char* name, void* buffer, unsigned long size) override;
  long SetValue(Key key, const char* name, unsigned long type, const void* data,
                unsigned long length) override;
  long EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) override;
  long DeleteKey(const char* path) override;
  long CloseKey(Key key) override;

 private:
  HKEY root_;
};

}  // namespace klangrid
