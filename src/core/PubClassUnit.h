#pragma once
// The scheme record: one bare sound file name per key type.
#include "KeyTypes.h"
#include "Stream.h"
#include "vobRecord.h"

#include <array>
#include <string>

class TMySchemeInfo {
public:
    TMySchemeInfo() = default;

    void Clear();
    // Indexes outside 0 to 15 give an empty name / change nothing.
    std::string GetSound(int index) const { return SoundRef(index); }
    void SetSound(int index, std::string name);
    // The key-press path reads the name without copying it.
    const std::string& SoundRef(int index) const;

    // Sixteen texts in key type order. Damaged data (a wrong tag, an early end) leaves all
    // sixteen names empty and sets `damaged`; the error goes no further.
    void ReadData(TvobReader& reader, bool& damaged);
    // Raises "Writer Error" without a writer.
    void WriteData(TvobWriter* writer) const;

    // A missing file leaves the record as it is. A file that exists but cannot be opened
    // raises "Cannot open file ...". With `repair`, damaged data is rewritten as an empty
    // scheme at once.
    void LoadFromFile(const std::string& path, bool repair);
    // Replaces the file whole; when the old file cannot be replaced nothing is written and
    // nothing is said.
    void SaveToFile(const std::string& path) const;
    // Raises "Stream Error" without a stream.
    void SaveToStream(TStream* stream) const;

private:
    std::array<std::string, KeyTypeCount> FSounds;
};
