// The limits of the URC's capture and raw code form, each just inside and
// just outside: inside, the signal is captured whole (and the form holds it);
// outside, the problem names the limit and the value.
#include "platform/irform/capture_render.h"
#include "platform/irform/code_form.h"
#include "platform/irform/signal_limits.h"
#include "platform/irform/stored_signal.h"

#include <gtest/gtest.h>

using namespace irform;

namespace {

// `count` durations of `us` (marks and spaces alike), the last a long silence.
Signal repeated(std::size_t count, uint32_t us) {
    Signal s{38000, std::vector<uint32_t>(count, us)};
    s.durations.back() = 100000;
    return s;
}

// `count` durations of 40 different lengths.
Signal varied(std::size_t count) {
    Signal s{38000, {}};
    for (std::size_t i = 0; i < count; ++i)
        s.durations.push_back(200 + 150 * static_cast<uint32_t>(i % 40));
    return s;
}

struct LimitCase {
    const char* name;
    Signal signal;
    const char* problem; // "" when the signal fits
};

void PrintTo(const LimitCase& c, std::ostream* out) {
    *out << c.name;
}

std::string nameOf(const ::testing::TestParamInfo<LimitCase>& info) {
    return info.param.name;
}

class CaptureLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(CaptureLimit, InsideIsCapturedWholeOutsideNamesLimitAndValue) {
    const LimitCase& c = GetParam();
    const auto problem = captureLimitProblem(c.signal);
    if (*c.problem == '\0') {
        EXPECT_EQ(problem, std::nullopt) << *problem;
        EXPECT_EQ(renderCapture(c.signal).size(), captureLength(c.signal));
    } else {
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find(c.problem), std::string::npos) << *problem;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CaptureLimit,
    ::testing::Values(
        LimitCase{"LongestMark", {38000, {327670, 500, 560, 100000}}, ""},
        LimitCase{"MarkTooLong",
                  {38000, {327671, 500, 560, 100000}},
                  "mark 327671 us: the URC stores marks up to 327670 us"},
        LimitCase{"ShortestInnerSpace", {38000, {500, 59, 500, 100000}}, ""},
        LimitCase{"InnerSpaceTooShort", {38000, {500, 58, 500, 100000}}, "space 58 us"},
        LimitCase{"LongestInnerSpace", {38000, {500, 218504, 500, 100000}}, ""},
        LimitCase{"InnerSpaceEndsTheCapture",
                  {38000, {500, 218505, 500, 100000}},
                  "space 218505 us (duration 2 of 4): the URC ends its capture"},
        LimitCase{"FinalSpaceOfAnyLength", {38000, {500, 10000000}}, ""},
        LimitCase{"CaptureFull", repeated(2538, 500), ""},
        LimitCase{"CaptureOverflows", repeated(2540, 500),
                  "2540 durations need 10244 characters of capture text: the URC captures "
                  "at most 10240"}),
    nameOf);

class RawFormLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RawFormLimit, InsideIsStoredExactlyOutsideNamesLimitAndValue) {
    const LimitCase& c = GetParam();
    const auto problem = rawFormLimitProblem(c.signal);
    const auto form = rawCodeForm(c.signal);
    if (*c.problem == '\0') {
        EXPECT_EQ(problem, std::nullopt) << *problem;
        ASSERT_TRUE(form);
        const auto back = storedSignal("C00080" + form->id + form->p + form->q, form->data);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->durations.size(), c.signal.durations.size());
        EXPECT_EQ(back->durations.front(), c.signal.durations.front());
    } else {
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find(c.problem), std::string::npos) << *problem;
        EXPECT_FALSE(form) << "a form of a signal it cannot hold";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, RawFormLimit,
    ::testing::Values(
        LimitCase{"LongestDuration", {38000, {327670, 500, 560, 100000}}, ""},
        LimitCase{"DurationTooLong",
                  {38000, {327671, 500, 560, 100000}},
                  "mark 327671 us: the URC stores durations up to 327670 us"},
        LimitCase{"MostVariedDurations", varied(kMaxRawDurations), ""},
        LimitCase{"TooManyVariedDurations", varied(kMaxRawDurations + 1),
                  "1021 durations of more than 16 different lengths: the URC stores at most "
                  "1020 varied durations"},
        LimitCase{"ManyRecurringDurations", repeated(3000, 700), ""}),
    nameOf);

} // namespace
