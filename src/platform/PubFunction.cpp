#include "PubFunction.h"

#include "CodePage.h"
#include "FileSystem.h"
#include "NameRules.h"
#include "UniqueHandle_win.h"

#include <mmsystem.h>
#include <shellapi.h>

namespace {

HWND DefaultOwner() {
    return GetActiveWindow();
}

MessageBoxEnter EnterBox = DefaultOwner;
MessageBoxLeave LeaveBox = nullptr;

int ShowBox(const std::string& text, const wchar_t* caption, UINT style) {
    const std::u16string wide = AnsiToUtf16(text);
    HWND owner = EnterBox();
    struct Leave {
        MessageBoxLeave leave;
        ~Leave() {
            if (leave)
                leave();
        }
    } atEnd{LeaveBox};
    return MessageBoxW(owner, reinterpret_cast<const wchar_t*>(wide.c_str()), caption, style);
}

// Written as escapes so that every compiler reads the source the same way.
constexpr const wchar_t* kInfoCaption = L"\u63D0\u793A";     // prompt
constexpr const wchar_t* kErrorCaption = L"\u9519\u8BEF";    // error
constexpr const wchar_t* kQuestionCaption = L"\u786E\u8BA4"; // confirm

// Whether our MIDI alias is open, so that a wave sound only pays for closing it when needed.
bool MidiOpen = false;

void CloseMidi() {
    if (MidiOpen) {
        mciSendStringA((std::string("close ") + MidiSoundAlias).c_str(), nullptr, 0, nullptr);
        MidiOpen = false;
    }
}

// PlaySound cannot play MIDI files; the sequencer plays them in the background instead, and
// like a wave sound each new key sound replaces the one still playing.
void PlayMidi(const std::string& path) {
    CloseMidi();
    PlaySoundA(nullptr, nullptr, 0);
    const std::string alias = MidiSoundAlias;
    const std::string open = "open \"" + path + "\" type sequencer alias " + alias;
    if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) != 0)
        return;
    MidiOpen = true;
    mciSendStringA(("play " + alias).c_str(), nullptr, 0, nullptr);
}

} // namespace

void SetMessageBoxHost(MessageBoxEnter enter, MessageBoxLeave leave) {
    EnterBox = enter != nullptr ? enter : DefaultOwner;
    LeaveBox = enter != nullptr ? leave : nullptr;
}

void ShowInfo(const std::string& text) {
    ShowBox(text, kInfoCaption, MB_OK | MB_ICONINFORMATION);
}

void ShowError(const std::string& text) {
    ShowBox(text, kErrorCaption, MB_OK | MB_ICONERROR);
}

bool AskYesNo(const std::string& text) {
    return ShowBox(text, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list) {
    list.clear();
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileA((folder + "\\" + mask).c_str(), &entry));
    if (!search)
        return true;
    do {
        // "." and ".." are folders too.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            list.emplace_back(entry.cFileName);
    } while (FindNextFileA(search.Get(), &entry));
    return true;
}

void PlaySoundFile(const std::string& path) {
    if (!FileExists(path))
        return;
    if (IsMidiFile(path)) {
        PlayMidi(path);
        return;
    }
    CloseMidi();
    // Without SND_NODEFAULT a file the system cannot play still gives an audible answer.
    PlaySoundA(path.c_str(), nullptr, SND_ASYNC);
}

bool DeleteFolder(const std::string& path) {
    // The source is a list of names ended by an empty one: two NULs after the path.
    std::string from = path;
    from.push_back('\0');
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.pTo = nullptr;
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&operation) == 0;
}

std::string GetFileVersionText(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::string data(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return {};
    void* block = nullptr;
    UINT blockSize = 0;
    if (!VerQueryValueA(data.data(), "\\", &block, &blockSize) ||
        blockSize < sizeof(VS_FIXEDFILEINFO))
        return {};
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}
