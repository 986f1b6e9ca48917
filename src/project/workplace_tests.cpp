#include "project/workplace.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;

TEST(WorkplaceFile, EveryFieldSurvivesWritingAndReading) {
    TempFolder folder;
    Workplace kept;
    kept.window = WindowPlaceField{-20, 35, 1200, 800};
    kept.brushSize = 37;
    kept.hardness = 0;
    kept.brushShape = 7;
    kept.transparency = 55;
    kept.folders = {{"images", folder.path()}, {"project", folder.path() + "with space/"}};
    MakeFolder(folder.path() + "with space/");
    const std::string film = folder.write("a b.mvl", "MORVEL 1.0\r\n");
    const std::string other = folder.write("other.mvl", "MORVEL 1.0\r\n");
    kept.recentProjects = {film, other};
    kept.zooms = {{film, false, 0.3f, -120, -7}, {other, true, 1.0f, 0, 0}};

    ASSERT_TRUE(WriteWorkplaceFile(folder.path(), kept));
    EXPECT_EQ(ReadWorkplaceFile(folder.path()), kept);
    EXPECT_EQ(ReadWorkplaceFile(folder.path() + "missing/"), Workplace{});
    EXPECT_FALSE(WriteWorkplaceFile("", kept));  // no folder for it
}

// Each damaged line is left out on its own; the good line beside it stays.
TEST(WorkplaceFile, ADamagedFieldFallsBackAlone) {
    TempFolder folder;
    const struct {
        const char* line;
    } damaged[] = {
        {"window 10 10 -5 600"}, {"window 10 10 600"},       {"window a 10 600 600"},
        {"window 1 2 3 4 5"},    {"brush-size 0"},           {"brush-size 151"},
        {"brush-size 12x"},      {"hardness 101"},           {"hardness -1"},
        {"transparency 1000"},   {"brush-shape hexagon"},    {"folder images /no/such/folder/"},
        {"folder images"},       {"recent /no/such/film.mvl"}, {"zoom -1 0 0 /film.mvl"},
        {"zoom nan 0 0 /film.mvl"}, {"zoom 2 5 0.5 /film.mvl"}, {"zoom fit"},
        {"zoom 2 -1 /film.mvl"}, {"unknown 5"},
    };
    for (const auto& entry : damaged) {
        const Workplace read = ParseWorkplace(std::string(entry.line) + "\nbrush-size 20\n");
        Workplace expected;
        expected.brushSize = 20;
        EXPECT_EQ(read, expected) << entry.line;
    }
}

TEST(WorkplaceFile, ListsKeepTheNewestFirstWithoutRepeats) {
    TempFolder folder;
    Workplace workplace;
    for (int i = 0; i < 12; ++i) workplace.rememberProject(folder.file(std::to_string(i) + ".mvl"));
    workplace.rememberProject(folder.file("5.mvl"));
    ASSERT_EQ(workplace.recentProjects.size(), kRecentProjectCount);
    EXPECT_EQ(workplace.recentProjects[0], folder.file("5.mvl"));
    EXPECT_EQ(workplace.recentProjects[1], folder.file("11.mvl"));
    EXPECT_EQ(std::count(workplace.recentProjects.begin(), workplace.recentProjects.end(),
                         folder.file("5.mvl")),
              1);

    // A requester opens where it was left, else in the project's folder.
    EXPECT_EQ(workplace.folderFor("images", "/films/one.mvl"), "/films/");
    EXPECT_EQ(workplace.folderFor("images", ""), "");
    workplace.rememberFolder("images", "/out/frame.png");
    EXPECT_EQ(workplace.folderFor("images", "/films/one.mvl"), "/out/");
    EXPECT_EQ(workplace.folderFor("video", "/films/one.mvl"), "/films/");

    workplace.rememberZoom({"/films/one.mvl", false, 2.0f, -3, -4});
    workplace.rememberZoom({"/films/two.mvl", true, 1.0f, 0, 0});
    workplace.rememberZoom({"/films/one.mvl", true, 1.0f, 0, 0});
    ASSERT_EQ(workplace.zooms.size(), 2u);
    EXPECT_TRUE(workplace.zoomOf("/films/one.mvl")->fit);
    EXPECT_EQ(workplace.zoomOf("/films/three.mvl"), nullptr);
}

}  // namespace
}  // namespace morvel
