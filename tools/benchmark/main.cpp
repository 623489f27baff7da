// benchmark: renders the shipped level along a fixed camera path through the
// game's own frame and reports frame times, pass times and reference ratios.
//
//   benchmark [--width W] [--height H] [--frames N] [--json FILE] [--data DIR]
//             [--references-only] [--at-start]
//
// Runs in a normal window of the given size on the current display. A GL
// pass is bracketed by glFinish, since timer queries mean nothing on a
// software rasteriser, and timed twice: by the wall clock and by the CPU time
// of the whole process, which a busy shared machine disturbs far less.

#include "References.h"

#include "app/Game.h"
#include "core/Platform.h"
#include "lib/FrameStats.h"
#include "lib/PhaseClock.h"
#include "lib/ScriptedRun.h"
#include "render/Bloom.h"
#include "render/LitPass.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct BenchmarkOptions {
    int width = 1280;
    int height = 720;
    int frames = 120;
    int warmUp = 5;
    int poses = 6;               // places along the path where the references are measured
    int repeats = 2;             // measurements of each reference per place
    bool referencesOnly = false; // skip the four runs along the path
    bool atStart = false;        // stand at the player's start instead of walking the path
    std::string json;
    std::string data;
};

const char* const usage =
    "usage: benchmark [--width W] [--height H] [--frames N] [--json FILE] [--data DIR]\n"
    "                 [--references-only] [--at-start]\n"
    "  --width, --height  window size (default 1280x720)\n"
    "  --frames N         frames per run along the camera path (default 120)\n"
    "  --json FILE        also write the results as JSON\n"
    "  --data DIR         the game's data folder (Shader/, Textures/, Data/); default: here\n"
    "  --references-only  measure only the passes against their references (quick A/B checks)\n"
    "  --at-start         stand at the player's start, looking ahead, instead of walking the path\n";

bool parsePositive(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed <= 0 || parsed > 100000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

// Returns false (having said why) on a bad command line.
bool parseOptions(int argc, char** argv, BenchmarkOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << usage;
            std::exit(0);
        }
        if (name == "--references-only") {
            options.referencesOnly = true;
            continue;
        }
        if (name == "--at-start") {
            options.atStart = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "benchmark: " << name << " needs a value\n" << usage;
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--width")
            ok = parsePositive(value, options.width);
        else if (name == "--height")
            ok = parsePositive(value, options.height);
        else if (name == "--frames")
            ok = parsePositive(value, options.frames);
        else if (name == "--json")
            options.json = value;
        else if (name == "--data")
            options.data = value;
        else {
            std::cerr << "benchmark: unknown option " << name << "\n" << usage;
            return false;
        }
        if (!ok) {
            std::cerr << "benchmark: " << name << " wants a positive whole number, not " << value << "\n";
            return false;
        }
    }
    return true;
}

