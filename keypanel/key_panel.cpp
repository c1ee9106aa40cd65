#include "keypanel/key_panel.h"

#include "keypanel/core/key_table.h"

#include <QGridLayout>

KeyPanel::KeyPanel(QWidget* window, const QImage& urcFront, const KeyPictureSource& keyPicture)
    : QObject(window) {
    box_ = buildBox(window);
    QWidget* content = box_->widget();

    // The front fills the box's client area, stretched; the keys are created
    // after it so that they lie above it.
    front_ = new ImageControl(content);
    front_->setObjectName(QStringLiteral("z"));
    front_->setStretch(true);
    front_->setPicture(urcFront);
    auto* layout = new QGridLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(front_, 0, 0);

    buildKeys(content, keyPicture);
}

QScrollArea* KeyPanel::buildBox(QWidget* window) {
    auto* box = new QScrollArea(window);
    box->setObjectName(QStringLiteral("ykqbox"));
    box->setGeometry(kBoxGeometry);
    box->setFrameShape(QFrame::NoFrame);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, kBoxColour);
    box->setPalette(palette);
    box->setAutoFillBackground(true);
    box->setBackgroundRole(QPalette::Window);

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ykqboxContent"));
    content->setPalette(palette);
    content->setAutoFillBackground(true);
    box->setWidgetResizable(true);
    box->setWidget(content);
    return box;
}

void KeyPanel::buildKeys(QWidget* content, const KeyPictureSource& keyPicture) {
    buttons_.reserve(keypanel::kKeyCount);
    for (const keypanel::KeyDefinition& key : keypanel::kKeyTable) {
        auto* button = new IBtn(content);
        const QString code = QString::fromUtf8(key.code.data(), int(key.code.size()));
        button->setObjectName(QString::fromUtf8(key.button.data(), int(key.button.size())));
        button->setCode(code);
        button->setPath(QString::fromUtf8(key.path.data(), int(key.path.size())));
        button->setGeometry(key.left, key.top, key.width, key.height);
        button->setCursorNumber(IBtn::kButtonCursor);
        button->setMoveDown(1);
        button->setMoveRight(1);
        button->setDisablePic(QImage());
        if (keyPicture)
            button->setPicture(keyPicture(code));
        connect(button, &IBtn::Click, this, &KeyPanel::keyClicked);
        buttons_.push_back(button);
    }
}

IBtn* KeyPanel::findByCode(const QString& code) const {
    for (IBtn* button : buttons_) {
        if (button->Code() == code)
            return button;
    }
    return nullptr;
}
