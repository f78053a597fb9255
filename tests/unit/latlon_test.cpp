#include "latlon/latlon.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "model/state.hpp"

namespace {

using latlon::LatLonStatus;

// Each test runs in a scratch working directory of its own.
class LatLonFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvex_latlon_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(scratch_.c_str()), 0);
        model::state = model::State{};
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_), 0);
        std::system(("rm -rf " + scratch_).c_str());
    }
    static void writeFile(const std::string& text) {
        std::ofstream("Orvex.Out", std::ios::binary) << text;
    }
    static std::string readFile() {
        std::ifstream in("Orvex.Out", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string scratch_;
    char previous_[4096] = {};
};

latlon::LatLonValues parse(const std::string& text) {
    return latlon::parseLatLon(text.data(), text.size());
}

TEST_F(LatLonFile, ExportWritesThreeLinesWithSixColumnNumbers) {
    model::state.centreLatitude = 45;
    model::state.centreLongitude = -93.4;
    latlon::exportLatLon();
    EXPECT_EQ(readFile(), "   45.0\n  -93.4\n Above: latitude & longitude in degrees.\n");

    // A second export replaces the file; -180.0 fills the whole field.
    model::state.centreLatitude = -89.96;
    model::state.centreLongitude = -180.0;
    latlon::exportLatLon();
    EXPECT_EQ(readFile(), "  -90.0\n -180.0\n Above: latitude & longitude in degrees.\n");
}

TEST_F(LatLonFile, ExportThatCannotCreateTheFileEndsTheRun) {
    ASSERT_EQ(mkdir("Orvex.Out", 0700), 0);
    EXPECT_EXIT(latlon::exportLatLon(), ::testing::ExitedWithCode(2), "Orvex\\.Out");
}

TEST(LatLonParse, ReadsFreeFormNumbers) {
    struct Case {
        const char* text;
        double latitude, longitude;
    } cases[] = {
        {"   45.3\n  -93.4\n Above: latitude & longitude in degrees.\n", 45.3, -93.4},
        {"45\n190", 45, 190},                                  // integers, no final line end
        {"  45.5  north\n-93.5,west\n", 45.5, -93.5},          // text after the number ignored
        {"+45.\n-.5/\n", 45, -0.5},                            // sign, bare point, slash
        {"4.53e1\n-9.34D+01\n", 45.3, -93.4},                  // exponents e, E, d, D
        {"4.53E+1\n-934d-1\n", 45.3, -93.4},
        {"1.5+1\n2.5-1\n", 15, 0.25},                          // exponent marked by its sign alone
        {"\t12.5\r\n\t-7\r\n", 12.5, -7},                      // tabs and DOS line ends
        {"\n   \n 10\n\n 20\n", 10, 20},                       // blank lines are passed over
        {"0000000000000000000000000000045.25\n1e-400\n", 45.25, 0},  // underflow is zero
        {"1e9\n-1e9\n", 1e9, -1e9},                          // the largest the pointer expresses
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const latlon::LatLonValues v = parse(c.text);
        ASSERT_EQ(v.status, LatLonStatus::ok);
        EXPECT_DOUBLE_EQ(v.latitude, c.latitude);
        EXPECT_DOUBLE_EQ(v.longitude, c.longitude);
    }
}

TEST(LatLonParse, RefusesLinesWithoutAUsableNumber) {
    struct Case {
        const char* text;
        LatLonStatus status;
    } cases[] = {
        {"", LatLonStatus::noLatitude},
        {"\n  \n", LatLonStatus::noLatitude},
        {"north\n10\n", LatLonStatus::noLatitude},
        {"45abc\n10\n", LatLonStatus::noLatitude},
        {",45\n10\n", LatLonStatus::noLatitude},
        {"0x10\n10\n", LatLonStatus::noLatitude},
        {"nan\n10\n", LatLonStatus::noLatitude},
        {"inf\n10\n", LatLonStatus::noLatitude},
        {"1e999\n10\n", LatLonStatus::noLatitude},
        {"1e300\n10\n", LatLonStatus::noLatitude},   // beyond what the pointer can express
        {"-\n10\n", LatLonStatus::noLatitude},
        {".\n10\n", LatLonStatus::noLatitude},
        {"1e\n10\n", LatLonStatus::noLatitude},
        {"45", LatLonStatus::noLongitude},
        {"45\n", LatLonStatus::noLongitude},
        {"45 10\n", LatLonStatus::noLongitude},  // the second number must be on the next line
        {"45\nwest\n", LatLonStatus::noLongitude},
        {"45\n1.5-\n", LatLonStatus::noLongitude},
        {"45\n-1e400\n", LatLonStatus::noLongitude},
        {"45\n-2e9\n", LatLonStatus::noLongitude},
        {"45\n-93.4\xB0\n", LatLonStatus::noLongitude},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parse(c.text).status, c.status);
    }
    // The parser never reads past the length it is given.
    const char unterminated[] = {'4', '5', '\n', '1', '2', '3'};
    const latlon::LatLonValues v = latlon::parseLatLon(unterminated, 5);
    ASSERT_EQ(v.status, LatLonStatus::ok);
    EXPECT_DOUBLE_EQ(v.longitude, 12);
}

TEST_F(LatLonFile, ImportTurnsTheViewToTheFilePosition) {
    model::state.importPending = 1;
    writeFile(" 45.3\n -93.4\n");
    testing::internal::CaptureStdout();
    latlon::importLatLon();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_DOUBLE_EQ(model::state.centreLatitude, 45.3);
    EXPECT_DOUBLE_EQ(model::state.centreLongitude, -93.4);
    EXPECT_DOUBLE_EQ(model::state.viewLatitude, 45.3 - 90);
    EXPECT_DOUBLE_EQ(model::state.viewLongitude, -360 + 93.4);
    EXPECT_EQ(model::state.importPending, 0);

    // Values out of range are used as they are.
    model::state.importPending = 1;
    writeFile(" 0.0\n 190.0\n");
    latlon::importLatLon();
    EXPECT_DOUBLE_EQ(model::state.viewLatitude, -90);
    EXPECT_DOUBLE_EQ(model::state.viewLongitude, -550);
}

TEST_F(LatLonFile, ImportWithoutAUsableFileLeavesTheViewAlone) {
    const auto expectUnchanged = [] {
        EXPECT_DOUBLE_EQ(model::state.viewLatitude, -30);
        EXPECT_DOUBLE_EQ(model::state.viewLongitude, -300);
        EXPECT_DOUBLE_EQ(model::state.centreLatitude, 60);
        EXPECT_DOUBLE_EQ(model::state.centreLongitude, -60);
        EXPECT_EQ(model::state.importPending, 1);
    };
    model::state.viewLatitude = -30;
    model::state.viewLongitude = -300;
    model::state.centreLatitude = 60;
    model::state.centreLongitude = -60;
    model::state.importPending = 1;

    // No file: silent.
    testing::internal::CaptureStdout();
    latlon::importLatLon();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    expectUnchanged();

    // A file whose numbers are gone: one report line, nothing read.
    for (const char* text : {"", " 45.0\n", " 45.0\n east\n", " nan\n 10\n"}) {
        SCOPED_TRACE(text);
        writeFile(text);
        testing::internal::CaptureStdout();
        latlon::importLatLon();
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  " Orvex.Out holds no usable latitude/longitude.\n");
        expectUnchanged();
    }
}

}  // namespace
