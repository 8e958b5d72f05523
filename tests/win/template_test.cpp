// Checks the program's resources as linked into this test program: the dialog
// templates field by field, the string, the version block, the icon and the
// manifest. Styles are read from the template bytes, not from live windows:
// the dialog manager converts and adds bits when it creates the controls.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kProcessManifest = 1;  // the manifest the loader applies to the process
const char kMakersNotice[] = "Copyright (C) 2026 Kestro";

// The bytes of one resource of this module in US English; empty if missing.
std::string ResourceBytes(LPCSTR type, LPCSTR name) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceExA(module, type, name, kUsEnglish);
  if (!info) return {};
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, info)));
  return data ? std::string(data, SizeofResource(module, info)) : std::string();
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

// A menu, class or title field of a template: a name or a 16-bit ordinal.
struct NameOrOrdinal {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::string name;

  NameOrOrdinal() = default;
  NameOrOrdinal(const char* text) : name(text) {}  // NOLINT: tables read better
  static NameOrOrdinal Ordinal(WORD value) {
    NameOrOrdinal field;
    field.isOrdinal = true;
    field.ordinal = value;
    return field;
  }
  bool operator==(const NameOrOrdinal& other) const {
    return isOrdinal == other.isOrdinal && ordinal == other.ordinal && name == other.name;
  }
};

std::ostream& operator<<(std::ostream& out, const NameOrOrdinal& field) {
  if (field.isOrdinal) return out << "#" << field.ordinal;
  return out << '"' << field.name << '"';
}

// Reads little-endian fields front to back. A read past the end marks the
// reader failed and yields zeros, so a short resource fails the checks
// instead of crashing the test.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}

  bool Failed() const { return failed_; }

  template <typename T>
  T Get() {
    T value{};
    if (failed_ || pos_ + sizeof(T) > bytes_.size()) {
      failed_ = true;
      return value;
    }
    std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }

  void Skip(std::size_t count) {
    if (pos_ + count > bytes_.size()) failed_ = true;
    pos_ += count;
  }

  // Template items start on 32-bit boundaries, counted from the template's start.
  void AlignDword() { pos_ = (pos_ + 3) & ~std::size_t(3); }

  // UTF-16 characters; all our texts are ASCII, anything else reads as '?'.
  std::string Chars(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && !failed_; ++i) text += Narrow(Get<WORD>());
    return text;
  }

  std::string Text() {
    std::string text;
    for (WORD c = Get<WORD>(); c != 0 && !failed_; c = Get<WORD>()) text += Narrow(c);
    return text;
  }

  NameOrOrdinal Field() {
    WORD first = Get<WORD>();
    if (first == 0xFFFF) return NameOrOrdinal::Ordinal(Get<WORD>());
    NameOrOrdinal field;
    if (first != 0) field.name = Narrow(first) + Text();
    return field;
  }

 private:
  static std::string Narrow(WORD c) { return std::string(1, c < 0x80 ? char(c) : '?'); }

  const std::string& bytes_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

struct Control {
  int id = 0;
  NameOrOrdinal cls;
  NameOrOrdinal text;
  std::array<int, 4> rect{};  // x, y, cx, cy in dialog units
  DWORD style = 0;
  DWORD exStyle = 0;
  WORD extraBytes = 0;
};

struct Dialog {
  bool extended = false;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::array<int, 4> rect{};
  NameOrOrdinal menu;
  NameOrOrdinal cls;
  std::string caption;
  WORD pointSize = 0;
  std::string font;
  std::vector<Control> controls;
  bool truncated = false;
};

std::array<int, 4> ReadRect(Reader& reader) {
  std::array<int, 4> rect{};
  for (int& value : rect) value = reader.Get<short>();
  return rect;
}

