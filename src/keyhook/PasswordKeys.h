#pragma once
// While the keyboard focus is in a password field, a key that enters a character is reported
// as the keypad multiply key: it sounds as an "Other Key" and is spoken as a blank, so neither
// the sound nor the voice tells which character was typed. Editing and navigation keys keep
// their codes: they reveal nothing of the password, and users rely on hearing them.
#include <cstddef>
#include <string_view>

// The code every character key of a password field is reported as.
constexpr unsigned kMaskedKey = 106;

// Space, digits, letters, the keypad's digits and operators, and the punctuation keys.
constexpr bool EntersCharacter(unsigned vk) noexcept {
    return vk == 32 || (vk >= 48 && vk <= 57) || (vk >= 65 && vk <= 90) ||
           (vk >= 96 && vk <= 111) || (vk >= 186 && vk <= 192) || (vk >= 219 && vk <= 223) ||
           vk == 226;
}

// The code to report for a key press. The focus check costs calls into the system, so it is
// asked only for keys that enter a character.
template <class FocusIsPassword>
unsigned ReportedKey(unsigned vk, FocusIsPassword&& focusIsPassword) noexcept {
    return EntersCharacter(vk) && focusIsPassword() ? kMaskedKey : vk;
}

// Whether a window class is an edit control, judged by its name: the system's "Edit" and the
// edits that frameworks build on it or beside it keep the word in their class names
// ("WindowsForms10.EDIT.app.0.1", "TEdit", "RichEdit20W", "RICHEDIT50W"), in any letter case.
// The password style's bit means other things to other classes, so it counts only for these.
constexpr bool IsEditClassName(std::string_view name) noexcept {
    constexpr std::string_view edit = "edit";
    for (std::size_t at = 0; at + edit.size() <= name.size(); ++at) {
        std::size_t i = 0;
        while (i < edit.size() && (name[at + i] | 0x20) == edit[i])
            ++i;
        if (i == edit.size())
            return true;
    }
    return false;
}
