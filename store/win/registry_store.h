#pragma once
// The settings store over the Windows registry.
#include <windows.h>

#include "store/registry_views.h"
#include "store/settings_store.h"

namespace klangrid {

class RegistryStore : public SettingsStore {
 public:
  // root is HKEY_LOCAL_MACHINE in the product; tests hand in a scratch key.
  // The store does not own root and never closes it. view is 0 for the
  // program's own registry view, or KEY_WOW64_64KEY or KEY_WOW64_32KEY for
  // that view on 64-bit Windows (Windows 2000 knows neither flag).
  explicit RegistryStore(HKEY root, REGSAM view = 0) : root_(root), view_(view) {}

  long CreateKey(const char* path, Key* key) override;
  long OpenKey(const char* path, Key* key) override;
  long QueryValue(Key key, const char* name, void* buffer, unsigned long size) override;
  long SetValue(Key key, const char* name, unsigned long type, const void* data,
                unsigned long length) override;
  long EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) override;
  long DeleteKey(const char* path) override;
  long CloseKey(Key key) override;
  // Both names into UTF-16 from the ANSI code page, then compared ignoring
  // case with the system's own table, as the registry compares key names.
  bool SameKeyName(const char* a, const char* b) override;
  // The ANSI code page's lead bytes (IsDBCSLeadByte).
  bool IsLeadByte(unsigned char c) override;

 private:
  HKEY root_;
  REGSAM view_;
};

// The program's store: HKEY_LOCAL_MACHINE in the program's own view and, on
// 64-bit Windows, in the other view, joined by the view rule.
class MachineRegistry {
 public:
  MachineRegistry();
  MachineRegistry(const MachineRegistry&) = delete;
  MachineRegistry& operator=(const MachineRegistry&) = delete;

  SettingsStore& Store() { return views_; }

 private:
  RegistryStore own_;
  RegistryStore other_;
  RegistryViewsStore views_;
};

}  // namespace klangrid
