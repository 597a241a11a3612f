#include "app/Msgdlg.h"

#include <windows.h>

#include "toolkit/Application.h"

bool ShowConfirm(const std::string& text) {
  return TApplication::ShowMessageBox(text, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}

void ShowError(const std::string& text) { TApplication::ShowMessageBox(text, MB_OK | MB_ICONERROR); }

void ShowInfo(const std::string& text) {
  TApplication::ShowMessageBox(text, MB_OK | MB_ICONINFORMATION);
}
