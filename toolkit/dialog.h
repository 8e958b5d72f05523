#pragma once
// Modal dialog over DialogBoxParamA. A derived class overrides the virtual
// operations and routes further messages through a small table of its own.
#include <cstddef>

#include "toolkit/window.h"

namespace klangrid::toolkit {

// The direction of one data exchange: towards the controls, or back.
struct DataExchange {
  HWND dialog;
  bool saving;  // true: controls -> members (OK pressed)
};

// Binds control id to wrapper (once; the direction does not matter).
void DDX_Control(DataExchange& dx, int id, Window& control);
// Copies text (a NUL-terminated buffer of size bytes) into edit id, or the
// edit's text back into it. The edit field accepts no more than size - 1
// characters, and text never receives more (a longer text put in by
// WM_SETTEXT is cut).
void DDX_Text(DataExchange& dx, int id, char* text, std::size_t size);
template <std::size_t N>
void DDX_Text(DataExchange& dx, int id, char (&text)[N]) {
  DDX_Text(dx, id, text, N);
}

// One window message as a handler sees it. A handler that wants the
// dialog manager's default processing sets handled to false.
struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool handled = true;
};

// One row of a dialog's message table. For WM_COMMAND id and code are the
// control id and notification code; for WM_NOTIFY idFrom and code; for any
// other message both are ignored.
template <class D>
struct MessageEntry {
  UINT message;
  UINT id;
  UINT code;
  void (D::*handler)(Message&);
};

class Dialog : public Window {
 public:
  // owner null: the application's main window owns the dialog, if there is one.
  explicit Dialog(int templateId, HWND owner = nullptr);
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog; returns the EndDialog value, or -1 when it cannot be created.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);
  int TemplateId() const { return templateId_; }
  // Moves the focus the way Tab does: an edit field gets its text selected,
  // a push button becomes the default one.
  void GotoDlgCtrl(HWND control) const;

  // The window that owns dialogs made without an owner (the main dialog).
  static void SetMainWindow(HWND hwnd);
  static HWND MainWindow();

  // Test seam, empty in the product: called once a dialog is initialised
  // and about to be shown, so a test can answer it with posted input.
  using ShownHook = void (*)(Dialog&);
  static void SetShownHook(ShownHook hook);

 protected:
  // Runs the exchange towards the controls; TRUE lets the focus go to the
  // first enabled tab stop.
  virtual BOOL OnInitDialog();
  // Exchange back, then EndDialog(IDOK).
  virtual void OnOK();
  // EndDialog(IDCANCEL); button 2, Esc and the close box arrive here.
  virtual void OnCancel();
  virtual void DoDataExchange(DataExchange& dx);
  // Runs DoDataExchange in the given direction.
  void UpdateData(bool saving);
  // A derived class looks the message up in its table (see Route); true
  // when a handler took it.
  virtual bool OnMessage(Message& message);

  template <class D, std::size_t N>
  static bool Route(D& self, const MessageEntry<D> (&table)[N], Message& message) {
    for (const MessageEntry<D>& entry : table) {
      if (Matches(entry.message, entry.id, entry.code, message)) {
        (self.*entry.handler)(message);
        return message.handled;
      }
    }
    return false;
  }

 private:
  static bool Matches(UINT entryMessage, UINT id, UINT code, const Message& message);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleInitDialog();
  void CentreOverOwner();

  int templateId_;
  HWND owner_;
};

}  // namespace klangrid::toolkit
