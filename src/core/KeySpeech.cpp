#include "KeySpeech.h"

namespace {

// The key message arrives before the press has flipped the lock, so the state read here is the
// one being left: a lock that reads as set (toggled or held) is being switched off.
std::string LockWord(unsigned virtualKey, TKeyStateFn getKeyState) {
    return getKeyState(static_cast<int>(virtualKey)) != 0 ? " off " : " on ";
}

const char* FixedText(unsigned virtualKey) {
    switch (virtualKey) {
    case 1:
        return " left button ";
    case 2:
        return " right button ";
    case 8:
        return " Backspace ";
    case 9:
        return " tab ";
    case 13:
        return " Enter ";
    case 16:
        return " shift ";
    case 17:
        return " control ";
    case 18:
        return " alt ";
    case 19:
        return " pause ";
    case 27:
        return " escape ";
    case 32:
        return " space ";
    case 33:
        return " page up ";
    case 34:
        return " page down ";
    case 35:
        return " end ";
    case 36:
        return " home ";
    case 37:
        return " left ";
    case 38:
        return " up ";
    case 39:
        return " right ";
    case 40:
        return " down ";
    case 45:
        return " insert ";
    case 46:
        return " delete ";
    case 91:
    case 92:
        return " win ";
    case 93:
        return " apps ";
    case 107:
        return " add ";
    case 108:
        return " SEPARATOR ";
    case 109:
        return " SUBTRACT ";
    case 110:
        return " DECIMAL ";
    case 111:
        return " DIVIDE ";
    case 187:
        return "=";
    case 188:
        return ",";
    case 189:
        return "-";
    case 190:
        return ".";
    case 191:
        return "/";
    default:
        return nullptr;
    }
}

} // namespace

std::string KeySpeechText(unsigned virtualKey, TKeyStateFn getKeyState) {
    if (const char* text = FixedText(virtualKey))
        return text;
    if (virtualKey >= 48 && virtualKey <= 57)
        return std::to_string(virtualKey - 48);
    if (virtualKey >= 65 && virtualKey <= 90)
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= 96 && virtualKey <= 105)
        return " num " + std::to_string(virtualKey - 96);
    if (virtualKey >= 112 && virtualKey <= 135)
        return " F " + std::to_string(virtualKey - 111);
    switch (virtualKey) {
    case 20:
        return " caps lock " + LockWord(virtualKey, getKeyState);
    case 144:
        return " Number lock " + LockWord(virtualKey, getKeyState);
    case 145:
        return " scroll lock " + LockWord(virtualKey, getKeyState);
    default:
        return " ";
    }
}
