// forms: the protocol forms the URC understands, one a row of the form table.
// Everything shown is read from the rows themselves (the description too), so
// a form the table gains is listed, and described rightly, with no change
// here. Needs no URC: main runs it before the URC is touched.
#include "irform/code_form.h"
#include "irform/form_definition.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/export_json.h"
#include "urctool/help_texts.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <iomanip>
#include <ostream>

namespace urctool {
namespace {

using irform::detail::FormDefinition;
using irform::detail::Shape;

std::string joinedUs(std::span<const uint32_t> durations) {
    std::string text;
    for (uint32_t us : durations)
        text += (text.empty() ? "" : "/") + std::to_string(us);
    return text + " us";
}

// A symbol is mark then space, or space then mark after a leader that ends
// with a mark (SIRC): which of the two carries the bits names the coding.
std::string symbolCoding(const irform::detail::SymbolFrame& frame) {
    const bool markFirst = frame.leader.size() % 2 == 0;
    bool marksDiffer = false;
    bool spacesDiffer = false;
    for (const auto& symbol : frame.symbols) {
        const auto& first = frame.symbols.front();
        const bool firstDiffers = symbol.first != first.first;
        const bool secondDiffers = symbol.second != first.second;
        (markFirst ? marksDiffer : spacesDiffer) |= firstDiffers;
        (markFirst ? spacesDiffer : marksDiffer) |= secondDiffers;
    }
    std::string coding = marksDiffer && spacesDiffer ? "pulse width and distance"
                         : marksDiffer               ? "pulse width"
                                                     : "pulse distance";
    if (frame.symbols.size() > 2)
        coding +=
            ", " + std::to_string(std::bit_width(frame.symbols.size()) - 1) + " bits a symbol";
    if (!frame.symbolTails.empty())
        coding += ", some symbols two pairs";
    return coding;
}

std::string biphaseCoding(const irform::detail::BiphaseFrame& frame) {
    std::string coding = "biphase, " + std::to_string(frame.unit) + " us half bits";
    if (frame.pattern.find('B') != std::string_view::npos)
        coding += ", a double-width bit";
    return coding;
}

// The fixed slots before a biphase frame's first bit, as runs of one level.
std::vector<uint32_t> biphaseLeader(const irform::detail::BiphaseFrame& frame) {
    std::vector<uint32_t> leader;
    for (std::size_t i = 0; i < frame.pattern.size() && frame.pattern[i] != 'b';) {
        const char level = frame.pattern[i];
        uint32_t slots = 0;
        for (; i < frame.pattern.size() && frame.pattern[i] == level; ++i)
            ++slots;
        leader.push_back(slots * frame.unit);
    }
    return leader;
}

std::string leaderText(const FormDefinition& form) {
    const std::vector<uint32_t> leader =
        form.shape == Shape::Biphase
            ? biphaseLeader(form.biphaseFrame)
            : std::vector<uint32_t>(form.symbolFrame.leader.begin(), form.symbolFrame.leader.end());
    return leader.empty() ? "no leader" : "leader " + joinedUs(leader);
}

bool sameDurations(std::span<const uint32_t> a, std::span<const uint32_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

std::string repeatText(const FormDefinition& form) {
    if (form.repeat == irform::detail::Repeat::Ditto)
        return "ditto repeats";
    std::string text = form.laterFrame ? "frame repeats, later frames altered" : "frame repeats";
    const auto& frame = form.symbolFrame;
    if (form.shape == Shape::Biphase || sameDurations(frame.leader, frame.repeatLeader))
        return text;
    if (frame.repeatLeader.empty())
        return text + " without the leader";
    return text + " led by " + joinedUs(frame.repeatLeader);
}

// A switch without a default: a shape the table gains warns here until it is
// described.
std::string codingText(const FormDefinition& form) {
    switch (form.shape) {
    case Shape::Symbols:
        return symbolCoding(form.symbolFrame);
    case Shape::Biphase:
        return biphaseCoding(form.biphaseFrame);
    }
    return "shape " + std::to_string(static_cast<int>(form.shape));
}

int toggleBits(const FormDefinition& form) {
    return std::popcount(form.toggleMask);
}

// Shape, leader, bit order, separator, repeats, toggle and checks.
std::string description(const FormDefinition& form) {
    std::string text = codingText(form) + ", " + leaderText(form) + ", " +
                       (form.msbFirst ? "MSB first" : "LSB first");
    if (form.shape == Shape::Symbols && form.symbolFrame.separatorAfter > 0)
        text += ", a separator after bit " + std::to_string(form.symbolFrame.separatorAfter);
    text += ", " + repeatText(form);
    if (const int toggles = toggleBits(form))
        text += toggles == 1 ? ", a toggle bit" : ", " + std::to_string(toggles) + " toggle bits";
    if (form.checkedBits > 0)
        text += ", " + std::to_string(form.checkedBits) +
                (form.checkedBits == 1 ? " bit checked" : " bits checked");
    return text;
}

std::string hexText(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, value < 10 ? "%u" : "0x%X", value);
    return text;
}

std::string rangeText(uint32_t max) {
    return max == 0 ? "0" : "0-" + hexText(max);
}

std::string carrierText(int carrierHz) {
    char text[24];
    std::snprintf(text, sizeof text, "%.1f kHz", carrierHz / 1000.0);
    return text;
}

void formsText(std::ostream& out) {
    const auto forms = irform::detail::formDefinitions();
    std::size_t nameWidth = 4;
    for (const auto& form : forms)
        nameWidth = std::max(nameWidth, form.name.size());
    // Columns: the widest carrier (57.6 kHz) and range (0-0xFFFFFFFF), a blank after each.
    out << std::left << std::setw(static_cast<int>(nameWidth) + 2) << "NAME" << std::setw(10)
        << "CARRIER" << std::setw(6) << "BITS" << std::setw(14) << "DEVICE" << std::setw(14)
        << "COMMAND"
        << "DESCRIPTION\n";
    for (const auto& form : forms)
        out << std::setw(static_cast<int>(nameWidth) + 2) << form.name << std::setw(10)
            << carrierText(form.carrierHz) << std::setw(6) << form.bits << std::setw(14)
            << rangeText(form.maxDevice) << std::setw(14) << rangeText(form.maxCommand)
            << description(form) << "\n";
}

void formsJson(std::ostream& out) {
    nlohmann::ordered_json document;
    document["format"] = kJsonFormat;
    document["forms"] = nlohmann::ordered_json::array();
    for (const auto& form : irform::detail::formDefinitions())
        document["forms"].push_back(
            {{"name", form.name},
             {"identifier", irform::builtinId(form.protocol)},
             {"carrier", form.carrierHz},
             {"bits", form.bits},
             {"max_device", form.maxDevice},
             {"max_command", form.maxCommand},
             {"coding", codingText(form)},
             {"repeat", form.repeat == irform::detail::Repeat::Ditto ? "ditto" : "frame"},
             {"toggle_bits", toggleBits(form)},
             {"checked_bits", form.checkedBits},
             {"description", description(form)}});
    out << jsonOneItemPerLine(document);
}

} // namespace

int formsCommand(const Args& args, std::ostream& out) {
    const auto a = parseArguments(args, {}, {"--json"});
    if (a.has("--help")) {
        out << usageText("forms");
        return kExitOk;
    }
    expectWords(a, 0, "forms");
    a.has("--json") ? formsJson(out) : formsText(out);
    return kExitOk;
}

} // namespace urctool
