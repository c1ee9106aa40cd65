// Loading the conversion library by file name: the real library beside the
// program converts a timing body; a missing library or a library without
// ConvertCode gives an empty result.
#include "learning/code_converter.h"
#include "learning/core/capture_text.h"
#include "irform/capture_render.h"
#include "irform/raw_example.h"

#include <gtest/gtest.h>

namespace {

std::string timingBodyOf(const std::string& capture) {
    const auto encoded = learning::EncodeTimings(learning::CutAtEndMarker(capture));
    EXPECT_FALSE(encoded.failed);
    return encoded.text.substr(5);
}

TEST(CodeConverter, ConvertsAnNecPressIntoItsBuiltinForm) {
    const auto capture = irform::pressCapture("nec", 0x04, 0x08);
    ASSERT_TRUE(capture);
    const std::string converted = learning::ConvertCode(timingBodyOf(*capture));
    // Built-in NEC form: identifier 010000, then the parts after it.
    EXPECT_EQ(converted.rfind("010000::", 0), 0u) << converted;
    EXPECT_NE(converted.find(":::"), std::string::npos);
}

TEST(CodeConverter, EmptyBodyGivesEmptyResult) {
    EXPECT_EQ(learning::ConvertCode(""), "");
}

TEST(CodeConverter, MissingLibraryOrFunctionGivesEmptyResult) {
    const auto capture = irform::pressCapture("nec", 0x04, 0x08);
    ASSERT_TRUE(capture);
    const std::string body = timingBodyOf(*capture);
    const char* libraries[] = {"libNoSuchConverter.so", "/nonexistent/libRorORuru.so",
                               // A real library that has no ConvertCode.
                               "libm.so.6"};
    for (const char* library : libraries)
        EXPECT_EQ(learning::ConvertCode(body, library), "") << library;
}

// The carrier the URC measured reaches the code form through
// ConvertCodeAtCarrier; ConvertCode alone can only guess it from the shape.
TEST(CodeConverter, MeasuredCarrierGoesBesideTheBody) {
    irform::Signal raw = irform::rawExampleSignal(3);
    raw.carrierHz = 56000;
    const auto encoded =
        learning::EncodeTimings(learning::CutAtEndMarker(irform::renderCapture(raw)));
    ASSERT_EQ(encoded.carrierKhz, 56);
    const auto carrierDigits = [](const std::string& converted) {
        const std::size_t p = converted.find("::");
        return p == std::string::npos ? std::string() : converted.substr(p + 2, 2);
    };
    const std::string body = learning::converterInput(encoded);
    EXPECT_EQ(carrierDigits(learning::ConvertCodeAtCarrier(body, encoded.carrierKhz)), "38");
    EXPECT_EQ(carrierDigits(learning::ConvertCode(body)), "26") << "38 kHz, the shape's guess";
    // Not measured: the same as ConvertCode.
    EXPECT_EQ(learning::ConvertCodeAtCarrier(body, 0), learning::ConvertCode(body));
}

TEST(CodeConverter, LibraryWithoutTheCarrierEntryGetsConvertCode) {
    EXPECT_EQ(learning::ConvertCodeAtCarrier("041B028F", 56, CONVERT_CODE_ONLY_PATH),
              "ConvertCode only");
    EXPECT_EQ(learning::ConvertCodeAtCarrier("041B028F", 56, "libm.so.6"), "");
}

TEST(CodeConverter, RepeatedUseLoadsTheLibraryEachTime) {
    const auto capture = irform::pressCapture("rc5", 0x05, 0x11);
    ASSERT_TRUE(capture);
    const std::string body = timingBodyOf(*capture);
    const std::string first = learning::ConvertCode(body);
    ASSERT_FALSE(first.empty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(learning::ConvertCode(body), first);
}

} // namespace
