// The window's three message boxes: owned by the application window, titled with its title.
#pragma once
#include <string>

bool ShowConfirm(const std::string& text);   // OK and Cancel, Cancel the default; true on OK
void ShowError(const std::string& text);
void ShowInfo(const std::string& text);
