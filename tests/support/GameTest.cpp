#include "support/GameTest.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string currentTestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "no-test";
    // Parameterised tests carry '/' in their names.
    for (char& c : name)
        if (c == '/' || c == ' ')
            c = '_';
    return name;
}

std::string gameState(GameProcess* game)
{
    if (!game)
        return "the game was not started";
    const std::optional<ExitStatus> status = game->exitStatus();
    return status ? "the game ended with " + status->describe() : "the game is still running";
}

} // namespace

std::string gameUnderTest()
{
    const char* game = std::getenv("QUARRYSTACK_GAME");
    return game && *game ? game : QUARRYSTACK_GAME;
}

double timeScale()
{
#ifdef QUARRYSTACK_DEFAULT_TIME_SCALE
    double scale = QUARRYSTACK_DEFAULT_TIME_SCALE;
#else
    double scale = 1.0;
#endif
    if (const char* text = std::getenv("QUARRYSTACK_TIME_SCALE"))
        scale = std::atof(text);
    return scale >= 1.0 ? scale : 1.0;
}

void GameTest::SetUp()
{
    // A passing run must not leave an earlier failure's evidence lying about.
    std::error_code ignored;
    fs::remove_all(artifactDir(), ignored);
}

void GameTest::TearDown()
{
    if (HasFailure())
        keepEvidence();
    else {
        std::error_code ignored;
        fs::remove_all(artifactDir(), ignored);
    }
    game_.reset();
    x_.reset();
    display_.reset();
    data_.reset();
}

void GameTest::keepEvidence()
{
    // Evidence is a courtesy: a failure here must not hide the test's own.
    try {
        fs::create_directories(artifactDir());
        if (x_ && game_ && game_->running())
            x_->screenshot(artifactPath("teardown.png").string());
        if (game_) {
            game_->stop();
            fs::copy_file(game_->outputPath(), artifactPath("stdout.txt"), fs::copy_options::overwrite_existing);
            fs::copy_file(game_->errorPath(), artifactPath("stderr.txt"), fs::copy_options::overwrite_existing);
        }
        std::cerr << "[ evidence ] " << artifactDir().string() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "[ evidence ] could not be kept: " << error.what() << '\n';
    }
}

fs::path GameTest::artifactDir() const
{
    return fs::path(QUARRYSTACK_BINARY_DIR) / "e2e-artifacts" / currentTestName();
}

fs::path GameTest::artifactPath(const std::string& name)
{
    fs::create_directories(artifactDir());
    return artifactDir() / name;
}

GameData& GameTest::data()
{
    if (!data_)
        data_ = std::make_unique<GameData>();
    return *data_;
}

XvfbDisplay& GameTest::display()
{
    if (!display_)
        throw std::logic_error("GameTest: no display; launch the game first");
    return *display_;
}

XControl& GameTest::x()
{
    if (!x_)
        throw std::logic_error("GameTest: no display; launch the game first");
    return *x_;
}

GameProcess& GameTest::game()
{
    if (!game_)
        throw std::logic_error("GameTest: the game was not launched");
    return *game_;
}

void GameTest::launch(std::optional<std::string> displayName)
{
    if (game_)
        throw std::logic_error("GameTest: the game is already launched");
    ProcessOptions options;
    options.program = program;
    options.arguments = arguments;
    options.workingDirectory = workingDirectory.empty() ? data().root().string() : workingDirectory.string();
    options.display = std::move(displayName);
    options.environment = environment;
    game_ = std::make_unique<GameProcess>(std::move(options));
}

void GameTest::launchGame(int width, int height)
{
    if (!display_) {
        display_ = std::make_unique<XvfbDisplay>(width, height);
        x_ = std::make_unique<XControl>(display_->name());
    }
    launch(display_->name());
}

void GameTest::launchGameWithoutDisplay()
{
    launch(std::nullopt);
}

void GameTest::startGame(int width, int height)
{
    launchGame(width, height);
    // Poll rather than let xdotool wait: a game that dies at start-up should
    // fail the test at once, with its output, not after the whole timeout.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(startTimeout);
    for (;;) {
        const std::vector<XControl::WindowId> found = x_->windows(windowPattern);
        if (!found.empty()) {
            window_ = found.front();
            break;
        }
        if (!game_->running() || std::chrono::steady_clock::now() >= deadline) {
            std::ostringstream text;
            text << "GameTest: no window named like '" << windowPattern << "' (" << gameState(game_.get())
                 << "); standard output ends with:\n"
                 << outputTail() << "standard error:\n"
                 << errorOutput();
            throw std::runtime_error(text.str());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    x_->focus(window_);
}

std::string GameTest::output()
{
    return game().output();
}

std::string GameTest::errorOutput()
{
    return game().errorOutput();
}

::testing::AssertionResult GameTest::waitForOutput(const std::string& text, double timeoutSeconds, std::size_t from)
{
    if (game().waitForOutput(text, timeoutSeconds, from))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text << "\" did not appear on standard output within "
                                         << timeoutSeconds << " s (" << gameState(game_.get())
                                         << "); it ends with:\n"
                                         << outputTail();
}

std::size_t GameTest::countInOutput(const std::string& text, std::size_t from)
{
    const std::string all = output();
    std::size_t count = 0;
    if (text.empty())
        return 0;
    for (std::size_t at = all.find(text, from); at != std::string::npos; at = all.find(text, at + text.size()))
        ++count;
    return count;
}

std::string GameTest::outputTail(std::size_t lines)
{
    const std::string all = game_ ? game_->output() : std::string();
    std::vector<std::string> kept;
    std::size_t frameLines = 0;
    std::istringstream in(all);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("frametime: ", 0) == 0) {
            ++frameLines;
            continue;
        }
        kept.push_back(line);
    }
    std::ostringstream text;
    const std::size_t first = kept.size() > lines ? kept.size() - lines : 0;
    if (first > 0)
        text << "  [... " << first << " earlier lines]\n";
    for (std::size_t i = first; i < kept.size(); ++i)
        text << "  " << kept[i] << '\n';
    text << "  [" << frameLines << " frametime lines left out]\n";
    return text.str();
}

Image GameTest::screenshot(const std::string& name)
{
    ++screenshotCount_;
    const std::string file = (name.empty() ? "screenshot-" + std::to_string(screenshotCount_) : name) + ".png";
    const fs::path path = artifactPath(file);
    x().screenshot(path.string());
    return loadImage(path.string());
}

void GameTest::saveArtifact(const Image& image, const std::string& name)
{
    saveImage(image, artifactPath(name + ".png").string());
}

std::string GameTest::title()
{
    if (!window_)
        throw std::logic_error("GameTest: no window; use startGame");
    return x().windowName(window_);
}

std::optional<ExitStatus> GameTest::waitForExit(double timeoutSeconds)
{
    return game().waitForExit(timeoutSeconds);
}

::testing::AssertionResult GameTest::quit(double timeoutSeconds)
{
    // Held until the end: on a slow frame a fixed-length press can fall
    // between two polls of the keyboard.
    keyDown({"Escape"});
    const std::optional<ExitStatus> status = game().waitForExit(timeoutSeconds);
    keyUp({"Escape"});
    if (status && status->success())
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    if (status)
        failure << "after Escape the game ended with " << status->describe();
    else
        failure << "the game was still running " << timeoutSeconds << " s after Escape";
    return failure << "; standard output ends with:\n" << outputTail() << "standard error:\n" << errorOutput();
}
