#pragma once
// Popup menu: each method is one menu API call; false or 0 on failure.
// Menu does not own its handle: a popup appended to another belongs to it
// and goes when that one is destroyed. PopupMenu owns a popup of its own.
#include <windows.h>

namespace klangrid::toolkit {

class Menu {
 public:
  Menu() = default;
  explicit Menu(HMENU menu) : menu_(menu) {}

  HMENU Handle() const { return menu_; }
  // An empty popup the caller must append somewhere or destroy.
  static Menu CreatePopup() { return Menu(CreatePopupMenu()); }
  BOOL Destroy() {
    const BOOL destroyed = DestroyMenu(menu_);
    menu_ = nullptr;
    return destroyed;
  }

  BOOL AppendItem(UINT id, const char* text, UINT flags = 0) const {
    return AppendMenuA(menu_, MF_STRING | flags, id, text);
  }
  BOOL AppendSeparator() const { return AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr); }
  // On success popup belongs to this menu.
  BOOL AppendPopup(const Menu& popup, const char* text) const {
    return AppendMenuA(menu_, MF_STRING | MF_POPUP, UINT_PTR(popup.menu_), text);
  }
  // Shown bold: what the menu is there for.
  BOOL SetDefaultItem(UINT id) const { return SetMenuDefaultItem(menu_, id, FALSE); }
  // Checks item check with a bullet and clears the others of first..last.
  BOOL CheckRadioItem(UINT first, UINT last, UINT check) const {
    return CheckMenuRadioItem(menu_, first, last, check, MF_BYCOMMAND);
  }
  // Runs the menu at a screen point with TPM_RETURNCMD: the chosen item's
  // id, 0 when the menu was dismissed. exclude, when given, is a screen
  // rectangle the menu opens beside (above or below) without covering it.
  UINT Track(UINT flags, POINT at, HWND owner, const RECT* exclude = nullptr) const {
    TPMPARAMS params{};
    params.cbSize = sizeof params;
    if (exclude) params.rcExclude = *exclude;
    return UINT(
        TrackPopupMenuEx(menu_, flags | TPM_RETURNCMD, at.x, at.y, owner, exclude ? &params : nullptr));
  }

 protected:
  HMENU menu_ = nullptr;
};

class PopupMenu : public Menu {
 public:
  PopupMenu() : Menu(CreatePopupMenu()) {}
  ~PopupMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
};

}  // namespace klangrid::toolkit
