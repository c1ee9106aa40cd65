// Program entry: the splash window stays up while the main window is created
// (which reads the URC) and for half a second more, then the message loop runs
// until the main window closes.
#include "app/command_line.h"
#include "app/layout_pictures.h"
#include "app/maintarnvik.h"
#include "app/owned_urc.h"
#include "app/picture_decoder.h"
#include "app/qidong.h"
#include "app/window_system.h"
#include "device/urc_library.h"

#include <QApplication>
#include <QThread>

#include <memory>

int main(int argc, char* argv[]) {
    if (auto status = app::answerInformationOptions(argc, argv))
        return *status;
    app::chooseWindowSystem(argc, argv);
    QApplication application(argc, argv);
    // Decodes the splash's, the window's and the show handling's pictures
    // meanwhile; each is taken where it was decoded before. Not started
    // earlier: libjpeg reads the environment on that thread, and Qt's window
    // system set-up inside QApplication changes it (DESKTOP_STARTUP_ID).
    // Changed through PictureDecoder::running(), so not const.
    PictureDecoder pictures;
    if (auto status = app::refuseLeftoverArguments(QApplication::arguments()))
        return *status;

    auto splash = std::make_unique<TForm1>(layoutPicture("splash"));
    splash->showAndDraw();

    device::LinkedUrcLibrary linked;
    app::OwnedUrcLibrary device(linked); // claimed at the start-up reading, held to the end
    Tmaintarnvik window(device);

    QThread::msleep(500);
    splash->hide();
    splash.reset();

    window.show();
    return QApplication::exec();
}
