// Message identifiers: the program's own texts, which are also its result codes.
#pragma once
#include <cstdint>

constexpr int32_t msgAllocFail = 15001;        // "Alocated Memory Fail !"
constexpr int32_t msgCancel = 15002;           // "Cancel !"
constexpr int32_t msgNoWindowsServer = 15004;
constexpr int32_t msgWelcome = 15101;
constexpr int32_t msgUninstall = 15102;        // button and window caption
constexpr int32_t msgInstall = 15103;
constexpr int32_t msgSetupWizard = 15104;
constexpr int32_t msgCreateDesktopShortcut = 15105;
constexpr int32_t msgSelectFolder = 15106;
constexpr int32_t msgBack = 15107;
constexpr int32_t msgNext = 15108;
constexpr int32_t msgAgree = 15109;
constexpr int32_t msgQuit = 15110;             // button caption
constexpr int32_t msgRunAfterBoot = 15112;
constexpr int32_t msgBrowse = 15113;
constexpr int32_t msgInstallTo = 15114;
constexpr int32_t msgSetupNotComplete = 15201;
constexpr int32_t msgInstallComplete = 15202;
constexpr int32_t msgAlreadyInstalled = 15203;
constexpr int32_t msgCopyTo = 15204;
constexpr int32_t msgInstallDriver = 15205;
constexpr int32_t msgCreateImage = 15206;
constexpr int32_t msgCreateShortcut = 15207;
constexpr int32_t msgRemoveFolder = 15208;     // progress line, one %s
constexpr int32_t msgDeleteFile = 15209;       // progress line, one %s
constexpr int32_t msgWriteRegistry = 15210;    // progress line
constexpr int32_t msgDeleteService = 15211;    // progress line, one %s
constexpr int32_t msgReplaceVersion = 15212;
constexpr int32_t msgUninstallNotComplete = 15301;  // close question during a run
constexpr int32_t msgUninstallComplete = 15302;     // after a successful run

// The program's own identifier range, never looked up among the system's messages.
constexpr int32_t msgFirstOwn = 15001;
constexpr int32_t msgLastOwn = 15302;
