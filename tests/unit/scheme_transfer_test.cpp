#include "store/scheme_transfer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/text.h"
#include "store/scheme_operations.h"
#include "tests/support/store_seeding.h"
#include "tests/support/windows_1252.h"

namespace klangrid::test {
namespace {

using Op = MemoryStore::Op;

// The scheme names the tests seed: one in capitals (its key is not what
// Save As would have made), one beyond ASCII.
const char* const kNames[] = {"Jazz", "rock", "\xC9t\xE9"};

class SchemeTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    store.PutKey(kActiveKeyPath);
    for (int i = 0; i < 3; ++i) {
      MapTables maps = MapsWith(10 + i, DeviceSlot(i));
      maps.percussion[i][0] = std::uint8_t(0x80 | i);  // the unused bit survives too
      PutMaps(store, SchemePath(kNames[i]), maps);
    }
  }
  void TearDown() override { EXPECT_EQ(store.OpenKeyCount(), 0u) << "a key was left open"; }

  int Run(std::vector<const char*> args) {
    Command command;
    const int parsed = ParseCommandLine(int(args.size()), args.data(), &command);
    return parsed != kExitOk ? parsed : RunCommand(command, store, host);
  }
  // Every scheme's six values, by name.
  std::map<std::string, std::vector<Bytes>> Snapshot() const {
    std::map<std::string, std::vector<Bytes>> all;
    for (const std::string& name : store.SubkeyNames(kActiveKeyPath)) {
      for (const char* value : {"Instrument", "Percussion"}) {
        for (int slot = 0; slot < kSlotCount; ++slot)
          all[name].push_back(store.Get(SchemePath(name), SlotValue(value, slot)).value_or(Bytes{}));
      }
    }
    return all;
  }
  void DeleteAll() {
    for (const char* name : kNames) ASSERT_TRUE(DeleteScheme(store, name));
  }
  std::vector<std::uint8_t> FileWith(const char* name) {
    SchemeRecords records;
    SchemeRecord record{};
    CopyBounded(record.name, sizeof record.name, name);
    MapsToRecord(MapsWith(99, 2), record);
    records.Push(record);
    ByteArray file;
    EXPECT_TRUE(WriteSchemeFile(records, host, file));
    return Bytes(file.Data(), file.Data() + file.Size());
  }

  MemoryStore store;
  Windows1252 host;
};

TEST_F(SchemeTransfer, ExportThenImportRestoresEverySchemeByteForByte) {
  const auto before = Snapshot();
  const auto order = store.SubkeyNames(kActiveKeyPath);
  ASSERT_EQ(Run({"/export", "all.reg"}), kExitOk);
  DeleteAll();
  ASSERT_EQ(Run({"/import", "all.reg"}), kExitOk);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(store.SubkeyNames(kActiveKeyPath), order) << "names keep their spelling";

  // Named schemes only, in list order whatever the order asked.
  ASSERT_EQ(Run({"/EXPORT", "two.reg", "\xE9T\xC9", "jazz"}), kExitOk);
  SchemeRecords read;
  const Bytes& two = host.files["two.reg"];
  ASSERT_EQ(ReadSchemeFile(two.data(), two.size(), host, read).error, FileError::kNone);
  ASSERT_EQ(read.Size(), 2u);
  EXPECT_STREQ(read[0].name, "Jazz");
  EXPECT_STREQ(read[1].name, "\xC9t\xE9");
}

TEST_F(SchemeTransfer, ExportOfAMissingSchemeOrToAFileThatCannotBeWrittenFails) {
  EXPECT_EQ(Run({"/export", "x.reg", "jazz", "blues"}), kExitNotFound);
  EXPECT_TRUE(host.files.empty());
  host.writeStatus = 3;  // ERROR_PATH_NOT_FOUND, as Windows gave it
  EXPECT_EQ(Run({"/export", "x.reg"}), 3);
  host.writeStatus = 0;
  store.FailOn(Op::OpenKey, SchemePath("rock"));
  EXPECT_EQ(Run({"/export", "x.reg"}), kExitNotWritten) << "a scheme that cannot be read";
  EXPECT_TRUE(host.files.empty());
}

