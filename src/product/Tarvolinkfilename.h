// How the product names its per-language files, and where its information files keep the names
// of its pictures and help file.
#pragma once
#include <string>

// The archive libraries that the run asks for after the plan. Planned before the installation
// folder's removal so the folder can go; the run's own requests then find them listed.
inline const char* const kArchiveLibraries[] = {"dzips32.dll", "dunzips32.dll"};

std::string AppFilePath(const std::string& fileName);   // beside the running program
std::string MessageFileName(const std::string& code);   // "SetupMsg." + code
std::string InfoFileName(const std::string& code);      // "Info" + code + ".Ini"
std::string ExFileName(const std::string& code);        // "Ex" + code + ".FRC"

std::string ReadLogoName(const std::string& infoPath, const std::string& key);
std::string AboutImageName(const std::string& infoPath);
std::string LoadingImageName(const std::string& infoPath);
std::string MainImageName(const std::string& infoPath);
std::string HelpFileName(const std::string& infoPath);

// What an information file's name may be planned as: a bare name unchanged, a relative name
// without ".." joined to the installation folder, an absolute name only inside that folder.
// Anything else, which could point outside the product, gives the empty text.
std::string InfoNameToPlan(const std::string& name, const std::string& installDir);
