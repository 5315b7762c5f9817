// test_video_capture.cpp -- show-capture video run for real: its files, streams, errors and progress.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>

#include <cairo.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "png_sequence.h"
#include "y4m_stream.h"
#include "yuv420.h"

static const std::string TOOL = SHOW_CAPTURE_PATH;
static const int FRAME_BYTES = 640 * 480 * 3 / 2;

// How a run of the tool ended.
struct RunResult {
    int status;         // Exit code, or -1 when it did not exit normally
    std::string errors; // What it printed on stderr
};

static std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

static std::string shellQuoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Number of lines in text, counting a last line without its newline.
static int lineCount(const std::string& text)
{
    const int newlines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return newlines + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The frames of a YUV4MPEG2 stream, after checking its header and frame markers.
static std::vector<std::string> y4mFrames(const std::string& stream, const std::string& header, size_t frameBytes)
{
    std::vector<std::string> frames;
    EXPECT_EQ(header, stream.substr(0, header.size()));
    for (size_t pos = header.size(); pos < stream.size(); pos += 6 + frameBytes) {
        EXPECT_EQ("FRAME\n", stream.substr(pos, 6));
        frames.push_back(stream.substr(pos + 6, frameBytes));
        EXPECT_EQ(frameBytes, frames.back().size());
    }
    return frames;
}

// A PNG file decoded by cairo and converted as the stream converts a drawn frame.
static std::string pngAsYuv(const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(surface)) << path;
    EXPECT_EQ(CAIRO_FORMAT_RGB24, cairo_image_surface_get_format(surface)) << path;
    cairo_surface_flush(surface);
    const RenderTarget image{cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
                             cairo_image_surface_get_height(surface), cairo_image_surface_get_stride(surface)};
    std::string yuv(yuv420Size(image.width, image.height), '\0');
    if (image.pixels)
        convertToYuv420(image, reinterpret_cast<unsigned char*>(&yuv[0]));
    cairo_surface_destroy(surface);
    return yuv;
}

// Each test works in a folder of its own, removed afterwards.
class VideoCaptureTest : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        std::string name = testing::TempDir() + "video-capture-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&name[0]));
        dir = name;
    }

    void TearDown() override
    {
        chmod(dir.c_str(), 0700);
        ASSERT_EQ(0, std::system(("rm -rf " + shellQuoted(dir) + " " + shellQuoted(dir + ".err")).c_str()));
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    // Runs `show-capture video ARGS` in the test's folder through bash, after setup (shell
    // commands such as a ulimit) and with redirect applied to its stdout.
    RunResult capture(const std::string& args, const std::string& setup = "", const std::string& redirect = "")
    {
        const std::string script = "cd " + shellQuoted(dir) + " && " + (setup.empty() ? "" : setup + "; ") + "exec " +
                                   shellQuoted(TOOL) + " video " + args + " " + redirect;
        const int status = std::system(("bash -c " + shellQuoted(script) + " 2>" + shellQuoted(dir + ".err")).c_str());
        return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir + ".err")};
    }

    // Names in folder (the test's own by default), hidden ones too, sorted.
    std::vector<std::string> namesIn(const std::string& folder = "") const
    {
        std::vector<std::string> names;
        DIR* d = opendir((folder.empty() ? dir : folder).c_str());
        if (!d)
            return names;
        for (dirent* entry = readdir(d); entry; entry = readdir(d))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(d);
        std::sort(names.begin(), names.end());
        return names;
    }

    // ffprobe's description of the first video stream of file, as key=value lines.
    std::string probe(const std::string& file) const
    {
        const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                    "stream=codec_name,width,height,r_frame_rate,nb_read_frames,pix_fmt,"
                                    "color_range,color_space,chroma_location -of default=nw=1 " +
                                    shellQuoted(file);
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return output;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
        return output;
    }
};

static void expectSuccess(const RunResult& result)
{
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.errors);
}

