#include "platform/flash/flash_player.h"
#include "platform/imaging/gif_codec.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FlashPlayerTest : public ::testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString writeAnimation(int frames) {
        std::vector<QImage> images;
        for (int i = 0; i < frames; ++i) {
            QImage image(40, 8, QImage::Format_ARGB32);
            image.fill(QColor(i * 40, 0, 0));
            images.push_back(image);
        }
        return writeFile("movie.gif", imaging::encodeAnimatedGif(images, 2));
    }

    QTemporaryDir dir;
};

TEST_F(FlashPlayerTest, PlaysLoopingThroughEveryFrame) {
    FlashPlayer player;
    player.resize(409, 84);
    player.setMovie(writeAnimation(3));
    ASSERT_EQ(player.frameCount(), 3);
    QSignalSpy spy(&player, &FlashPlayer::frameChanged);
    player.Play();
    EXPECT_TRUE(player.isPlaying());
    while (spy.count() < 4)
        ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 0); // loops back to the start
    EXPECT_EQ(spy.at(3).at(0).toInt(), 1);
}

TEST_F(FlashPlayerTest, StopPlayHoldsTheCurrentFrame) {
    FlashPlayer player;
    player.setMovie(writeAnimation(4));
    QSignalSpy spy(&player, &FlashPlayer::frameChanged);
    player.Play();
    ASSERT_TRUE(spy.wait(5000));
    player.StopPlay();
    EXPECT_FALSE(player.isPlaying());
    const int held = player.currentFrame();
    EXPECT_FALSE(spy.wait(100));
    EXPECT_EQ(player.currentFrame(), held);
    player.StopPlay(); // stopping twice is harmless
}

TEST_F(FlashPlayerTest, UnusableMoviesShowNothingAndNeverPlay) {
    const QString cases[] = {dir.filePath("absent.gif"), writeFile("empty.gif", {}),
                             writeFile("junk.gif", QByteArray("GIF89a this is not a movie")),
                             QString()};
    for (const QString& path : cases) {
        FlashPlayer player;
        player.resize(100, 40);
        player.setMovie(path);
        EXPECT_EQ(player.movie(), path);
        EXPECT_EQ(player.frameCount(), 0);
        player.Play();
        EXPECT_FALSE(player.isPlaying()) << path.toStdString();
        player.grab(); // painting with no movie must not fail
        player.StopPlay();
    }
}

TEST_F(FlashPlayerTest, ChangingTheMovieStopsPlaying) {
    FlashPlayer player;
    player.setMovie(writeAnimation(3));
    player.Play();
    player.setMovie(dir.filePath("absent.gif"));
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.currentFrame(), 0);
}

TEST_F(FlashPlayerTest, WholeMovieIsShownWithItsProportions) {
    std::vector<QImage> frames(2, QImage(40, 10, QImage::Format_ARGB32));
    frames[0].fill(Qt::red);
    frames[1].fill(Qt::red);
    FlashPlayer player;
    player.resize(100, 100);
    player.setMovie(writeFile("wide.gif", imaging::encodeAnimatedGif(frames, 5)));
    const QImage shot = player.grab().toImage();
    // 40 x 10 scaled into 100 x 100 is 100 x 25, centred vertically.
    EXPECT_EQ(QColor(shot.pixel(50, 50)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(2, 40)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(50, 10)), QColor(Qt::red));
}

} // namespace

int main(int argc, char** argv) {
    // Test discovery runs the program without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