// Decodes a DLGTEMPLATE or DLGTEMPLATEEX with its items.
Dialog Decode(const std::string& bytes) {
  Reader reader(bytes);
  Dialog dialog;
  dialog.extended = bytes.size() >= 4 && bytes.compare(0, 4, "\x01\x00\xFF\xFF", 4) == 0;
  if (dialog.extended) {
    reader.Skip(8);  // version, signature, help id
    dialog.exStyle = reader.Get<DWORD>();
    dialog.style = reader.Get<DWORD>();
  } else {
    dialog.style = reader.Get<DWORD>();
    dialog.exStyle = reader.Get<DWORD>();
  }
  WORD count = reader.Get<WORD>();
  dialog.rect = ReadRect(reader);
  dialog.menu = reader.Field();
  dialog.cls = reader.Field();
  dialog.caption = reader.Text();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = reader.Get<WORD>();
    if (dialog.extended) reader.Skip(4);  // weight, italic, character set
    dialog.font = reader.Text();
  }
  for (WORD i = 0; i < count && !reader.Failed(); ++i) {
    reader.AlignDword();
    Control control;
    if (dialog.extended) {
      reader.Skip(4);  // help id
      control.exStyle = reader.Get<DWORD>();
      control.style = reader.Get<DWORD>();
      control.rect = ReadRect(reader);
      control.id = static_cast<int>(reader.Get<DWORD>());
    } else {
      control.style = reader.Get<DWORD>();
      control.exStyle = reader.Get<DWORD>();
      control.rect = ReadRect(reader);
      control.id = reader.Get<short>();
    }
    control.cls = reader.Field();
    control.text = reader.Field();
    control.extraBytes = reader.Get<WORD>();
    reader.Skip(control.extraBytes);
    dialog.controls.push_back(control);
  }
  dialog.truncated = reader.Failed();
  return dialog;
}