// A tenth of a second at 60 fps to .y4m: the stream ffprobe reads has 7 frames of 640 x 480,
// 60/1, limited range, chroma sited at the centre; the file is exactly header and frames.
TEST_F(VideoCaptureTest, Y4mStreamThatFfprobeReads)
{
    expectSuccess(capture("--from 3000 --to 3100 -o clip.y4m"));
    EXPECT_EQ(std::vector<std::string>{"clip.y4m"}, namesIn());
    const std::string info = probe(path("clip.y4m"));
    for (const char* line : {"codec_name=rawvideo", "width=640", "height=480", "r_frame_rate=60/1", "pix_fmt=yuv420p",
                             "color_range=tv", "chroma_location=center", "nb_read_frames=7"})
        EXPECT_NE(std::string::npos, info.find(std::string(line) + "\n")) << line << " not in\n" << info;
    const std::string stream = readFile(path("clip.y4m"));
    EXPECT_EQ(y4mHeader(640, 480, 60).size() + 7 * (6 + FRAME_BYTES), stream.size());
}

// Frame rate, range and scale reach the stream: 7 fps over a second is 8 frames, 0.5 is
// 320 x 240, and an odd size keeps its odd side.
TEST_F(VideoCaptureTest, RateAndScale)
{
    struct Case {
        const char* args;
        int width;
        int height;
        int fps;
        int frames;
    };
    const Case cases[] = {
        {"--fps 7 --from 0 --to 1000", 640, 480, 7, 8},
        {"--fps 1000 --from 37990 --to 38000", 640, 480, 1000, 11},
        {"--scale 0.5 --from 20000 --to 20100", 320, 240, 60, 7},
        {"--scale 1.001 --fps 10 --from 9000 --to 9000", 641, 480, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        expectSuccess(capture(std::string(c.args) + " -o s.y4m"));
        const std::vector<std::string> frames =
            y4mFrames(readFile(path("s.y4m")), y4mHeader(c.width, c.height, c.fps), yuv420Size(c.width, c.height));
        EXPECT_EQ(static_cast<size_t>(c.frames), frames.size());
    }
}

// The PNG sequence and the stream hold the same pictures: each PNG converted here equals its
// stream frame byte for byte. Both, and stdout, come out identical on a second run.
TEST_F(VideoCaptureTest, PngSequenceAndStreamAgreeAndRepeat)
{
    const std::string range = "--from 21000 --to 21100 ";
    expectSuccess(capture(range + "-o frames"));
    expectSuccess(capture(range + "-o clip.y4m"));
    expectSuccess(capture(range + "-o -", "", "> piped.y4m"));

    std::vector<std::string> expectedNames;
    for (int n = 0; n < 7; n++)
        expectedNames.push_back(sequenceFrameName(n));
    ASSERT_EQ(expectedNames, namesIn(path("frames")));
    const std::string stream = readFile(path("clip.y4m"));
    EXPECT_EQ(stream, readFile(path("piped.y4m")));
    const std::vector<std::string> frames = y4mFrames(stream, y4mHeader(640, 480, 60), FRAME_BYTES);
    ASSERT_EQ(7u, frames.size());
    for (int n = 0; n < 7; n++)
        EXPECT_TRUE(pngAsYuv(path("frames/" + sequenceFrameName(n))) == frames[n]) << "frame " << n;
    EXPECT_NE(frames[0], frames[6]) << "the scene moves over 100 ms";

    expectSuccess(capture(range + "-o again"));
    expectSuccess(capture(range + "-o again.y4m"));
    EXPECT_TRUE(stream == readFile(path("again.y4m")));
    for (const std::string& name : expectedNames)
        EXPECT_TRUE(readFile(path("frames/" + name)) == readFile(path("again/" + name))) << name;
}

// What a player shows: ffmpeg decodes the stream, reading its range and taking BT.601 for
// the matrix, back to the colours of the PNG frames; only chroma at sharp edges differs.
TEST_F(VideoCaptureTest, FfmpegDecodesTheStreamToTheFrameColours)
{
    expectSuccess(capture("--from 20000 --to 20050 -o frames"));
    expectSuccess(capture("--from 20000 --to 20050 -o clip.y4m"));
    std::string decoded;
    FILE* pipe =
        popen(("ffmpeg -v error -i " + shellQuoted(path("clip.y4m")) + " -f rawvideo -pix_fmt rgb24 -").c_str(), "r");
    ASSERT_NE(nullptr, pipe);
    char buffer[65536];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        decoded.append(buffer, got);
    EXPECT_EQ(0, pclose(pipe));
    const size_t frameBytes = 640 * 480 * 3;
    ASSERT_EQ(4 * frameBytes, decoded.size());
    for (int n = 0; n < 4; n++) {
        SCOPED_TRACE("frame " + std::to_string(n));
        cairo_surface_t* png = cairo_image_surface_create_from_png(path("frames/" + sequenceFrameName(n)).c_str());
        ASSERT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(png));
        const unsigned char* rows = cairo_image_surface_get_data(png);
        const int stride = cairo_image_surface_get_stride(png);
        double difference = 0;
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++) {
                uint32_t p;
                std::memcpy(&p, rows + y * stride + 4 * x, 4);
                const unsigned char* d = reinterpret_cast<const unsigned char*>(decoded.data()) + n * frameBytes +
                                         (static_cast<size_t>(y) * 640 + x) * 3;
                const int channels[3] = {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                                         static_cast<int>(p & 0xFF)};
                for (int c = 0; c < 3; c++) {
                    difference += std::abs(channels[c] - d[c]);
                    if (x == 0 && y == 0) { // The plain background of the corner
                        EXPECT_NEAR(channels[c], d[c], 1) << "channel " << c;
                    }
                }
            }
        EXPECT_LT(difference / (640 * 480 * 3), 1.5);
        cairo_surface_destroy(png);
    }
}

