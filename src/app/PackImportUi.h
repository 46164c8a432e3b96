#pragma once
// The Win32 side of importing sound packs: the file dialog, the command line, the imports run
// on a thread of their own, and the word to a running Tappolo that the schemes changed. Paths
// of packs are UTF-8 throughout, so that a pack named outside the ANSI code page imports too.
#include "Component.h"
#include "ImportCommand.h"
#include "PackImport.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Title of the dialog that picks packs.
constexpr const char* kImportDialogTitle = "Import Sound Pack";

// Asks for packs with the platform's file-open dialog over `owner`: their config.json files or
// zip files, several at once, or folders named in the file name box. Their paths in UTF-8;
// none when the user cancels.
std::vector<std::string> ChooseSoundPacks(TComponent* owner);

// The message a running Tappolo's main window takes as "the schemes folder changed: list the
// schemes anew"; 0 when the system gave none, which never matches a message.
UINT SchemesChangedMessage();
// Tells the running Tappolo, if there is one, that the schemes changed.
void NotifyRunningTappolo();

// The command line's arguments, without the program's own name, in UTF-8.
std::vector<std::string> CommandLineArguments();

// Runs the imports of the command line, one after the other: the results in one message box
// unless `quiet`, a running Tappolo told of the new schemes. Gives the process exit code: 0
// when every pack was imported, else 1.
int RunImportCommand(const ImportCommand& command);

// How one import ended.
struct ImportOutcome {
    std::string path;  // as given (UTF-8)
    std::string error; // empty when imported
    PackImportResult result;
};

// Imports packs one after the other on a thread of its own, so that the window that asked
// stays responsive. Each step and each end is posted to the window as `message` (wParam 0: the
// progress text changed, 1: an outcome is waiting). Ending the queue stops the running import
// at its next step (nothing of it is left) and drops the waiting ones.
//
//     TImportQueue imports(GetProgramDir(), Handle(), kImportMessage);
//     imports.Add({path});
//     ... at kImportMessage:  while (auto outcome = imports.TakeOutcome()) { ... }
class TImportQueue {
public:
    TImportQueue(std::string programDir, HWND window, UINT message);
    ~TImportQueue();
    TImportQueue(const TImportQueue&) = delete;
    TImportQueue& operator=(const TImportQueue&) = delete;

    void Add(const std::vector<std::string>& paths);
    // "Importing <pack>: <done> of <total>" while an import runs, else empty.
    std::string ProgressText() const;
    std::optional<ImportOutcome> TakeOutcome();

private:
    void Work();

    const std::string FProgramDir;
    const HWND FWindow;
    const UINT FMessage;
    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::deque<std::string> FWaiting;
    std::deque<ImportOutcome> FDone;
    std::string FProgress;
    bool FStop = false;
    std::thread FThread;
};
