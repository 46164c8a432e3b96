// The reference of the sound engine benchmark: a program that does nothing but play one wave
// file through the platform's player (PlaySound, asynchronous) for every key press it sees
// through a low-level keyboard hook, primed at start the way Tappolo primes it.
//   bare_playsound.exe <wave file>
#include <windows.h>
#include <mmsystem.h>

#include <string>

namespace {

std::string Sound;

// 10 ms of silence, mono 16-bit 44100 Hz.
unsigned char Silence[44 + 882];

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN))
        PlaySoundA(Sound.c_str(), nullptr, SND_ASYNC);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Put32(unsigned char* at, unsigned value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    Sound = argv[1];
    const unsigned char header[36] = {'R',  'I',  'F', 'F', 0,    0,    0, 0, 'W', 'A', 'V', 'E',
                                      'f',  'm',  't', ' ', 16,   0,    0, 0, 1,   0,   1,   0,
                                      0x44, 0xAC, 0,   0,   0x88, 0x58, 1, 0, 2,   0,   16,  0};
    for (int i = 0; i < 36; ++i)
        Silence[i] = header[i];
    Put32(Silence + 4, 36 + 882);
    Silence[36] = 'd', Silence[37] = 'a', Silence[38] = 't', Silence[39] = 'a';
    Put32(Silence + 40, 882);
    PlaySoundA(reinterpret_cast<const char*>(Silence), nullptr,
               SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardProc, GetModuleHandleA(nullptr), 0);
    if (!hook)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}
