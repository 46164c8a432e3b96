#include "CoreTestFiles.h"
#include "Exception.h"
#include "FileSystem.h"
#include "Stream.h"

#include <gtest/gtest.h>

#include <filesystem>

using coretest::TempDir;
using coretest::WriteBytes;

TEST(DosDateTime, ConvertsBothWaysAtTwoSecondResolution) {
    // 1980-01-01 00:00:00, the first packed date.
    EXPECT_EQ(DosToDateTime(0x0021, 0), 29221.0);
    // 2024-02-29 13:37:44.
    uint16_t date = static_cast<uint16_t>((44 << 9) | (2 << 5) | 29);
    uint16_t time = static_cast<uint16_t>((13 << 11) | (37 << 5) | 22);
    double value = DosToDateTime(date, time);
    EXPECT_NEAR(value, 45351.0 + (13 * 3600 + 37 * 60 + 44) / 86400.0, 1e-9);

    uint16_t d, t;
    // 45 seconds has no packed form and goes down to 44.
    ASSERT_TRUE(DateTimeToDos(value + 1.0 / 86400.0, d, t));
    EXPECT_EQ(d, date);
    EXPECT_EQ(t, time);
    // A time a hair under a whole second must not lose that second.
    ASSERT_TRUE(DateTimeToDos(value - 1e-9, d, t));
    EXPECT_EQ(t, time);

    EXPECT_FALSE(DateTimeToDos(29220.5, d, t)); // 1979
    EXPECT_FALSE(DateTimeToDos(-1.0, d, t));
    EXPECT_EQ(DosToDateTime(static_cast<uint16_t>((44 << 9) | (2 << 5) | 30), 0), -1.0);
    EXPECT_EQ(DosToDateTime(static_cast<uint16_t>((44 << 9) | (13 << 5) | 1), 0), -1.0);
    EXPECT_EQ(DosToDateTime(0x0021, 30), -1.0); // sixty seconds
}

TEST(FileSystem, FileStampRoundTripsAndMissesFoldersAndMissingFiles) {
    TempDir dir;
    std::string path = dir.File("stamp.tsc");
    WriteBytes(path, "x");
    // 2015-06-15 12:34:56, clear of any daylight-saving change.
    double when = 42170.0 + (12 * 3600 + 34 * 60 + 56) / 86400.0;
    ASSERT_EQ(SetFileStamp(path, when), 0);
    EXPECT_NEAR(GetFileStamp(path), when, 1e-9);

    EXPECT_EQ(GetFileStamp(dir.File("missing")), -1.0);
    EXPECT_NE(SetFileStamp(dir.File("missing"), when), 0);
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(GetFileStamp(dir.File("folder")), -1.0);
}

TEST(FileSystem, ForceDeleteFileRemovesReadOnlyFilesAndLeavesFolders) {
    TempDir dir;
    std::string path = dir.File("ro.tss");
    WriteBytes(path, "x");
    coretest::MakeReadOnly(path);
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(ForceDeleteFile(path));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ForceDeleteFile(path));

    std::string folder = dir.File("sounds");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(FileExists(folder));
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_FALSE(DirectoryExists(dir.File("nothing")));
    EXPECT_TRUE(ForceDeleteFile(folder));
    EXPECT_TRUE(DirectoryExists(folder));
}

TEST(TFileStream, OpenAndCreateFailuresCarryPathAndReason) {
    TempDir dir;
    std::string missing = dir.File("missing.tss");
    try {
        TFileStream stream(missing, TFileMode::OpenRead);
        ADD_FAILURE() << "opened a missing file";
    } catch (const Exception& e) {
        // Code 2 is "file not found" on Windows and ENOENT on POSIX alike.
        EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". " + SystemErrorText(2));
        EXPECT_FALSE(SystemErrorText(2).empty());
        EXPECT_NE(e.Message().back(), '\n');
        EXPECT_NE(e.Message().back(), '\r');
    }
    std::string folder = dir.File("folder");
    std::filesystem::create_directory(folder);
    EXPECT_THROW(TFileStream(folder, TFileMode::OpenRead), Exception);
    try {
        TFileStream stream(folder, TFileMode::Create);
        ADD_FAILURE() << "created a file over a folder";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().rfind("Cannot create file \"" + folder + "\". ", 0), 0u);
    }
}

TEST(TFileStream, CreateEmptiesTheFileAndReadsBackWhatWasWritten) {
    TempDir dir;
    std::string path = dir.File("data.bin");
    WriteBytes(path, "a much longer old content");
    {
        TFileStream stream(path, TFileMode::Create);
        stream.WriteBuffer("new", 3);
        EXPECT_EQ(stream.Size(), 3);
        stream.SetPosition(1);
        char c;
        stream.ReadBuffer(&c, 1);
        EXPECT_EQ(c, 'e');
    }
    TFileStream stream(path, TFileMode::OpenRead);
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 3u);
    EXPECT_EQ(std::string(buffer, 3), "new");
#ifdef _WIN32
    // Opened without sharing: a second opening fails while this one is held.
    EXPECT_THROW(TFileStream(path, TFileMode::OpenRead), Exception);
#endif
}
