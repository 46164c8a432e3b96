#pragma once

// Where users reach us: the About dialog's links, the tray's "Se&nd a question" mail link and
// the help file's contact page all take these. help/CMakeLists.txt reads the two lines below
// with a pattern, so keep each definition on one line in this form.
inline constexpr const char* SupportMail = "support@tappolo.example";
inline constexpr const char* SupportWebPage = "https://tappolo.example/";
