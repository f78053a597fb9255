#include "arguments.hpp"

#include <gtest/gtest.h>

#include <string>

#include "backend.hpp"

namespace {

// Whether the check refused with a reason that starts with `refusal` ("": whether it accepted).
template <typename Check>
::testing::AssertionResult refuses(Check check, const std::string& refusal) {
    try {
        check();
    } catch (const picture::Failure& failure) {
        if (!refusal.empty() && failure.reason.rfind(refusal, 0) == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "refused: " << failure.reason;
    }
    return refusal.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "accepted";
}

TEST(PictureArguments, RadiusAndNameAreTakenOnlyAsTheViewerReadsThem) {
    const struct {
        std::string given, written, refusal;  // the radius as written to Orvex.Txt, or the refusal
    } kRadii[] = {
        {"3389.5km", "3389.5", ""}, {"3389.5 KM", "3389.5", ""}, {"+1.7374e3", "1.7374e3", ""},
        {"9999999.4", "9999999.4", ""}, {"9999999.5", "", "the radius '9999999.5' is above 9999999 km"},
        {"0.99", "", "the radius '0.99' is below 1 km"},
        {"-5km", "", "the radius '-5km' is negative; give the distance from the centre, 5"},
        {"12mi", "", "the radius '12mi' is not a number"}, {" km", "", "the radius ' km' is not a number"},
        {"1e999", "", "the radius '1e999' is not a number"},
    };
    for (const auto& row : kRadii) {
        std::string written;
        EXPECT_TRUE(refuses([&] { written = picture::radiusToWrite(row.given); }, row.refusal)) << row.given;
        EXPECT_EQ(written, row.written) << row.given;
    }
    const struct {
        std::string name, refusal;
    } kNames[] = {
        {"abcdefghijklmnop.bmp", ""}, {"abcdefghijklmnopq.bmp", "the BMP name 'abcdefghijklmnopq.bmp' has 21 characters"},
        {"-x.bmp", "the BMP name '-x.bmp' starts with '-'"}, {"", "the BMP name is empty"},
        {"a.bmp ", "the BMP name must not begin or end with a blank"}, {"a\rb", "the BMP name must not hold tabs"},
    };
    for (const auto& row : kNames) EXPECT_TRUE(refuses([&] { picture::checkName(row.name); }, row.refusal)) << row.name;
}

}  // namespace
