#pragma once
// Decoding the start-up's pictures ahead, on a thread of their own: the layout
// pictures in the order the window is built, then the bank pictures and skins
// in the order the show handling loads them. Started as soon as the
// application object exists (not before: libjpeg reads the environment, and
// the window system's set-up inside QApplication changes it), the decoding
// runs while the splash is shown, the URC is asked for its tables and the
// splash's pause passes; the window takes each picture when it needs it and
// waits only for one not decoded yet.
//
// Nothing is shown, written or told from that thread, and no library stays
// loaded by it: the bytes of the resource pictures are copied out and each
// library is unloaded at once. The window still opens the resource libraries,
// reads every picture's bytes, writes the animation file and decides on
// missing pictures itself, in its own order: a picture decoded ahead is taken
// only when it was decoded from the very bytes the window read (a library
// replaced since then has others), and one never decoded ahead is decoded by
// the window as before.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class PictureDecoder {
public:
    // Starts the decoding. resourceFolder as Tmaintarnvik::resourceFolder.
    explicit PictureDecoder(const QString& resourceFolder = {});
    // Stops the decoding between two pictures and waits for the thread.
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;

    // The decoder of this process while one exists, else none.
    static PictureDecoder* running();

    // The named layout picture (null when missing or unreadable), waiting for
    // it while it is being decoded; nullopt when it is not decoded ahead, was
    // taken already, or is not begun yet: the window then decodes it itself,
    // and the thread passes it over, so that the two share the layout's
    // pictures instead of the window waiting for the thread's whole queue.
    std::optional<QImage> takeLayoutPicture(const QString& name);
    // The picture `name` of library `library` (a file name of the load order)
    // decoded from exactly `data`, waiting for it; nullopt otherwise.
    std::optional<QImage> takeResourcePicture(const char* library, const std::string& name,
                                              const QByteArray& data);

private:
    struct Decoded {
        QByteArray data; // the bytes decoded (resource pictures only)
        QImage image;
    };
    struct Entry {
        bool begun = false; // the thread has begun decoding it
        std::optional<Decoded> decoded;
    };
    void start();
    void decodeAll();
    void decodeLayoutPictures();
    void decodeResourcePictures();
    bool stopping();
    bool begin(const std::string& key);
    void publish(const std::string& key, Decoded decoded);
    std::optional<Decoded> take(const std::string& key, bool leaveUnbegun);

    QString resourceFolder_;
    std::mutex mutex_;
    std::condition_variable published_;
    // What is still to be taken: planned before the thread starts, so that a
    // picture never decoded ahead is known at once.
    std::map<std::string, Entry> pending_;
    bool stop_ = false;
    std::thread thread_;
};
