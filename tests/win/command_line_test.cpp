// The built program's switches under Wine, against the real registry: each
// exit code, what /apply and /default write, /list into a redirected file,
// export then import restoring every scheme byte for byte, `reg import` of
// an exported file giving the same keys, and one dialog at a time.
//
//   command_line_tests PROGRAM [gtest flags]
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "store/registry_layout.h"
#include "store/scheme_operations.h"
#include "store/scheme_transfer.h"
#include "store/win/registry_store.h"
#include "tests/support/store_seeding.h"

namespace klangrid::test {
namespace {

std::string gProgram;
constexpr DWORD kExitTimeoutMs = 30000;
constexpr const char* kMainCaption = "Kestro Ostrel Synthesis Engine";

// Runs a command line to its end; its exit code, or -1. With output given,
// the standard output goes to that file.
DWORD RunProcess(std::string commandLine, const char* output = nullptr) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE file = INVALID_HANDLE_VALUE;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (output) {
    file = CreateFileA(output, GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process{};
  DWORD code = DWORD(-1);
  if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr,
                     nullptr, &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) == WAIT_OBJECT_0)
      GetExitCodeProcess(process.hProcess, &code);
    else
      TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return code;
}

DWORD Klangrid(const std::string& switches, const char* output = nullptr) {
  return RunProcess("\"" + gProgram + "\" " + switches, output);
}

std::string ReadFileText(const char* path) {
  std::string text;
  if (FILE* f = std::fopen(path, "rb")) {
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

HWND WaitForWindow(const char* caption, DWORD timeoutMs = 20000) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (HWND window = FindWindowA(nullptr, caption)) return window;
    Sleep(50);
  }
  return nullptr;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kFactoryKeyPath);
    ScopedKey driver(store);
    ASSERT_EQ(driver.Create(kActiveKeyPath), kStoreOk);
    for (int i = 0; i < 3; ++i) {
      ScopedKey scheme(store);
      ASSERT_EQ(scheme.Create(SchemePath(kNames[i]).c_str()), kStoreOk);
      MapTables maps = MapsWith(20 + i, DeviceSlot(i));
      maps.percussion[i][0] = std::uint8_t(0x80 | i);
      ASSERT_EQ(WriteMapValues(store, scheme.Get(), maps), kStoreOk);
    }
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kFactoryKeyPath);
    DeleteFileA("schemes.reg");
    DeleteFileA("names.txt");
  }

  // Every key below the driver's key with its values' types and bytes.
  std::map<std::string, std::map<std::string, std::pair<DWORD, Bytes>>> Schemes() {
    std::map<std::string, std::map<std::string, std::pair<DWORD, Bytes>>> all;
    for (const std::string& name : Names()) {
      HKEY key;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SchemePath(name).c_str(), 0, KEY_READ, &key)) continue;
      char value[64];
      BYTE data[64];
      DWORD valueSize = sizeof value, dataSize = sizeof data, type = 0;
      for (DWORD i = 0; RegEnumValueA(key, i, value, &valueSize, nullptr, &type, data, &dataSize) ==
                        ERROR_SUCCESS;
           ++i, valueSize = sizeof value, dataSize = sizeof data) {
        all[name][value] = {type, Bytes(data, data + dataSize)};
      }
      RegCloseKey(key);
    }
    return all;
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    EnumerateSchemes(store, [&](const char* name) {
      names.push_back(name);
      return true;
    });
    return names;
  }
  void DeleteSchemes() {
    for (const char* name : kNames) ASSERT_TRUE(DeleteScheme(store, name));
  }

  const char* const kNames[3] = {"Jazz", "rock", "\xC9t\xE9"};
  RegistryStore store{HKEY_LOCAL_MACHINE};
};

TEST_F(CommandLineTest, ExportDeleteImportRestoresEverySchemeAndListPrintsThem) {
  const auto before = Schemes();
  ASSERT_EQ(before.size(), 3u);
  EXPECT_EQ(Klangrid("/list", "names.txt"), 0u);
  std::string listed;
  for (const std::string& name : Names()) listed += name + "\r\n";
  EXPECT_EQ(ReadFileText("names.txt"), listed);

  ASSERT_EQ(Klangrid("/export schemes.reg"), 0u);
  DeleteSchemes();
  EXPECT_EQ(Klangrid("/import schemes.reg"), 0u);
  EXPECT_EQ(Schemes(), before);
  EXPECT_EQ(Klangrid("/import schemes.reg"), DWORD(kExitWouldOverwrite));
  EXPECT_EQ(Klangrid("/import schemes.reg /y"), 0u);
  EXPECT_EQ(Schemes(), before);
}

