#include "i18n/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::ReadText;
using testing::TempFolder;

class SettingsFile : public ::testing::Test {
protected:
    std::string readFrom(const std::string& content) {
        m_folder.write(kSettingsFileName, content);
        return ReadSettingsFile(m_folder.path());
    }

    TempFolder m_folder;
};

TEST_F(SettingsFile, MissingFileGivesNoName) {
    EXPECT_EQ(ReadSettingsFile(m_folder.path()), "");
}

TEST_F(SettingsFile, FileIsLookedForOnlyInTheProgramFolder) {
    EXPECT_EQ(SettingsFilePath("/opt/morvel/"), "/opt/morvel/morvel_settings.dat");
}

TEST_F(SettingsFile, AnyLineEndOrNoneGivesTheSameName) {
    EXPECT_EQ(readFrom("english\r\n"), "english");
    EXPECT_EQ(readFrom("english\n"), "english");
    EXPECT_EQ(readFrom("english\r"), "english");
    EXPECT_EQ(readFrom("english"), "english");
}

TEST_F(SettingsFile, OnlyTheFirstLineCounts) {
    EXPECT_EQ(readFrom("english\r\nfrench\r\n"), "english");
    EXPECT_EQ(readFrom("\r\nfrench\r\n"), "");
    EXPECT_EQ(readFrom(std::string("eng\0lish\r\n", 10)), "eng");
}

TEST_F(SettingsFile, BlanksAreKept) {
    EXPECT_EQ(readFrom("english  \r\n"), "english  ");
    EXPECT_EQ(readFrom(" \tenglish\r\n"), " \tenglish");
}

TEST_F(SettingsFile, NameBytesAreKeptAsTheyAre) {
    EXPECT_EQ(readFrom("Fran\xC3\xA7"
                       "ais\r\n"),
              "Fran\xC3\xA7"
              "ais");
}

TEST_F(SettingsFile, FolderInPlaceOfTheFileGivesNoName) {
    ASSERT_EQ(::mkdir(m_folder.file(kSettingsFileName).c_str(), 0777), 0);
    EXPECT_EQ(ReadSettingsFile(m_folder.path()), "");
}

TEST_F(SettingsFile, WritesTheNameAndCrLf) {
    ASSERT_TRUE(WriteSettingsFile(m_folder.path(), "english"));
    EXPECT_EQ(ReadText(m_folder.file(kSettingsFileName)), "english\r\n");
    EXPECT_EQ(ReadSettingsFile(m_folder.path()), "english");
}

TEST_F(SettingsFile, EmptyLanguageWritesOnlyTheLineEnd) {
    ASSERT_TRUE(WriteSettingsFile(m_folder.path(), ""));
    EXPECT_EQ(ReadText(m_folder.file(kSettingsFileName)), "\r\n");
    EXPECT_EQ(ReadSettingsFile(m_folder.path()), "");
}

TEST_F(SettingsFile, WritingReplacesALongerOldFile) {
    m_folder.write(kSettingsFileName, "a much longer old language name\r\nand a second line\r\n");
    ASSERT_TRUE(WriteSettingsFile(m_folder.path(), "de"));
    EXPECT_EQ(ReadText(m_folder.file(kSettingsFileName)), "de\r\n");
}

TEST_F(SettingsFile, NameWithBlanksAndUtf8SurvivesTheRoundTrip) {
    const std::string name =
        " Fran\xC3\xA7"
        "ais (Qu\xC3\xA9"
        "bec) ";
    ASSERT_TRUE(WriteSettingsFile(m_folder.path(), name));
    EXPECT_EQ(ReadSettingsFile(m_folder.path()), name);
}

TEST_F(SettingsFile, UnwritableFolderFailsQuietly) {
    // A "folder" that is a regular file: no one, root included, can create a file below it.
    const std::string notAFolder = m_folder.write("plain", "x") + "/";
    EXPECT_FALSE(WriteSettingsFile(notAFolder, "english"));
    EXPECT_EQ(ReadSettingsFile(notAFolder), "");
    EXPECT_EQ(ReadText(m_folder.file("plain")), "x");
}

}  // namespace
}  // namespace morvel
