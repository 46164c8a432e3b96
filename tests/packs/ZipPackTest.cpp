// The zip reader on zips written here byte by byte: what it refuses before unpacking anything,
// what it refuses while unpacking, and how a pack's names are found in a zip.
#include "PackFiles.h"
#include "ZipReader.h"

#include "Exception.h"
#include "ZipMaker.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using ziptest::Entry;
using ziptest::MakeZip;

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string Refusal(const std::string& zip) {
    try {
        ZipReader::FromBytes(Bytes(zip));
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(accepted)";
}

std::string ReadRefusal(const std::string& bytes) {
    try {
        ZipReader zip = ZipReader::FromBytes(Bytes(bytes));
        zip.Read(0);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(read)";
}

// Bytes that deflate does not shrink.
std::string Noise(size_t size) {
    std::mt19937 random(7);
    std::string out(size, '\0');
    for (char& c : out)
        c = char(random());
    return out;
}

} // namespace

TEST(ZipReader, HostileZipsAreRefusedFromTheirListAlone) {
    std::vector<Entry> many(2000, Entry{"a.wav", "x"});
    EXPECT_EQ(Refusal(MakeZip(many)), "(accepted)");
    many.push_back(Entry{"b.wav", "x"});
    EXPECT_EQ(Refusal(MakeZip(many)), "The zip file holds more than 2,000 files");

    // Sizes only listed: nothing of them is there to unpack.
    Entry big{"big.wav", "x"};
    big.listedSize = 64 * 1024 * 1024 + 1;
    big.listedPacked = 1024 * 1024;
    EXPECT_EQ(Refusal(MakeZip({big})),
              "The file \"big.wav\" in the zip is larger than 64 MB unpacked");
    big.listedSize = 60 * 1024 * 1024;
    EXPECT_EQ(Refusal(MakeZip({big, big, big, big})),
              "The zip file is damaged: its list of files cannot be read");
    EXPECT_EQ(Refusal(MakeZip({big, big, big, big, big})),
              "The zip file is larger than 256 MB unpacked");

    // Two megabytes of zeros pack a thousand to one; small silent files count only in the whole.
    EXPECT_EQ(Refusal(MakeZip({{"zeros.wav", std::string(2 << 20, '\0')}})),
              "The file \"zeros.wav\" in the zip is packed more than 100 to 1");
    std::vector<Entry> silent(10, Entry{"s.wav", std::string(200 << 10, '\0')});
    EXPECT_EQ(Refusal(MakeZip(silent)), "The zip file is packed more than 100 to 1");
    EXPECT_EQ(Refusal(MakeZip({silent[0], {"noise.wav", Noise(1 << 20), false}})), "(accepted)");
    Entry hundred{"h.wav", Noise(20000), false};
    hundred.listedSize = 2000000;
    EXPECT_EQ(Refusal(MakeZip({hundred})), "(accepted)");
    hundred.listedSize = 2000001;
    EXPECT_EQ(Refusal(MakeZip({hundred})),
              "The file \"h.wav\" in the zip is packed more than 100 to 1");

    Entry locked{"a.wav", "secret"};
    locked.flags = 1;
    EXPECT_EQ(Refusal(MakeZip({{"config.json", "{}"}, locked})),
              "The file \"a.wav\" in the zip is encrypted");

    for (const char* name : {"../a.wav", "pack/../../a.wav", "pack\\..\\..\\a.wav", "/etc/a.wav",
                             "\\a.wav", "C:\\a.wav", "c:a.wav"})
        EXPECT_EQ(Refusal(MakeZip({{"config.json", "{}"}, {name, "x"}})),
                  std::string("The zip file names a file outside itself: \"") + name + "\"")
            << name;
    // Dots that are part of a name are no step up.
    EXPECT_EQ(Refusal(MakeZip({{"..a/b..wav", "x"}})), "(accepted)");

    const std::string zip = MakeZip({{"config.json", "{}"}, {"a.wav", "sound"}});
    const std::string damaged = "The zip file is damaged: its list of files cannot be read";
    EXPECT_EQ(Refusal(zip.substr(0, zip.size() - 5)), damaged); // the end record cut
    std::string wrongPlace = zip;
    wrongPlace.replace(zip.size() - 6, 4,
                       std::string("\x00\xFF\xFF\x7F", 4)); // the list's offset, past its end
    EXPECT_EQ(Refusal(wrongPlace), damaged);
    std::string notAList = zip;
    notAList[zip.find("PK\x01\x02") + 2] = 9;
    EXPECT_EQ(Refusal(notAList), damaged);
    EXPECT_EQ(Refusal("PK\x03\x04"), damaged);
    EXPECT_EQ(Refusal(""), damaged);
}

TEST(ZipReader, EntriesUnpackToTheirListedSizeAndChecksumOrNotAtAll) {
    const std::string sound = "RIFF" + Noise(3000) + std::string(3000, 'a');
    ZipReader zip = ZipReader::FromBytes(
        Bytes(MakeZip({{"pack/", ""}, {"pack/a.wav", sound}, {"pack/b.wav", sound, false}})));
    ASSERT_EQ(zip.Entries().size(), 3u);
    EXPECT_TRUE(zip.Entries()[0].folder);
    EXPECT_EQ(zip.Entries()[1].name, "pack/a.wav");
    EXPECT_EQ(zip.Entries()[1].size, sound.size());
    EXPECT_LT(zip.Entries()[1].packedSize, sound.size());
    EXPECT_EQ(zip.Read(1), Bytes(sound));
    EXPECT_EQ(zip.Read(2), Bytes(sound));

    // Listed sizes and checksums are claims: a stream that gives more or less is damaged.
    const std::string damaged = "The file \"a.wav\" in the zip is damaged";
    Entry shorter{"a.wav", sound};
    shorter.listedSize = 100;
    EXPECT_EQ(ReadRefusal(MakeZip({shorter})), damaged);
    Entry longer{"a.wav", sound};
    longer.listedSize = uint32_t(sound.size() + 1);
    EXPECT_EQ(ReadRefusal(MakeZip({longer})), damaged);
    std::string bent = MakeZip({{"a.wav", sound, false}});
    bent[30 + 5 + 100] ^= 1; // a byte of the stored data: the checksum tells
    EXPECT_EQ(ReadRefusal(bent), damaged);
    Entry bzip2{"a.wav", sound, false};
    bzip2.listedMethod = 12;
    EXPECT_EQ(ReadRefusal(MakeZip({bzip2})),
              "The file \"a.wav\" in the zip is packed in a way this program does not read");
}

TEST(ZipReader, NamesAreUtf8WhereTheZipSaysSoOrTheyAreElseCodePage437) {
    ZipReader zip = ZipReader::FromBytes(Bytes(MakeZip({
        {"caf\x82.wav", "1"},                   // code page 437's e acute
        {"caf\xC3\xA9.wav", "2"},               // UTF-8 without saying so
        {"\xE9\x9F\xB3.wav", "3", true, 0x800}, // UTF-8, said
    })));
    EXPECT_EQ(zip.Entries()[0].name, "caf\xC3\xA9.wav");
    EXPECT_EQ(zip.Entries()[1].name, "caf\xC3\xA9.wav");
    EXPECT_EQ(zip.Entries()[2].name, "\xE9\x9F\xB3.wav");
}

TEST(PackZip, ThePackIsAtTheRootOrInItsOneFolderAndNamesAreFoundAsPacksExpect) {
    auto open = [](const std::vector<Entry>& entries) {
        return OpenPackZip(ZipReader::FromBytes(Bytes(MakeZip(entries))), "C:\\dl\\NK Cream.ZIP");
    };
    auto root = open({{"CONFIG.JSON", "{1}"}, {"Sounds/A.wav", "a"}, {"deep/x/b.wav", "b"}});
    EXPECT_EQ(root->OwnName(), "NK Cream");
    EXPECT_EQ(root->Read("config.json"), Bytes("{1}"));
    EXPECT_EQ(root->Read("sounds\\a.WAV"), Bytes("a"));
    EXPECT_EQ(root->Read("./sounds//a.wav"), Bytes("a"));
    // Not at its path: the first file of that base name, in lower case, anywhere in the pack.
    EXPECT_EQ(root->Read("other/B.WAV"), Bytes("b"));
    EXPECT_EQ(root->Size("b.wav"), 1);
    EXPECT_EQ(root->Size("c.wav"), -1);
    EXPECT_FALSE(root->Exists("sounds"));

    // One folder deep; what lies beside it is not the pack's, and a config.json deeper down
    // is not the pack's either.
    auto folder = open({{"readme.txt", "r"},
                        {"__MACOSX/cream/._config.json", "junk"},
                        {"cream/", ""},
                        {"cream/config.json", "{2}"},
                        {"cream/a.wav", "a"},
                        {"cream/x/config.json", "{3}"}});
    EXPECT_EQ(folder->Read("config.json"), Bytes("{2}"));
    EXPECT_EQ(folder->Read("A.wav"), Bytes("a"));
    EXPECT_EQ(folder->Size("readme.txt"), -1);
    EXPECT_EQ(folder->Size("x/config.json"), 3);

    auto none = open({{"a/b/config.json", "{}"}, {"config.txt", ""}});
    EXPECT_EQ(none->Size("config.json"), -1);
    EXPECT_EQ(none->Size("config.txt"), -1);
    EXPECT_EQ(none->MissingConfigReason(),
              "It has no config.json, at the zip's root or in one folder of it");
    auto two = open({{"a/config.json", "{}"}, {"b/config.json", "{}"}});
    EXPECT_EQ(two->Size("config.json"), -1);
    EXPECT_EQ(two->MissingConfigReason(),
              "The zip file holds several packs, each in a folder with a config.json: extract "
              "it and import each folder");
}
