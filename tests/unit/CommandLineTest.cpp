#include "app/CommandLine.h"
#include "app/SettingsMenu.h"
#include "app/StoredSettings.h"
#include "core/Platform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

namespace {

using Action = Options::Action;

struct Row {
    std::vector<std::string> arguments;
    // A part of the message; empty when the line is usable.
    std::string error;
    // What differs from the defaults.
    std::function<void(Options&)> expect = [](Options&) {};
};

const Row rows[] = {
    {{}, ""},
    {{"--windowed"}, "", [](Options& o) { o.windowed = true; }},
    {{"--windowed=640x360"}, "", [](Options& o) { o.windowed = true, o.width = 640, o.height = 360; }},
    {{"--level", "a b.dae"}, "", [](Options& o) { o.level = "a b.dae"; }},
    {{"--level=my.dae", "--level", "later.dae"}, "", [](Options& o) { o.level = "later.dae"; }},
    {{"--sensitivity", "2.5"}, "", [](Options& o) { o.sensitivity = 2.5f; }},
    {{"--mute"}, "", [](Options& o) { o.muted = true; }},
    {{"--check-level", "my.dae"}, "", [](Options& o) { o.action = Action::CheckLevel, o.level = "my.dae"; }},
    {{"--version", "--windowed"}, "", [](Options& o) { o.action = Action::Version, o.windowed = true; }},
    {{"--help", "--check-level", "my.dae", "--version"},
     "",
     [](Options& o) { o.action = Action::Help, o.level = "my.dae"; }},
    {{"--fullscreen"}, "unknown option --fullscreen"},
    {{"my.dae"}, "unexpected argument my.dae"},
    {{"--windowed", "640x360"}, "", [](Options& o) { o.windowed = true, o.width = 640, o.height = 360; }},
    {{"--windowed", "--mute", "--quiet"}, "", [](Options& o) { o.windowed = o.muted = o.quiet = true; }},
    {{"--level"}, "--level needs a value: --level FILE"},
    {{"--check-level="}, "--check-level needs a value"},
    {{"--help=me"}, "--help takes no value"},
    {{"--windowed=640"}, "--windowed wants a size such as 1280x720, not \"640\""},
    {{"--windowed=0x360"}, "--windowed wants a size"},
    {{"--windowed=640x360x2"}, "--windowed wants a size"},
    {{"--windowed=99999x360"}, "--windowed wants a size"},
    {{"--sensitivity", "0.05"}, "", [](Options& o) { o.sensitivity = 0.05f; }},
    {{"--sensitivity", "0"}, "--sensitivity wants a number from 0.05 to 20, not \"0\""},
    {{"--sensitivity", "2x"}, "--sensitivity wants a number from 0.05 to 20, not \"2x\""},
    {{"--sensitivity", "nan"}, "--sensitivity wants a number from 0.05 to 20, not \"nan\""},
    {{"--sensitivity", "1e30"}, "--sensitivity wants a number from 0.05 to 20, not \"1e30\""},
    {{"--sensitivity", "20.5"}, "--sensitivity wants a number from 0.05 to 20, not \"20.5\""},
    {{"--max-fps", "0"}, "", [](Options& o) { o.maxFps = 0; }},
    {{"--max-fps", "1001"}, "--max-fps wants a whole number from 0 to 1000, not \"1001\""},
};

// Every option, to compare and print at once.
auto fields(const Options& o)
{
    return std::make_tuple(int(o.action), o.windowed, o.width, o.height, o.level, o.sensitivity, o.muted, o.quiet,
                           o.maxFps);
}

TEST(CommandLine, EveryRowParsesToItsOptionsOrItsError)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        const ParsedCommandLine parsed = parseCommandLine(row.arguments);
        if (!row.error.empty()) {
            EXPECT_THAT(parsed.error, ::testing::HasSubstr(row.error));
            continue;
        }
        EXPECT_EQ(parsed.error, "");
        Options expected;
        row.expect(expected);
        EXPECT_EQ(fields(parsed.options), fields(expected));
    }
}

auto fieldsOf(const StoredSettings& s)
{
    return std::make_tuple(s.sensitivity, s.invertLook, s.fullScreen, s.volume, s.windowWidth, s.windowHeight, s.maxFps,
                           s.walkKeys.forward, s.walkKeys.jump);
}

