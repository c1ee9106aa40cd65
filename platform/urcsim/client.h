#pragma once
// The bench side of the emulated URC's socket, shared by the command line and
// the front panel so that both press keys and pull the cable the same way.
#include "platform/urcwire/wire_protocol.h"

#include <string>
#include <utility>
#include <vector>

namespace urcsim {

// How long a key is held in front of the URC unless told otherwise.
inline constexpr long kDefaultHoldMs = 2000;
inline constexpr long kMaxHoldMs = 600000;

struct ServerAnswer {
    int status = 0;   // an exit status of commands.h
    std::string text; // the payload when status is kExitOk, else a sentence for a person
    bool ok() const { return status == 0; }
};

// One request to the server on socketPath; an empty path means the per-user
// default (QZT617_URC_SOCKET, then the runtime folders).
ServerAnswer askServer(const std::string& socketPath, const std::string& request,
                       int replyTimeoutMs = urcwire::kReplyTimeoutMs);

// The request that holds a key (its capture text) in front of the URC.
std::string pressRequest(const std::string& captureHex, long holdMs);
// What a person reads after a press: whether the URC took the key already.
std::string pressOutcome(const std::string& payload, long holdMs);

// The name=value fields of a STATUS payload, in order.
using StatusFields = std::vector<std::pair<std::string, std::string>>;
StatusFields statusFields(const std::string& payload);
// The value of one field; empty when missing.
std::string statusField(const StatusFields& fields, const std::string& name);

// What the URC emits for the key whose STORED payload is given ("RECORD DATA",
// DATA "-" when the key needs no code storage): a decoded form or a raw
// description, or an error sentence naming the key.
struct SentCode {
    std::string description;
    std::string error;
};
SentCode sentCode(const std::string& keyCode, const std::string& storedPayload);

} // namespace urcsim
