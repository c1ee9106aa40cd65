// The carrier as a witness (irform::carrierFits): a measured carrier more than
// kCarrierTolerancePercent away from a form's own rules that form out; no
// measurement rules out none.
#include "irform/form_definition.h"
#include "irform/protocols.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace irform;

namespace {

std::string nameOf(const std::optional<Press>& press) {
    return press ? std::string(protocolName(press->code.protocol)) : "nothing";
}

// Without a measurement a press reads as the first row of its timing: rca38
// (RCA's frame at 38.7 kHz) as rca.
Protocol readWithoutCarrier(Protocol p) {
    return p == Protocol::Rca38 ? Protocol::Rca : p;
}

// Every form of the table, pressed once and measured at its own carrier
// shifted by the row's percentage (nullopt: not measured). The carriers are
// whole hundreds of Hz, so every shifted carrier is exact.
TEST(MeasuredCarrier, RulesOutAFormMoreThanTenPercentAway) {
    struct Row {
        std::optional<int> offsetPercent;
        bool isThatForm;
    };
    const Row rows[] = {{0, true},    {9, true},    {-9, true},          {10, true},
                        {-10, true},  {11, false},  {-11, false},        {25, false},
                        {-25, false}, {100, false}, {std::nullopt, true}};
    static_assert(kCarrierTolerancePercent == 10, "the rows' edge is 10 %");
    for (Protocol p : kAllProtocols) {
        const Decoded code{p, std::min(maxDevice(p), 3u), std::min(maxCommand(p), 0x21u)};
        const Signal pressed = *encode(p, code.device, code.command);
        for (const Row& row : rows) {
            std::optional<int> measured;
            if (row.offsetPercent)
                measured = protocolCarrierHz(p) * (100 + *row.offsetPercent) / 100;
            const auto read = decodePress(pressed.durations, measured);
            const std::string what = std::string(protocolName(p)) + " measured at " +
                                     (measured ? std::to_string(*measured) : "none");
            if (row.isThatForm) {
                ASSERT_TRUE(read) << what;
                const Protocol expected = measured ? p : readWithoutCarrier(p);
                EXPECT_EQ(read->code, (Decoded{expected, code.device, code.command})) << what;
            } else {
                EXPECT_TRUE(!read || read->code.protocol != p) << what << ": " << nameOf(read);
                if (read) {
                    EXPECT_TRUE(carrierFits(protocolCarrierHz(read->code.protocol), *measured))
                        << what << ": " << nameOf(read);
                }
            }
        }
    }
}

// Two rows of one timing whose carriers lie far apart: RCA's row, and the same
// frame as a 38 kHz maker might send it, under another form's number (NEC's:
// only the number tells which row read the press).
TEST(MeasuredCarrier, TellsApartTwoFormsOfOneTiming) {
    const detail::FormDefinition at56 = detail::formDefinition(Protocol::Rca);
    detail::FormDefinition at38 = at56;
    at38.protocol = Protocol::Nec;
    at38.carrierHz = 38000;
    const detail::FormDefinition rcaFirst[] = {at56, at38};
    const detail::FormDefinition rcaLast[] = {at38, at56};
    struct Row {
        std::span<const detail::FormDefinition> table;
        std::optional<int> measuredHz;
        std::string read;
    };
    const Row rows[] = {{rcaFirst, 56000, "rca"},
                        {rcaLast, 56000, "rca"},
                        {rcaFirst, 38000, "nec"},
                        {rcaLast, 38000, "nec"},
                        {rcaFirst, 61000, "rca"},
                        {rcaLast, 35000, "nec"},
                        {rcaFirst, 47000, "nothing"}, // 16 % from 56 kHz, 24 % from 38 kHz
                        // Without a measurement both fit alike: the earlier row wins.
                        {rcaFirst, std::nullopt, "rca"},
                        {rcaLast, std::nullopt, "nec"}};
    const Signal pressed = *encode(Protocol::Rca, 9, 2);
    for (const Row& row : rows) {
        const auto read = detail::bestFit(row.table, pressed.durations, row.measuredHz);
        EXPECT_EQ(nameOf(read), row.read)
            << "measured " << (row.measuredHz ? std::to_string(*row.measuredHz) : "none")
            << ", rca row " << (row.table.data() == rcaFirst ? "first" : "last");
        if (read) {
            EXPECT_EQ(read->code.device, 9u);
        }
    }
}

} // namespace
