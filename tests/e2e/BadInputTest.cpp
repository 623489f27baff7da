// Broken data files, one at a time, each in a fresh copy of the game's data:
// whatever is wrong, the game writes its message, ends with exit status 255
// (its fatal -1) before the first frame and never crashes or hangs. Menu
// pictures of any PNG layout are odd but usable: they must show normally
// instead. scripts/sanitize.sh runs these tests against the sanitizer build,
// where "no crash" also means no report.

#include "support/Game.h"

#include <gmock/gmock.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

::testing::AssertionResult noSanitizerReport(const std::string& errors)
{
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"})
        if (errors.find(mark) != std::string::npos)
            return ::testing::AssertionFailure() << "sanitizer report on standard error:\n" << errors;
    return ::testing::AssertionSuccess();
}

std::string garbageBytes(std::size_t count)
{
    std::string bytes;
    for (std::minstd_rand random(20240607); bytes.size() < count;)
        bytes += static_cast<char>(random() >> 8);
    return bytes;
}

// How a case breaks a file of the data copy (given by its path).
using Breakage = std::function<void(const fs::path&)>;
const Breakage removeFile = [](const fs::path& file) { ASSERT_TRUE(fs::remove(file)) << file; };
const Breakage emptyFile = [](const fs::path& file) { fs::resize_file(file, 0); };
const Breakage cutInHalf = [](const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); };
Breakage writeFile(const std::string& contents)
{
    return [contents](const fs::path& file) { std::ofstream(file, std::ios::binary) << contents; };
}

// A test level in place of the game's, with the pictures it names: the
// fixtures say "textures/<name>", the game looks up <name> in Textures/new/.
Breakage useLevel(const std::string& fixture)
{
    return [fixture](const fs::path& level) {
        fs::copy_file(levelFixtures / fixture, level, fs::copy_options::overwrite_existing);
        for (const fs::directory_entry& picture : fs::directory_iterator(levelFixtures / "textures"))
            fs::copy_file(picture.path(),
                          level.parent_path().parent_path() / "Textures/new" / picture.path().filename(),
                          fs::copy_options::overwrite_existing);
    };
}

const char* const compilesButDoesNotLink = "#version 330 core\n"
                                           "out vec4 fragColor;\n"
                                           "vec4 shade() { return vec4(1.0); }\n"; // no main

struct FatalCase {
    const char* name;
    const char* file; // in the data copy
    Breakage breakData;
    const char* message;          // the game's own line on standard output
    const char* detail = nullptr; // what standard error must name: the cause, or else the file
    bool logFollows = false;      // the compiler's or linker's log comes on the next line
};

std::ostream& operator<<(std::ostream& out, const FatalCase& c) { return out << c.name; }

const char *const noShader = "Failed to open shader-file", *const noCompile = "Failed to compile shader",
                  *const noTexture = "Fehler beim Laden von Texturen", *const level = "Data/LevelFinal.dae";
const FatalCase fatalCases[] = {
    // Shader sources (a missing geometry stage is missing like any other).
    {"ShaderMissing", "Shader/menu.frag", removeFile, noShader},
    {"ShaderBinaryGarbage", "Shader/line.vert", writeFile(garbageBytes(4096)), noCompile, nullptr, true},
    {"ShaderDoesNotLink", "Shader/TextVertexShader.frag", writeFile(compilesButDoesNotLink),
     "Failed to link shader program", "linking failed", true},
    // Menu pictures and the font atlas.
    {"MenuPictureMissing", "Textures/menu/welcome16_9.png", removeFile, noTexture},
    {"MenuPictureTruncated", "Textures/menu/win4_3.png", cutInHalf, noTexture},
    {"FontAtlasEmpty", "Textures/menu/fontArialMirrored.png", emptyFile, noTexture},
    // The level file, a case of each kind of fault the game refuses it for;
    // LevelFileTest has every fault the scan and the level check find (also
    // the truncated and the too deeply nested files).
    {"LevelMissing", level, removeFile, "Couldn't open file"},
    {"LevelEmpty", level, emptyFile, "Couldn't load File"},
    {"LevelWithoutPlayer", level, useLevel("no_player.dae"), "Level error: no node named \"player\" with a mesh"},
    {"LevelTextureTooLarge", level, useLevel("huge_texture.dae"),
     "Level error: the texture \"textures/huge.png\" is 8193x1 pixels; at most 8192x8192 fit"},
    // The level's textures (a missing one is the test NoWindow's several_faults.dae).
    {"LevelTextureGarbage", "Textures/new/wood_normal.png", writeFile(garbageBytes(2048)), noTexture},
    {"LevelTextureUnknownFormat", level, useLevel("unknown_texture_format.dae"), noTexture, "Textures/new/garbage.xyz"},
};

