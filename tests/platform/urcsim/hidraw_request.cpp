// A host's side of the URC's USB link in its smallest form, for the test
// virtual machine: sends each request line given through a hidraw node and
// prints the answer as the socket would give it ("OK ...", "ERR ...", or
// "FAILED ..." when the answer did not come back whole).
//   urc_hidraw_request /dev/hidrawN 'LINK' 'READ 0000 2'
#include "platform/urcwire/usb_frames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <unistd.h>

namespace {

namespace usb = urcwire::usb;

constexpr int kAnswerTimeoutMs = 5000;

bool sendMessage(int fd, uint8_t sequence, const usb::Message& message) {
    for (const auto& report : usb::splitIntoReports(sequence, message)) {
        // hidraw takes the report number first; the URC's reports have none.
        uint8_t out[usb::kReportSize + 1] = {0};
        std::memcpy(out + 1, report.data(), report.size());
        if (::write(fd, out, sizeof out) != static_cast<ssize_t>(sizeof out)) {
            std::cerr << "cannot write a report: " << std::strerror(errno) << "\n";
            return false;
        }
    }
    return true;
}

// The answer with `sequence`; answers left over from before are skipped.
std::optional<usb::Message> receiveAnswer(int fd, uint8_t sequence) {
    usb::Assembler assembler;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kAnswerTimeoutMs) <= 0) {
            std::cerr << "no answer within " << kAnswerTimeoutMs << " ms\n";
            return std::nullopt;
        }
        usb::Report report{};
        const ssize_t n = ::read(fd, report.data(), report.size());
        if (n < 0) {
            std::cerr << "cannot read a report: " << std::strerror(errno) << "\n";
            return std::nullopt;
        }
        const auto outcome = assembler.feed(std::span(report.data(), static_cast<size_t>(n)));
        if (outcome == usb::Assembler::Outcome::Complete && assembler.sequence() == sequence)
            return assembler.message();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: urc_hidraw_request /dev/hidrawN REQUEST...\n";
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        std::cerr << "cannot open " << argv[1] << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const auto encoded = usb::requestMessage(argv[i]);
        if (!encoded.error.empty()) {
            std::cerr << argv[i] << ": " << encoded.error << "\n";
            return 2;
        }
        const auto sequence = static_cast<uint8_t>(i);
        const auto answer =
            sendMessage(fd, sequence, encoded.message) ? receiveAnswer(fd, sequence) : std::nullopt;
        if (!answer) {
            std::cout << "FAILED\n";
            status = 1;
            continue;
        }
        const auto reply = usb::replyFromAnswer(*usb::operationOf(encoded.message), *answer);
        std::cout << (reply.ok()                                     ? "OK"
                      : reply.status == urcwire::CallStatus::Refused ? "ERR"
                                                                     : "FAILED")
                  << (reply.text.empty() ? "" : " ") << reply.text << "\n";
        if (reply.status == urcwire::CallStatus::Failed)
            status = 1;
    }
    ::close(fd);
    return status;
}
