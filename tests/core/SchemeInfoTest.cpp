#include "CoreTestFiles.h"
#include "Exception.h"
#include "FileSystem.h"
#include "PubClassUnit.h"
#include "Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using namespace std::string_literals;
using coretest::ReadBytes;
using coretest::TempDir;
using coretest::WriteBytes;

std::string EmptyValues(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += "\x06\x00"s;
    return bytes;
}

std::string SoundName(int index) {
    std::string name = "s";
    name += std::to_string(index);
    name += ".wav";
    return name;
}

TMySchemeInfo Filled() {
    TMySchemeInfo scheme;
    for (int i = 0; i < KeyTypeCount; ++i)
        scheme.SetSound(i, SoundName(i));
    return scheme;
}

// Entries in the scratch folder: a save leaves no temporary file behind.
long Entries(const TempDir& dir) {
    return static_cast<long>(std::distance(std::filesystem::directory_iterator(dir.File("")),
                                           std::filesystem::directory_iterator()));
}

void ExpectAllEmpty(const TMySchemeInfo& scheme) {
    for (int i = 0; i < KeyTypeCount; ++i)
        EXPECT_EQ(scheme.GetSound(i), "") << i;
}

} // namespace

TEST(TMySchemeInfo, EnterOnlySchemeFileIsFortyBytes) {
    TempDir dir;
    std::string path = dir.File("Ding.tss");
    TMySchemeInfo scheme;
    scheme.SetSound(KeyType::Enter, "ding.wav");
    scheme.SaveToFile(path);
    std::string expected = EmptyValues(7) + "\x06\x08"s + "ding.wav" + EmptyValues(8);
    ASSERT_EQ(expected.size(), 40u);
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(Entries(dir), 1);

    TMySchemeInfo loaded = Filled();
    loaded.LoadFromFile(path, false);
    for (int i = 0; i < KeyTypeCount; ++i)
        EXPECT_EQ(loaded.GetSound(i), i == KeyType::Enter ? "ding.wav" : "") << i;
}

TEST(TMySchemeInfo, SaveAndLoadKeepEveryKindOfName) {
    TempDir dir;
    std::string path = dir.File("Mixed.tss");
    TMySchemeInfo scheme = Filled();
    scheme.SetSound(0, std::string(300, 'L') + ".wav");
    scheme.SetSound(15, "\xE9t\xE9.wav");
    scheme.SaveToFile(path);

    TMySchemeInfo loaded;
    loaded.LoadFromFile(path, false);
    for (int i = 0; i < KeyTypeCount; ++i)
        EXPECT_EQ(loaded.GetSound(i), scheme.GetSound(i)) << i;
}

TEST(TMySchemeInfo, DamagedFilesLoadAsAnEmptySchemeNeverHalfOfOne) {
    TempDir dir;
    std::string fifteen = dir.File("fifteen.tss");
    WriteBytes(fifteen, EmptyValues(14) + "\x06\x01x"s);
    std::string wrongTag = dir.File("wrongtag.tss");
    const std::string wrongTagBytes = "\x06\x01"
                                      "a\x06\x01"
                                      "b\x02\x05"s +
                                      EmptyValues(13);
    WriteBytes(wrongTag, wrongTagBytes);
    std::string cut = dir.File("cut.tss");
    WriteBytes(cut, "\x06\x01"
                    "a\x0C\x00\x10\x00\x00"
                    "abc"s);
    for (const auto& path : {fifteen, wrongTag, cut}) {
        TMySchemeInfo scheme = Filled();
        scheme.LoadFromFile(path, false);
        ExpectAllEmpty(scheme);
    }
    // Without repair the damaged file is left as it was.
    EXPECT_EQ(ReadBytes(wrongTag), wrongTagBytes);
}

TEST(TMySchemeInfo, RepairRewritesADamagedFileAsAnEmptyScheme) {
    TempDir dir;
    std::string path = dir.File("broken.tss");
    WriteBytes(path, "\x06\x01z\x02\x05"s);
    TMySchemeInfo scheme = Filled();
    scheme.LoadFromFile(path, true);
    ExpectAllEmpty(scheme);
    EXPECT_EQ(ReadBytes(path), EmptyValues(16));
}

TEST(TMySchemeInfo, DataAfterTheSixteenthValueIsIgnored) {
    TMemoryStream stream(EmptyValues(15) + "\x06\x03"
                                           "end"
                                           "\x07junk"s);
    TvobReader reader(stream);
    TMySchemeInfo scheme;
    bool damaged = true;
    scheme.ReadData(reader, damaged);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(scheme.GetSound(15), "end");
}

TEST(TMySchemeInfo, LoadingAMissingFileKeepsTheEarlierNames) {
    TempDir dir;
    TMySchemeInfo scheme = Filled();
    scheme.LoadFromFile(dir.File("nothing.tss"), true);
    for (int i = 0; i < KeyTypeCount; ++i)
        EXPECT_EQ(scheme.GetSound(i), SoundName(i));
    EXPECT_FALSE(std::filesystem::exists(dir.File("nothing.tss")));
}

TEST(TMySchemeInfo, SaveReplacesAReadOnlyFile) {
    TempDir dir;
    std::string path = dir.File("ro.tss");
    WriteBytes(path, "old contents");
    coretest::MakeReadOnly(path);
    Filled().SaveToFile(path);
    TMySchemeInfo loaded;
    loaded.LoadFromFile(path, false);
    EXPECT_EQ(loaded.GetSound(3), "s3.wav");
    EXPECT_EQ(Entries(dir), 1);
}

