#include "message_boxes.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

namespace winsys {
namespace {

QMessageBox::Icon iconFor(BoxKind kind) {
    switch (kind) {
    case BoxKind::Information:
        return QMessageBox::Information;
    case BoxKind::Confirmation:
        return QMessageBox::Question;
    case BoxKind::Warning:
        return QMessageBox::Warning;
    case BoxKind::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::Ok:
        return QMessageBox::Ok;
    case BoxButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case BoxButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

BoxAnswer answerFor(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    case QMessageBox::Retry:
        return BoxAnswer::Retry;
    case QMessageBox::Cancel:
        return BoxAnswer::Cancel;
    default:
        return BoxAnswer::Ok;
    }
}

// Closing a box with the window manager counts as its "negative" button.
BoxAnswer escapeAnswer(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::YesNo:
        return BoxAnswer::No;
    case BoxButtons::RetryCancel:
    case BoxButtons::OkCancel:
        return BoxAnswer::Cancel;
    case BoxButtons::Ok:
        break;
    }
    return BoxAnswer::Ok;
}

const char* kindName(BoxKind kind) {
    switch (kind) {
    case BoxKind::Information:
        return "information";
    case BoxKind::Confirmation:
        return "confirmation";
    case BoxKind::Warning:
        return "warning";
    case BoxKind::Error:
        return "error";
    }
    return "box";
}

// End-to-end runs drive the program from outside and cannot read a box's text
// off the screen; with QZT617_BOX_LOG set, each box is also appended to that
// file as one line (kind, tab, text with line breaks as "\n") when it opens.
void logBox(BoxKind kind, QString text) {
    const QString path = qEnvironmentVariable("QZT617_BOX_LOG");
    if (path.isEmpty())
        return;
    QFile log(path);
    if (!log.open(QIODevice::Append | QIODevice::Text))
        return;
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    log.write(QByteArray(kindName(kind)) + '\t' + text.toUtf8() + '\n');
}

class QtMessageBoxes final : public MessageBoxes {
public:
    BoxAnswer show(BoxKind kind, const QString& title, const QString& text,
                   BoxButtons buttons) override {
        logBox(kind, text);
        QMessageBox box(iconFor(kind),
                        title.isEmpty() ? QApplication::applicationDisplayName() : title, text,
                        buttonsFor(buttons), QApplication::activeWindow());
        box.setObjectName(QStringLiteral("qzt617MessageBox"));
        const int chosen = box.exec();
        if (box.clickedButton() == nullptr)
            return escapeAnswer(buttons);
        return answerFor(chosen);
    }
};

MessageBoxes* installed = nullptr;

} // namespace

MessageBoxes& messageBoxes() {
    static QtMessageBoxes real;
    return installed ? *installed : real;
}

void setMessageBoxes(MessageBoxes* boxes) {
    installed = boxes;
}

} // namespace winsys
