#include "ModeChoice.h"

#include "NameRules.h"

TModeChoice ChooseMode(TModeOccasion occasion, std::string_view storedMode,
                       const std::vector<std::string>& schemeCaptions, bool engineFound,
                       TSameCaption sameCaption) {
    TModeChoice choice;
    if (storedMode == kSpeechMode) {
        if (engineFound) {
            choice.Item = 0;
            return choice;
        }
    } else {
        const std::string stored = StripHotkey(storedMode);
        for (std::size_t i = 0; i < schemeCaptions.size(); ++i) {
            if (sameCaption(StripHotkey(schemeCaptions[i]), stored)) {
                choice.Item = static_cast<int>(i) + 1;
                choice.LoadScheme = true;
                return choice;
            }
        }
    }
    if (schemeCaptions.empty()) {
        choice.NoScheme = true;
        // Picked from the menu, speech mode stays checked and saved, and the program goes on
        // speaking nothing.
        if (occasion == TModeOccasion::SpeechPicked)
            choice.Item = 0;
        else
            choice.End = true;
        return choice;
    }
    choice.Item = 1;
    choice.Save = true;
    choice.LoadScheme = true;
    return choice;
}
