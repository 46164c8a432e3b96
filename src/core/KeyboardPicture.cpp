#include "KeyboardPicture.h"

#include "KeyTypes.h"

namespace {

using namespace KeyType;

// A key is 20 x 21 unless its row says otherwise.
constexpr KeyPanel Key(const char* caption, int left, int top, int type,
                       const char* hint = nullptr) {
    return {caption, left, top, 20, 21, type, hint};
}
constexpr KeyPanel Wide(const char* caption, int left, int top, int width, int type) {
    return {caption, left, top, width, 21, type, nullptr};
}
constexpr KeyPanel Tall(const char* caption, int left, int top, int width, int type,
                        const char* hint = nullptr) {
    return {caption, left, top, width, 45, type, hint};
}

} // namespace

const std::array<KeyPanel, KeyPanelCount> KeyPanels = {{
    // Escape and the function keys.
    Key("Esc", 5, 6, Esc),
    Key("F1", 47, 6, Function),
    Key("F2", 68, 6, Function),
    Key("F3", 89, 6, Function),
    Key("F4", 110, 6, Function),
    Key("F5", 141, 6, Function),
    Key("F6", 162, 6, Function),
    Key("F7", 183, 6, Function),
    Key("F8", 204, 6, Function),
    Key("F9", 236, 6, Function),
    Key("F10", 257, 6, Function),
    Key("F11", 278, 6, Function),
    Key("F12", 299, 6, Function),

    // The digit row, the keys above the editing block and the keypad's top row.
    Key("`", 5, 35, Other),
    Key("1", 26, 35, Number),
    Key("2", 47, 35, Number),
    Key("3", 68, 35, Number),
    Key("4", 89, 35, Number),
    Key("5", 110, 35, Number),
    Key("6", 131, 35, Number),
    Key("7", 152, 35, Number),
    Key("8", 173, 35, Number),
    Key("9", 194, 35, Number),
    Key("0", 215, 35, Number),
    Key("-", 236, 35, Number),
    Key("=", 257, 35, Number),
    Key("\\", 278, 35, Other),
    Key("Back", 299, 35, BackSpace),
    Key("Print Screen", 328, 35, Other, "Print Screen"),
    Key("Scroll Lock", 349, 35, Other, "Scroll Lock"),
    Key("Break", 370, 35, Other, "Pause/Break"),
    Key("Num Lock", 400, 35, NumLock),
    Key("/", 422, 35, Number),
    Key("*", 444, 35, Number),
    Key("-", 466, 35, Number),

    // Tab row.
    Wide("Tab", 5, 59, 26, Tab),
    Key("Q", 33, 59, Letter),
    Key("W", 54, 59, Letter),
    Key("E", 75, 59, Letter),
    Key("R", 96, 59, Letter),
    Key("T", 117, 59, Letter),
    Key("Y", 138, 59, Letter),
    Key("U", 159, 59, Letter),
    Key("I", 180, 59, Letter),
    Key("O", 201, 59, Letter),
    Key("P", 222, 59, Letter),
    Key("{", 243, 59, Other),
    Key("}", 264, 59, Other),
    Tall("Enter", 285, 59, 34, Enter),
    Key("Insert", 328, 59, Other, "Insert"),
    Key("Home", 349, 59, Other, "Home"),
    Key("Page Up", 370, 59, PageUp, "Page Up"),
    Key("7", 400, 59, Number),
    Key("8", 422, 59, Number),
    Key("9", 444, 59, Number),
    Tall("+", 466, 59, 20, Number),

    // Caps Lock row.
    Wide("CapsLock", 5, 83, 48, CapsLock),
    Key("A", 54, 83, Letter),
    Key("S", 75, 83, Letter),
    Key("D", 96, 83, Letter),
    Key("F", 117, 83, Letter),
    Key("G", 138, 83, Letter),
    Key("H", 159, 83, Letter),
    Key("J", 180, 83, Letter),
    Key("K", 201, 83, Letter),
    Key("L", 222, 83, Letter),
    Key(";", 243, 83, Other),
    Key("'", 264, 83, Other),
    Key("Delete", 328, 83, Delete, "Delete"),
    Key("End", 349, 83, Other),
    Key("Page Down", 370, 83, PageDown, "Page Down"),
    Key("4", 400, 83, Number),
    Key("5", 422, 83, Number),
    Key("6", 444, 83, Number),

    // Shift row.
    Wide("Shift", 5, 107, 47, Ctrl),
    Wide("Z", 53, 107, 21, Letter),
    Key("X", 75, 107, Letter),
    Key("C", 96, 107, Letter),
    Key("V", 117, 107, Letter),
    Key("B", 138, 107, Letter),
    Key("N", 159, 107, Letter),
    Key("M", 180, 107, Letter),
    Key(",", 201, 107, Other),
    Key(".", 222, 107, Other),
    Key("/", 243, 107, Other),
    Wide("Shift", 264, 107, 55, Ctrl),
    Key("Up", 349, 107, Arrow),
    Key("1", 400, 107, Number),
    Key("2", 422, 107, Number),
    Key("3", 444, 107, Number),
    Tall("Enter", 466, 107, 20, Enter, "Enter"),

    // Bottom row.
    Wide("Ctrl", 5, 131, 23, Ctrl),
    Wide("Win", 29, 131, 23, Ctrl),
    Wide("Alt", 53, 131, 23, Ctrl),
    Wide("Space", 77, 131, 150, Space),
    Wide("Alt", 228, 131, 22, Ctrl),
    Wide("Win", 251, 131, 22, Ctrl),
    Wide("App", 274, 131, 22, Ctrl),
    Wide("Ctrl", 297, 131, 22, Ctrl),
    Key("Left", 328, 131, Arrow),
    Key("Down", 349, 131, Arrow, "Down"),
    Key("Right", 370, 131, Arrow, "Right"),
    Wide("0", 400, 131, 42, Number),
    Key("Del", 444, 131, Delete),
}};