// The dialog manager takes a predefined class as its atom or by name, without
// regard to case; windres stores a CONTROL statement's class as an upper-cased
// name, the other statements as atoms.
::testing::AssertionResult SameClass(const NameOrOrdinal& actual, const char* expected) {
  static const std::map<std::string, WORD> kAtoms = {
      {"button", 0x0080}, {"edit", 0x0081}, {"static", 0x0082}, {"combobox", 0x0085}};
  std::string want = expected;
  for (char& c : want) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (actual.isOrdinal) {
    auto atom = kAtoms.find(want);
    if (atom != kAtoms.end() && atom->second == actual.ordinal) return ::testing::AssertionSuccess();
  } else if (lstrcmpiA(actual.name.c_str(), expected) == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "class " << actual << " is not " << expected;
}

struct ExpectedControl {
  int id;
  const char* cls;
  NameOrOrdinal text;
  std::array<int, 4> rect;
  DWORD style;
  DWORD exStyle;
};

struct ExpectedDialog {
  const char* label;
  WORD id;
  bool extended;
  DWORD style;
  DWORD exStyle;
  int cx;
  int cy;
  const char* caption;
  std::vector<ExpectedControl> controls;
};

void PrintTo(const ExpectedDialog& dialog, std::ostream* out) { *out << dialog.label; }

const ExpectedDialog kDialogs[] = {
    {"Main", IDD_MAPPER_DIALOG, true, 0x90C800C4, WS_EX_APPWINDOW, 251, 260,
     "Kestro Ostrel Synthesis Engine",
     {
         {1005, "ComboBox", "", {65, 190, 144, 46}, 0x50210102, 0},
         {IDOK, "Button", "OK", {72, 234, 50, 14}, 0x50010001, 0},
         {IDCANCEL, "Button", "Cancel", {138, 234, 50, 14}, 0x50010000, 0},
         {1002, "SysListView32", "List3", {8, 18, 236, 70}, 0x50818005,
          WS_EX_CLIENTEDGE | WS_EX_STATICEDGE},
         {1003, "SysListView32", "List4", {7, 105, 236, 70}, 0x50818005, 0},
         {-1, "Static", "Instruments Map:", {7, 7, 59, 8}, 0x50020000, 0},
         {-1, "Static", "Drum Map:", {7, 94, 49, 8}, 0x50020000, 0},
         {1006, "Static", "Scheme :", {17, 191, 39, 9}, 0x50020002, 0},
         {1007, "Button", "SaveAs", {39, 211, 45, 15}, 0x50010000, 0},
         {1008, "Button", "Delete", {102, 211, 47, 15}, 0x50010000, 0},
         {1009, "Button", "Default", {166, 211, 47, 15}, 0x50010000, 0},
     }},
    {"About", IDD_ABOUTBOX, false, 0x80C800C0, 0, 205, 76, "About Klangrid",
     {
         {-1, "Static", NameOrOrdinal::Ordinal(128), {11, 17, 18, 20}, 0x50000003, 0},
         {-1, "Static", "Kestro Ostrel Synthesis Engine,  Version 1.2", {37, 15, 161, 8},
          0x50020080, 0},
         {-1, "Static", kMakersNotice, {37, 30, 127, 8}, 0x50020000, 0},
         {IDOK, "Button", "OK", {86, 47, 32, 14}, 0x50030001, 0},
     }},
    {"DeviceSelect", IDD_DEVICE_SELECT, false, 0x80C800C0, 0, 219, 54, "MIDI Device Selection",
     {
         {IDOK, "Button", "OK", {47, 35, 50, 14}, 0x50010001, 0},
         {IDCANCEL, "Button", "Cancel", {115, 35, 50, 14}, 0x50010000, 0},
         {-1, "Static", "MIDI Output Device:", {7, 9, 71, 8}, 0x50020000, 0},
         {1004, "ComboBox", "", {89, 7, 123, 46}, 0x50210102, 0},
     }},
    {"SaveScheme", IDD_SAVE_SCHEME, false, 0x80C800C0, 0, 187, 69, "SaveAs",
     {
         {1010, "Edit", "", {7, 19, 155, 13}, 0x50810080, 0},
         {IDOK, "Button", "OK", {38, 42, 50, 14}, 0x50010001, 0},
         {IDCANCEL, "Button", "Cancel", {101, 42, 50, 14}, 0x50010000, 0},
         {1007, "Static", "Save Scheme As :", {7, 7, 110, 11}, 0x50020000, 0},
     }},
    {"OverwriteConfirm", IDD_OVERWRITE_CONFIRM, false, 0x80C800C0, 0, 187, 74, "Warning!",
     {
         {IDCANCEL, "Button", "Cancel", {100, 48, 50, 14}, 0x50010001, 0},
         {IDOK, "Button", "OK", {28, 48, 50, 14}, 0x50010000, 0},
         {1013, "Static", "Scheme already exists. ", {53, 13, 88, 10}, 0x50020000, 0},
         {1012, "Static", "OVERWRITE existing scheme?", {44, 27, 109, 11}, 0x50020000, 0},
     }},
    {"DeleteConfirm", IDD_DELETE_CONFIRM, false, 0x80C800C4, 0, 187, 55, "Warning!",
     {
         {IDCANCEL, "Button", "Cancel", {108, 30, 50, 14}, 0x50010000, 0},
         {IDOK, "Button", "OK", {29, 31, 50, 14}, 0x50010001, 0},
         {-1, "Static", "Continue To DELETE?", {58, 13, 86, 14}, 0x50020000, 0},
     }},
};

class DialogTemplateTest : public ::testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplateTest, MatchesTheLayoutFieldByField) {
  const ExpectedDialog& want = GetParam();
  std::string bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(want.id));
  ASSERT_FALSE(bytes.empty()) << "no US English template " << want.id;
  Dialog got = Decode(bytes);
  ASSERT_FALSE(got.truncated);

  EXPECT_EQ(got.extended, want.extended);
  EXPECT_EQ(Hex(got.style), Hex(want.style));
  EXPECT_EQ(Hex(got.exStyle), Hex(want.exStyle));
  EXPECT_EQ(got.rect, (std::array<int, 4>{0, 0, want.cx, want.cy}));
  EXPECT_EQ(got.menu, NameOrOrdinal());
  EXPECT_EQ(got.cls, NameOrOrdinal());
  EXPECT_EQ(got.caption, want.caption);
  EXPECT_EQ(got.pointSize, 8);
  EXPECT_EQ(got.font, "MS Sans Serif");

  ASSERT_EQ(got.controls.size(), want.controls.size());
  for (std::size_t i = 0; i < want.controls.size(); ++i) {
    const Control& control = got.controls[i];
    const ExpectedControl& expected = want.controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(expected.id) + ")");
    EXPECT_EQ(control.id, expected.id);
    EXPECT_TRUE(SameClass(control.cls, expected.cls));
    EXPECT_EQ(control.text, expected.text);
    EXPECT_EQ(control.rect, expected.rect);
    EXPECT_EQ(Hex(control.style), Hex(expected.style));
    EXPECT_EQ(Hex(control.exStyle), Hex(expected.exStyle));
    EXPECT_EQ(control.extraBytes, 0);
  }
}

INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog manager itself must accept each template: every class resolves
// and the About box's icon static finds icon 128.
TEST_P(DialogTemplateTest, DialogManagerCreatesEveryControl) {
  const ExpectedDialog& want = GetParam();
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&classes));
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(want.id), nullptr,
                                   IgnoreAll, 0);
  ASSERT_NE(dialog, nullptr);

  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  ASSERT_EQ(children.size(), want.controls.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ExpectedControl& expected = want.controls[i];
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(LOWORD(GetDlgCtrlID(children[i])), LOWORD(expected.id));
    char cls[64] = "";
    GetClassNameA(children[i], cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, expected.cls);
    if (expected.text.isOrdinal) {
      EXPECT_NE(SendMessageA(children[i], STM_GETICON, 0, 0), 0);
    }
  }
  DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplateTest, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<ExpectedDialog>& info) {
                           return std::string(info.param.label);
                         });

