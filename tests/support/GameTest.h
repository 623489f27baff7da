#pragma once

// End-to-end tests run the real game on a private Xvfb display, in a fresh copy
// of its data, and drive it from outside with keys and the mouse:
//
//   #include "support/GameTest.h"
//
//   TEST_F(GameTest, EnterLeavesTheWelcomePicture)
//   {
//       startGame(320, 180);                   // display, data copy, game, window focused
//       const std::size_t mark = outputMark(); // only output from here on counts
//       press("Return");
//       ASSERT_TRUE(waitForOutput("RELOAD", 10, mark));
//       EXPECT_THAT(title(), ::testing::StartsWith("Quarrystack, FPS: "));
//       EXPECT_GT(distinctColors(screenshot("playing")), 1u);
//       ASSERT_TRUE(quit()); // Escape held until the game ends, with exit status 0
//   }
//
// To break the data first, change data() before launching: data().remove("Shader/menu.frag");
// launchGame(320, 180); EXPECT_EQ(waitForExit(30), ExitStatus::exited(255));
// A failing test leaves its screenshots, a last one and the game's output in
// QUARRYSTACK_BINARY_DIR/e2e-artifacts/<Suite>.<Test>/. Whatever was started is
// killed when the test ends, however it ends.

#include "support/Image.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"
#include "support/XControl.h"
#include "support/Xvfb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The game the tests start: the environment variable QUARRYSTACK_GAME when it
// is set (to run the same tests against another build of the game, such as the
// sanitizer build), else the game built beside the tests.
std::string gameUnderTest();

// How many times slower than usual the game under test runs, for stretching
// waits: QUARRYSTACK_TIME_SCALE when set (at least 1), else 4 in the sanitizer
// build and 1 in the others.
double timeScale();

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // What the launch helpers start; a test may change these before launching
    // (the harness's own tests run other X programs this way).
    std::string program = gameUnderTest();
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment; // set on top of ours
    std::string windowPattern = "^(Hello, Zelhan|Quarrystack)";   // the title at creation, then in play
    double startTimeout = 60.0;                                   // seconds for the window to appear
    double keyHold = XControl::defaultHold;                       // seconds press() holds a key
    std::filesystem::path workingDirectory;                       // empty: the data copy, data().root()

    // The test's own copy of the game's data, made on first use; the game runs in it.
    GameData& data();
    // A private display of this size and the game on it; waits for nothing.
    void launchGame(int width = 320, int height = 180);
    // The game with DISPLAY unset.
    void launchGameWithoutDisplay();
    // launchGame, then waits for the window and gives it the input focus.
    // Throws (failing the test) when no window appears or the game ends first.
    void startGame(int width = 320, int height = 180);

    XvfbDisplay& display();
    XControl& x();
    GameProcess& game();
    XControl::WindowId window() const { return window_; }

    // Standard output so far, and its length as a mark for waitForOutput.
    std::string output();
    std::string errorOutput();
    std::size_t outputMark() { return game().outputSize(); }
    // Waits for `text` in standard output at or after the byte offset `from`.
    [[nodiscard]] ::testing::AssertionResult waitForOutput(const std::string& text, double timeoutSeconds = 10.0,
                                                           std::size_t from = 0);
    std::size_t countInOutput(const std::string& text, std::size_t from = 0);
    // The last lines of standard output, leaving out the per-frame "frametime:" lines.
    std::string outputTail(std::size_t lines = 20);

    void press(const std::string& key) { x().press(key, keyHold); }
    void press(const std::string& key, double holdSeconds) { x().press(key, holdSeconds); }
    void hold(const std::vector<std::string>& keys, double seconds) { x().hold(keys, seconds); }
    void keyDown(const std::vector<std::string>& keys) { x().keyDown(keys); }
    void keyUp(const std::vector<std::string>& keys) { x().keyUp(keys); }
    void moveMouse(int px, int py) { x().moveMouse(px, py); }
    void moveMouseRelative(int dx, int dy) { x().moveMouseRelative(dx, dy); }

    // The whole screen, written as <name>.png among the test's artifacts
    // (numbered when no name is given), which stay only if the test fails.
    Image screenshot(const std::string& name = "");
    // Writes `image` among the test's artifacts (kept only if the test fails).
    void saveArtifact(const Image& image, const std::string& name);
    std::string title();

    std::optional<ExitStatus> waitForExit(double timeoutSeconds = 30.0);
    // Presses Escape and expects the game to end with exit status 0.
    [[nodiscard]] ::testing::AssertionResult quit(double timeoutSeconds = 30.0);

    // QUARRYSTACK_BINARY_DIR/e2e-artifacts/<Suite>.<Test>
    std::filesystem::path artifactDir() const;
    // What TearDown does for a failed test: a last screenshot, then the game
    // is stopped and its standard output and error are copied beside it.
    void keepEvidence();

private:
    void launch(std::optional<std::string> displayName);
    std::filesystem::path artifactPath(const std::string& name);

    std::unique_ptr<GameData> data_;
    std::unique_ptr<XvfbDisplay> display_;
    std::unique_ptr<XControl> x_;
    std::unique_ptr<GameProcess> game_;
    XControl::WindowId window_ = 0;
    int screenshotCount_ = 0;
};
