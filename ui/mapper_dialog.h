#pragma once
// The program's main dialog: both map lists, the scheme box and its commands.
#include "devices/midi_output_enumerator.h"
#include "model/map_tables.h"
#include "store/registry_layout.h"
#include "store/settings_store.h"
#include "ui/toolkit/combo_box.h"
#include "ui/toolkit/dialog.h"
#include "ui/toolkit/list_ctrl.h"

namespace klangrid::ui {

class MapperDialog : public Dialog {
 public:
  MapperDialog(MapTables& tables, SettingsStore& store, MidiOutputEnumerator& outputs,
               HWND owner = nullptr);
  ~MapperDialog() override;

  // Brings the main dialog that is open (in any process of this desktop)
  // to the front; false when none is open.
  static bool BringOpenDialogToFront();

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;
  bool OnMessage(Message& message) override;
  void OnOK() override;  // scheme commands

 private:
  friend struct MapperDialogMessages;

  // Window chores.
  void OnSysCommand(Message& message);
  void OnPaint(Message& message);
  void OnQueryDragIcon(Message& message);
  // Per-monitor awareness: the dialog moved to a monitor of another scale.
  void OnDpiChanged(Message& message);
  // Big and small icons at the sizes for dpi; the previous ones are destroyed.
  void SetIcons(UINT dpi);
  // Map lists.
  void OnInstrumentDblClk(Message& message);
  void OnDrumDblClk(Message& message);
  void OnInstrumentClick(Message& message);
  void OnDrumClick(Message& message);
  // The row menu (row_menu.cpp).
  void OnInstrumentRClick(Message& message);
  void OnDrumRClick(Message& message);
  void OnContextMenu(Message& message);
  void OnDestroy(Message& message);
  // Index of the scheme entry that names the same key as name (compared as
  // key names); -1 for none and for an empty name.
  int FindScheme(const char* name) const;
  // Scheme commands.
  void OnSaveAs(Message& message);
  void OnSchemeSelEndOk(Message& message);
  void OnDefaultScheme(Message& message);
  void OnDeleteScheme(Message& message);
  void LoadSelectedScheme();
  void RefillLists();
  // The scheme list and Delete go together: both off while no scheme exists.
  void SetSchemeControlsEnabled(bool enable);
  // Shows one of the few failure messages.
  void ReportFailure(const char* text);
  // Schemes to and from a registry file, from the system menu (scheme_files.cpp).
  void OnExportSchemes();
  void OnImportSchemes();
  // Lists a scheme not listed yet (compared as key names) and returns its entry.
  int AddScheme(const char* name);

  MapTables& tables_;
  SettingsStore& store_;
  MidiOutputEnumerator& outputs_;

  ComboBox schemeList_;
  ListCtrl instrumentList_;
  ListCtrl drumList_;
  int LoadDefaultsPending = 0;
  HICON icon_ = nullptr;  // big; also the minimised image
  HICON smallIcon_ = nullptr;
};

}  // namespace klangrid::ui