TEST(StringTable, AboutEntry) {
  // Strings live in blocks of 16, block n + 1 holding ids 16n to 16n + 15,
  // each a length-prefixed UTF-16 text.
  std::string block = ResourceBytes(RT_STRING, MAKEINTRESOURCEA(IDS_ABOUTBOX / 16 + 1));
  ASSERT_FALSE(block.empty());
  Reader reader(block);
  std::string text;
  for (int i = 0; i <= IDS_ABOUTBOX % 16; ++i) text = reader.Chars(reader.Get<WORD>());
  ASSERT_FALSE(reader.Failed());
  EXPECT_EQ(text, "&About Klangrid");

  char loaded[64] = "";
  EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, loaded, sizeof loaded), 15);
  EXPECT_STREQ(loaded, "&About Klangrid");
}

// Read as UTF-16, so the ellipsis and the dash are checked as characters
// whatever the process's code page.
TEST(StringTable, RowMenuTexts) {
  const struct {
    int id;
    const wchar_t* text;
  } expected[] = {
      {IDS_CHOOSE_DEVICE, L"&Choose device\u2026"},
      {IDS_ROW_GROUP, L"%1 (%2\u2013%3)"},
      {IDS_ALL_PERCUSSION, L"All percussion"},
  };
  for (const auto& e : expected) {
    wchar_t loaded[64] = L"";
    LoadStringW(GetModuleHandleA(nullptr), UINT(e.id), loaded, 64);
    EXPECT_STREQ(loaded, e.text) << e.id;
  }
}

// The version block as version.dll reads it from this program's file.
class VersionBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char path[MAX_PATH] = "";
    ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_NE(size, 0u);
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data_.data()));
  }

  bool Query(const std::string& path, void** value, UINT* length) {
    return VerQueryValueA(data_.data(), path.c_str(), value, length) != 0;
  }

  std::vector<char> data_;
};