class BadInput : public GameTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(BadInput, EndsWithItsMessageBeforeTheFirstFrame)
{
    const FatalCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(c.breakData(data(c.file)));
    launch();
    // Every fatal case so far ends within two seconds of starting.
    const std::optional<int> status = waitExit(10.0);
    ASSERT_TRUE(status) << "still running; output:\n" << output() << "standard error:\n" << errors();
    EXPECT_EQ(*status, 255) << "output:\n" << output() << "standard error:\n" << errors();

    const std::string out = "\n" + output(), line = "\n" + std::string(c.message) + "\n";
    const std::size_t at = out.find(line);
    ASSERT_NE(at, std::string::npos) << "no line \"" << c.message << "\" on standard output:" << out;
    const std::string after = out.substr(at + line.size());
    if (c.logFollows)
        EXPECT_NE(after.substr(0, after.find('\n')), "") << "no driver's log after the message";
    else
        EXPECT_EQ(after, "") << "more output after the message";
    EXPECT_THAT(output(), ::testing::Not(HasSubstr("frametime:")));
    EXPECT_THAT(errors(), HasSubstr(c.detail ? c.detail : c.file));
    EXPECT_TRUE(noSanitizerReport(errors()));
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInput, ::testing::ValuesIn(fatalCases),
                         [](const ::testing::TestParamInfo<FatalCase>& info) { return info.param.name; });

// With a player at the console (a terminal on standard input) the full-screen
// window must be gone while the prompt waits: it would cover the console and
// no longer handle events. Enter then ends the game with the fatal status.
TEST_F(GameTest, FatalErrorAtATerminalClosesTheWindowBeforeThePrompt)
{
    useLevel("no_player.dae")(data("Data/LevelFinal.dae"));
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    const std::unique_ptr<int, void (*)(int*)> closer(new int(terminal), [](int* fd) { close(*fd), delete fd; });
    ASSERT_TRUE(grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    standardInput = ptsname(terminal);
    launch();
    waitFor("Press Enter to continue");
    const ToolResult windows = runTool({"xdotool", "search", "--name", "^(Hello, Zelhan|Quarrystack)"}, displayName());
    EXPECT_EQ(windows.output, "") << "a game window while the prompt waits";
    ASSERT_FALSE(waitExit(0.0)) << "ended without waiting for Enter:\n" << output();
    ASSERT_EQ(write(terminal, "\n", 1), 1);
    EXPECT_EQ(waitExit(), 255);
}

// Menu pictures in every PNG layout that image tools write must show as they
// look, not only the 32-bit RGBA files the game ships. Each layout replaces
// the welcome picture at exactly the screen's size, so every screen pixel is
// one picture pixel and the screenshot must equal the picture. (Palette and
// 16-bit-per-channel files go through the same loader, which the GL texture
// test feeds with every depth.) Half transparent: the pictures are drawn
// opaque, so only the colour shows.
using OddInput = GameTest;

TEST_F(OddInput, WelcomePicturesOfEachLayoutShowAsTheyLook)
{
    const struct {
        std::vector<std::string> convertArguments;
        std::string format; // the output file's prefix
        int bitDepth;       // of the written file's header, per sample
        int colorType;      // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    } layouts[] = {{{"-type", "GrayscaleAlpha", "-depth", "8"}, "", 8, 4}, {{}, "PNG32:", 8, 6}};
    const std::string shipped = (sourceRoot / "Textures/menu/welcome16_9.png").string(),
                      picture = data("Textures/menu/welcome16_9.png").string();
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.colorType);
        std::vector<std::string> command = {"convert", shipped, "-resize", "320x180!", "-alpha", "set"};
        command.insert(command.end(), {"-channel", "A", "-evaluate", "set", "50%", "+channel"});
        command.insert(command.end(), layout.convertArguments.begin(), layout.convertArguments.end());
        command.push_back(layout.format + picture);
        const ToolResult converted = runTool(command);
        ASSERT_TRUE(converted.ok()) << converted.output;
        std::ifstream header(picture, std::ios::binary);
        unsigned char bytes[26] = {};
        header.read(reinterpret_cast<char*>(bytes), sizeof bytes);
        ASSERT_EQ(std::make_pair(int(bytes[24]), int(bytes[25])), std::make_pair(layout.bitDepth, layout.colorType))
            << "convert wrote another layout";
        const Shot expected = loadShot(picture);

        start(320, 180);
        // The image tool and the game may round a sample one step apart.
        EXPECT_EQ(differingShare(screenshot("welcome"), expected, 2, picturesOwnPart("welcome", 320, 180)), 0.0);
        ASSERT_TRUE(quit());
        EXPECT_TRUE(noSanitizerReport(errors()));
    }
}

} // namespace
