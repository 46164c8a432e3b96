#pragma once
// Which mode the Schemes submenu shows once the stored mode has been applied: at start-up, and
// after "TTS Speak" was picked from the menu. The submenu holds "TTS Speak" at position 0 and
// the scheme captions from position 1 on, in list order.
#include <string>
#include <string_view>
#include <vector>

// The mode text of speech mode, exactly and with this letter case; any other text names a
// scheme.
inline constexpr std::string_view kSpeechMode = "TTS";

enum class TModeOccasion {
    StartUp,      // the stored mode is applied as the program starts
    SpeechPicked, // "TTS Speak" was picked, checked and saved, then the engine was looked for
};

struct TModeChoice {
    // The submenu position to check: 0 "TTS Speak", 1 and up the schemes; -1 none.
    int Item = -1;
    // The first-scheme fallback: the mode becomes the item's caption and the settings are
    // saved before its scheme file is loaded.
    bool Save = false;
    // The item's scheme file is loaded into the active scheme.
    bool LoadScheme = false;
    // "No scheme can use, Please reinstall!" is shown.
    bool NoScheme = false;
    // The program is asked to end.
    bool End = false;
};

// How two captions compare, their accelerator marks removed; the letter case is the caller's
// (the system's rule for the code page at run time).
using TSameCaption = bool (*)(std::string_view a, std::string_view b);

// `engineFound` counts only when the mode is speech mode; the caller need not look for an
// engine otherwise. A stored scheme is looked for from position 1 on, so a stored name that
// reads like "TTS Speak" is no scheme.
TModeChoice ChooseMode(TModeOccasion occasion, std::string_view storedMode,
                       const std::vector<std::string>& schemeCaptions, bool engineFound,
                       TSameCaption sameCaption);