TEST_F(VersionBlockTest, NumbersAreOneZeroZeroTwo) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(Query("\\", &value, &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(Hex(fixed->dwSignature), Hex(0xFEEF04BD));
  EXPECT_EQ(Hex(fixed->dwFileVersionMS), Hex(0x00010000));
  EXPECT_EQ(Hex(fixed->dwFileVersionLS), Hex(0x00000002));
  EXPECT_EQ(Hex(fixed->dwProductVersionMS), Hex(0x00010000));
  EXPECT_EQ(Hex(fixed->dwProductVersionLS), Hex(0x00000002));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionBlockTest, StringsInUsEnglishWindowsLatin1) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(Query("\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u) << "one language and code page";
  const WORD* translation = static_cast<const WORD*>(value);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1252);

  char block[64];
  std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  auto text = [&](const char* name) {
    void* found = nullptr;
    UINT chars = 0;
    if (!Query(std::string(block) + name, &found, &chars) || !found) return std::string("<missing>");
    return std::string(static_cast<const char*>(found));
  };
  EXPECT_EQ(text("FileVersion"), "1, 0, 0, 2");
  EXPECT_EQ(text("ProductVersion"), "1, 0, 0, 2");
  EXPECT_EQ(text("FileDescription"), "Kestro MIDI Instruments Mapper Application");
  EXPECT_EQ(text("ProductName"), "Kestro MIDI Instruments Mapper Application");
  EXPECT_EQ(text("InternalName"), "KLANGRID");
  EXPECT_EQ(text("OriginalFilename"), "KLANGRID.EXE");
  for (const char* name : {"CompanyName", "LegalCopyright"}) {
    std::string entry = text(name);
    EXPECT_NE(entry, "<missing>") << name;
    EXPECT_FALSE(entry.empty()) << name;
  }
}

TEST(ApplicationIcon, ThreeImagesInOrderAndLoadable) {
  struct Image {
    int size;
    BYTE colourCount;  // 0 stands for 256
    WORD bits;
  };
  const Image kImages[] = {{32, 16, 4}, {48, 0, 8}, {16, 16, 4}};

  std::string group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME));
  ASSERT_FALSE(group.empty());
  Reader reader(group);
  EXPECT_EQ(reader.Get<WORD>(), 0);  // reserved
  EXPECT_EQ(reader.Get<WORD>(), 1);  // icon, not cursor
  ASSERT_EQ(reader.Get<WORD>(), 3);
  for (const Image& want : kImages) {
    SCOPED_TRACE(std::to_string(want.size) + " x " + std::to_string(want.size));
    EXPECT_EQ(reader.Get<BYTE>(), want.size);
    EXPECT_EQ(reader.Get<BYTE>(), want.size);
    EXPECT_EQ(reader.Get<BYTE>(), want.colourCount);
    reader.Skip(1);
    EXPECT_EQ(reader.Get<WORD>(), 1);  // planes
    EXPECT_EQ(reader.Get<WORD>(), want.bits);
    DWORD bytes = reader.Get<DWORD>();
    WORD id = reader.Get<WORD>();
    ASSERT_FALSE(reader.Failed());

    std::string image = ResourceBytes(RT_ICON, MAKEINTRESOURCEA(id));
    ASSERT_EQ(image.size(), bytes);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, want.size);
    EXPECT_EQ(header.biHeight, 2 * want.size);  // colour image and mask
    EXPECT_EQ(header.biBitCount, want.bits);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

    std::vector<BYTE> copy(image.begin(), image.end());
    HICON icon = CreateIconFromResourceEx(copy.data(), static_cast<DWORD>(copy.size()), TRUE,
                                          0x00030000, want.size, want.size, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, want.size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// One windowsSettings value of an activation context as the loader read it;
// empty when the manifest does not give it in that namespace.
std::wstring ContextSetting(HANDLE context, const wchar_t* xmlNamespace, const wchar_t* name) {
  wchar_t value[64] = L"";
  SIZE_T written = 0;
  if (!QueryActCtxSettingsW(0, context, xmlNamespace, name, value, 64, &written)) return L"";
  return value;
}

TEST(Manifest, AsksForAdministratorWithClassicControlsAndIsDpiAware) {
  std::string manifest =
      ResourceBytes(RT_MANIFEST, MAKEINTRESOURCEA(kProcessManifest));
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  std::string lower = manifest;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(lower.find("common-controls"), std::string::npos);
  EXPECT_EQ(lower.find("<dependency"), std::string::npos);

  // The loader must accept it, or the program would not start at all.
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  ACTCTXA request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = path;
  request.hModule = GetModuleHandleA(nullptr);
  request.lpResourceName = MAKEINTRESOURCEA(kProcessManifest);
  HANDLE context = CreateActCtxA(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE);
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                           sizeof level, nullptr));
  EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN);
  // Each element counts only in its own namespace: system-wide awareness for
  // the Windows versions that know only dpiAware, per-monitor v2 first for
  // those that read dpiAwareness, and System where v2 is unknown.
  EXPECT_EQ(ContextSetting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                           L"dpiAware"),
            L"true");
  EXPECT_EQ(ContextSetting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                           L"dpiAwareness"),
            L"PerMonitorV2, System");
  ReleaseActCtx(context);
}

// Every resource once, all in US English, nothing else: a second manifest
// slipped in by the toolchain, for one, would compete with ours.
BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list) {
  char entry[64];
  // Our resources are all numbered; a named one would show as a huge number.
  std::snprintf(entry, sizeof entry, "%lu/%lu/%u",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(type)),
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(name)), unsigned(language));
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(entry);
  return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list) {
  return EnumResourceLanguagesA(module, type, name, AddLanguage, list);
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR list) {
  return EnumResourceNamesA(module, type, AddName, list);
}

TEST(ModuleResources, EachOnceInUsEnglish) {
  std::vector<std::string> found;
  EnumResourceTypesA(GetModuleHandleA(nullptr), AddType, reinterpret_cast<LONG_PTR>(&found));
  std::vector<std::string> icons;
  std::vector<std::string> others;
  for (const std::string& entry : found) {
    (entry.compare(0, 2, "3/") == 0 ? icons : others).push_back(entry);
  }
  EXPECT_EQ(icons.size(), 3u);
  for (const std::string& icon : icons) EXPECT_EQ(icon.substr(icon.rfind('/')), "/1033");
  std::sort(others.begin(), others.end());
  EXPECT_EQ(others, (std::vector<std::string>{"14/128/1033", "16/1/1033", "24/1/1033",
                                              "5/100/1033", "5/102/1033", "5/129/1033",
                                              "5/135/1033", "5/136/1033", "5/137/1033",
                                              "6/13/1033", "6/20/1033", "6/21/1033",
                                              "6/7/1033"}));
}

}  // namespace
