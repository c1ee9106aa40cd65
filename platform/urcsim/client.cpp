#include "platform/urcsim/client.h"

#include "irform/code_form.h"
#include "platform/urcwire/socket_path.h"
#include "urcmem/urc_memory.h"
#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/commands.h"

namespace urcsim {

ServerAnswer askServer(const std::string& socketPath, const std::string& request,
                       int replyTimeoutMs) {
    std::string path = socketPath;
    if (path.empty()) {
        auto resolved = urcwire::resolveSocketPath(false);
        if (resolved.path.empty())
            return {kExitNoServer, resolved.error};
        path = resolved.path;
    }
    auto reply = urcwire::call(path, request, urcwire::kConnectTimeoutMs, replyTimeoutMs);
    switch (reply.status) {
    case urcwire::CallStatus::Ok:
        return {kExitOk, reply.text};
    case urcwire::CallStatus::NoServer:
        return {kExitNoServer,
                "no URC server is running on " + path + " (start one with: urc-sim serve)"};
    case urcwire::CallStatus::Refused:
    case urcwire::CallStatus::Failed:
        break;
    }
    return {kExitFailed, reply.text};
}

std::string pressRequest(const std::string& captureHex, long holdMs) {
    return "PRESS " + std::to_string(holdMs) + " " + captureHex;
}

std::string pressOutcome(const std::string& payload, long holdMs) {
    if (payload == "captured")
        return "key pressed; the URC captured it";
    return "key held for " + std::to_string(holdMs) +
           " ms; the URC captures it if put in capture mode meanwhile";
}

StatusFields statusFields(const std::string& payload) {
    StatusFields fields;
    std::size_t start = 0;
    while (start < payload.size()) {
        auto end = payload.find('\t', start);
        const std::string field = payload.substr(start, end - start);
        const auto eq = field.find('=');
        if (eq == std::string::npos)
            fields.emplace_back(field, "");
        else
            fields.emplace_back(field.substr(0, eq), field.substr(eq + 1));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return fields;
}

std::string statusField(const StatusFields& fields, const std::string& name) {
    for (const auto& [key, value] : fields)
        if (key == name)
            return value;
    return {};
}

namespace {

// The record's flags: bit 7 set and bit 5 clear when the key holds a code.
bool recordHoldsCode(const std::string& recordHex) {
    auto flags = urcmem::parseHexBytes(recordHex.substr(0, 2));
    return flags && flags->size() == 1 && ((*flags)[0] & 0xA0) == 0x80;
}

} // namespace

SentCode sentCode(const std::string& keyCode, const std::string& storedPayload) {
    const auto blank = storedPayload.find(' ');
    if (blank == std::string::npos)
        return {"", "the URC's answer for key " + keyCode + " is not a stored code"};
    const std::string record = storedPayload.substr(0, blank);
    const std::string data = storedPayload.substr(blank + 1);
    if (!recordHoldsCode(record))
        return {"", "key " + keyCode + " holds no code; the URC sends nothing"};
    std::string description = irform::describeStoredCode(record, data == "-" ? "" : data);
    if (description.empty())
        return {"", "the code stored for key " + keyCode +
                        " cannot be read back (unknown form, or its data does not match)"};
    return {description, ""};
}

} // namespace urcsim
