// How files chosen in the task editor are named in the task: relative to the program
// directory, with the sound rules of the view, on real files and folders.

#include "practice/EditorDialogs.h"

#include "common/TestFiles.h"
#include "data/Cp1252.h"
#include "practice/Media.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

struct MediaCase {
    const char* file; // below the program directory, UTF-8
    bool sound;
    int result;
    const char* name; // UTF-8; converted to Windows-1252 for the comparison
};
void PrintTo(const MediaCase& c, std::ostream* os) { *os << c.file << (c.sound ? " (sound)" : " (picture)"); }
class MediaName : public ::testing::TestWithParam<MediaCase> {};

TEST_P(MediaName, IsRelativeToTheProgramDirectory) {
    const MediaCase& c = GetParam();
    testfiles::TempDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.Dir()) / c.file;
    std::filesystem::create_directories(file.parent_path());
    testfiles::WriteBytes(file.string(), "x");

    for (const std::string& programDir : {dir.Dir(), dir.Dir() + "/"}) {
        std::string name = "unchanged";
        EXPECT_EQ(MediaNameForFile(programDir, file.string(), c.sound, name), c.result);
        EXPECT_EQ(name, c.result == MediaNameOk ? Cp1252FromUtf8(c.name) : "unchanged");
        if (c.result == MediaNameOk) { // the view finds the chosen file under that name
            EXPECT_EQ(std::filesystem::path(MediaPath(dir.Dir() + "/", name)).lexically_normal(),
                      file.lexically_normal());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MediaName, ::testing::Values(
    MediaCase{"ton.wav", true, MediaNameOk, "ton.wav"},
    MediaCase{"bild.png", false, MediaNameOk, "bild.png"},
    MediaCase{"bilder/strasse.png", false, MediaNameOk, "bilder\\strasse.png"},
    MediaCase{"a/b/c.png", false, MediaNameOk, "a\\b\\c.png"},
    MediaCase{"mein bild.png", false, MediaNameOk, "mein bild.png"},
    MediaCase{"straße.png", false, MediaNameOk, "straße.png"},
    MediaCase{"€uro.wav", true, MediaNameOk, "€uro.wav"},
    MediaCase{"töne/ton.wav", true, MediaNameUnusable, ""},
    MediaCase{"mein ton.wav", true, MediaNameUnusable, ""},
    MediaCase{"mein-ton.wav", true, MediaNameUnusable, ""},
    MediaCase{"a\\b.png", false, MediaNameUnusable, ""},
    MediaCase{"日本.png", false, MediaNameNotCp1252, ""}));

TEST(MediaNameRules, FilesOutsideTheProgramDirectoryAreRefused) {
    testfiles::TempDir program, other;
    const std::string outside = other.Path("bild.png");
    testfiles::WriteBytes(outside, "x");
    // A sibling folder whose name starts like the program directory is outside too.
    const std::string sibling = program.Dir() + "x/bild.png";
    std::string name;
    for (const std::string& file :
         {outside, sibling, program.Dir() + "/../bild.png", program.Dir(), std::string()})
        EXPECT_EQ(MediaNameForFile(program.Dir(), file, false, name), MediaNameOutside) << file;
    EXPECT_EQ(MediaNameForFile("", outside, false, name), MediaNameOutside);
    EXPECT_TRUE(name.empty());
}

TEST(MediaNameRules, LinkedFoldersCountAsTheirTarget) {
    testfiles::TempDir dir;
    const std::string program = dir.Path("programm");
    std::filesystem::create_directories(program + "/bilder");
    testfiles::WriteBytes(program + "/bilder/b.png", "x");
    std::filesystem::create_directory_symlink(program, dir.Path("verweis"));
    std::string name;
    // The program directory reached through the link, the file through its real path.
    ASSERT_EQ(MediaNameForFile(dir.Path("verweis"), program + "/bilder/b.png", false, name), MediaNameOk);
    EXPECT_EQ(name, "bilder\\b.png");
    name.clear();
    ASSERT_EQ(MediaNameForFile(program, dir.Path("verweis") + "/bilder/b.png", false, name), MediaNameOk);
    EXPECT_EQ(name, "bilder\\b.png");
}

TEST(MediaNameRules, EveryRefusalHasItsOwnMessage) {
    EXPECT_EQ(MediaNameMessage(MediaNameOk, true), "");
    const std::string outside = MediaNameMessage(MediaNameOutside, false);
    const std::string sound = MediaNameMessage(MediaNameUnusable, true);
    const std::string picture = MediaNameMessage(MediaNameUnusable, false);
    const std::string charset = MediaNameMessage(MediaNameNotCp1252, false);
    EXPECT_EQ(outside, MediaNameMessage(MediaNameOutside, true));
    EXPECT_EQ(sound, Cp1252FromUtf8("Eine Sounddatei muss direkt im Programmverzeichnis liegen, "
                                    "und ihr Name darf weder Leerzeichen noch Bindestriche "
                                    "enthalten."));
    EXPECT_EQ(std::set<std::string>({outside, sound, picture, charset}).size(), 4u); // each its own
}
