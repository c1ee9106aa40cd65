#include "keypanel/ibtn1.h"

#include "keypanel/core/shell_target.h"
#include "platform/winsys/cursors.h"
#include "platform/winsys/message_boxes.h"
#include "platform/winsys/shell.h"

#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <optional>

namespace {

// The program's cursor resources, looked up by name. The program ships none,
// so the lookup normally finds nothing.
std::optional<QCursor> programCursorResource(const QString& name) {
    const QString resource = QStringLiteral(":/cursors/") + name;
    if (!QFile::exists(resource))
        return std::nullopt;
    const QPixmap pixmap(resource);
    if (pixmap.isNull())
        return std::nullopt;
    return QCursor(pixmap);
}

void reportIoError(int errorNumber) {
    winsys::messageBoxes().show(winsys::BoxKind::Error, QString(),
                                QStringLiteral("I/O error %1").arg(errorNumber),
                                winsys::BoxButtons::Ok);
}

} // namespace

IBtn::IBtn(QWidget* parent) : ImageControl(parent) {
    // Every construction registers cursor 31 afresh; without a "CUR" resource
    // this removes entry 31, so number 31 shows the default arrow.
    winsys::registerCursor(kButtonCursor, programCursorResource(QStringLiteral("CUR")));
    setCursorNumber(kButtonCursor);
    resize(80, 25);
    MoveDown_ = 1;
    MoveRight_ = 1;
    IsEnable_ = true;
    // The window's hover handlers need moves without a button held.
    setMouseTracking(true);
}

void IBtn::setMoveDown(uint8_t pixels) {
    if (MoveDown_ != pixels)
        MoveDown_ = pixels;
}

void IBtn::setMoveRight(uint8_t pixels) {
    if (MoveRight_ != pixels)
        MoveRight_ = pixels;
}

void IBtn::setIsEnable(bool enable) {
    if (!enable)
        EnablePic_ = picture();
    setPicture(enable ? EnablePic_ : DisablePic_);
    IsEnable_ = enable;
}

void IBtn::setDisablePic(const QImage& picture) {
    // QImage copies share pixels until one side writes, so the caller's later
    // changes detach from this copy and never show here.
    DisablePic_ = picture;
}

void IBtn::setCursorNumber(int n) {
    cursorNumber_ = n;
    setCursor(winsys::numberedCursor(n));
}

void IBtn::shiftDown() {
    const QPoint offset(MoveRight_, MoveDown_);
    heldOffsets_.push_back(offset);
    move(pos() + offset);
}

void IBtn::shiftBack() {
    if (heldOffsets_.empty())
        return;
    move(pos() - heldOffsets_.back());
    heldOffsets_.pop_back();
}

void IBtn::shiftBackAll() {
    while (!heldOffsets_.empty())
        shiftBack();
}

bool IBtn::openPath() {
    if (Path_.isEmpty())
        return true;
    const std::string target = Path_.toStdString();
    if (keypanel::targetIsProgram(target)) {
        const QString directory = QString::fromStdString(keypanel::targetDirectory(target));
        if (!winsys::shell().changeDirectory(directory))
            return false;
    }
    winsys::shell().open(Path_);
    return true;
}

void IBtn::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const Qt::MouseButton button = event->button();
    shiftDown();
    if (openPath())
        return;
    QPointer<IBtn> self(this);
    reportIoError(kPathNotFoundError);
    // The modal report may have swallowed the release; if the mouse button is
    // already up, undo the shift now rather than leave the button down.
    if (self && !(QGuiApplication::mouseButtons() & button))
        self->shiftBack();
}

void IBtn::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (heldOffsets_.empty())
        return;
    QPointer<IBtn> self(this);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click(this);
    // A click handler may run a modal loop during which the button goes away.
    if (self)
        shiftBack();
}

void IBtn::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit MouseMove(this);
}

void IBtn::hideEvent(QHideEvent* event) {
    // A hidden button gets no release, so it must not stay shifted.
    shiftBackAll();
    ImageControl::hideEvent(event);
}

void IBtn::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        shiftBackAll();
    ImageControl::changeEvent(event);
}
