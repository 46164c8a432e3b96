#include "PackImportUi.h"

#include "CodePage.h"
#include "Dialogs.h"
#include "Exception.h"
#include "NameRules.h"
#include "PackName.h"
#include "ProgramIdentity.h"
#include "PubFunction.h"
#include "PubUnit.h"

#include <string>
#include <vector>

namespace {

std::string FromWide(const wchar_t* text) {
    std::wstring_view wide(text);
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// The pack's folder name, as the user reads it (ANSI).
std::string PackLabel(std::string_view path) {
    auto lastPart = [&path] {
        while (path.size() > 1 && (path.back() == '\\' || path.back() == '/'))
            path.remove_suffix(1);
        size_t cut = path.find_last_of("\\/");
        std::string_view part = cut == std::string_view::npos ? path : path.substr(cut + 1);
        path.remove_suffix(part.size());
        return part;
    };
    std::string_view name = lastPart();
    if (SameName(name, "config.json"))
        name = lastPart();
    return Utf16ToAnsi(Utf8ToUtf16(name));
}

// The end of an import as the user reads it.
std::string OutcomeText(const ImportOutcome& outcome) {
    return outcome.error.empty() ? ImportSummary(outcome.result) + "."
                                 : ErrorBoxText(outcome.error);
}

ImportOutcome ImportOne(const std::string& path, const std::string& programDir,
                        const ImportProgress& progress) {
    ImportOutcome outcome{path, {}, {}};
    try {
        outcome.result = ImportPack(path, programDir, progress);
    } catch (const Exception& e) {
        outcome.error = e.Message();
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    return outcome;
}

} // namespace

std::vector<std::string> ChooseSoundPacks(TComponent* owner) {
    TOwned<TOpenDialog> dialog(new TOpenDialog(owner));
    dialog->Title = kImportDialogTitle;
    dialog->Filter = "Sound packs (config.json, *.zip)|config.json;*.zip";
    dialog->Options = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT |
                      OFN_HIDEREADONLY | OFN_ENABLESIZING;
    std::vector<std::string> paths;
    if (dialog->Execute())
        for (const std::string& file : dialog->Files)
            paths.push_back(Utf16ToUtf8(AnsiToUtf16(file)));
    return paths;
}

UINT SchemesChangedMessage() {
    static const UINT message = RegisterWindowMessageA(kSchemesChangedMessage);
    return message;
}

void NotifyRunningTappolo() {
    const UINT message = SchemesChangedMessage();
    HWND main = FindWindowA(kFormWindowClass, kMainWindowCaption);
    if (main && message != 0)
        PostMessageA(main, message, 0, 0);
}

std::vector<std::string> CommandLineArguments() {
    return SplitCommandLine(FromWide(GetCommandLineW()));
}

int RunImportCommand(const ImportCommand& command) {
    std::string text;
    bool failed = command.paths.empty();
    if (failed)
        text = ErrorBoxText("Name the sound pack to import: Tappolo.exe /import \"<pack folder>\"");
    bool imported = false;
    for (const std::string& path : command.paths) {
        ImportOutcome outcome = ImportOne(path, GetProgramDir(), {});
        failed = failed || !outcome.error.empty();
        imported = imported || outcome.error.empty();
        if (!text.empty())
            text += '\n';
        text += OutcomeText(outcome);
    }
    if (imported)
        NotifyRunningTappolo();
    if (!command.quiet) {
        if (failed)
            ShowError(text);
        else
            ShowInfo(text);
    }
    return failed ? 1 : 0;
}

TImportQueue::TImportQueue(std::string programDir, HWND window, UINT message)
    : FProgramDir(std::move(programDir)), FWindow(window), FMessage(message),
      FThread([this] { Work(); }) {}

TImportQueue::~TImportQueue() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
    }
    FWake.notify_all();
    FThread.join();
}

void TImportQueue::Add(const std::vector<std::string>& paths) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FWaiting.insert(FWaiting.end(), paths.begin(), paths.end());
    }
    FWake.notify_all();
}

std::string TImportQueue::ProgressText() const {
    std::lock_guard<std::mutex> lock(FLock);
    return FProgress;
}

std::optional<ImportOutcome> TImportQueue::TakeOutcome() {
    std::lock_guard<std::mutex> lock(FLock);
    if (FDone.empty())
        return std::nullopt;
    ImportOutcome outcome = std::move(FDone.front());
    FDone.pop_front();
    return outcome;
}

void TImportQueue::Work() {
    std::unique_lock<std::mutex> lock(FLock);
    while (true) {
        FWake.wait(lock, [this] { return FStop || !FWaiting.empty(); });
        if (FStop)
            return;
        std::string path = std::move(FWaiting.front());
        FWaiting.pop_front();
        const std::string label = PackLabel(path);
        FProgress = "Importing " + label + "...";
        lock.unlock();
        PostMessageA(FWindow, FMessage, 0, 0);
        ImportOutcome outcome = ImportOne(path, FProgramDir, [&](int done, int total) {
            std::lock_guard<std::mutex> step(FLock);
            if (FStop)
                throw Exception("Tappolo ended before the import was done");
            FProgress = Format("Importing %s: %s of %s",
                               {label, std::to_string(done), std::to_string(total)});
            PostMessageA(FWindow, FMessage, 0, 0);
        });
        lock.lock();
        FProgress.clear();
        FDone.push_back(std::move(outcome));
        PostMessageA(FWindow, FMessage, 1, 0);
    }
}
