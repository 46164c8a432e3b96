#pragma once

// How other programs recognise a running Tappolo and its auto-run entry. The installer finds the
// main window by its class and caption to ask it to close, and removes the auto-run value of the
// installation it removes. installer/CMakeLists.txt reads the lines below with a pattern, so
// keep each definition on one line in this form.
inline constexpr const char* kFormWindowClass = "TvobForm";
inline constexpr const char* kMainWindowCaption = "MainForm";
inline constexpr const char* kInstanceMutexName = "TvobTplMainForm";
inline constexpr const char* kAutoRunValueName = "tappolo";
// A running Tappolo lists its schemes anew when its main window gets this registered message.
inline constexpr const char* kSchemesChangedMessage = "TappoloSchemesChanged";