// Seconds from the start of this process (as the kernel recorded it) to now;
// negative when the system does not say.
double secondsSinceProcessStart()
{
    std::ifstream statFile("/proc/self/stat");
    std::string stat;
    std::getline(statFile, stat);
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields(stat.substr(close + 1));
    std::string skipped;
    for (int field = 3; field < 22; ++field) // up to starttime, the 22nd
        fields >> skipped;
    unsigned long long startTicks = 0;
    timespec now{};
    if (!(fields >> startTicks) || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1.0;
    const double started = static_cast<double>(startTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - started;
}

double peakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Wall-clock and process CPU time of one piece of work, in milliseconds.
struct Sample {
    double wall = 0.0;
    double cpu = 0.0;
};

// Both sides of a series of samples.
struct Series {
    std::vector<double> wall;
    std::vector<double> cpu;
    void add(double wallMs, double cpuMs)
    {
        wall.push_back(wallMs);
        cpu.push_back(cpuMs);
    }
    void add(const Sample& sample) { add(sample.wall, sample.cpu); }
    void add(const FrameTimings::Phase& phase) { add(phase.wallMs, phase.cpuMs); }
};

struct Summary {
    TimeSummary wall;
    TimeSummary cpu;
};

Summary summarize(const Series& series) { return {::summarize(series.wall), ::summarize(series.cpu)}; }

// The GL work of `work` alone: the driver is idle before, and done after.
Sample timeGl(const std::function<void()>& work)
{
    glFinish();
    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    glFinish();
    return {millisecondsSince(start), 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

struct Configuration {
    const char* key;
    const char* label;
    int shadows;
    int bloom;
};

const Configuration configurations[] = {
    {"all_on", "all effects", 1, 1},
    {"shadows_off", "shadows off", 0, 1},
    {"bloom_off", "bloom off", 1, 0},
    {"both_off", "shadows and bloom off", 0, 0},
};

// The lit program built without one of its parts: the part's cost is what
// the variant saves.
struct LitVariant {
    const char* key;
    const char* label;
    const char* definition; // of a macro the fragment stage tests
};

const LitVariant litVariants[] = {
    {"no_shadows", "without shadow lookups", "LIT_SHADOWS 0"},
    {"no_normal_map", "without normal mapping", "LIT_NORMAL_MAP 0"},
    {"one_light", "with the first light alone", "LIT_LIGHTS 1"},
    {"no_lights", "without lights (nor shadows)", "LIT_LIGHTS 0"},
};
constexpr std::size_t litVariantCount = std::size(litVariants);

struct ConfigurationResult {
    Configuration configuration;
    Summary frame;      // whole frames: runFrame, then glFinish
    Summary timedFrame; // whole frames of the run with the pass timings
    Summary update;
    Summary shadows;
    Summary scene;
    Summary bloom;
};

struct Reference {
    Reference(const char* key, const char* label) : key(key), label(label) {}

    const char* key;
    const char* label;
    double measured = 0.0;  // wall ms, or s for the start
    double reference = 0.0; // wall ms; 0 where the target is absolute
    double value = 0.0;     // the ratio of wall times (or the time itself)
    double cpuValue = 0.0;  // the ratio of CPU times, 0 where not measured
    double target = 0.0;    // value must be at most this
    std::string unit;       // of measured and reference
    std::string note;       // why it is missing, when it is
    bool available = true;
    bool met() const { return available && value <= target; }
};

class Benchmark {
public:
    Benchmark(Game& game, const BenchmarkOptions& options) : game(game), run(game), options(options) {}

    void firstFrame()
    {
        run.frame();
        glFinish();
    }

    void startPlay() { game.startPlay(); }

    ConfigurationResult measure(const Configuration& configuration)
    {
        game.setEffect(Effect::Shadows, configuration.shadows);
        game.setEffect(Effect::Bloom, configuration.bloom);

        ConfigurationResult result{configuration, {}, {}, {}, {}, {}, {}};
        Series frames;
        walkPath([&](const Sample& frame, const FrameTimings&) { frames.add(frame); }, nullptr);
        result.frame = summarize(frames);

        FrameTimings timings;
        Series timed, update, shadows, scene, bloom;
        walkPath(
            [&](const Sample& frame, const FrameTimings& t) {
                timed.add(frame);
                update.add(t.update);
                shadows.add(t.shadows);
                scene.add(t.scene);
                bloom.add(t.bloom);
            },
            &timings);
        result.timedFrame = summarize(timed);
        result.update = summarize(update);
        result.shadows = summarize(shadows);
        result.scene = summarize(scene);
        result.bloom = summarize(bloom);
        return result;
    }

    // The passes measured against their references, interleaved so that a
    // change of machine load touches both sides alike.
    void measureReferences()
    {
        game.setEffect(Effect::Shadows, true);
        game.setEffect(Effect::Bloom, true);
        const int width = game.stats().width;
        const int height = game.stats().height;
        CopyReference copies(width, height);
        PingPongGaussianReference gaussian(width, height);
        std::vector<std::optional<LitPass>> variants;
        for (std::size_t v = 0; v < litVariantCount; ++v) {
            Result<LitPass> pass = litPassWith("Shader/", litVariants[v].definition);
            if (pass)
                variants.emplace_back(std::move(pass.value()));
            else {
                variants.emplace_back();
                litVariantProblems[v] = pass.failure().message + " (" + pass.failure().detail + ")";
            }
        }

        warmUp();
        const Bloom& bloomPasses = game.bloom();
        for (int p = 0; p < options.poses; ++p) {
            run.place(pose(static_cast<double>(p) / options.poses));
            run.frame(); // shadow maps, camera and lamp for this place
            for (int r = 0; r < options.repeats; ++r) {
                for (std::size_t v = 0; v < litVariantCount; ++v)
                    if (variants[v])
                        litVariantTimes[v].add(timeGl([&] { game.renderScenePass(&*variants[v]); }));
                // Last: the bloom reads what the game's program drew.
                litFull.add(timeGl([this] { game.renderScenePass(); }));
                bloom.add(timeGl([this] { game.renderBloomPass(); }));
                copyReference.add(timeGl([&] { copies.render(bloomPasses); }));
                mipmapsOnly.add(timeGl([&] { copies.regenerateMipmaps(bloomPasses); }));
                copiesOnly.add(timeGl([&] { copies.copy(bloomPasses); }));
                gaussianReference.add(timeGl([&] { gaussian.render(bloomPasses.targetTexture(1)); }));
            }
        }
        glViewport(0, 0, width, height);
    }

    Series litFull, bloom, copyReference, gaussianReference, mipmapsOnly, copiesOnly;
    std::array<Series, litVariantCount> litVariantTimes;
    std::array<std::string, litVariantCount> litVariantProblems; // why a variant was not measured

private:
    // Where the camera is at `t` (0 to 1) of a run.
    CameraPose pose(double t) const { return options.atStart ? game.playerStart() : benchmarkPathPose(t); }

    // A level reset, then a few frames at the path's start.
    void warmUp()
    {
        game.restartLevel();
        for (int i = 0; i < std::max(options.warmUp, 2); ++i) {
            run.place(pose(0.0));
            run.frame();
        }
    }

    // Walks the path once after warming up, handing each frame's time
    // (runFrame, then glFinish) to `record`.
    void walkPath(const std::function<void(const Sample&, const FrameTimings&)>& record, FrameTimings* timings)
    {
        warmUp();
        std::optional<PhaseClock> clock;
        if (timings) {
            clock.emplace(*timings);
            game.setPhaseObserver(&*clock);
        }
        const FrameTimings none;
        for (int i = 0; i < options.frames; ++i) {
            run.place(pose(static_cast<double>(i) / options.frames));
            const Sample frame = timeGl([this] { run.frame(); });
            if (game.stats().screen != MenuState::Screen::Playing) {
                // A menu frame draws one picture: the numbers would mean nothing.
                std::cerr << "benchmark: the camera path touched a win or lose object\n";
                std::exit(1);
            }
            record(frame, timings ? *timings : none);
        }
        game.setPhaseObserver(nullptr);
    }

    Game& game;
    ScriptedRun run;
    const BenchmarkOptions& options;
};

std::string jsonNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        out += c;
    }
    return out + "\"";
}

std::string jsonSummary(const TimeSummary& s)
{
    return "{\"count\": " + std::to_string(s.count) + ", \"mean\": " + jsonNumber(s.mean) +
           ", \"median\": " + jsonNumber(s.median) + ", \"p99\": " + jsonNumber(s.p99) +
           ", \"low1\": " + jsonNumber(s.low1) + ", \"min\": " + jsonNumber(s.minimum) +
           ", \"max\": " + jsonNumber(s.maximum) + "}";
}

std::string jsonSummary(const Summary& s)
{
    return "{\"wall\": " + jsonSummary(s.wall) + ", \"cpu\": " + jsonSummary(s.cpu) + "}";
}

struct Report {
    BenchmarkOptions options;
    std::string renderer;
    std::string version;
    double startToFirstFrameS = 0.0;
    double mainToFirstFrameS = 0.0;
    double startCpuS = 0.0; // CPU time of the process up to the first frame
    double peakResidentMiB = 0.0;
    std::vector<ConfigurationResult> configurations;
    std::vector<Reference> references;
    Summary litFull, bloom, copyReference, gaussianReference, mipmapsOnly, copiesOnly;
    std::array<Summary, litVariantCount> litVariants;
    std::array<std::string, litVariantCount> litVariantProblems;
};

std::string toJson(const Report& report)
{
    std::ostringstream out;
    out << "{\n  \"width\": " << report.options.width << ",\n  \"height\": " << report.options.height
        << ",\n  \"frames\": " << report.options.frames
        << ",\n  \"time_step_s\": " << jsonNumber(ScriptedRun::defaultTimeStep)
        << ",\n  \"renderer\": " << jsonString(report.renderer) << ",\n  \"gl_version\": " << jsonString(report.version)
        << ",\n  \"start_to_first_frame_s\": " << jsonNumber(report.startToFirstFrameS)
        << ",\n  \"main_to_first_frame_s\": " << jsonNumber(report.mainToFirstFrameS)
        << ",\n  \"start_cpu_s\": " << jsonNumber(report.startCpuS)
        << ",\n  \"peak_resident_mib\": " << jsonNumber(report.peakResidentMiB)
        << ",\n  \"times\": \"milliseconds; wall: wall clock, cpu: CPU time of the whole process\""
        << ",\n  \"configurations\": {";
    for (std::size_t i = 0; i < report.configurations.size(); ++i) {
        const ConfigurationResult& c = report.configurations[i];
        out << (i ? "," : "") << "\n    " << jsonString(c.configuration.key)
            << ": {\"shadows\": " << c.configuration.shadows << ", \"bloom\": " << c.configuration.bloom
            << ",\n      \"frame\": " << jsonSummary(c.frame)
            << ",\n      \"timed_frame\": " << jsonSummary(c.timedFrame)
            << ",\n      \"update\": " << jsonSummary(c.update)
            << ",\n      \"shadows_pass\": " << jsonSummary(c.shadows)
            << ",\n      \"scene_pass\": " << jsonSummary(c.scene)
            << ",\n      \"bloom_pass\": " << jsonSummary(c.bloom) << "}";
    }
    out << "\n  },\n  \"reference_passes\": {\n    \"lit_pass\": " << jsonSummary(report.litFull)
        << ",\n    \"bloom\": " << jsonSummary(report.bloom)
        << ",\n    \"two_copies_five_mipmaps\": " << jsonSummary(report.copyReference)
        << ",\n    \"ping_pong_gaussian_10\": " << jsonSummary(report.gaussianReference)
        << ",\n    \"five_mipmaps_alone\": " << jsonSummary(report.mipmapsOnly)
        << ",\n    \"two_copies_alone\": " << jsonSummary(report.copiesOnly) << "\n  },\n  \"lit_variants\": {";
    for (std::size_t v = 0; v < litVariantCount; ++v)
        out << (v ? "," : "") << "\n    " << jsonString(litVariants[v].key) << ": "
            << jsonSummary(report.litVariants[v]);
    out << "\n  },\n  \"ratios\": {";
    for (std::size_t i = 0; i < report.references.size(); ++i) {
        const Reference& r = report.references[i];
        out << (i ? "," : "") << "\n    " << jsonString(r.key) << ": {\"measured\": " << jsonNumber(r.measured)
            << ", \"reference\": " << jsonNumber(r.reference) << ", \"value\": " << jsonNumber(r.value)
            << ", \"cpu_value\": " << jsonNumber(r.cpuValue) << ", \"target_at_most\": " << jsonNumber(r.target)
            << ", \"unit\": " << jsonString(r.unit) << ", \"available\": " << (r.available ? "true" : "false")
            << ", \"met\": " << (r.met() ? "true" : "false");
        if (!r.note.empty())
            out << ", \"note\": " << jsonString(r.note);
        out << "}";
    }
    out << "\n  }\n}\n";
    return out.str();
}

std::string fixed(double value, int decimals = 2)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string pad(const std::string& text, std::size_t width, bool right = true)
{
    if (text.size() >= width)
        return text;
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

void printPasses(std::ostream& out, const Report& report, const char* title, TimeSummary Summary::*side)
{
    out << pad(title, 26, false) << pad("update", 9) << pad("shadows", 9) << pad("scene", 9) << pad("bloom", 9)
        << pad("frame", 9) << "\n";
    for (const ConfigurationResult& c : report.configurations)
        out << "  " << pad(c.configuration.label, 24, false) << pad(fixed((c.update.*side).median, 3), 9)
            << pad(fixed((c.shadows.*side).median), 9) << pad(fixed((c.scene.*side).median), 9)
            << pad(fixed((c.bloom.*side).median), 9) << pad(fixed((c.timedFrame.*side).median), 9) << "\n";
}

void printTable(std::ostream& out, const Report& report)
{
    const BenchmarkOptions& o = report.options;
    out << "Quarrystack benchmark " << o.width << "x" << o.height << ": " << o.frames
        << " frames per run along the camera path, time step 1/60 s\n"
        << "GL: " << report.renderer << ", " << report.version << "\n"
        << "Times in ms. wall: wall clock; cpu: CPU time of the whole process (all driver threads).\n\n";

    out << pad("frame time (wall)", 26, false) << pad("mean", 9) << pad("median", 9) << pad("p99", 9)
        << pad("1% low", 9) << pad("fps", 7) << pad("cpu med", 9) << "\n";
    for (const ConfigurationResult& c : report.configurations)
        out << "  " << pad(c.configuration.label, 24, false) << pad(fixed(c.frame.wall.mean), 9)
            << pad(fixed(c.frame.wall.median), 9) << pad(fixed(c.frame.wall.p99), 9) << pad(fixed(c.frame.wall.low1), 9)
            << pad(fixed(c.frame.wall.median > 0 ? 1000.0 / c.frame.wall.median : 0.0, 1), 7)
            << pad(fixed(c.frame.cpu.median), 9) << "\n";

    out << "\npasses, bracketed by glFinish (medians)\n";
    printPasses(out, report, "  wall", &Summary::wall);
    printPasses(out, report, "  cpu", &Summary::cpu);

    out << "\n"
        << pad("against references (wall medians)", 46, false) << pad("measured", 11) << pad("reference", 11)
        << pad("ratio", 8) << pad("target", 10) << pad("cpu ratio", 10) << "\n";
    for (const Reference& r : report.references) {
        out << "  " << pad(r.label, 44, false);
        if (!r.available) {
            out << "  not measured: " << r.note << "\n";
            continue;
        }
        const bool absolute = r.reference <= 0.0;
        out << pad(fixed(r.measured, absolute ? 3 : 2) + " " + r.unit, 11)
            << pad(absolute ? "" : fixed(r.reference) + " " + r.unit, 11) << pad(absolute ? "" : fixed(r.value, 3), 8)
            << pad("<= " + fixed(r.target, 3), 10) << pad(r.cpuValue > 0.0 ? fixed(r.cpuValue, 3) : "", 10)
            << (r.met() ? "  met" : "  MISSED") << "\n";
    }
    auto both = [](const Summary& s) { return fixed(s.wall.median) + " ms (cpu " + fixed(s.cpu.median) + ")"; };
    out << "\nlit pass (medians): " << both(report.litFull) << "\n";
    for (std::size_t v = 0; v < litVariantCount; ++v) {
        out << "  " << pad(litVariants[v].label, 30, false);
        if (!report.litVariantProblems[v].empty())
            out << "not measured: " << report.litVariantProblems[v] << "\n";
        else
            out << both(report.litVariants[v]) << ", saves "
                << fixed(report.litFull.wall.median - report.litVariants[v].wall.median) << " ms\n";
    }
    out << "reference passes (medians): bloom " << both(report.bloom) << ", 5 mipmaps alone "
        << both(report.mipmapsOnly) << ", 2 copies alone " << both(report.copiesOnly) << "\n";
    out << "\nstart to first frame: " << fixed(report.startToFirstFrameS, 3)
        << " s wall (from main: " << fixed(report.mainToFirstFrameS, 3) << " s), " << fixed(report.startCpuS, 3)
        << " s CPU\n";
    out << "peak resident memory: " << fixed(report.peakResidentMiB, 1) << " MiB\n";
    out << "median frame (wall), all on / shadows off / bloom off / both off: ";
    for (std::size_t i = 0; i < report.configurations.size(); ++i)
        out << (i ? " / " : "") << fixed(report.configurations[i].frame.wall.median) << " ms";
    out << "\n";
}

const ConfigurationResult* findConfiguration(const Report& report, const std::string& key)
{
    for (const ConfigurationResult& c : report.configurations)
        if (key == c.configuration.key)
            return &c;
    return nullptr;
}

void addReferences(Report& report, const Benchmark& bench)
{
    report.litFull = summarize(bench.litFull);
    for (std::size_t v = 0; v < litVariantCount; ++v)
        report.litVariants[v] = summarize(bench.litVariantTimes[v]);
    report.litVariantProblems = bench.litVariantProblems;
    report.bloom = summarize(bench.bloom);
    report.copyReference = summarize(bench.copyReference);
    report.gaussianReference = summarize(bench.gaussianReference);
    report.mipmapsOnly = summarize(bench.mipmapsOnly);
    report.copiesOnly = summarize(bench.copiesOnly);

    const ConfigurationResult* allOn = findConfiguration(report, "all_on");
    const ConfigurationResult* bothOff = findConfiguration(report, "both_off");
    // Medians: one slow frame on a shared machine should not decide a ratio.
    auto relative = [](const char* key, const char* label, const Summary& measured, const Summary& reference,
                       double target) {
        Reference r(key, label);
        r.measured = measured.wall.median;
        r.reference = reference.wall.median;
        r.value = ratio(r.measured, r.reference);
        r.cpuValue = ratio(measured.cpu.median, reference.cpu.median);
        r.target = target;
        r.unit = "ms";
        return r;
    };
    if (allOn && bothOff)
        report.references.push_back(relative("full_vs_effects_off", "full effects frame / effects-off frame",
                                             allOn->frame, bothOff->frame, 2.0));
    report.references.push_back(relative("bloom_vs_copies", "bloom / 2 copies + 5 mipmap regenerations", report.bloom,
                                         report.copyReference, 1.3));
    report.references.push_back(relative("bloom_vs_ping_pong", "bloom / 10-pass ping-pong Gaussian", report.bloom,
                                         report.gaussianReference, 1.0 / 3.0));
    if (allOn) {
        // Means here: the update's share of the time spent over the whole run.
        Reference update("update_vs_frame", "game update / whole frame (all effects)");
        update.measured = allOn->update.wall.mean;
        update.reference = allOn->frame.wall.mean;
        update.value = ratio(update.measured, update.reference);
        update.cpuValue = ratio(allOn->update.cpu.mean, allOn->frame.cpu.mean);
        update.target = 0.01;
        update.unit = "ms";
        report.references.push_back(update);
    }
    Reference start("start_to_first_frame", "process start to first frame");
    start.measured = report.startToFirstFrameS;
    start.value = report.startToFirstFrameS;
    start.target = 1.5;
    start.unit = "s";
    report.references.push_back(start);
}

} // namespace

int main(int argc, char** argv)
{
    const Clock::time_point mainStart = Clock::now();
    BenchmarkOptions options;
    if (!parseOptions(argc, argv, options))
        return 2;
    if (!options.data.empty() && chdir(options.data.c_str()) != 0) {
        std::cerr << "benchmark: cannot enter the data folder " << options.data << ": " << std::strerror(errno) << "\n";
        return 2;
    }

    // The table alone goes to standard output; the game's own lines, less
    // its per-frame ones, to standard error. The filter is never deleted:
    // the game's stream may still be flushed at exit.
    std::ostream results(std::cout.rdbuf());
    std::cout.rdbuf(new FrameTimeLineFilter(std::cerr));

    if (!glfwInit()) {
        std::cerr << "benchmark: GLFW cannot start (is DISPLAY set?)\n";
        return 1;
    }
    std::string problem;
    GLFWwindow* window = openFixedSizeWindow(options.width, options.height, "Quarrystack benchmark", true, problem);
    if (!window) {
        std::cerr << "benchmark: " << problem << "\n";
        glfwTerminate();
        return 1;
    }

    Report report;
    report.options = options;
    {
        Options gameOptions;
        gameOptions.width = options.width;
        gameOptions.height = options.height;
        const std::unique_ptr<Game> game = valueOrExit(Game::load(window, options.width, options.height, gameOptions));
        Benchmark bench(*game, options);
        bench.firstFrame();
        const double sinceStart = secondsSinceProcessStart();
        report.mainToFirstFrameS = millisecondsSince(mainStart) / 1000.0;
        report.startCpuS = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
        report.startToFirstFrameS = sinceStart >= 0.0 ? sinceStart : report.mainToFirstFrameS;
        report.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        report.version = reinterpret_cast<const char*>(glGetString(GL_VERSION));

        bench.startPlay();

        for (const Configuration& configuration : configurations) {
            if (options.referencesOnly)
                break;
            std::cerr << "benchmark: " << configuration.label << "\n";
            report.configurations.push_back(bench.measure(configuration));
        }
        std::cerr << "benchmark: references\n";
        bench.measureReferences();
        addReferences(report, bench);
        report.peakResidentMiB = peakResidentMiB();
    }
    glfwDestroyWindow(window);
    glfwTerminate();

    printTable(results, report);
    results.flush();
    if (!options.json.empty()) {
        std::ofstream json(options.json);
        json << toJson(report);
        if (!json) {
            std::cerr << "benchmark: cannot write " << options.json << "\n";
            return 1;
        }
    }
    return 0;
}
