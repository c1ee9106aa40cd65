// The main window's fixed pixel layout (drawn for a 1024 x 768 screen) and its
// wiring. Widgets stack in creation order, so they are created in the layout's
// painting order; the scroll box, the animation and the memos are created last
// because they lie above every picture and label.
#include "app/maintarnvik.h"

#include "app/layout_pictures.h"
#include "keypanel/key_panel.h"
#include "platform/flash/flash_player.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

const QColor kWindowColour(53, 124, 168);

QFont sansSerif(int pixels, bool bold = false) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

ImageControl* picture(QWidget* parent, const char* name, QRect place, const QImage& image = {}) {
    auto* control = new ImageControl(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(place);
    control->setPicture(image);
    return control;
}

IBtn* button(QWidget* parent, const char* name, QRect place, const QImage& image = {}) {
    auto* b = new IBtn(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    b->setPicture(image);
    return b;
}

QLabel* label(QWidget* parent, const char* name, QRect place, const QString& caption = {}) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(place);
    l->setAttribute(Qt::WA_TranslucentBackground);
    l->setFont(sansSerif(11));
    l->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return l;
}

} // namespace

Tmaintarnvik::Tmaintarnvik(device::UrcLibrary& device, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), LearningWindow(device) {
    setObjectName(QStringLiteral("maintarnvik"));
    createLayout();
    connectHandlers();
    FormCreate();
}

Tmaintarnvik::~Tmaintarnvik() {
    // The monitor first: its destructor stops it and joins it, after which it
    // never calls the window again. Then any capture worker.
    delete LinkThread;
    stopCaptureWorkerForClose();
}

// The window sits at the top edge of the screen's work area and takes its full
// width; its height is that of its content.
void Tmaintarnvik::placeAtTopOfWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1028, 737);
    setFixedSize(std::max(area.width(), 1028), 737);
    move(area.topLeft());
}

const std::vector<IBtn*>& Tmaintarnvik::keyButtons() const {
    return keyPanel_->buttons();
}

std::vector<IBtn*> Tmaintarnvik::ownedButtons() const {
    std::vector<IBtn*> all = commandButtons_;
    all.insert(all.end(), keyPanel_->buttons().begin(), keyPanel_->buttons().end());
    return all;
}

void Tmaintarnvik::createLayout() {
    setWindowTitle(QStringLiteral("QZT-617"));
    placeAtTopOfWorkArea();
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kWindowColour);
    setPalette(colours);
    setFont(sansSerif(11));
    createPictures();
    createCommandButtons();
    createLabels();
    createChildWindows();
}

void Tmaintarnvik::createPictures() {
    Image1 = picture(this, "Image1", {0, 0, 1028, 737}, layoutPicture("background"));
    Imagehint = picture(this, "Imagehint", {472, 275, 413, 86});
    Imagehint->setStretch(true);
}

void Tmaintarnvik::createCommandButtons() {
    beginstudyibtn =
        button(this, "beginstudyibtn", {432, 636, 137, 37}, layoutPicture("learn_start"));
    beginstudyibtn->setDisablePic(layoutPicture("learn_stop"));
    helpibtn = button(this, "helpibtn", {969, 90, 52, 43}, layoutPicture("icon_help"));
    helpibtn->setToolTip(QStringLiteral("HELP"));
    helpibtn->hide();
    updateibtn = button(this, "updateibtn", {969, 49, 50, 44}, layoutPicture("icon_update"));
    updateibtn->setToolTip(QStringLiteral("UPDATE"));
    delallstudykey = button(this, "delallstudykey", {787, 636, 137, 37});

    runstate_lab = label(this, "runstate_lab", {467, 375, 422, 22});
    runstate_lab->setAlignment(Qt::AlignCenter);
    QFont status(QStringLiteral("文鼎CS中等线"));
    status.setPixelSize(15);
    status.setBold(true);
    runstate_lab->setFont(status);

    IBtn79 = button(this, "IBtn79", {969, 5, 50, 43}, layoutPicture("icon_exit"));
    IBtn79->setToolTip(QStringLiteral("EXIT"));

    Image4 = picture(this, "Image4", {472, 411, 410, 168}, layoutPicture("hint_idle_learned"));
    Image5 = picture(this, "Image5", {472, 410, 412, 169}, layoutPicture("hint_learning"));
    Image7 = picture(this, "Image7", {473, 413, 412, 167}, layoutPicture("hint_deleting"));
    Image8 = picture(this, "Image8", {471, 409, 411, 171}, layoutPicture("hint_idle"));
}

