#include "ui/mapper_dialog.h"

#include <windowsx.h>

#include "bench/step_timer.h"
#include "devices/device_naming.h"
#include "model/text.h"
#include "res/resource.h"
#include "store/scheme_operations.h"
#include "ui/map_lists.h"
#include "ui/row_menu.h"
#include "ui/secondary_dialogs.h"
#include "toolkit/dpi.h"

namespace klangrid::ui {
namespace {

// Our own system-menu command; the system's own SC_ ids start at 0xF000,
// and the low four bits of a WM_SYSCOMMAND id are the system's to use.
constexpr UINT kAboutCommand = 0x0010;
constexpr UINT kExportCommand = 0x0020;
constexpr UINT kImportCommand = 0x0030;
constexpr UINT kSysCommandIdMask = 0xFFF0;
constexpr int kMenuTextSize = 64;

// Marks the program's main dialog, so a second start can find it.
constexpr const char* kMainDialogMark = "Klangrid.MainDialog";

void AppendSystemMenuItem(HMENU menu, UINT command, UINT textId) {
  char text[kMenuTextSize] = {};
  LoadStringA(GetModuleHandleA(nullptr), textId, text, sizeof text);
  if (text[0] != '\0') AppendMenuA(menu, MF_STRING, command, text);
}

BOOL CALLBACK FindMainDialog(HWND window, LPARAM found) {
  if (!GetPropA(window, kMainDialogMark)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

const toolkit::MessageEntry<MapperDialog> MapperDialog::kMessages[] = {
    {WM_SYSCOMMAND, 0, 0, &MapperDialog::OnSysCommand},
    {WM_PAINT, 0, 0, &MapperDialog::OnPaint},
    {WM_QUERYDRAGICON, 0, 0, &MapperDialog::OnQueryDragIcon},
    {WM_NOTIFY, IDC_INSTRUMENT_LIST, UINT(NM_DBLCLK), &MapperDialog::OnInstrumentDblClk},
    {WM_NOTIFY, IDC_DRUM_LIST, UINT(NM_DBLCLK), &MapperDialog::OnDrumDblClk},
    {WM_NOTIFY, IDC_INSTRUMENT_LIST, UINT(NM_CLICK), &MapperDialog::OnInstrumentClick},
    {WM_NOTIFY, IDC_DRUM_LIST, UINT(NM_CLICK), &MapperDialog::OnDrumClick},
    {WM_NOTIFY, IDC_INSTRUMENT_LIST, UINT(NM_RCLICK), &MapperDialog::OnInstrumentRClick},
    {WM_NOTIFY, IDC_DRUM_LIST, UINT(NM_RCLICK), &MapperDialog::OnDrumRClick},
    {WM_CONTEXTMENU, 0, 0, &MapperDialog::OnContextMenu},
    {WM_COMMAND, IDC_SAVE_AS, BN_CLICKED, &MapperDialog::OnSaveAs},
    {WM_COMMAND, IDC_SCHEME_COMBO, CBN_SELENDOK, &MapperDialog::OnSchemeSelEndOk},
    {WM_COMMAND, IDC_DEFAULT, BN_CLICKED, &MapperDialog::OnDefaultScheme},
    {WM_COMMAND, IDC_DELETE, BN_CLICKED, &MapperDialog::OnDeleteScheme},
    {WM_DESTROY, 0, 0, &MapperDialog::OnDestroy},
    {WM_DPICHANGED, 0, 0, &MapperDialog::OnDpiChanged},
};

MapperDialog::MapperDialog(MapTables& tables, SettingsStore& store, MidiOutputEnumerator& outputs,
                           HWND owner)
    : toolkit::Dialog(IDD_MAPPER_DIALOG, owner), tables_(tables), store_(store), outputs_(outputs) {}

// The icons are loaded at the window's DPI, so they are not shared ones;
// the window that showed them is gone by now.
MapperDialog::~MapperDialog() {
  if (icon_) DestroyIcon(icon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

void MapperDialog::DoDataExchange(toolkit::DataExchange& dx) {
  DDX_Control(dx, IDC_SCHEME_COMBO, schemeList_);
  DDX_Control(dx, IDC_INSTRUMENT_LIST, instrumentList_);
  DDX_Control(dx, IDC_DRUM_LIST, drumList_);
}

bool MapperDialog::OnMessage(toolkit::Message& message) {
  return Route(*this, kMessages, message);
}

BOOL MapperDialog::OnInitDialog() {
  bench::MarkStep("dialog-created");
  toolkit::Dialog::OnInitDialog();
  // Dialogs opened without an owner (About) are owned by this one.
  SetMainWindow(hwnd_);

  HMENU systemMenu = GetSystemMenu(hwnd_, FALSE);
  if (systemMenu) {
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendSystemMenuItem(systemMenu, kAboutCommand, IDS_ABOUTBOX);
    AppendSystemMenuItem(systemMenu, kExportCommand, IDS_EXPORT_SCHEMES);
    AppendSystemMenuItem(systemMenu, kImportCommand, IDS_IMPORT_SCHEMES);
  }
  SetPropA(hwnd_, kMainDialogMark, hwnd_);
  bench::MarkStep("system-menu");
  const UINT dpi = toolkit::WindowDpi(hwnd_);
  SetIcons(dpi);
  bench::MarkStep("icons");

  char activeName[kSchemeValueSize];
  StartUp(store_, tables_, activeName);
  bench::MarkStep("store-startup");

  InsertMapColumns(instrumentList_, drumList_, dpi);
  bench::MarkStep("columns");
  ResolveDeviceNames(outputs_, tables_);
  bench::MarkStep("midi-query");
  const bool instrumentsShown = FillMapList(instrumentList_, RowKind::Instrument, tables_);
  bench::MarkStep("instrument-fill");
  const bool drumsShown = FillMapList(drumList_, RowKind::Percussion, tables_);
  bench::MarkStep("drum-fill");
  if (!instrumentsShown || !drumsShown) ReportMapsNotShown();

  char selected[kSchemeNameSize];
  const int schemeCount =
      ListSchemes(store_, activeName, [this](const char* name) { schemeList_.AddString(name); }, selected);
  // CB_SETCURSEL sends no CBN_SELENDOK, so the scheme is shown as active
  // without being loaded: the maps stay those just read.
  schemeList_.SetCurSel(FindScheme(selected));
  if (schemeCount == 0) SetSchemeControlsEnabled(false);
  bench::MarkStep("scheme-list");
  return TRUE;
}

int MapperDialog::FindScheme(const char* name) const {
  if (name[0] == '\0') return -1;
  // The store's comparison of key names rather than CB_FINDSTRINGEXACT,
  // whose locale-aware matching may pass over punctuation in a name.
  const int count = schemeList_.GetCount();
  for (int index = 0; index < count; ++index) {
    char entry[kSchemeNameSize];
    if (schemeList_.GetLBText(index, entry, sizeof entry) && store_.SameKeyName(entry, name))
      return index;
  }
  return -1;
}

void MapperDialog::OnSysCommand(toolkit::Message& message) {
  switch (UINT(message.wParam) & kSysCommandIdMask) {
    case kAboutCommand: {
      AboutDialog about;
      about.DoModal();
      return;
    }
    case kExportCommand:
      OnExportSchemes();
      return;
    case kImportCommand:
      OnImportSchemes();
      return;
    default:
      message.handled = false;  // Move and Close as usual
  }
}

void MapperDialog::OnPaint(toolkit::Message& message) {
  bench::MarkStep("first-paint");
  if (!IsIconic(hwnd_)) {
    message.handled = false;
    return;
  }
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd_, &paint);
  Send(WM_ICONERASEBKGND, WPARAM(dc));
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, icon_);
  EndPaint(hwnd_, &paint);
}

void MapperDialog::OnQueryDragIcon(toolkit::Message& message) { message.result = LRESULT(icon_); }

void MapperDialog::OnDpiChanged(toolkit::Message& message) {
  // The system's rectangle keeps the dialog where the user dropped it, at
  // the size it has at the new scale.
  const RECT* suggested = reinterpret_cast<const RECT*>(message.lParam);
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const UINT dpi = HIWORD(message.wParam);
  if (dpi != 0) {
    ScaleMapColumns(instrumentList_, drumList_, dpi);
    SetIcons(dpi);
  }
  // The dialog manager scales the template's fonts and controls itself
  // (per-monitor v2); the columns are in pixels, which it does not know.
  message.handled = false;
}

void MapperDialog::SetIcons(UINT dpi) {
  HICON bigIcon = toolkit::LoadIconForDpi(IDR_MAINFRAME, false, dpi);
  HICON smallIcon = toolkit::LoadIconForDpi(IDR_MAINFRAME, true, dpi);
  SetIcon(bigIcon, true);
  SetIcon(smallIcon, false);
  // Only now that the window no longer shows them.
  if (icon_) DestroyIcon(icon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  icon_ = bigIcon;
  smallIcon_ = smallIcon;
}

void MapperDialog::OnInstrumentDblClk(toolkit::Message& message) {
  AssignFromDeviceDialog(instrumentList_, RowKind::Instrument, tables_);
  message.result = 0;
}

void MapperDialog::OnDrumDblClk(toolkit::Message& message) {
  AssignFromDeviceDialog(drumList_, RowKind::Percussion, tables_);
  message.result = 0;
}

void MapperDialog::OnInstrumentClick(toolkit::Message& message) {
  SelectRowOnClick(instrumentList_);
  message.result = 0;
}

void MapperDialog::OnDrumClick(toolkit::Message& message) {
  SelectRowOnClick(drumList_);
  message.result = 0;
}

void MapperDialog::OnInstrumentRClick(toolkit::Message& message) {
  SelectRowOnClick(instrumentList_);
  OpenRowMenu(instrumentList_, RowKind::Instrument, tables_, MenuPlace::AtCursor);
  message.result = 1;  // handled: the list sends no WM_CONTEXTMENU after it
}

void MapperDialog::OnDrumRClick(toolkit::Message& message) {
  SelectRowOnClick(drumList_);
  OpenRowMenu(drumList_, RowKind::Percussion, tables_, MenuPlace::AtCursor);
  message.result = 1;
}

void MapperDialog::OnContextMenu(toolkit::Message& message) {
  // Shift+F10 and the menu key arrive with the position -1, -1; a mouse
  // click on a list has been handled as NM_RCLICK.
  const bool fromKeyboard = GET_X_LPARAM(message.lParam) == -1 && GET_Y_LPARAM(message.lParam) == -1;
  const HWND from = HWND(message.wParam);
  if (fromKeyboard && from == instrumentList_.Handle()) {
    OpenRowMenu(instrumentList_, RowKind::Instrument, tables_, MenuPlace::AtSelectedRow);
  } else if (fromKeyboard && from == drumList_.Handle()) {
    OpenRowMenu(drumList_, RowKind::Percussion, tables_, MenuPlace::AtSelectedRow);
  } else {
    message.handled = false;
  }
}

void MapperDialog::OnDestroy(toolkit::Message& message) {
  // Later dialogs must not be owned by a window that is gone.
  if (MainWindow() == hwnd_) SetMainWindow(nullptr);
  RemovePropA(hwnd_, kMainDialogMark);
  message.handled = false;
}

bool MapperDialog::BringOpenDialogToFront() {
  HWND open = nullptr;
  EnumWindows(FindMainDialog, reinterpret_cast<LPARAM>(&open));
  if (!open) return false;
  if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
  // Its Save As or warning, if one is up, is what wants the answer.
  SetForegroundWindow(GetLastActivePopup(open));
  return true;
}

}  // namespace klangrid::ui
