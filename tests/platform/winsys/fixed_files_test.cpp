#include "platform/winsys/fixed_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void put(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

mode_t typeAt(const QString& path) {
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

// Whatever stands at the final name, a link is never written through and
// nothing but a file or a link is replaced.
TEST(WriteFileAtomically, ReplacesFilesAndLinksOnlyAndNeverFollowsALink) {
    struct Case {
        const char* name;
        std::function<void(const QString& dir, const QString& target)> before;
        bool written;
        mode_t typeAfter;
    };
    const Case cases[] = {
        {"nothing", [](auto&, auto&) {}, true, S_IFREG},
        {"an older file", [](auto&, auto& t) { put(t, "old"); }, true, S_IFREG},
        {"a link to a file of the user",
         [](auto& d, auto& t) {
             put(d + "/precious", "mine");
             QFile::link(d + "/precious", t);
         },
         true, S_IFREG},
        {"a dangling link", [](auto& d, auto& t) { QFile::link(d + "/absent", t); }, true, S_IFREG},
        {"a folder", [](auto&, auto& t) { QDir().mkdir(t); }, false, S_IFDIR},
        {"a FIFO", [](auto&, auto& t) { mkfifo(QFile::encodeName(t).constData(), 0600); }, false,
         S_IFIFO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString target = dir.path() + "/123.txt";
        c.before(dir.path(), target);
        const QStringList before =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        EXPECT_EQ(winsys::writeFileAtomically(target, "0000\n"), c.written);
        EXPECT_EQ(typeAt(target), c.typeAfter);
        if (c.written) {
            EXPECT_EQ(contentOf(target), "0000\n");
        }
        EXPECT_FALSE(QFile::exists(dir.path() + "/absent"));
        if (QFile::exists(dir.path() + "/precious")) {
            EXPECT_EQ(contentOf(dir.path() + "/precious"), "mine");
        }
        // No temporary file is left behind, whatever the outcome.
        QStringList after =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (!before.contains("123.txt"))
            after.removeAll("123.txt");
        EXPECT_EQ(after, before);
    }
}

// An unusable runtime folder is refused with its reason, said once on
// standard error; a folder open to others is closed and used.
TEST(FixedFileFolder, RefusesAnUnusableFolderAndSaysWhyOnce) {
    struct Case {
        const char* name;
        std::function<void(const QString& runtime)> make;
        const char* reason; // nullptr: the folder is used
    };
    const Case cases[] = {
        {"a link to a private folder",
         [](auto& r) {
             QDir().mkdir(r + "/elsewhere");
             QFile::link(r + "/elsewhere", r + "/qzt617");
         },
         "is a symbolic link"},
        {"a file", [](auto& r) { put(r + "/qzt617", ""); }, "is not a folder"},
        {"a folder of another user",
         [](auto& r) {
             QDir().mkdir(r + "/qzt617");
             ASSERT_EQ(chown(QFile::encodeName(r + "/qzt617").constData(), getuid() + 4242, -1), 0);
         },
         "belongs to another user"},
        {"a folder open to others",
         [](auto& r) {
             QDir().mkdir(r + "/qzt617");
             chmod(QFile::encodeName(r + "/qzt617").constData(), 0755);
         },
         nullptr},
    };
    const bool root = getuid() == 0;
    testing::internal::CaptureStderr();
    QString firstFolder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!root && std::string(c.name).find("another user") != std::string::npos)
            continue; // only root can give a folder away
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        c.make(runtime.path());
        QString whyNot;
        const auto folder = winsys::fixedFileFolder(&whyNot);
        if (c.reason == nullptr) {
            ASSERT_TRUE(folder.has_value()) << whyNot.toStdString();
            struct stat info {};
            ASSERT_EQ(stat(QFile::encodeName(*folder).constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0700u);
            continue;
        }
        EXPECT_FALSE(folder.has_value());
        EXPECT_FALSE(winsys::fixedFilePath("888.swf").has_value());
        EXPECT_TRUE(whyNot.contains(runtime.path() + "/qzt617")) << whyNot.toStdString();
        EXPECT_TRUE(whyNot.contains(c.reason)) << whyNot.toStdString();
        if (firstFolder.isEmpty())
            firstFolder = runtime.path() + "/qzt617";
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(firstFolder.toStdString() + " is a symbolic link"), std::string::npos)
        << said;
}

} // namespace
