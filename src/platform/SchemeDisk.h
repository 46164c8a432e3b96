#pragma once
// The scheme store's operations on disk. Each leaves the disk alone for an entry that may not
// touch it, and none reports a failure of its own: the caller carries on.
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"

#include <string>
#include <vector>

// One entry of the scheme list. `Own` says the entry names its own scheme file and folder: a
// file on disk whose name is exactly Name + ".tss", or a scheme just created under Name.
struct SchemeEntry {
    std::string Name;
    bool Own = false;
};

// The plain "*.tss" files of the schemes folder as list entries, in the file system's order.
std::vector<SchemeEntry> ListSchemes(const std::string& programDir);

// Whether the entry may read or write its scheme's file and folder: it names its own file, and
// the name guard takes the name. Any other entry could reach another scheme's file or folder,
// or something outside the schemes folder.
bool MayTouchScheme(const std::string& programDir, const SchemeEntry& entry);

// Loads the scheme's file into the record; a missing file, or an entry that may not touch the
// disk, leaves the record as it is.
void LoadScheme(const std::string& programDir, const SchemeEntry& entry, TMySchemeInfo& scheme);

// Loads the scheme's per-key sounds into the record, which is emptied first. It stays empty for
// an entry that may not touch the disk and for a scheme without its scheme file: key sounds
// left without one are no part of any scheme.
void LoadSchemeKeySounds(const std::string& programDir, const SchemeEntry& entry,
                         TSchemeKeySounds& sounds);

// Creates the scheme's sound folder, with the schemes folder if it is missing. No scheme file
// is written; a key sounds file of the name goes when no scheme file has the name. True when
// the folder is there afterwards.
bool CreateScheme(const std::string& programDir, const std::string& name);

// Writes the record to the scheme's file (replacing it). False, with nothing written, for an
// entry that may not touch the disk. Errors of the write itself go to the caller.
bool SaveScheme(const std::string& programDir, const SchemeEntry& entry,
                const TMySchemeInfo& scheme);

// Writes the record to the scheme's key sounds file, replacing it whole, or removes the file
// when the record is empty. False, with nothing touched, for an entry that may not touch the
// disk. Errors of the write or the removal go to the caller, the old file left as it was.
bool SaveSchemeKeySounds(const std::string& programDir, const SchemeEntry& entry,
                         const TSchemeKeySounds& sounds);

// Brings the chosen sound file into the scheme's sound folder and gives the bare name to
// record. A file from elsewhere replaces one of the same name there; a file already in the
// folder is left as it is. A failed copy goes unnoticed.
std::string BringSoundIn(const std::string& programDir, const SchemeEntry& entry,
                         const std::string& chosenPath);

// Removes the scheme's sound folder for good, then its key sounds file and its file; false
// when the entry may not touch the disk.
bool DeleteScheme(const std::string& programDir, const SchemeEntry& entry);
