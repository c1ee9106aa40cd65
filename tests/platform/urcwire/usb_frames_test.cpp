#include "platform/urcwire/usb_frames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace urcwire::usb;

// A request line through the host's encoding and the URC's decoding.
std::string roundTrip(const std::string& line) {
    const Encoded encoded = requestMessage(line);
    EXPECT_EQ(encoded.error, "") << line;
    const Decoded decoded = requestLine(encoded.message);
    EXPECT_EQ(decoded.error, "") << line;
    return decoded.line;
}

TEST(UsbRequests, EveryRequestOfTheLibraryArrivesAsTheSameLine) {
    const std::string whole(2 * kMemorySize, 'A');
    for (const std::string& line : std::initializer_list<std::string>{
             "LINK", "VERSION", "READ 0000 1", "READ FFF8 1", "READ 0000 8192",
             "WRITE 00 1230 0A0B", "WRITE 7F 0000 " + whole, "CAPTURE", "COLLECT", "BASICINFO",
             "CODETYPE 00FF"})
        EXPECT_EQ(roundTrip(line), line);
    EXPECT_EQ(roundTrip("WRITE 0a 00ff abcd"), "WRITE 0A 00FF ABCD");
}

TEST(UsbRequests, MemoryTravelsAsBytes) {
    EXPECT_EQ(requestMessage("READ 1234 300").message, (Message{3, 0x12, 0x34, 0x01, 0x2C}));
    EXPECT_EQ(requestMessage("WRITE 01 0010 A0B1").message,
              (Message{4, 0x01, 0x00, 0x10, 0xA0, 0xB1}));
    // The whole memory in one write fits the largest message.
    EXPECT_EQ(requestMessage("WRITE 00 0000 " + std::string(2 * kMemorySize, '0')).message.size(),
              kMaxMessage);
}

TEST(UsbRequests, WhatTheLinkCannotCarryIsRefusedWithItsReason) {
    struct Row {
        std::string line;
        std::string reason;
    };
    for (const Row& row : std::initializer_list<Row>{
             {"", "empty"},
             {"DUMP", "no request DUMP"},
             {"LINK 1", "takes no arguments"},
             {"READ 0000 0", "1 to 8192 blocks"},
             {"READ 0000 8193", "1 to 8192 blocks"},
             {"READ 000 1", "four hex digits"},
             {"WRITE 00 0000 ABC", "even-length"},
             {"WRITE 00 0000 " + std::string(2 * kMemorySize + 2, '0'), "at most 65536 bytes"},
             {"CODETYPE", "even-length"}}) {
        const Encoded encoded = requestMessage(row.line);
        EXPECT_TRUE(encoded.message.empty()) << row.line;
        EXPECT_NE(encoded.error.find(row.reason), std::string::npos)
            << row.line << ": " << encoded.error;
    }
}

TEST(UsbRequests, TheUrcRefusesMessagesThatAreNoRequest) {
    for (const Message& m : {Message{}, Message{0}, Message{9}, Message{1, 0}, Message{3, 0, 0, 1},
                             Message{4, 0, 0, 0}, Message{8}})
        EXPECT_NE(requestLine(m).error, "") << m.size();
}

TEST(UsbAnswers, ComeBackAsTheSocketWouldHaveAnswered) {
    struct Row {
        Operation operation;
        std::string line;
        urcwire::CallStatus status;
        std::string text;
    };
    for (const Row& row : std::initializer_list<Row>{
             {Operation::Read, "OK 00ff10", urcwire::CallStatus::Ok, "00FF10"},
             {Operation::Version, "OK V1.2 2006", urcwire::CallStatus::Ok, "V1.2 2006"},
             {Operation::Link, "OK 1", urcwire::CallStatus::Ok, "1"},
             {Operation::Write, "OK", urcwire::CallStatus::Ok, ""},
             {Operation::Collect, "ERR no code yet", urcwire::CallStatus::Refused, "no code yet"},
         }) {
        const auto reply = replyFromAnswer(row.operation, answerMessage(row.operation, row.line));
        EXPECT_EQ(reply.status, row.status) << row.line;
        EXPECT_EQ(reply.text, row.text) << row.line;
    }
    EXPECT_EQ(replyFromAnswer(Operation::Read, malformedAnswer("bad")).status,
              urcwire::CallStatus::Failed);
    EXPECT_EQ(replyFromAnswer(Operation::Read, Message{}).status, urcwire::CallStatus::Failed);
    EXPECT_EQ(replyFromAnswer(Operation::Read, Message{7}).status, urcwire::CallStatus::Failed);
}

Message pattern(std::size_t size) {
    Message m(size);
    for (std::size_t i = 0; i < size; ++i)
        m[i] = static_cast<uint8_t>(i * 7 + 3);
    return m;
}

