// What the bench's references share with the uninstaller: its window's client size, and the
// names of an installed Tarvolink that the reference remover takes, in the uninstaller's order.
#pragma once

namespace layout {

// The uninstaller's client area: the references open the same, and the launcher looks for it.
const int kClientWidth = 396;
const int kClientHeight = 248;

const char kProduct[] = "Tarvolink";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolink";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kMakerKey[] = "Software\\QORV\\Tarvolink";

// Files in the installation folder that the removal names directly, in the order it takes them.
const char* const kPlainFiles[] = {"Tarvolink.EXE", "Uninstall.EXE", "setup.ini",
                                   "Files.ini",     "Backup.log",    "Busprobe.exe"};
const char* const kLanguages[] = {"CHT", "CHS", "JPN", "KOR", "FRA", "ESN",
                                  "DEU", "ITA", "PTG", "TRK", "ENG"};
// Archive libraries removed after the folder itself.
const char* const kLibraries[] = {"dzips32.dll", "dunzips32.dll"};

}  // namespace layout
