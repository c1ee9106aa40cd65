#pragma once
// Message boxes for window tests: every box is recorded (kind, title, text,
// buttons) and answered from a script. With the script empty a box gets its
// default answer (Ok, Yes, Retry or Ok for OkCancel) -- tests that care about
// an answer say so explicitly.
#include "platform/winsys/message_boxes.h"

#include <QString>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace testsupport {

struct RecordedBox {
    winsys::BoxKind kind;
    QString title;
    QString text;
    winsys::BoxButtons buttons;
};

struct ScriptedAnswer {
    winsys::BoxAnswer answer;
    // Runs while the box is "open", on the window thread, before the answer is
    // given: a test can let queued work (a worker's end) happen meanwhile.
    std::function<void()> whileOpen;
};

class ScriptedMessageBoxes final : public winsys::MessageBoxes {
public:
    ScriptedMessageBoxes();           // installs itself
    ~ScriptedMessageBoxes() override; // restores the real boxes

    winsys::BoxAnswer show(winsys::BoxKind kind, const QString& title, const QString& text,
                           winsys::BoxButtons buttons) override;

    void answerNext(winsys::BoxAnswer answer, std::function<void()> whileOpen = {});
    std::vector<RecordedBox> boxes() const;
    std::vector<QString> texts() const;
    QString lastText() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<ScriptedAnswer> script_;
    std::vector<RecordedBox> boxes_;
};

} // namespace testsupport
