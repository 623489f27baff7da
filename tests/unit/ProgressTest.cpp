// The player's progress: the chain's levels opened by wins, best times, the
// file that keeps them between runs as the game may find it, and the words
// the pictures show.
#include "app/Progress.h"
#include "app/MenuState.h"
#include "app/PictureText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Wins open the next level and keep the better time; the file keeps both.
// A file as the game may find it: not there, damaged (read as nothing yet
// and written over by the next win), another program's or a folder (left
// alone: this run's progress is kept nowhere), and one the game cannot write
// beside; each is told once and play goes on.
TEST(Progress, WinsAreKeptAndBadFilesReadAsNothingYetAndAreToldOnce)
{
    const TempDir dir("progress");
    const std::string path = (dir.path() / "quarrystack/progress.ini").string();
    Progress progress;
    EXPECT_TRUE(progress.recordWin(0, 42.5));
    EXPECT_FALSE(progress.recordWin(0, 50.0));
    EXPECT_TRUE(progress.recordWin(1, 30.25));
    EXPECT_EQ(progress.reached, 3);
    progress.recordWin(5, 10.0); // the last level opens nothing more
    EXPECT_EQ(progress.reached, 6);
    ASSERT_EQ(writeProgress(path, progress), "");
    const ProgressRead read = readProgress(path);
    EXPECT_EQ(std::make_tuple(read.progress.reached, read.progress.bestSeconds, read.warning, read.writable),
              std::make_tuple(6, progress.bestSeconds, std::string(), true));

    const std::string damaged = "Progress: " + path + " is damaged; play starts again from the first level";
    const std::string foreign =
        "Progress: " + path + " is not the game's; it is left alone, and this run's progress is not kept";
    for (const auto& [text, warning, writable] :
         {std::tuple{std::string("# Quarrystack progress\nreached = 9\n"), damaged, true},
          {std::string("# Quarrystack progress\nbest = Data/LevelFinal.dae nan\n"), damaged, true},
          {std::string("# Quarrystack progress\nreached = 2 x\n"), damaged, true},
          {std::string(), std::string(), true},
          {std::string("[General]\nreached = 3\n"), foreign, false},
          {std::string("\x89PNG\r\n\x1a\n\0", 9), foreign, false}}) {
        std::ofstream(path, std::ios::binary) << text;
        const ProgressRead found = readProgress(path);
        EXPECT_EQ(
            std::make_tuple(found.progress.reached, found.progress.bestSeconds.size(), found.warning, found.writable),
            std::make_tuple(1, size_t(0), warning, writable))
            << text;
        testing::internal::CaptureStderr();
        ProgressBook book(path);
        EXPECT_EQ(book.recordWin(0, 12.0), std::nullopt);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), warning.empty() ? "" : warning + "\n");
        std::ifstream in(path, std::ios::binary);
        const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(after == text, !writable) << "another program's file is never written over";
    }
    std::filesystem::remove(path), std::filesystem::create_directory(path);
    EXPECT_EQ(readProgress(path).warning,
              "Progress: " + path + " not a regular file; it is left alone, and this run's progress is not kept");

    std::ofstream(dir.path() / "file");
    const std::string blocked = (dir.path() / "file/progress.ini").string();
    testing::internal::CaptureStderr();
    ProgressBook book(blocked);
    book.recordWin(0, 20.0);
    EXPECT_EQ(book.recordWin(0, 15.0), 20.0) << "kept for the run all the same";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Progress: cannot write " + blocked + ": Not a directory\n");
}

// Times as the pictures show them, and the welcome picture's list: the rows
// the pointer finds are the rows drawn.
TEST(Progress, TimesAndTheLevelListAsThePicturesShowThem)
{
    for (const auto& [seconds, text] :
         {std::pair{0.0, "0:00.0"}, {9.96, "0:10.0"}, {62.54, "1:02.5"}, {3599.9, "59:59.9"}})
        EXPECT_EQ(runTimeText(seconds), text);
    MenuState menu;
    menu.offerLevels(3, 2);
    menu.choose(1);
    const std::vector<TextLine> rows = levelListText(
        {{"The quarry", 41.0}, {"A title longer than the column", std::nullopt}, {"Hidden", 9.0}}, menu, false);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, "  1  The quarry         0:41.0");
    EXPECT_EQ(rows[1].text, "> 2  A title longer th        ");
    EXPECT_EQ(rows[2].text, "  3  - locked -               ");
    for (const bool fourByThree : {false, true})
        for (int row = 0; row < 3; ++row) {
            const TextLine line = levelListText({{"a", {}}, {"b", {}}, {"c", {}}}, menu, fourByThree)[size_t(row)];
            EXPECT_EQ(levelListRowAt({line.centreX, line.bottom + line.size * 0.5f}, 3, fourByThree), row);
        }
    EXPECT_EQ(levelListRowAt({960.0f, 900.0f}, 3, false), std::nullopt);
    EXPECT_EQ(levelListRowAt({20.0f, 452.0f}, 3, false), std::nullopt);
}

} // namespace
