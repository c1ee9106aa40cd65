#pragma once
// The host's side of one exchange with the URC over its USB link
// (usb_frames.h): the request's output reports out, then input reports in
// until the answer carrying the request's sequence number is whole. Reports
// of other sequence numbers are answers to requests given up earlier (every
// open hidraw file gets every input report) and are skipped.
//
// An exchange is bounded by a deadline that grows with the messages' sizes,
// so a whole-memory read or write has the time its reports take on a
// full-speed link (1 ms each) and a silent URC is given up on. An unplugged
// URC fails at once: hidraw answers EIO or ENODEV for a vanished device.
#include "platform/urcwire/usb_frames.h"
#include "platform/urcwire/wire_protocol.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace urcwire::usb {

struct LinkTiming {
    int baseMs = kReplyTimeoutMs; // what the socket link gives any answer
    int perReportMs = 2;          // twice a full-speed interrupt endpoint's 1 ms
};

// An open report device: a hidraw node, or a SOCK_SEQPACKET socket standing in
// for one (it keeps report boundaries as hidraw does).
struct ReportDevice {
    int fd = -1;
    // Bytes of report number written before each report. hidraw takes one (0,
    // since the URC's reports have no numbers); a socket stand-in takes none.
    std::size_t reportNumberBytes = 1;
    LinkTiming timing{};
};

// The largest answer text of each operation, as the device library's buffers
// take them: a capture text fills at most 10,240 bytes, any other text 1,024.
inline constexpr std::size_t kLargestCaptureAnswer = 10240;
inline constexpr std::size_t kLargestTextAnswer = 1024;

// The reports an answer to `request` can take at most.
std::size_t answerReportsBound(std::span<const uint8_t> request);

// The time one exchange of `request` may take, in milliseconds.
int exchangeTimeoutMs(std::span<const uint8_t> request, const LinkTiming& timing);

// The next sequence number of this process. It starts from a value of the
// process's id and steps by one per call, so no number comes back within 255
// calls, and a forked process does not follow its parent's numbers.
uint8_t nextSequence();

// Drops the input reports waiting on `fd` (answers to other programs'
// requests, which every open hidraw file receives); how many.
std::size_t discardPendingReports(int fd);

// One request line (the line protocol's, without "\n") and its answer, as
// urcwire::call gives it over the socket. Failed with a sentence on a
// timeout, an unplugged URC, a closed link or a broken answer.
Reply exchange(const ReportDevice& device, std::string_view requestLine, uint8_t sequence);

// The link carries no flow control and no report numbers: a host that reads
// too slowly (hidraw keeps 64 reports per open file and drops the rest) loses
// reports, and the answer comes back short, broken or not at all. Repeating a
// request of the device library does no harm (a read reads again, a write
// writes the same bytes again, capture mode is entered again; a capture whose
// answer was lost is gone either way, and COLLECT then says nothing is
// captured, as it says until the next one), so
// exchangeRetrying tries again, under a new sequence number, when the answer
// was lost: up to three tries, and after a second timeout no more, so that a
// silent URC is given up on within twice its bound.
inline constexpr int kMostAttempts = 3;
inline constexpr int kMostTimeouts = 2;
Reply exchangeRetrying(const ReportDevice& device, std::string_view requestLine,
                       const std::function<uint8_t()>& sequences = nextSequence);

// hidraw keeps at most 64 input reports per open file and drops what comes
// while they wait, so a READ whose answer is longer than that is lost by a
// reader that stalls for 64 ms. Longer reads therefore go as several READs
// whose answers take 63 reports at most (487 blocks: the length, the status
// and 3,896 bytes), each retried on its own; 64 KiB take 17 requests and
// 1,060 answer reports.
inline constexpr long kMostBlocksPerAnswer = (63 * kPayloadPerReport - kLengthPrefix - 1) / 8;

// The pieces of a read of `blocks` blocks from `address`: (address, blocks).
std::vector<std::pair<long, long>> readPieces(long address, long blocks);

// exchangeRetrying, with a READ cut into pieces as above and their answers
// joined; the first piece that fails fails the whole.
Reply exchangeInPieces(const ReportDevice& device, std::string_view requestLine,
                       const std::function<uint8_t()>& sequences = nextSequence);

} // namespace urcwire::usb