TEST(UsbReports, AMessageOfAnySizeComesTogetherAgain) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, kPayloadPerReport,
                             kPayloadPerReport + 1, 3 * kPayloadPerReport, kMaxMessage}) {
        const Message m = pattern(size);
        const auto reports = splitIntoReports(42, m);
        EXPECT_EQ(reports.size(), (size + kLengthPrefix + 61) / 62) << size;
        Assembler assembler;
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const auto outcome = assembler.feed(reports[i]);
            EXPECT_EQ(outcome, i + 1 < reports.size() ? Assembler::Outcome::More
                                                      : Assembler::Outcome::Complete)
                << size << " report " << i;
        }
        EXPECT_EQ(assembler.message(), m) << size;
        EXPECT_EQ(assembler.sequence(), 42);
    }
    // The whole memory read back: one report per 62 bytes.
    EXPECT_EQ(splitIntoReports(0, pattern(kMemorySize + 1)).size(), 1058u);
}

TEST(UsbReports, ReportsOfAnotherOrAbandonedMessageAreIgnored) {
    const auto old = splitIntoReports(1, pattern(100));
    const auto fresh = splitIntoReports(2, pattern(70));
    Assembler assembler;
    EXPECT_EQ(assembler.feed(old[1]), Assembler::Outcome::Stray); // no message begun
    EXPECT_EQ(assembler.feed(old[0]), Assembler::Outcome::More);
    // A new message begins: the old one is abandoned, its rest is stray.
    EXPECT_EQ(assembler.feed(fresh[0]), Assembler::Outcome::More);
    EXPECT_EQ(assembler.feed(old[1]), Assembler::Outcome::Stray);
    EXPECT_EQ(assembler.feed(fresh[1]), Assembler::Outcome::Complete);
    EXPECT_EQ(assembler.message(), pattern(70));
}

TEST(UsbReports, MalformedReportsAndOverlongMessagesAreDropped) {
    Assembler assembler;
    Report tooLong{};
    tooLong[1] = kFirst | 63;
    EXPECT_EQ(assembler.feed(tooLong), Assembler::Outcome::Broken);
    EXPECT_NE(assembler.error().find("at most 62"), std::string::npos);
    const Report whole = splitIntoReports(0, pattern(10))[0];
    EXPECT_EQ(assembler.feed(std::span(whole).first(63)), Assembler::Outcome::Broken);

    // A message that never ends is cut off past the length it stated.
    Report first{}, middle{};
    first[1] = kFirst | 62;
    first[2] = kMaxMessage >> 16;
    first[3] = (kMaxMessage >> 8) & 0xFF;
    first[4] = kMaxMessage & 0xFF;
    middle[1] = 62;
    Assembler endless;
    EXPECT_EQ(endless.feed(first), Assembler::Outcome::More);
    Assembler::Outcome outcome = Assembler::Outcome::More;
    std::size_t fed = 1;
    while (outcome == Assembler::Outcome::More && fed < 2 * kMaxReportsPerMessage) {
        outcome = endless.feed(middle);
        ++fed;
    }
    EXPECT_EQ(outcome, Assembler::Outcome::Broken);
    EXPECT_EQ(fed, kMaxReportsPerMessage);
    EXPECT_EQ(endless.feed(middle), Assembler::Outcome::Stray);
}

TEST(UsbReports, AMessageThatLostAReportIsRefusedWhole) {
    const auto reports = splitIntoReports(5, pattern(200));
    ASSERT_EQ(reports.size(), 4u);
    Assembler assembler;
    EXPECT_EQ(assembler.feed(reports[0]), Assembler::Outcome::More);
    EXPECT_EQ(assembler.feed(reports[2]), Assembler::Outcome::More);
    EXPECT_EQ(assembler.feed(reports[3]), Assembler::Outcome::Broken);
    EXPECT_NE(assembler.error().find("a report was lost"), std::string::npos);
    EXPECT_TRUE(assembler.message().empty());

    // Nor is a first report that states more than the largest message taken.
    Report huge = reports[0];
    huge[2] = 0xFF;
    EXPECT_EQ(assembler.feed(huge), Assembler::Outcome::Broken);
    Report bare{};
    bare[1] = kFirst | kLast | 2;
    EXPECT_EQ(assembler.feed(bare), Assembler::Outcome::Broken);
}

TEST(UsbReports, TheDescriptorDeclaresSixtyFourBytesEachWay) {
    const auto d = reportDescriptor();
    ASSERT_EQ(d.size(), 27u);
    EXPECT_EQ(d[0], 0x06); // a vendor usage page
    EXPECT_EQ(d[2], 0xFF);
    EXPECT_EQ(d[15], 0x40); // 64 input bytes
    EXPECT_EQ(d[18], 0x81);
    EXPECT_EQ(d[21], 0x40); // 64 output bytes
    EXPECT_EQ(d[24], 0x91);
}

} // namespace
