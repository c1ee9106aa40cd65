#pragma once
// The key panel on the left of the main window: the scroll box "ykqbox" with
// the picture of the URC front ("z") and one IBtn on each of its 70 keys.
// The widgets are children of the window given to the constructor, which owns
// them; the panel object only builds them and routes their clicks.
#include "keypanel/ibtn1.h"
#include "keypanel/image_control.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QScrollArea>
#include <functional>
#include <vector>

class KeyPanel : public QObject {
    Q_OBJECT
public:
    // The layout picture of a key, by its code ("00" ... "85").
    using KeyPictureSource = std::function<QImage(const QString& code)>;

    static constexpr QRect kBoxGeometry{146, 0, 197, 731};
    static inline const QColor kBoxColour{53, 124, 168};

    // Builds the panel on the window; the panel object is a child of it too.
    KeyPanel(QWidget* window, const QImage& urcFront, const KeyPictureSource& keyPicture);

    QScrollArea* scrollBox() const { return box_; }
    ImageControl* front() const { return front_; }
    // The 70 keys in the key table's order (code order).
    const std::vector<IBtn*>& buttons() const { return buttons_; }
    // The key whose Code is exactly code, or nullptr.
    IBtn* findByCode(const QString& code) const;

signals:
    // Every key's click, with the clicked key.
    void keyClicked(IBtn* key);

private:
    QScrollArea* buildBox(QWidget* window);
    void buildKeys(QWidget* content, const KeyPictureSource& keyPicture);

    QPointer<QScrollArea> box_;
    QPointer<ImageControl> front_;
    std::vector<IBtn*> buttons_;
};