// settings.ini as the game may find it: not there yet, as the game wrote it,
// damaged, foreign, a folder; a folder the game cannot write to; and the
// command line over it.
TEST(StoredSettings, ReadAsFoundWrittenWholeAndTheCommandLineWins)
{
    const TempDir dir("settings");
    const std::string path = (dir.path() / "quarrystack/settings.ini").string();
    EXPECT_EQ(fieldsOf(readSettings(path).settings), fieldsOf(StoredSettings{}));
    EXPECT_EQ(readSettings(path).warning, "");
    const StoredSettings mine{2.5f, true, false, 40, {'E', 'A', 'S', 'D', '0'}, 800, 600, 0};
    ASSERT_EQ(writeSettings(path, mine), "");
    EXPECT_EQ(fieldsOf(readSettings(path).settings), fieldsOf(mine));
    EXPECT_EQ(readSettings(path).warning, "");
    const std::string leftOut = " of " + path + " is no setting the game knows; it is left out";
    for (const auto& [text, sensitivity, warning] :
         {std::tuple{std::string("# mine\n\nsensitivity = 3\nvolume = 101\nmax_fps = -1\n"), 3.0f,
                     "Settings: line 4" + leftOut},
          {std::string("\x89PNG\r\n\x1a\n\0sensitivity=2", 16), 1.0f, "Settings: line 1" + leftOut},
          {std::string("forward = e\njump = Enter\nsensitivity = 2"), 2.0f, "Settings: line 2" + leftOut}}) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(readSettings(path).settings.sensitivity, sensitivity);
        EXPECT_EQ(readSettings(path).warning, warning);
    }
    std::filesystem::remove(path), std::filesystem::create_directory(path);
    EXPECT_EQ(readSettings(path).warning, "Settings: " + path + " not a regular file; the game's own settings stand");
    std::ofstream(dir.path() / "file");
    const std::string blocked = (dir.path() / "file/settings.ini").string();
    EXPECT_EQ(writeSettings(blocked, mine), "Settings: cannot write " + blocked + ": Not a directory");

    Options line;
    line.sensitivity = 4.0f;
    const Options merged = withStoredSettings(line, mine);
    EXPECT_EQ(std::make_tuple(*merged.sensitivity, merged.invertLook, merged.volume, merged.windowed, merged.width,
                              *merged.maxFps),
              std::make_tuple(4.0f, true, 0.4f, true, 800, 0));
    line.windowed = line.windowSizeGiven = true, line.width = 640, line.maxFps = 30;
    EXPECT_EQ(std::make_tuple(withStoredSettings(line, mine).width, *withStoredSettings(line, mine).maxFps),
              std::make_tuple(640, 30));
}

// The settings picture: each row steps along its ladder from the rung nearest
// the value read from the file, and stops at the ends; "none" (0) is the
// frame cap after the highest.
TEST(SettingsMenu, RowsStepAlongTheirLaddersAndStopAtTheEnds)
{
    using Row = SettingsMenu::Row;
    for (const auto& [row, start, step, changed, after] : {std::tuple{Row::Sensitivity, 1.1, 1, true, 1.25},
                                                           {Row::Sensitivity, 0.25, -1, false, 0.25},
                                                           {Row::InvertLook, 0.0, 1, true, 1.0},
                                                           {Row::InvertLook, 1.0, 1, false, 1.0},
                                                           {Row::Volume, 100.0, 1, false, 100.0},
                                                           {Row::Volume, 55.0, -1, true, 40.0},
                                                           {Row::FullScreen, 1.0, -1, true, 0.0},
                                                           {Row::FrameCap, 240.0, 1, true, 0.0},
                                                           {Row::FrameCap, 0.0, 1, false, 0.0},
                                                           {Row::FrameCap, 0.0, -1, true, 240.0},
                                                           {Row::FrameCap, 100.0, -1, true, 60.0}}) {
        SettingsMenu menu;
        menu.move(-1);
        menu.move(static_cast<int>(row));
        ASSERT_EQ(menu.row(), row);
        StoredSettings s;
        auto value = [&s, row = row]() {
            switch (row) {
            case Row::Sensitivity:
                return double(s.sensitivity);
            case Row::InvertLook:
                return double(s.invertLook);
            case Row::Volume:
                return double(s.volume);
            case Row::FullScreen:
                return double(s.fullScreen);
            case Row::FrameCap:
                return double(s.maxFps);
            }
            return 0.0;
        };
        s.sensitivity = float(start), s.invertLook = start > 0, s.volume = int(start), s.fullScreen = start > 0,
        s.maxFps = int(start);
        EXPECT_EQ(menu.change(s, step), changed) << static_cast<int>(row) << " from " << start;
        EXPECT_EQ(value(), after) << static_cast<int>(row) << " from " << start;
        EXPECT_EQ(menu.text(s)[size_t(row)].text.substr(0, 2), "> ");
    }
}

// Names and paths read from files reach the console escaped where a terminal
// would act on them; other text, UTF-8 included, stays as it is.
TEST(Console, ControlBytesArePrintedEscaped)
{
    for (const auto& [text, shown] :
         {std::pair<std::string, std::string>{"crate \xc3\xa9 \xc2\xa9", "crate \xc3\xa9 \xc2\xa9"},
          {"a\x1b[2Jb", "a\\x1b[2Jb"},
          {"log:\n\tline\r", "log:\n\tline\\x0d"},
          {std::string("n\0\x7f", 3), "n\\x00\\x7f"},
          {"csi\xc2\x9b"
           "2J",
           "csi\\xc2\\x9b2J"},
          {"end\xc2", "end\xc2"}})
        EXPECT_EQ(printable(text), shown);
}

} // namespace