TEST_F(CommandLineTest, RegImportOfAnExportedFileGivesTheSameKeys) {
  const auto before = Schemes();
  ASSERT_EQ(Klangrid("/export schemes.reg"), 0u);
  DeleteSchemes();
  ASSERT_TRUE(Schemes().empty());
  ASSERT_EQ(RunProcess("reg.exe import schemes.reg"), 0u);
  EXPECT_EQ(Schemes(), before);
}

TEST_F(CommandLineTest, ApplyAndDefaultWriteWhatOkWritesAndEachFailureHasItsCode) {
  ASSERT_EQ(Klangrid("/apply ROCK"), 0u);
  MapTables rock = MapsWith(21, 1);
  rock.percussion[1][0] = 0x81;
  MapTables active;
  {
    ScopedKey key(store);
    ASSERT_EQ(key.Open(kActiveKeyPath), kStoreOk);
    ASSERT_TRUE(ReadMapValues(store, key.Get(), active));
    char scheme[kSchemeValueSize] = {};
    ASSERT_EQ(store.QueryValue(key.Get(), kSchemeValue, scheme, sizeof scheme), kStoreOk);
    EXPECT_STREQ(scheme, "rock");
  }
  EXPECT_TRUE(SameMaps(active, rock));

  ASSERT_EQ(Klangrid("/default"), 0u);
  {
    ScopedKey key(store);
    ASSERT_EQ(key.Open(kActiveKeyPath), kStoreOk);
    ASSERT_TRUE(ReadMapValues(store, key.Get(), active));
  }
  EXPECT_TRUE(SameMaps(active, MapTables()));

  const auto before = Schemes();
  EXPECT_EQ(Klangrid("/apply blues"), DWORD(kExitNotFound));
  EXPECT_EQ(Klangrid("/import missing.reg"), DWORD(kExitNotFound));
  {
    FILE* f = std::fopen("schemes.reg", "wb");
    ASSERT_TRUE(f);
    std::fputs("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(Klangrid("/import schemes.reg"), DWORD(kExitInvalidFile));
  EXPECT_EQ(Klangrid("/apply"), DWORD(kExitBadSyntax));
  EXPECT_EQ(Klangrid("/list /default"), DWORD(kExitBadSyntax));
  EXPECT_EQ(Schemes(), before);
}

TEST_F(CommandLineTest, OneDialogAtATimeAndTheUsageBox) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION dialog{};
  std::string line = "\"" + gProgram + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &dialog));
  const HWND window = WaitForWindow(kMainCaption);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Klangrid("/default"), DWORD(kExitDialogOpen)) << "a writing switch waits for no dialog";
  EXPECT_EQ(Klangrid("/list", "names.txt"), 0u) << "reading is harmless";
  EXPECT_EQ(Klangrid(""), 0u) << "a second start ends at once";
  EXPECT_EQ(FindWindowA(nullptr, kMainCaption), window);
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(WaitForSingleObject(dialog.hProcess, kExitTimeoutMs), WAIT_OBJECT_0);
  CloseHandle(dialog.hThread);
  CloseHandle(dialog.hProcess);

  // /? shows its box and ends with 0 once it is answered.
  line = "\"" + gProgram + "\" /?";
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &dialog));
  const HWND usage = WaitForWindow("Klangrid command line");
  ASSERT_NE(usage, nullptr);
  PostMessageA(usage, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(WaitForSingleObject(dialog.hProcess, kExitTimeoutMs), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(dialog.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(dialog.hThread);
  CloseHandle(dialog.hProcess);
}

}  // namespace
}  // namespace klangrid::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: command_line_tests PROGRAM [gtest flags]\n");
    return 2;
  }
  klangrid::test::gProgram = argv[1];
  return RUN_ALL_TESTS();
}
