#include "scripted_message_boxes.h"

namespace testsupport {
namespace {

winsys::BoxAnswer defaultAnswer(winsys::BoxButtons buttons) {
    switch (buttons) {
    case winsys::BoxButtons::YesNo:
        return winsys::BoxAnswer::Yes;
    case winsys::BoxButtons::RetryCancel:
        return winsys::BoxAnswer::Retry;
    case winsys::BoxButtons::Ok:
    case winsys::BoxButtons::OkCancel:
        break;
    }
    return winsys::BoxAnswer::Ok;
}

} // namespace

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    winsys::setMessageBoxes(this);
}
ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    winsys::setMessageBoxes(nullptr);
}

winsys::BoxAnswer ScriptedMessageBoxes::show(winsys::BoxKind kind, const QString& title,
                                             const QString& text, winsys::BoxButtons buttons) {
    ScriptedAnswer next{defaultAnswer(buttons), {}};
    {
        std::lock_guard lock(mutex_);
        boxes_.push_back({kind, title, text, buttons});
        if (!script_.empty()) {
            next = std::move(script_.front());
            script_.pop_front();
        }
    }
    if (next.whileOpen)
        next.whileOpen();
    return next.answer;
}

void ScriptedMessageBoxes::answerNext(winsys::BoxAnswer answer, std::function<void()> whileOpen) {
    std::lock_guard lock(mutex_);
    script_.push_back({answer, std::move(whileOpen)});
}

std::vector<RecordedBox> ScriptedMessageBoxes::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<QString> ScriptedMessageBoxes::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<QString> out;
    for (const auto& box : boxes_)
        out.push_back(box.text);
    return out;
}

QString ScriptedMessageBoxes::lastText() const {
    std::lock_guard lock(mutex_);
    return boxes_.empty() ? QString() : boxes_.back().text;
}

void ScriptedMessageBoxes::clear() {
    std::lock_guard lock(mutex_);
    boxes_.clear();
    script_.clear();
}

} // namespace testsupport
