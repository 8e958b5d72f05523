#pragma once
// The five small modal dialogs the main dialog opens.
#include <cstddef>

#include "model/map_tables.h"
#include "toolkit/combo_box.h"
#include "toolkit/dialog.h"

namespace klangrid::ui {

class AboutDialog : public toolkit::Dialog {
 public:
  AboutDialog();
};

// Lists the three device names in slot order; after IDOK GetSelectedSlot()
// is always 0, 1 or 2. Text typed into the combo counts when it names an
// entry (ignoring case); other text keeps the dialog open.
class DeviceSelectDialog : public toolkit::Dialog {
 public:
  explicit DeviceSelectDialog(const MapTables& tables, HWND owner = nullptr);
  int GetSelectedSlot() const { return SelectedSlot; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(toolkit::DataExchange& dx) override;

 private:
  const MapTables& tables_;
  toolkit::ComboBox DeviceCombo;
  int SelectedSlot = 0;
};

// Asks for a scheme name: at most kMaxSchemeNameChars characters, not empty,
// no backslash; blanks and capitals pass unchanged.
class SaveSchemeDialog : public toolkit::Dialog {
 public:
  static constexpr int kMaxSchemeNameChars = 19;
  explicit SaveSchemeDialog(HWND owner = nullptr);
  char SchemeName[kMaxSchemeNameChars + 1] = {};

 protected:
  void OnOK() override;
  void DoDataExchange(toolkit::DataExchange& dx) override;
};

// Ends with 1 for OK and 0 for every way of cancelling.
class OverwriteConfirmDialog : public toolkit::Dialog {
 public:
  explicit OverwriteConfirmDialog(HWND owner = nullptr);

 protected:
  void OnOK() override;
  void OnCancel() override;
};

class DeleteConfirmDialog : public toolkit::Dialog {
 public:
  explicit DeleteConfirmDialog(HWND owner = nullptr);
};

}  // namespace klangrid::ui
