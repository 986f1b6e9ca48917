#include "project/name_template.h"

#include <gtest/gtest.h>

#include <string>

namespace morvel {
namespace {

// The project of the examples: /Film/Szene.mvl with 150 frames; frame 7.
const std::string kProject = "/Film/Szene.mvl";
constexpr int kDigits = 3;

std::string mask(const std::string& nameTemplate, int k = 7) {
    return ExpandNameTemplate(nameTemplate, k, kDigits, kProject, std::nullopt, "");
}

std::string frame(const std::string& nameTemplate, int layer, int k = 7) {
    return ExpandNameTemplate(nameTemplate, k, kDigits, kProject, layer, ".JPG");
}

TEST(ExpandNameTemplate, MaskAndFrameExamples) {
    EXPECT_EQ(mask("masks/$Project_$Nr.png"), "/Film/masks/Szene_007.png");
    EXPECT_EQ(mask("$NR.mask"), "/Film/007.mask");
    EXPECT_EQ(frame("img/$Project_$Layer_$Nr", 1), "/Film/img/Szene_2_007.JPG");
    EXPECT_EQ(frame("$Layer/$NR", 1), "/Film/2/007.JPG");
    EXPECT_EQ(frame("$Layer/$NR", 0), "/Film/1/007.JPG");
}

TEST(ExpandNameTemplate, BackslashInATemplateSeparatesFolders) {
    EXPECT_EQ(mask("masks\\$Project_$Nr.png"), "/Film/masks/Szene_007.png");
    EXPECT_EQ(frame("img\\$Project_$Layer_$Nr", 1), "/Film/img/Szene_2_007.JPG");
    EXPECT_EQ(frame("$Layer\\$NR", 1), "/Film/2/007.JPG");
    EXPECT_EQ(mask("a\\b/c\\$Nr.png"), "/Film/a/b/c/007.png");
}

TEST(ExpandNameTemplate, PlaceholdersAreFoundInAnyLetterCase) {
    for (const std::string nr : {"$NR", "$nr", "$Nr", "$nR"}) {
        EXPECT_EQ(mask(nr + ".mask"), "/Film/007.mask") << nr;
    }
    EXPECT_EQ(mask("$PROJECT-$project-$pRoJeCt"), "/Film/Szene-Szene-Szene");
    EXPECT_EQ(frame("$LAYER$layer", 0), "/Film/11.JPG");
}

TEST(ExpandNameTemplate, NumberIsPaddedToTheDigitsOfTheFrameCount) {
    // 9 frames: 1 to 9.
    EXPECT_EQ(ExpandNameTemplate("$Nr", 1, DigitCount(9), kProject, std::nullopt, ""), "/Film/1");
    EXPECT_EQ(ExpandNameTemplate("$Nr", 9, DigitCount(9), kProject, std::nullopt, ""), "/Film/9");
    // 10 frames: 01 to 10.
    EXPECT_EQ(ExpandNameTemplate("$Nr", 1, DigitCount(10), kProject, std::nullopt, ""), "/Film/01");
    EXPECT_EQ(ExpandNameTemplate("$Nr", 10, DigitCount(10), kProject, std::nullopt, ""),
              "/Film/10");
    // 150 frames: 001 to 150.
    EXPECT_EQ(ExpandNameTemplate("$Nr", 1, DigitCount(150), kProject, std::nullopt, ""),
              "/Film/001");
    EXPECT_EQ(ExpandNameTemplate("$Nr", 150, DigitCount(150), kProject, std::nullopt, ""),
              "/Film/150");
}

TEST(ExpandNameTemplate, LongerNumberIsNotCut) {
    EXPECT_EQ(ExpandNameTemplate("$Nr", 12345, 2, kProject, std::nullopt, ""), "/Film/12345");
}

TEST(ExpandNameTemplate, LayerAndExtensionOnlyForFrames) {
    // A mask template keeps "$Layer" as written and gets no extension.
    EXPECT_EQ(ExpandNameTemplate("$Layer_$Nr.png", 7, 3, kProject, std::nullopt, ".JPG"),
              "/Film/$Layer_007.png");
    EXPECT_EQ(ExpandNameTemplate("copy_$Nr", 7, 3, kProject, 0, ""), "/Film/copy_007");
}

TEST(ExpandNameTemplate, ProjectNameLosesOnlyItsLastExtension) {
    EXPECT_EQ(ExpandNameTemplate("$Project", 1, 1, "/a/my.film.mvl", std::nullopt, ""),
              "/a/my.film");
    EXPECT_EQ(ExpandNameTemplate("$Project", 1, 1, "/a.b/film", std::nullopt, ""), "/a.b/film");
    EXPECT_EQ(ExpandNameTemplate("$Project", 1, 1, "Szene.mvl", std::nullopt, ""), "Szene");
}

TEST(ExpandNameTemplate, ProjectWithoutFolderGivesARelativePath) {
    EXPECT_EQ(ExpandNameTemplate("masks/$Nr.png", 3, 2, "Szene.mvl", std::nullopt, ""),
              "masks/03.png");
}

TEST(ExpandNameTemplate, ReplacedTextIsNotSearchedAgainBySameReplacement) {
    // A project named "$Nr" is brought in after the numbers were replaced.
    EXPECT_EQ(ExpandNameTemplate("$Project_$Nr", 7, 3, "/Film/$Nr.mvl", std::nullopt, ""),
              "/Film/$Nr_007");
    // A project name is not searched for "$Project" again.
    EXPECT_EQ(ExpandNameTemplate("$Project", 7, 3, "/Film/$Project.mvl", std::nullopt, ""),
              "/Film/$Project");
}

TEST(ExpandNameTemplate, LayerIsReplacedLastOverTheWholeName) {
    EXPECT_EQ(ExpandNameTemplate("$Project", 7, 3, "/Film/A$Layer.mvl", 1, ".png"), "/Film/A2.png");
}

TEST(DigitCount, CountsDecimalCharacters) {
    EXPECT_EQ(DigitCount(0), 1);
    EXPECT_EQ(DigitCount(9), 1);
    EXPECT_EQ(DigitCount(10), 2);
    EXPECT_EQ(DigitCount(99), 2);
    EXPECT_EQ(DigitCount(150), 3);
    EXPECT_EQ(DigitCount(2147483647), 10);
}

TEST(ReplaceExtension, ChangesOrAppendsTheExtension) {
    EXPECT_EQ(ReplaceExtension("Projekt.mvl", ""), "Projekt");
    EXPECT_EQ(ReplaceExtension("film.old", ".mvl"), "film.mvl");
    EXPECT_EQ(ReplaceExtension("film", ".mvl"), "film.mvl");
    EXPECT_EQ(ReplaceExtension("film.tar.gz", ".mvl"), "film.tar.mvl");
    EXPECT_EQ(ReplaceExtension("film.", ".mvl"), "film.mvl");
    EXPECT_EQ(ReplaceExtension("/home/u/frame", ".1.bmp"), "/home/u/frame.1.bmp");
}

TEST(ReplaceExtension, DotInAFolderNameIsNoExtension) {
    EXPECT_EQ(ReplaceExtension("/a.b/film", ".mvl"), "/a.b/film.mvl");
    EXPECT_EQ(ReplaceExtension("C:\\a.b\\film", ".mvl"), "C:\\a.b\\film.mvl");
    EXPECT_EQ(ReplaceExtension("/a.b/film.old", ".mvl"), "/a.b/film.mvl");
}

TEST(FileExtension, IsTheTextAfterTheLastDotOfTheFilePart) {
    EXPECT_EQ(FileExtension("D:/Shots/IMG_0007.JPG"), "JPG");
    EXPECT_EQ(FileExtension("/a/b.tar.gz"), "gz");
    EXPECT_EQ(FileExtension("/a.b/film"), "");
    EXPECT_EQ(FileExtension("D:\\a.b\\film"), "");
    EXPECT_EQ(FileExtension("film"), "");
    EXPECT_EQ(FileExtension("film."), "");
}

}  // namespace
}  // namespace morvel