void Tmaintarnvik::createLabels() {
    lab_usbstate = label(this, "lab_usbstate", {657, 226, 228, 15});
    lab_ykqtype = label(this, "lab_ykqtype", {658, 118, 225, 15}, QStringLiteral(" "));
    lab_gjbb = label(this, "lab_gjbb", {658, 188, 221, 17});
    lab_softver = label(this, "lab_softver", {657, 152, 225, 17}, QStringLiteral(" "));
    delstudykey = button(this, "delstudykey", {609, 636, 137, 37});
    commandButtons_ = {beginstudyibtn, helpibtn, updateibtn, delallstudykey, IBtn79, delstudykey};
}

void Tmaintarnvik::createChildWindows() {
    keyPanel_ = std::make_unique<KeyPanel>(this, layoutPicture("urc"), [](const QString& code) {
        return layoutPicture(QStringLiteral("key_") + code);
    });
    ykqbox = keyPanel_->scrollBox();

    Memo2 = new QPlainTextEdit(QStringLiteral("Memo2"), this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setGeometry(888, 248, 185, 89);
    Memo2->hide();
    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(872, 520, 185, 89);
    Memo1->hide();

    donghuaflash2 = new FlashPlayer(this);
    donghuaflash2->setObjectName(QStringLiteral("donghuaflash2"));
    donghuaflash2->setGeometry(473, 277, 409, 84);
    donghuaflash2->hide();

    Button1 = new QPushButton(QStringLiteral("Button1"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->hide();
}

void Tmaintarnvik::connectHandlers() {
    connect(keyPanel_.get(), &KeyPanel::keyClicked, this, [this](IBtn* key) { KeyClick(key); });
    connect(beginstudyibtn, &IBtn::Click, this, [this] { beginstudyibtnClick(); });
    connect(delstudykey, &IBtn::Click, this, [this] { delstudykeyClick(); });
    connect(delallstudykey, &IBtn::Click, this, [this] { delallstudykeyClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(updateibtn, &IBtn::Click, this, [this] { updateibtnClick(); });
    connect(IBtn79, &IBtn::Click, this, [this] { IBtn79Click(); });

    connect(beginstudyibtn, &IBtn::MouseMove, this, [this] { beginstudyibtnMouseMove(); });
    connect(helpibtn, &IBtn::MouseMove, this, [this] { helpibtnMouseMove(); });
    connect(updateibtn, &IBtn::MouseMove, this, [this] { updateibtnMouseMove(); });
    connect(IBtn79, &IBtn::MouseMove, this, [this] { IBtn79MouseMove(); });
    connect(delallstudykey, &IBtn::MouseMove, this, [this] { delallstudykeyMouseMove(); });
    connect(delstudykey, &IBtn::MouseMove, this, [this] { delstudykey1MouseMove(); });
}

// Each hover handler gives its button the hand cursor; nothing sets it back.
void Tmaintarnvik::beginstudyibtnMouseMove() {
    beginstudyibtn->setCursor(Qt::PointingHandCursor);
}
void Tmaintarnvik::helpibtnMouseMove() {
    helpibtn->setCursor(Qt::PointingHandCursor);
}
void Tmaintarnvik::updateibtnMouseMove() {
    updateibtn->setCursor(Qt::PointingHandCursor);
}
void Tmaintarnvik::IBtn79MouseMove() {
    IBtn79->setCursor(Qt::PointingHandCursor);
}
void Tmaintarnvik::delallstudykeyMouseMove() {
    delallstudykey->setCursor(Qt::PointingHandCursor);
}
void Tmaintarnvik::delstudykey1MouseMove() {
    delstudykey->setCursor(Qt::PointingHandCursor);
}