// Into a folder that exists: the new frames replace the old, frames of a longer earlier run
// that would continue the sequence go, anything else stays.
TEST_F(VideoCaptureTest, IntoAnExistingFolder)
{
    ASSERT_EQ(0, mkdir(path("out").c_str(), 0777));
    for (int n = 0; n < 10; n++)
        std::ofstream(path("out/" + sequenceFrameName(n))) << "old";
    std::ofstream(path("out/notes.txt")) << "mine";
    expectSuccess(capture("--from 5000 --to 5050 -o out/"));
    std::vector<std::string> expected;
    for (int n = 0; n < 4; n++)
        expected.push_back(sequenceFrameName(n));
    expected.push_back("notes.txt");
    EXPECT_EQ(expected, namesIn(path("out")));
    EXPECT_NE("old", readFile(path("out/frame-00000.png")));
    EXPECT_EQ("mine", readFile(path("out/notes.txt")));
}

// Encoded outputs through ffmpeg: the codec each container gets, all frames there, the
// same bytes on a second run, and no temporary file left.
TEST_F(VideoCaptureTest, EncodedByFfmpeg)
{
    struct Case {
        const char* name;
        const char* codec;
    };
    const Case cases[] = {{"show.mp4", "h264"}, {"show.mkv", "h264"}, {"show.webm", "vp9"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectSuccess(capture(std::string("--from 6000 --to 6100 -o ") + c.name));
        const std::string info = probe(path(c.name));
        for (const std::string& line :
             {"codec_name=" + std::string(c.codec), std::string("width=640"), std::string("height=480"),
              std::string("nb_read_frames=7"), std::string("color_space=smpte170m")})
            EXPECT_NE(std::string::npos, info.find(line + "\n")) << line << " not in\n" << info;
        const std::string first = readFile(path(c.name));
        expectSuccess(capture(std::string("--from 6000 --to 6100 -o ") + c.name));
        EXPECT_TRUE(first == readFile(path(c.name)));
    }
    // Encoders take even sizes; an odd one is trimmed by a row or column, not refused.
    expectSuccess(capture("--scale 1.001 --from 6000 --to 6000 -o odd.mp4"));
    EXPECT_NE(std::string::npos, probe(path("odd.mp4")).find("width=640\n"));
    EXPECT_EQ((std::vector<std::string>{"odd.mp4", "show.mkv", "show.mp4", "show.webm"}), namesIn());
}

// Requests that cannot start: exit 2, one line on stderr, nothing written.
TEST_F(VideoCaptureTest, BadRequests)
{
    std::ofstream(path("plain")) << "a file";
    ASSERT_EQ(0, mkdir(path("folder.y4m").c_str(), 0777));
    struct Case {
        std::string args;
        const char* says; // Part of the message
        std::string setup;
    };
    const Case cases[] = {
        {"--fps 0 -o f", "1..1000", ""},
        {"--fps 1001 -o f", "1..1000", ""},
        {"--fps -5 -o f", "", ""},
        {"--fps 2.5 -o f", "1..1000", ""},
        {"--fps abc -o f", "1..1000", ""},
        {"--from 5000 --to 4000 -o f", "--from 5000 is after --to 4000", ""},
        {"--from 40000 -o f", "after --to 38000", ""},
        {"--from -1 -o f", "", ""},
        {"--to 4294967296 -o f", "out of range", ""},
        {"--scale 0 -o f", "above 0", ""},
        {"--scale -2 -o f", "above 0", ""},
        {"--scale 25.7 -o f", "16384", ""},
        {"--scale abc -o f", "number", ""},
        {"--fps 30", "--output", ""},
        {"-o ''", "empty", ""},
        {"-o plain", "plain is a file, not a folder", ""},
        {"-o plain/frames", "cannot create folder plain/frames", ""},
        {"-o missing/frames", "cannot create folder missing/frames", ""},
        {"-o missing/clip.y4m", "cannot write missing/clip.y4m", ""},
        {"-o folder.y4m", "folder.y4m is a folder", ""},
        {"-o clip.avi", "unknown output type .avi", ""},
        {"-o show.mp4", "ffmpeg", "PATH=/nonexistent"},
        {"-o show.mp4 --frobnicate", "frobnicate", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult result = capture(c.args, c.setup);
        EXPECT_EQ(2, result.status);
        EXPECT_EQ(1, lineCount(result.errors)) << result.errors;
        EXPECT_EQ(0u, result.errors.find("show-capture: ")) << result.errors;
        EXPECT_NE(std::string::npos, result.errors.find(c.says)) << result.errors;
        EXPECT_EQ((std::vector<std::string>{"folder.y4m", "plain"}), namesIn());
        EXPECT_TRUE(namesIn(path("folder.y4m")).empty());
    }
}

// A folder the user may not write into; root may write anywhere, so only for others.
TEST_F(VideoCaptureTest, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    ASSERT_EQ(0, chmod(dir.c_str(), 0500));
    for (const char* args : {"-o frames", "-o clip.y4m", "-o ."}) {
        SCOPED_TRACE(args);
        const RunResult result = capture(std::string("--to 100 ") + args);
        EXPECT_EQ(2, result.status);
        EXPECT_EQ(1, lineCount(result.errors)) << result.errors;
        EXPECT_TRUE(namesIn().empty());
    }
}

// Failures part way: exit 1, one line, and nothing that looks complete, nor any temporary
// file, left behind. A file size limit stands in for a full disk.
TEST_F(VideoCaptureTest, WriteFailures)
{
    ASSERT_EQ(0, mkdir(path("kept").c_str(), 0777));
    std::ofstream(path("kept/frame-00000.png")) << "old";
    // An encoder that reads a little, complains and gives up.
    ASSERT_EQ(0, mkdir(path("bin").c_str(), 0777));
    std::ofstream(path("bin/ffmpeg")) << "#!/bin/sh\nhead -c 1000 >/dev/null\necho 'gave up early' >&2\nexit 3\n";
    ASSERT_EQ(0, chmod(path("bin/ffmpeg").c_str(), 0755));
    struct Case {
        std::string args;
        std::string setup;
        std::string redirect;
        const char* says;
    };
    const Case cases[] = {
        {"-o clip.y4m", "ulimit -f 2000", "", "cannot write clip.y4m: File too large"},
        {"-o frames", "ulimit -f 100", "", "File too large"},
        {"-o kept", "ulimit -f 100", "", "File too large"},
        {"-o -", "", "> /dev/full", "cannot write stdout: No space left on device"},
        {"-o show.mp4", "PATH=\"$PWD/bin:$PATH\"", "", "ffmpeg failed with exit status 3: gave up early"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args + " " + c.setup + " " + c.redirect);
        const RunResult result = capture("--from 10000 --to 14000 " + c.args, c.setup, c.redirect);
        EXPECT_EQ(1, result.status);
        EXPECT_EQ(1, lineCount(result.errors)) << result.errors;
        EXPECT_NE(std::string::npos, result.errors.find(c.says)) << result.errors;
        EXPECT_EQ((std::vector<std::string>{"bin", "kept"}), namesIn());
        EXPECT_EQ(std::vector<std::string>{"frame-00000.png"}, namesIn(path("kept")));
        EXPECT_EQ("old", readFile(path("kept/frame-00000.png")));
    }
}

// Stopped by SIGINT or SIGTERM once writing has begun: the unfinished output goes, one line
// says so, and the tool ends by that signal as if it had not caught it.
TEST_F(VideoCaptureTest, InterruptedRun)
{
    for (const char* name : {"clip.y4m", "frames", "show.mp4"})
        for (const char* signal : {"INT", "TERM"}) {
            SCOPED_TRACE(std::string(name) + " " + signal);
            // A long run (38001 frames); the signal goes once its temporary output exists.
            const std::string script = "cd " + shellQuoted(dir) + " && { " + shellQuoted(TOOL) +
                                       " video --fps 1000 -o " + name +
                                       " & pid=$!; for i in $(seq 200); do ls -A | grep -q partial && break; "
                                       "sleep 0.05; done; kill -" +
                                       signal + " $pid; wait $pid; }";
            const int status =
                std::system(("bash -c " + shellQuoted(script) + " 2>" + shellQuoted(dir + ".err")).c_str());
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(128 + (std::string(signal) == "INT" ? SIGINT : SIGTERM), WEXITSTATUS(status));
            const std::string errors = readFile(dir + ".err");
            EXPECT_EQ("show-capture: interrupted; the unfinished output is removed\n", errors);
            EXPECT_TRUE(namesIn().empty());
        }
}

// What the tool prints on a terminal standing for both stdout and stderr, and how it ended.
struct TerminalRun {
    int status;
    std::string seen; // The terminal turns \n into \r\n
};

static TerminalRun runOnTerminal(const std::vector<std::string>& args)
{
    TerminalRun run = {-1, std::string()};
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0)
        return run;
    if (pid == 0) {
        std::vector<const char*> argv = {TOOL.c_str()};
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        argv.push_back(nullptr);
        execv(TOOL.c_str(), const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    char buffer[4096];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;)
        run.seen.append(buffer, static_cast<size_t>(got));
    close(terminal);
    if (waitpid(pid, &run.status, 0) != pid)
        run.status = -1;
    return run;
}

// A stream is never poured onto a terminal.
TEST_F(VideoCaptureTest, StdoutATerminal)
{
    const TerminalRun run = runOnTerminal({"video", "-o", "-"});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 2) << run.seen;
    EXPECT_EQ("show-capture: stdout is a terminal; redirect it to a file or a program to write the stream there\r\n",
              run.seen);
}

// What the tool prints on stderr when stderr is a terminal: a progress line ending at the
// frame count with --quiet printing nothing. The stream goes to a file either way.
TEST_F(VideoCaptureTest, ProgressBarOnATerminal)
{
    for (bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "--quiet" : "progress");
        std::vector<std::string> args = {"video", "--from", "0", "--to", "500", "-o", path("p.y4m")};
        if (quiet)
            args.push_back("--quiet");
        const TerminalRun run = runOnTerminal(args);
        const std::string& seen = run.seen;
        const int status = run.status;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
        if (quiet) {
            EXPECT_EQ("", seen);
        } else {
            EXPECT_NE(std::string::npos, seen.find("\r[")) << seen;
            const std::string end = "] 100%  31/31 frames\r\n";
            ASSERT_GE(seen.size(), end.size());
            EXPECT_EQ(end, seen.substr(seen.size() - end.size())) << seen;
        }
        EXPECT_EQ(y4mHeader(640, 480, 60).size() + 31 * (6 + FRAME_BYTES), readFile(path("p.y4m")).size());
    }
}