TEST_F(SchemeTransfer, ImportWritesNothingUnlessTheWholeFileIsGoodAndOverwritesOnlyWhenAsked) {
  std::vector<std::uint8_t> file = FileWith("new");
  const std::vector<std::uint8_t> tail = FileWith("other\\key");  // a refused section after a good one
  file.insert(file.end(), tail.begin() + 2 + 2 * 40, tail.end());
  host.files["bad.reg"] = file;
  host.files["jazz.reg"] = FileWith("JAZZ");
  host.files["new.reg"] = FileWith("new");
  store.ClearCalls();

  EXPECT_EQ(Run({"/import", "bad.reg"}), kExitInvalidFile);
  // Two sections for one key, as the store compares names ("\xC9" is the
  // capital of "\xE9").
  std::vector<std::uint8_t> twice = FileWith("\xE9t\xE9");
  const std::vector<std::uint8_t> again = FileWith("\xC9T\xC9");
  twice.insert(twice.end(), again.begin() + 2 + 2 * 40, again.end());
  host.files["twice.reg"] = twice;
  EXPECT_EQ(Run({"/import", "twice.reg"}), kExitInvalidFile);
  SchemeRecords read;
  ASSERT_EQ(ReadSchemeFile(twice.data(), twice.size(), host, read).error, FileError::kNone);
  const FileReadResult names = CheckSchemeNames(store, read);
  EXPECT_EQ(names.error, FileError::kDuplicate);
  EXPECT_EQ(names.line, 11u);
  EXPECT_EQ(Run({"/import", "missing.reg"}), kExitNotFound);
  EXPECT_EQ(Run({"/import", "jazz.reg"}), kExitWouldOverwrite) << "Jazz is there, by the store's rule";
  EXPECT_TRUE(store.SetValueCalls().empty());
  EXPECT_FALSE(store.HasKey(SchemePath("new")));

  EXPECT_EQ(Run({"/import", "jazz.reg", "/Y"}), kExitOk);
  EXPECT_TRUE(HoldsMaps(store, SchemePath("Jazz"), MapsWith(99, 2)));
  EXPECT_EQ(Run({"/import", "new.reg"}), kExitOk);
  EXPECT_TRUE(HoldsMaps(store, SchemePath("new"), MapsWith(99, 2)));
}

TEST_F(SchemeTransfer, AnImportThatFailsPartWaySaysHowFarItGotAndLeavesNoHalfMadeKey) {
  SchemeRecords records;
  for (const char* name : {"a", "b", "c"}) {
    SchemeRecord record{};
    CopyBounded(record.name, sizeof record.name, name);
    MapsToRecord(MapsWith(5, 1), record);
    records.Push(record);
  }
  EXPECT_EQ(MarkExisting(store, records), 0u);
  store.FailOnValue(Op::SetValue, SchemePath("b"), "Percussion2");
  const ImportResult result = ImportSchemes(store, records);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.written, 1u);
  EXPECT_TRUE(HoldsMaps(store, SchemePath("a"), MapsWith(5, 1)));
  EXPECT_FALSE(store.HasKey(SchemePath("b")));
  EXPECT_FALSE(store.HasKey(SchemePath("c")));

  ByteArray file;
  ASSERT_TRUE(WriteSchemeFile(records, host, file));
  host.files["abc.reg"].assign(file.Data(), file.Data() + file.Size());
  EXPECT_EQ(Run({"/import", "abc.reg", "/y"}), kExitNotWritten) << "never reported as success";
}

