#pragma once
// The Win32 side of importing a sound pack: the file dialog, the command line, and the word
// to a running Tappolo that the schemes changed.
#include "Component.h"
#include "ImportCommand.h"

#include <windows.h>

#include <string>
#include <vector>

// Title and filter of the dialog that picks a pack's config.json.
constexpr const char* kImportDialogTitle = "Import Sound Pack";

// Asks for a pack's config.json with the platform's file-open dialog over `owner`; empty
// when the user cancels.
std::string ChooseSoundPack(TComponent* owner);

// The message a running Tappolo's main window takes as "the schemes folder changed: list the
// schemes anew".
UINT SchemesChangedMessage();
// Tells the running Tappolo, if there is one, that the schemes changed.
void NotifyRunningTappolo();

// The command line's arguments, without the program's own name, in the ANSI code page.
std::vector<std::string> CommandLineArguments();

// Runs an import of the command line: the result in a message box unless `quiet`, a running
// Tappolo told of the new scheme. Gives the process exit code: 0 imported, 1 failed.
int RunImportCommand(const ImportCommand& command);
