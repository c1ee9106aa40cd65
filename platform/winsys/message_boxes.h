#pragma once
// Modal message boxes go through this one seam, so that window tests can read
// every text the user would see and answer from a script.
#include <QString>

namespace winsys {

enum class BoxKind { Information, Confirmation, Warning, Error };
enum class BoxButtons { Ok, YesNo, RetryCancel, OkCancel };
enum class BoxAnswer { Ok, Yes, No, Retry, Cancel };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box and returns the button the user chose. An empty title
    // means the application's title.
    virtual BoxAnswer show(BoxKind kind, const QString& title, const QString& text,
                           BoxButtons buttons) = 0;

    void information(const QString& text) {
        show(BoxKind::Information, QString(), text, BoxButtons::Ok);
    }
};

// The boxes the program uses; a QMessageBox-backed implementation unless a
// test installed its own.
MessageBoxes& messageBoxes();
// Installs boxes (not owned); nullptr restores the real ones.
void setMessageBoxes(MessageBoxes* boxes);

} // namespace winsys
