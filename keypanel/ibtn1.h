#pragma once
// IBtn: the program's only button. An image control that acts as a push
// button: it shifts by (MoveRight, MoveDown) while held, carries two free text
// tags (Path and Code), and can swap its picture for a "disabled" picture and
// back. It knows nothing about keys or the device; its owner gives it meaning.
#include "keypanel/image_control.h"

#include <QString>
#include <cstdint>
#include <vector>

class IBtn : public ImageControl {
    Q_OBJECT
public:
    // The numbered cursor every button starts with.
    static constexpr int kButtonCursor = 31;
    // The toolkit's error number for a directory change that failed.
    static constexpr int kPathNotFoundError = 3;

    explicit IBtn(QWidget* parent = nullptr);

    uint8_t MoveDown() const { return MoveDown_; }
    void setMoveDown(uint8_t pixels);
    uint8_t MoveRight() const { return MoveRight_; }
    void setMoveRight(uint8_t pixels);

    // Free tag; pressing the button asks the shell to open it (see press).
    const QString& Path() const { return Path_; }
    void setPath(const QString& path) { Path_ = path; }

    // Writing true shows the picture saved when the button was last disabled;
    // writing false saves the showing picture and shows DisablePic. The value
    // is not compared first: false twice saves the disabled picture, and true
    // on a button never disabled shows the (empty) saved picture. Clicks still
    // arrive while it is false; it only changes pictures.
    bool IsEnable() const { return IsEnable_; }
    void setIsEnable(bool enable);

    // The button keeps its own copy: later changes to the caller's image do
    // not reach it.
    const QImage& DisablePic() const { return DisablePic_; }
    void setDisablePic(const QImage& picture);

    const QString& Code() const { return Code_; }
    void setCode(const QString& code) { Code_ = code; }

    // Shows the cursor that number n stands for in the numbered-cursor table.
    void setCursorNumber(int n);
    int cursorNumber() const { return cursorNumber_; }

signals:
    // A press released over the button (left button), fired while the button
    // is still in its pressed position.
    void Click(IBtn* sender);
    // Every mouse move over the button.
    void MouseMove(IBtn* sender);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void shiftDown();
    void shiftBack();
    void shiftBackAll();
    // Returns false when the directory change for a program target failed.
    bool openPath();

    uint8_t MoveDown_ = 0;
    uint8_t MoveRight_ = 0;
    QString Path_;
    QImage DisablePic_;
    QImage EnablePic_;
    bool IsEnable_ = true;
    QString Code_;

    int cursorNumber_ = 0;
    // One entry per press whose offset is still applied, so that every shift
    // is undone exactly once even when MoveDown/MoveRight change meanwhile.
    std::vector<QPoint> heldOffsets_;
};
