#pragma once
// The program's main dialog: both map lists, the scheme box and its commands.
#include "devices/midi_output_enumerator.h"
#include "model/map_tables.h"
#include "store/registry_layout.h"
#include "store/settings_store.h"
#include "toolkit/combo_box.h"
#include "toolkit/dialog.h"
#include "toolkit/list_ctrl.h"

namespace klangrid::ui {

class MapperDialog : public toolkit::Dialog {
 public:
  MapperDialog(MapTables& tables, SettingsStore& store, MidiOutputEnumerator& outputs,
               HWND owner = nullptr);
  ~MapperDialog() override;

  // Brings the main dialog that is open (in any process of this desktop)
  // to the front; false when none is open.
  static bool BringOpenDialogToFront();

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(toolkit::DataExchange& dx) override;
  bool OnMessage(toolkit::Message& message) override;
  void OnOK() override;  // scheme commands

 private:
  static const toolkit::MessageEntry<MapperDialog> kMessages[];

  // Window chores.
  void OnSysCommand(toolkit::Message& message);
  void OnPaint(toolkit::Message& message);
  void OnQueryDragIcon(toolkit::Message& message);
  // Per-monitor awareness: the dialog moved to a monitor of another scale.
  void OnDpiChanged(toolkit::Message& message);
  // Big and small icons at the sizes for dpi; the previous ones are destroyed.
  void SetIcons(UINT dpi);
  // Map lists.
  void OnInstrumentDblClk(toolkit::Message& message);
  void OnDrumDblClk(toolkit::Message& message);
  void OnInstrumentClick(toolkit::Message& message);
  void OnDrumClick(toolkit::Message& message);
  // The row menu.
  void OnInstrumentRClick(toolkit::Message& message);
  void OnDrumRClick(toolkit::Message& message);
  void OnContextMenu(toolkit::Message& message);
  void OnDestroy(toolkit::Message& message);
  // Index of the scheme entry that names the same key as name (compared as
  // key names); -1 for none and for an empty name.
  int FindScheme(const char* name) const;
  // Scheme commands.
  void OnSaveAs(toolkit::Message& message);
  void OnSchemeSelEndOk(toolkit::Message& message);
  void OnDefaultScheme(toolkit::Message& message);
  void OnDeleteScheme(toolkit::Message& message);
  void LoadSelectedScheme();
  // Shows the factory maps with no scheme selected (Default, and after a
  // scheme is deleted).
  void LoadDefaults();
  void RefillLists();
  // The scheme list and Delete go together: both off while no scheme exists.
  void SetSchemeControlsEnabled(bool enable);
  // Shows one of the few failure messages.
  void ReportFailure(const char* text);
  // A list left rows out (see FillMapList).
  void ReportMapsNotShown();
  // Schemes to and from a registry file, from the system menu (scheme_files.cpp).
  void OnExportSchemes();
  void OnImportSchemes();
  // Lists a scheme not listed yet (compared as key names) and returns its entry.
  int AddScheme(const char* name);

  MapTables& tables_;
  SettingsStore& store_;
  MidiOutputEnumerator& outputs_;

  toolkit::ComboBox schemeList_;
  toolkit::ListCtrl instrumentList_;
  toolkit::ListCtrl drumList_;
  HICON icon_ = nullptr;  // big; also the minimised image
  HICON smallIcon_ = nullptr;
};

}  // namespace klangrid::ui
