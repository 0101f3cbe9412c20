// The folder file list: which names it holds, in which order, and the selection.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "shared/FileList.h"
#include "shared/NativePath.h"

using namespace leafmark;

namespace {

class FileListTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    FileList list;

    void touch(const QString& name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write("x");
    }
    void touchAll(const QStringList& names) {
        for (const QString& n : names) touch(n);
    }
};

}  // namespace

TEST_F(FileListTest, TiffPatternMatchesAnyCaseAndAnythingAfter) {
    touchAll({"a.tif", "b.TIFF", "c.tif.bak", "d.Tif", "a.jpg", "a.eod", "tif", "x.ti", "e.tiff2"});
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.names(), QStringList({"a.tif", "b.TIFF", "c.tif.bak", "d.Tif", "e.tiff2"}));
}

TEST_F(FileListTest, SortedWithoutRegardToCase) {
    touchAll({"c.TIFF", "B.tif", "a.tif", "00000010.tif", "00000002.tif"});
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.names(),
              QStringList({"00000002.tif", "00000010.tif", "a.tif", "B.tif", "c.TIFF"}));
    // Names that differ only in case come in a fixed order.
    touchAll({"A.tif"});
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.names(),
              QStringList({"00000002.tif", "00000010.tif", "A.tif", "a.tif", "B.tif", "c.TIFF"}));
}

TEST_F(FileListTest, SeveralPatternsForPagesAndEndOfDocumentFiles) {
    touchAll({"00000001.tif", "00000001ZZZ.EOD", "00000002.TIF", "notes.txt", "x.eod.old"});
    list.read(dir.path(), "*.tif*;*.eod");
    EXPECT_EQ(list.names(), QStringList({"00000001.tif", "00000001ZZZ.EOD", "00000002.TIF"}));
    list.read(dir.path(), " *.eod ; ");
    EXPECT_EQ(list.names(), QStringList({"00000001ZZZ.EOD"}));
    list.read(dir.path(), "0000000?.tif");
    EXPECT_EQ(list.names(), QStringList({"00000001.tif", "00000002.TIF"}));
}

TEST_F(FileListTest, HiddenFilesAndFoldersAreLeftOut) {
    touchAll({".hidden.tif", "shown.tif"});
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.tif"));
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.names(), QStringList({"shown.tif"}));
}

TEST_F(FileListTest, LinksCountByWhatTheyPointAt) {
    touch("real.tif");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_EQ(::symlink("real.tif", QFile::encodeName(dir.filePath("link.tif")).constData()), 0);
    ASSERT_EQ(::symlink("sub", QFile::encodeName(dir.filePath("sublink.tif")).constData()), 0);
    ASSERT_EQ(::symlink("gone", QFile::encodeName(dir.filePath("dangling.tif")).constData()), 0);
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.names(), QStringList({"link.tif", "real.tif"}));
}

TEST_F(FileListTest, TrailingSeparatorReadsTheSameFolder) {
    touchAll({"a.tif", "b.tif"});
    list.read(dir.path() + "/", "*.tif*");
    const QStringList withSlash = list.names();
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(withSlash, list.names());
    EXPECT_EQ(list.count(), 2);
}

TEST_F(FileListTest, MissingOrEmptyFolderGivesEmptyList) {
    touch("a.tif");
    list.read(dir.path(), "*.tif*");
    list.select(0);
    list.read(dir.filePath("missing"), "*.tif*");
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.folder(), dir.filePath("missing"));
    list.read(QString(), "*.tif*");
    EXPECT_EQ(list.count(), 0);
    list.read(dir.filePath("a.tif"), "*");  // a file, not a folder
    EXPECT_EQ(list.count(), 0);
}

TEST_F(FileListTest, SelectionAndPositions) {
    touchAll({"a.tif", "b.tif", "c.tif"});
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.selectedIndex(), -1);
    list.select(2);
    EXPECT_EQ(list.selectedIndex(), 2);
    list.select(3);
    EXPECT_EQ(list.selectedIndex(), -1);
    list.select(1);
    list.select(-2);
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.at(0), "a.tif");
    EXPECT_EQ(list.at(3), QString());
    EXPECT_EQ(list.at(-1), QString());
}

TEST_F(FileListTest, RereadSeesNewFilesAndClearsSelection) {
    touchAll({"a.tif", "c.tif"});
    list.read(dir.path(), "*.tif*");
    list.select(1);
    touch("b.tif");
    ASSERT_TRUE(QFile::remove(dir.filePath("a.tif")));
    list.read(dir.path(), "*.tif*");
    EXPECT_EQ(list.names(), QStringList({"b.tif", "c.tif"}));
    EXPECT_EQ(list.selectedIndex(), -1);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(list.folder().isEmpty());
}

// Names are byte strings: each one read from the folder gives back its own bytes,
// whether or not it is UTF-8, and the file is found again under the name listed.
TEST_F(FileListTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const QList<QByteArray> names = {
        "caf\xc3\xa9.tif",           // UTF-8
        "p\xe9ge.tif",               // Latin-1
        "\xed\xb2\x80x.tif",         // a surrogate written as UTF-8
        "\xc0\xaf.tif",              // an overlong "/"
        "\xf0\x9f\x93\x84\xff.tif",  // a 4-byte character, then a stray byte
        "cut\xe2\x82.tif",           // a sequence cut short
    };
    for (const QByteArray& n : names) {
        const int fd = ::open((nativePath(dir.path()) + '/' + n).constData(),
                              O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << n.toStdString();
        ::close(fd);
    }
    list.read(dir.path(), "*.tif");
    ASSERT_EQ(list.count(), names.size());
    QList<QByteArray> back;
    for (const QString& name : list.names()) {
        back << nativePath(name);
        EXPECT_TRUE(pathExists(dir.filePath(name))) << nativePath(name).toStdString();
    }
    for (const QByteArray& n : names) EXPECT_TRUE(back.contains(n)) << n.toStdString();
    EXPECT_EQ(fromNativePath("caf\xc3\xa9.tif"), QStringLiteral("caf\u00e9.tif"));
    EXPECT_EQ(shownPath(fromNativePath("p\xe9ge.tif")), QStringLiteral("p\ufffdge.tif"));
    // A name made in the program (no byte kept) is what Qt would have written.
    EXPECT_EQ(nativePath(QStringLiteral("caf\u00e9 \U0001F4C4.tif")),
              QFile::encodeName(QStringLiteral("caf\u00e9 \U0001F4C4.tif")));
}
