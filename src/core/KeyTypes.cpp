#include "KeyTypes.h"

namespace {

constexpr const char* kNames[KeyTypeCount] = {
    "Page Up Key", "Caps Lock Key", "Number Keys",   "NumLock Key",   "Function Keys", "Delete Key",
    "Arrow Keys",  "Enter Key",     "Page Down Key", "BackSpace Key", "Ctrl Keys",     "Tab Key",
    "Letter Keys", "Space Key",     "Esc Key",       "Other Key"};

constexpr const char* kFields[KeyTypeCount] = {
    "PageUpSound",   "CapsLockSound",  "NumberSound", "NumLockSound",
    "FunctionSound", "DeleteSound",    "ArrowSound",  "EnterSound",
    "PageDownSound", "BackSpaceSound", "CtrlSound",   "TabSound",
    "LetterSound",   "SpaceSound",     "EscSound",    "OtherSound"};

} // namespace

const char* KeyTypeName(int keyType) {
    return keyType >= 0 && keyType < KeyTypeCount ? kNames[keyType] : nullptr;
}

const char* KeyTypeField(int keyType) {
    return keyType >= 0 && keyType < KeyTypeCount ? kFields[keyType] : nullptr;
}
