// The limits of the URC's capture and raw code form, each just inside and
// just outside: inside, the signal is captured whole (and the form holds it);
// outside, the problem names the limit and the value.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/signal_limits.h"
#include "irform/stored_signal.h"

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

TEST(SignalLimits, InsideIsKeptWholeOutsideNamesTheLimitAndTheValue) {
    enum Limit { Capture, RawForm };
    struct Case {
        const char* what;
        Limit limit;
        Signal signal;
        const char* problem; // "" when the signal fits
    };
    const Signal longestMark{38000, {327670, 500, 560, 100000}};
    const Signal markTooLong{38000, {327671, 500, 560, 100000}};
    const Case cases[] = {
        {"longest mark", Capture, longestMark, ""},
        {"mark too long", Capture, markTooLong,
         "mark 327671 us: the URC stores marks up to 327670 us"},
        {"shortest inner space", Capture, {38000, {500, 59, 500, 100000}}, ""},
        {"inner space too short", Capture, {38000, {500, 58, 500, 100000}}, "space 58 us"},
        {"longest inner space", Capture, {38000, {500, 218504, 500, 100000}}, ""},
        {"inner space ends the capture",
         Capture,
         {38000, {500, 218505, 500, 100000}},
         "space 218505 us (duration 2 of 4): the URC ends its capture"},
        {"final space of any length", Capture, {38000, {500, 10000000}}, ""},
        {"capture full", Capture, repeated(2538, 500), ""},
        {"capture overflows", Capture, repeated(2540, 500),
         "2540 durations need 10244 characters of capture text: the URC captures at most 10240"},
        {"longest duration", RawForm, longestMark, ""},
        {"duration too long", RawForm, markTooLong,
         "mark 327671 us: the URC stores durations up to 327670 us"},
        {"most varied durations", RawForm, varied(kMaxRawDurations), ""},
        {"too many varied durations", RawForm, varied(kMaxRawDurations + 1),
         "1021 durations of more than 16 different lengths: the URC stores at most 1020 varied "
         "durations"},
        {"many recurring durations", RawForm, repeated(3000, 700), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto problem =
            c.limit == Capture ? captureLimitProblem(c.signal) : rawFormLimitProblem(c.signal);
        const auto form = c.limit == RawForm ? rawCodeForm(c.signal) : std::nullopt;
        if (*c.problem != '\0') {
            ASSERT_TRUE(problem);
            EXPECT_NE(problem->find(c.problem), std::string::npos) << *problem;
            EXPECT_FALSE(form) << "a form of a signal it cannot hold";
            continue;
        }
        EXPECT_EQ(problem, std::nullopt) << *problem;
        if (c.limit == Capture) {
            EXPECT_EQ(renderCapture(c.signal).size(), captureLength(c.signal));
            continue;
        }
        ASSERT_TRUE(form);
        const auto back = storedSignal("C00080" + form->id + form->p + form->q, form->data);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->durations.size(), c.signal.durations.size());
        EXPECT_EQ(back->durations.front(), c.signal.durations.front());
    }
}

} // namespace