TEST(TMySchemeInfo, FolderAtThePathIsReportedAsTheFilesCreateErrorAndKept) {
    TempDir dir;
    std::string path = dir.File("taken.tss");
    std::filesystem::create_directory(path);
    WriteBytes(path + "/inner.wav", "x");
    try {
        Filled().SaveToFile(path);
        ADD_FAILURE() << "a folder at the path was taken as saved";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind("Cannot create file \"" + path + "\". ", 0), 0u) << e.Message();
    }
    EXPECT_EQ(ReadBytes(path + "/inner.wav"), "x");
    EXPECT_EQ(Entries(dir), 1) << "a temporary file was left";
}

#ifdef _WIN32
TEST(TMySchemeInfo, FileHeldOpenElsewhereIsNeitherReadNorReplaced) {
    TempDir dir;
    std::string path = dir.File("held.tss");
    TMySchemeInfo original = Filled();
    original.SaveToFile(path);
    std::string before = ReadBytes(path);
    {
        TFileStream holder(path, TFileMode::OpenRead);
        TMySchemeInfo other;
        other.SetSound(0, "new.wav");
        EXPECT_NO_THROW(other.SaveToFile(path));

        TMySchemeInfo reader;
        try {
            reader.LoadFromFile(path, false);
            ADD_FAILURE() << "a file held without sharing was opened";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind("Cannot open file \"" + path + "\". ", 0), 0u)
                << e.Message();
        }
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Entries(dir), 1);
}
#endif

#ifdef _WIN32
TEST(SaveRecordFile, FolderTooDeepForATemporaryFileHasItsFileReplacedInPlace) {
    TempDir dir;
    // Windows makes no temporary file in a folder that leaves fewer than 14 characters of
    // MAX_PATH; a short file name still fits.
    std::string folder = dir.File("");
    while (folder.size() < 250) {
        folder += std::string(std::min<size_t>(40, 249 - folder.size()), 'd') + "\\";
        std::filesystem::create_directory(folder);
    }
    ASSERT_EQ(folder.size(), 250u);
    const std::string path = folder + "a.tss";
    WriteBytes(path, "old");
    EXPECT_TRUE(SaveRecordFile(path, [](TvobWriter& writer) { writer.WriteString("new"); }));
    EXPECT_EQ(ReadBytes(path), "\x06\x03new");
    {
        // Held open without sharing, the old file can be neither deleted nor replaced: nothing
        // is written and nothing is said.
        TFileStream holder(path, TFileMode::OpenRead);
        bool saved = true;
        EXPECT_NO_THROW(
            saved = SaveRecordFile(path, [](TvobWriter& writer) { writer.WriteString("other"); }));
        EXPECT_FALSE(saved);
    }
    EXPECT_EQ(ReadBytes(path), "\x06\x03new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
}
#endif

TEST(SaveRecordFile, FailedWriteLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    std::string path = dir.File("keep.tss");
    WriteBytes(path, "good");
    try {
        SaveRecordFile(path, [](TvobWriter& writer) {
            writer.WriteString(std::string(5000, 'x'));
            throw Exception("Stream write error");
        });
        ADD_FAILURE() << "the write error was swallowed";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Stream write error");
    }
    EXPECT_EQ(ReadBytes(path), "good");
    EXPECT_EQ(Entries(dir), 1);
}

TEST(SaveRecordFile, UserFilesNamedLikeATemporaryFileAreNeitherInTheWayNorTouched) {
    TempDir dir;
    std::string path = dir.File("kept.tss");
    WriteBytes(path, "good");
    WriteBytes(path + ".tmp", "mine");
    std::filesystem::create_directory(dir.File("folder.tmp"));
    EXPECT_TRUE(SaveRecordFile(path, [](TvobWriter& writer) { writer.WriteString("new"); }));
    EXPECT_EQ(ReadBytes(path), "\x06\x03new");
    EXPECT_EQ(ReadBytes(path + ".tmp"), "mine");
    EXPECT_EQ(Entries(dir), 3) << "a temporary file was left";
}

TEST(SaveRecordFile, CreateFailureNamesTheFileItCouldNotCreate) {
    TempDir dir;
    std::string path = dir.File("no-such-folder") + "/x.tss";
    try {
        SaveRecordFile(path, [](TvobWriter& writer) { writer.WriteInteger(1); });
        ADD_FAILURE() << "created a file in a missing folder";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind("Cannot create file \"" + path + "\". ", 0), 0u) << e.Message();
    }
}

TEST(TMySchemeInfo, IndexesOutsideTheSixteenAreIgnored) {
    TMySchemeInfo scheme = Filled();
    scheme.SetSound(16, "x.wav");
    scheme.SetSound(-1, "x.wav");
    EXPECT_EQ(scheme.GetSound(16), "");
    EXPECT_EQ(scheme.GetSound(-1), "");
    for (int i = 0; i < KeyTypeCount; ++i)
        EXPECT_EQ(scheme.SoundRef(i), SoundName(i));
    scheme.Clear();
    ExpectAllEmpty(scheme);
}

TEST(TMySchemeInfo, RefusesToWriteWithoutWriterOrStream) {
    TMySchemeInfo scheme;
    try {
        scheme.WriteData(nullptr);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Writer Error");
    }
    try {
        scheme.SaveToStream(nullptr);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Stream Error");
    }
}
