// urc-tool forms: every row of the form table listed with what its definition
// says, as text and as JSON, by a program that never touches the URC.
#include "irform/signal.h"
#include "urcmem/urc_claim.h"
#include "urctool/commands.h"
#include "urctool/errors.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string formsOutput(const urctool::Args& args) {
    std::ostringstream out;
    EXPECT_EQ(urctool::formsCommand(args, out), urctool::kExitOk);
    return out.str();
}

// The text listing's line of one form, without its name column.
std::string lineOf(const std::string& listing, std::string_view name) {
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(std::string(name) + " ")) {
            const auto rest = line.find_first_not_of(' ', name.size());
            return line.substr(rest);
        }
    }
    return "(not listed)";
}

// Columns collapsed to single blanks, so a wider name column (new forms)
// leaves the rows as they are.
std::string squeezed(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' || (!out.empty() && out.back() != ' '))
            out += c;
    return out;
}

TEST(FormsCommand, DescribesKnownFormsFromTheirDefinitions) {
    struct Row {
        std::string_view name;
        std::string line;
    };
    const Row rows[] = {
        {"nec", "38.0 kHz 32 0-0xFF 0-0xFF pulse distance, leader 9000/4500 us, LSB first, "
                "ditto repeats, 16 bits checked"},
        {"sirc12", "40.0 kHz 12 0-0x1F 0-0x7F pulse width, leader 2400 us, LSB first, frame "
                   "repeats"},
        {"rc5", "36.0 kHz 14 0-0x1F 0-0x7F biphase, 889 us half bits, no leader, MSB first, "
                "frame repeats, a toggle bit, 1 bit checked"},
        {"rc6", "36.0 kHz 21 0-0xFF 0-0xFF biphase, 444 us half bits, a double-width bit, "
                "leader 2664/888 us, MSB first, frame repeats, a toggle bit, 4 bits checked"},
        {"jvc", "38.0 kHz 16 0-0xFF 0-0xFF pulse distance, leader 8400/4200 us, LSB first, "
                "frame repeats without the leader"},
        {"denon", "38.0 kHz 15 0-0x1F 0-0xFF pulse distance, no leader, LSB first, frame "
                  "repeats, later frames altered, 2 bits checked"},
        {"directv", "38.0 kHz 16 0-0xF 0-0xFF pulse width and distance, 2 bits a symbol, "
                    "leader 6000/1200 us, MSB first, frame repeats led by 3000/1200 us, 4 bits "
                    "checked"},
        {"samsung36", "38.0 kHz 36 0-0xFFFF 0-0xFFF pulse distance, leader 4500/4500 us, LSB "
                      "first, a separator after bit 16, frame repeats, 8 bits checked"},
        {"mitsubishi", "32.6 kHz 16 0-0xFF 0-0xFF pulse distance, no leader, LSB first, frame "
                       "repeats"},
        {"bose", "38.0 kHz 16 0 0-0xFF pulse distance, leader 1000/1500 us, MSB first, frame "
                 "repeats, 8 bits checked"},
        {"samsung20", "38.4 kHz 20 0-0xFFF 0-0xFF pulse distance, leader 4512/4512 us, LSB "
                      "first, frame repeats"},
        {"rca38", "38.7 kHz 24 0-0xF 0-0xFF pulse distance, leader 3680/3680 us, MSB first, "
                  "frame repeats, 12 bits checked"}};
    const std::string listing = formsOutput({});
    EXPECT_TRUE(listing.starts_with("NAME ")) << listing.substr(0, 80);
    for (const Row& row : rows)
        EXPECT_EQ(squeezed(lineOf(listing, row.name)), row.line) << row.name;
}

// What every form's JSON must hold, checked against the protocol's own values.
void expectJsonLists(const nlohmann::json& document) {
    ASSERT_EQ(document.at("format"), 1);
    const auto& forms = document.at("forms");
    ASSERT_EQ(forms.size(), std::size(irform::kAllProtocols));
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const irform::Protocol p = irform::kAllProtocols[i];
        const auto& form = forms[i];
        EXPECT_EQ(form.at("name"), irform::protocolName(p));
        EXPECT_EQ(form.at("carrier"), irform::protocolCarrierHz(p));
        EXPECT_EQ(form.at("max_device"), irform::maxDevice(p));
        EXPECT_EQ(form.at("max_command"), irform::maxCommand(p));
        EXPECT_GT(form.at("bits").get<int>(), 0);
        EXPECT_FALSE(form.at("description").get<std::string>().empty());
        EXPECT_TRUE(form.at("description")
                        .get<std::string>()
                        .starts_with(form.at("coding").get<std::string>()));
    }
}

TEST(FormsCommand, JsonListsEveryProtocol) {
    const auto document = nlohmann::json::parse(formsOutput({"--json"}));
    expectJsonLists(document);
    const auto& nec = document.at("forms").at(0);
    EXPECT_EQ(nec.at("repeat"), "ditto");
    EXPECT_EQ(nec.at("checked_bits"), 16);
    EXPECT_EQ(nec.at("identifier"), "010000");
    const auto& rc5 = document.at("forms").at(2);
    EXPECT_EQ(rc5.at("toggle_bits"), 1);
    EXPECT_EQ(rc5.at("coding"), "biphase, 889 us half bits");
}

TEST(FormsCommand, RefusesWordsAndOptionsItDoesNotTake) {
    std::ostringstream out;
    for (const urctool::Args& args :
         {urctool::Args{"nec"}, urctool::Args{"--wait", "5"}, urctool::Args{"--jsn"}})
        EXPECT_THROW(urctool::formsCommand(args, out), urctool::UsageError) << args[0];
    EXPECT_TRUE(out.str().empty());
}

// The program itself, its URC socket pointing to nothing and the URC owned
// and being written by another program: forms neither opens nor claims it,
// so neither is in its way.
TEST(FormsCommand, RunsWithoutAnyUrc) {
    char folder[] = "/tmp/urctool-forms.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    ::setenv("XDG_RUNTIME_DIR", folder, 1);
    ::setenv("QZT617_URC_SOCKET", (std::string(folder) + "/urc.sock").c_str(), 1);
    {
        const auto owner =
            urcclaim::take(urcclaim::keyForLinkedUrc(), urcclaim::Hold::Own,
                           urcclaim::thisProcess("qzt617", ""), std::chrono::milliseconds(0));
        ASSERT_TRUE(owner.held()) << owner.refusal();
        const auto writer =
            urcclaim::take(urcclaim::keyForLinkedUrc(), urcclaim::Hold::Write,
                           urcclaim::thisProcess("qzt617", ""), std::chrono::milliseconds(0));
        ASSERT_TRUE(writer.held()) << writer.refusal();
        FILE* program = ::popen(URC_TOOL_PATH " forms --json 2>&1", "r");
        ASSERT_NE(program, nullptr);
        std::string output;
        std::array<char, 4096> buffer{};
        while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), program))
            output.append(buffer.data(), got);
        const int status = ::pclose(program);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ": " << output;
        expectJsonLists(nlohmann::json::parse(output));
    }
    ::unsetenv("QZT617_URC_SOCKET");
    std::filesystem::remove_all(folder);
}

} // namespace
