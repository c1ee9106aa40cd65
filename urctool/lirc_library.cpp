#include "urctool/lirc_library.h"

#include "urctool/errors.h"

extern "C" {
#include <lirc/config_file.h>
#include <lirc/ir_remote.h>
#include <lirc/lirc_log.h>
#include <lirc/transmit.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace urctool {
namespace {

// Past this, no further frame is added to a press: it is refused rather than
// built on (the URC keeps far fewer).
constexpr std::size_t kMaxPressDurations = 20000;

// LIRC logs to a file or syslog only. For the time of one read its log goes
// to a file of our own, which is read back after each step: the messages
// become our errors instead of lines in the user's syslog.
class CapturedLog {
public:
    CapturedLog() {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/urc-tool-lirc.XXXXXX";
        const int fd = ::mkstemp(path_.data());
        if (fd < 0)
            throw ToolError("cannot make a file for LIRC's messages in " + path_);
        ::close(fd);
        lirc_log_set_file(path_.c_str());
        if (lirc_log_open("urc-tool", 0, LIRC_WARNING) != 0) {
            ::unlink(path_.c_str());
            throw ToolError("cannot open " + path_ + " for LIRC's messages");
        }
        since(); // the library's own "log opened" lines
    }
    ~CapturedLog() {
        lirc_log_close();
        // lirc_log_close leaves its FILE* behind: nothing may log to it again.
        loglevel = LIRC_NOLOG;
        ::unlink(path_.c_str());
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    struct Message {
        bool error = false;
        std::string text;
    };
    // What LIRC logged since the last call, without its time and program.
    std::vector<Message> since() {
        std::vector<Message> messages;
        std::ifstream in(path_);
        in.seekg(static_cast<std::streamoff>(read_));
        for (std::string line; std::getline(in, line);) {
            read_ += line.size() + 1;
            for (const char* level : {": Error: ", ": Warning: ", ": Notice: "}) {
                const auto at = line.find(level);
                if (at != std::string::npos) {
                    messages.push_back({level[2] == 'E', line.substr(at + std::strlen(level))});
                    break;
                }
            }
        }
        return messages;
    }

private:
    std::string path_;
    std::size_t read_ = 0;
};

std::string joined(const std::vector<CapturedLog::Message>& messages) {
    std::string text;
    for (const auto& m : messages)
        text += (text.empty() ? "" : " ") + m.text;
    return text;
}

// A value LIRC changed to make it fit, as its warnings word it.
bool changesAValue(const std::string& warning) {
    for (const char* words : {"Invalid ", "invalid ", "out of range"})
        if (warning.find(words) != std::string::npos)
            return true;
    return false;
}

struct PressBuilder {
    ir_remote* remote;
    ir_ncode* code;
    std::vector<uint32_t> press;
    std::string problem;

    // One send_buffer_put, as lircd's driver sends it, then LIRC's gap.
    bool sendFrame(CapturedLog& log) {
        if (press.size() > kMaxPressDurations) {
            problem = "one press would hold more than " + std::to_string(kMaxPressDurations) +
                      " durations (its frames, a code sequence and min_repeat " +
                      std::to_string(remote->min_repeat) + ")";
            return false;
        }
        if (!send_buffer_put(remote, code)) {
            const std::string why = joined(log.since());
            problem = why.empty() ? "LIRC cannot send it" : why;
            return false;
        }
        if (!press.empty() && press.size() % 2 == 1) {
            problem = "the remote has no gap, which LIRC needs between the frames of a press";
            return false;
        }
        const lirc_t* data = send_buffer_data();
        press.insert(press.end(), data, data + send_buffer_length());
        if (remote->min_remaining_gap > 0)
            press.push_back(static_cast<uint32_t>(remote->min_remaining_gap));
        return true;
    }

    // lircd's SEND_ONCE: the toggle state moves on, the first frame goes out
    // (short gaps join repeats into it), then lircd's repeat timer sends the
    // rest of a code sequence and of min_repeat, each as a repeat.
    void sendOnce(CapturedLog& log) {
        if (has_toggle_mask(remote))
            remote->toggle_mask_state = 0;
        if (has_toggle_bit_mask(remote))
            remote->toggle_bit_mask_state ^= remote->toggle_bit_mask;
        code->transmit_state = nullptr;
        repeat_remote = nullptr;
        if (!sendFrame(log) || (remote->repeat_countdown <= 0 && code->next == nullptr))
            return;
        repeat_remote = remote;
        repeat_code = code;
        do {
            if (code->next == nullptr ||
                (code->transmit_state != nullptr && code->transmit_state->next == nullptr))
                --remote->repeat_countdown;
        } while (sendFrame(log) && remote->repeat_countdown > 0);
        repeat_remote = nullptr;
        repeat_code = nullptr;
    }
};

LibraryRemote remoteOf(ir_remote* remote, CapturedLog& log) {
    LibraryRemote read{remote->name ? remote->name : "", remote->freq, {}};
    for (ir_ncode* code = remote->codes; code && code->name; ++code) {
        PressBuilder builder{remote, code, {}, {}};
        builder.sendOnce(log);
        read.codes.push_back({code->name,
                              builder.problem.empty() ? builder.press : std::vector<uint32_t>{},
                              builder.problem});
    }
    return read;
}

} // namespace

LibraryRead readWithLirc(std::string_view conf) {
    static std::mutex libraryInUse; // its globals: one read at a time
    const std::lock_guard lock(libraryInUse);
    LibraryRead result;
    if (conf.empty())
        return result;
    CapturedLog log;
    std::string text(conf);
    const std::unique_ptr<FILE, int (*)(FILE*)> in(fmemopen(text.data(), text.size(), "r"), fclose);
    if (!in)
        throw ToolError("cannot hand the lircd.conf to LIRC's parser");
    ir_remote* read = read_config(in.get(), "lircd.conf");
    if (read == reinterpret_cast<ir_remote*>(-1)) // how some versions say "failed"
        read = nullptr;
    const std::unique_ptr<ir_remote, void (*)(ir_remote*)> remotes(read, free_config);
    for (const auto& message : log.since()) {
        if (message.error)
            result.errors.push_back(message.text);
        else if (changesAValue(message.text))
            result.changedValues.push_back(message.text);
    }
    // "reading of file 'lircd.conf' failed" adds nothing to the reason before it.
    if (result.errors.size() > 1 && result.errors.back().rfind("reading of file", 0) == 0)
        result.errors.pop_back();
    if (!remotes || !result.errors.empty())
        return result;
    for (ir_remote* remote = remotes.get(); remote; remote = remote->next)
        result.remotes.push_back(remoteOf(remote, log));
    return result;
}

} // namespace urctool
