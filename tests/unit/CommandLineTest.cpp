#include "app/CommandLine.h"

#include <gmock/gmock.h>

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

} // namespace
