// Start-up report and start-up failures of the real viewer, compared byte for byte.
#include <regex>

#include "harness.hpp"
#include "transcript.hpp"

namespace e2e {
namespace {

// A small asymmetric picture, so that every size takes the reader through row padding.
std::vector<std::uint8_t> picture24(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.at(x, y) = Rgb{static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11), 200};
    return encodeBmp24(p);
}

std::vector<std::uint8_t> picture8(int width, int height) {
    IndexedPicture p(width, height, 4);
    p.palette[1] = Rgb{255, 0, 0};
    p.palette[2] = Rgb{0, 255, 0};
    p.palette[3] = Rgb{0, 0, 255};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.at(x, y) = static_cast<std::uint8_t>((x + y) % 4);
    return encodeBmp8(p);
}

// Runs a start-up that is expected to end by itself, with standard input closed.
void runToEnd(Viewer& viewer) { viewer.finish(); }

// Runs a start-up that is expected to reach the main loop: waits for the window, then stops.
void runToWindow(Viewer& viewer) {
    const auto window = waitForWindow(kViewerTitle);
    EXPECT_TRUE(window.has_value()) << "no window; output:\n" << viewer.out() << "\nerror:\n" << viewer.err();
    EXPECT_TRUE(viewer.running());
    viewer.stop();
}

// ---------------------------------------------------------------------------------------------
// The configuration file

TEST(Startup, MissingConfigurationHalts) {
    Scratch s;
    Viewer v(s.path());
    runToEnd(v);
    EXPECT_EQ(v.out(), lines::title + "  Searching for the user-supplied file Orvex.Txt ...not found.\a");
    EXPECT_EQ(v.err(), " Halt.\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

TEST(Startup, NoImageCountedHalts) {
    for (const char* config : {"", "\n\n", "0\n", "-3 images\n"}) {
        SCOPED_TRACE(std::string("Orvex.Txt: \"") + config + "\"");
        Scratch s;
        s.writeConfig(config);
        Viewer v(s.path());
        runToEnd(v);
        EXPECT_EQ(v.out(), lines::opening);
        EXPECT_EQ(v.err(), "Orvex: < 1 texture image in Orvex.Txt, line 1.\n");
        EXPECT_EQ(v.exitStatus(), 0);
    }
}

TEST(Startup, UnreadableCountGoesOnWithoutImages) {
    Scratch s;
    s.writeConfig("many\nearth.bmp\n6371\n");
    s.write("earth.bmp", picture24(4, 2));
    Viewer v(s.path());
    ASSERT_TRUE(v.waitForOut(" Orvex: error reading the number of texture images.\n")) << v.out() << v.err();
    runToWindow(v);
    EXPECT_EQ(v.out(), lines::opening + " Orvex: error reading the number of texture images.\n");
    EXPECT_EQ(v.err(), "");
}

// Count above five, comments after values, and the radius rules; the sixth pair names a file
// that does not exist, so reading it would halt the run.
TEST(Startup, CountAboveFiveAndRadii) {
    Scratch s;
    s.writeConfig(
        "7 images, only five are read\n"
        "a.bmp\n6371\n"
        "b.bmp\n3390 km, a comment\n"
        "c.bmp\n1737.4\n"
        "d.bmp\n-0.5\n"
        "e.bmp\n-2000\n"
        "sixth-is-missing.bmp\n1\n");
    s.write("a.bmp", picture24(1000, 500));
    s.write("b.bmp", picture24(1, 1));
    s.write("c.bmp", picture8(5, 3));
    s.write("d.bmp", picture24(1025, 1));
    s.write("e.bmp", picture8(4, 4));
    Viewer v(s.path());
    runToWindow(v);
    EXPECT_EQ(v.out(),
              lines::opening +
              "     5 texture images:\n" +
              lines::image("a.bmp", "   6371.") +
              lines::image("b.bmp", "   3390.") +
              lines::image("c.bmp", "   1737.") +
              lines::image("d.bmp", "      1.") +
              lines::image("e.bmp", "   2000.") +
              " a.bmp               :      1000 by    500 OpenGL::      1024 by    512\n"
              " b.bmp               :         1 by      1 OpenGL::         2 by      2\n"
              " c.bmp               :         5 by      3 OpenGL::         8 by      4\n"
              " d.bmp               :      1025 by      1 OpenGL::      2048 by      2\n"
              " e.bmp               :         4 by      4 OpenGL::         4 by      4\n");
    EXPECT_EQ(v.err(), "");
}

// Radius field limits, an unreadable radius, exponent form, and a file that ends before the
// last radius.
TEST(Startup, RadiusFieldLimits) {
    Scratch s;
    s.writeConfig("5\nr1.bmp\n10000000\nr2.bmp\n9999999\nr3.bmp\nabc\nr4.bmp\n2.5E3\nr5.bmp\n");
    for (const char* name : {"r1.bmp", "r2.bmp", "r3.bmp", "r4.bmp", "r5.bmp"}) s.write(name, picture24(2, 2));
    Viewer v(s.path());
    runToWindow(v);
    std::string expected = lines::opening + "     5 texture images:\n" +
                           lines::image("r1.bmp", "********") +
                           lines::image("r2.bmp", "9999999.") +
                           lines::image("r3.bmp", "      1.") +
                           lines::image("r4.bmp", "   2500.") +
                           lines::image("r5.bmp", "      1.");
    for (const char* name : {"r1.bmp", "r2.bmp", "r3.bmp", "r4.bmp", "r5.bmp"})
        expected += " " + lines::field20(name) + ":         2 by      2 OpenGL::         2 by      2\n";
    EXPECT_EQ(v.out(), expected);
}

// Blank lines and tabs before values, quoted names, a name cut to 20 characters, and a value
// that shares its line with the next one.
TEST(Startup, NameForms) {
    Scratch s;
    s.writeConfig(
        "\n   \n\t4\n"
        "\n'my planet, v2/x'\n\n  6371\n"
        "\"say \"\"hi\"\".bmp\"\n100\n"
        "abcdefghijklmnopqrstuvwxy\n7\n"
        "near.bmp 500\n200\n");
    std::filesystem::create_directory(s.path() / "my planet, v2");  // a quoted name may hold a path
    s.write("my planet, v2/x", picture24(2, 2));
    s.write("say \"hi\".bmp", picture24(2, 2));
    s.write("abcdefghijklmnopqrst", picture24(2, 2));
    s.write("near.bmp", picture24(2, 2));
    Viewer v(s.path());
    runToWindow(v);
    EXPECT_EQ(v.out(),
              lines::opening + "     4 texture images:\n" +
              lines::image("my planet, v2/x", "   6371.") +
              lines::image("say \"hi\".bmp", "    100.") +
              lines::image("abcdefghijklmnopqrst", "      7.") +
              lines::image("near.bmp", "    200.") +
              " my planet, v2/x     :         2 by      2 OpenGL::         2 by      2\n"
              " say \"hi\".bmp        :         2 by      2 OpenGL::         2 by      2\n"
              " abcdefghijklmnopqrst:         2 by      2 OpenGL::         2 by      2\n"
              " near.bmp            :         2 by      2 OpenGL::         2 by      2\n");
}

TEST(Startup, MissingImageHalts) {
    {
        SCOPED_TRACE("named file missing");
        Scratch s;
        s.writeConfig("2\nthere.bmp\n10\nnot-there.bmp\n20\n");
        s.write("there.bmp", picture24(2, 2));
        Viewer v(s.path());
        runToEnd(v);
        EXPECT_EQ(v.out(), lines::opening + "     2 texture images:\n" + lines::image("there.bmp", "     10.") +
                               "  Importing:[not-there.bmp       ]           ...not found.\a");
        EXPECT_EQ(v.err(), " Halt.\n");
        EXPECT_EQ(v.exitStatus(), 0);
    }
    {
        SCOPED_TRACE("file ends before a name");
        Scratch s;
        s.writeConfig("2\nthere.bmp\n10\n");
        s.write("there.bmp", picture24(2, 2));
        Viewer v(s.path());
        runToEnd(v);
        EXPECT_EQ(v.out(), lines::opening + "     2 texture images:\n" + lines::image("there.bmp", "     10.") +
                               "  Importing:[                    ]           ...not found.\a");
        EXPECT_EQ(v.err(), " Halt.\n");
        EXPECT_EQ(v.exitStatus(), 0);
    }
}

// ---------------------------------------------------------------------------------------------
// The pictures

TEST(Startup, UnsupportedDepthHalts) {
    Scratch s;
    s.writeConfig("1\ndeep.bmp\n6371\n");
    s.write("deep.bmp", encodeBmp32(Picture(4, 4, Rgb{1, 2, 3})));
    Viewer v(s.path());
    runToEnd(v);
    EXPECT_EQ(v.out(), lines::opening + "     1 texture images:\n" + lines::image("deep.bmp", "   6371."));
    EXPECT_EQ(v.err(), "Vsn 1.0 only supports 8 and 24 bit color .bmp files.\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

TEST(Startup, TopDownPictureHalts) {
    Scratch s;
    s.writeConfig("1\ntopdown.bmp\n6371\n");
    s.write("topdown.bmp", encodeBmp24(Picture(8, 4, Rgb{9, 9, 9}), /*topDown=*/true));
    Viewer v(s.path());
    runToEnd(v);
    EXPECT_EQ(v.out(), lines::opening + "     1 texture images:\n" + lines::image("topdown.bmp", "   6371.") +
                           " topdown.bmp         :         8 by     -4 OpenGL::         8 by      0\n");
    EXPECT_EQ(v.err(), "Module BmpSupp(L112) BmpImpor: Halt.\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

// Rows cut short: the read-error line, a pause for one line of input, then the halt.
TEST(Startup, ShortPixelRowsPauseThenHalt) {
    Scratch s;
    s.writeConfig("1\nshort.bmp\n6371\n");
    auto bytes = picture24(16, 8);
    bytes.resize(bytes.size() - 10);
    s.write("short.bmp", bytes);
    Viewer v(s.path());
    const std::string head = lines::opening + "     1 texture images:\n" + lines::image("short.bmp", "   6371.") +
                             " short.bmp           :        16 by      8 OpenGL::        16 by      8\n";
    ASSERT_TRUE(v.waitForOut(" ref: FCR p131\n \n")) << v.out() << v.err();
    EXPECT_TRUE(v.running()) << "the pause should wait for a line of input";
    EXPECT_EQ(v.err(), "");
    v.sendLine("");
    ASSERT_TRUE(v.waitForExit());
    const std::string out = v.out();
    ASSERT_EQ(out.substr(0, head.size()), head);
    std::smatch m;
    const std::string tail = out.substr(head.size());
    ASSERT_TRUE(std::regex_match(tail, m, std::regex(R"( Read error\. IOSTAT= ( *-?[1-9][0-9]*) ref: FCR p131\n \n)")))
        << tail;
    EXPECT_EQ(m[1].length(), 8) << "the status code is right-justified in 8 columns";
    EXPECT_EQ(v.err(), "Module BmpSupp(L129) BmpImpor: Halt.\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

}  // namespace
}  // namespace e2e