TEST_F(SchemeTransfer, ApplyAndDefaultDoWhatOkDoes) {
  ASSERT_EQ(Run({"/apply", "JAZZ"}), kExitOk);
  MapTables jazz = MapsWith(10, 0);
  jazz.percussion[0][0] = 0x80;
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, jazz));
  EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue), SchemeValue("Jazz")) << "the listed spelling";

  store.ClearCalls();
  EXPECT_EQ(Run({"/apply", "blues"}), kExitNotFound);
  store.FailOn(Op::SetValue, kActiveKeyPath);
  EXPECT_EQ(Run({"/default"}), kExitNotWritten);
  EXPECT_TRUE(store.SetValueCalls().size() <= 7u);
  store.ClearFaults();

  EXPECT_EQ(Run({"/default"}), kExitOk);
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, MapTables()));
  EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue), SchemeValue(""));

  MemoryStore empty;
  Command command;
  ASSERT_EQ(ParseCommandLine(1, std::vector<const char*>{"/default"}.data(), &command), kExitOk);
  EXPECT_EQ(RunCommand(command, empty, host), kExitNotFound) << "no driver's key to write";
  EXPECT_FALSE(empty.HasKey(kActiveKeyPath));
}

TEST_F(SchemeTransfer, ListPrintsOneNamePerLine) {
  ASSERT_EQ(Run({"/list"}), kExitOk);
  std::string expected;
  for (const std::string& name : store.SubkeyNames(kActiveKeyPath)) expected += name + "\r\n";
  EXPECT_EQ(host.output, expected);
}

TEST(CommandLine, SwitchesParseTheWindowsWayAndAnythingElseIsBadSyntax) {
  struct Case {
    std::vector<const char*> args;
    int code;
    CommandAction action;
  };
  const Case kCases[] = {
      {{}, kExitOk, CommandAction::kDialog},
      {{"/?"}, kExitOk, CommandAction::kUsage},
      {{"/List"}, kExitOk, CommandAction::kList},
      {{"/apply", "my scheme"}, kExitOk, CommandAction::kApply},
      {{"/import", "a.reg", "/y"}, kExitOk, CommandAction::kImport},
      {{"/y", "/import", "a.reg"}, kExitOk, CommandAction::kImport},
      {{"/export", "a.reg", "x", "y"}, kExitOk, CommandAction::kExport},
      {{"/apply"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/apply", "/list"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/apply", ""}, kExitBadSyntax, CommandAction::kDialog},
      {{"/apply", "a", "b"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/list", "/default"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/list", "/?"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/export"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/export", "a.reg", ""}, kExitBadSyntax, CommandAction::kDialog},
      {{"/list", "/y"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/import", "a.reg", "/y", "/y"}, kExitBadSyntax, CommandAction::kDialog},
      {{"-list"}, kExitBadSyntax, CommandAction::kDialog},
      {{"/lists"}, kExitBadSyntax, CommandAction::kDialog},
      {{"names.txt"}, kExitBadSyntax, CommandAction::kDialog},
  };
  for (const Case& c : kCases) {
    Command command;
    const int code = ParseCommandLine(int(c.args.size()), c.args.data(), &command);
    EXPECT_EQ(code, c.code) << (c.args.empty() ? "(none)" : c.args[0]) << " ... " << c.args.size();
    if (code == kExitOk) {
      EXPECT_EQ(command.action, c.action);
    }
  }
  Command command;
  const char* const args[] = {"/export", "a.reg", "x", "y"};
  ASSERT_EQ(ParseCommandLine(4, args, &command), kExitOk);
  EXPECT_STREQ(command.argument, "a.reg");
  EXPECT_EQ(command.nameCount, 2);
  EXPECT_FALSE(CommandWrites(command));
  const char* const apply[] = {"/apply", "x"};
  ASSERT_EQ(ParseCommandLine(2, apply, &command), kExitOk);
  EXPECT_TRUE(CommandWrites(command));
}

}  // namespace
}  // namespace klangrid::test
