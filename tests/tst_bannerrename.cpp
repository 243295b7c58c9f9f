// Reading a banner picture under the name the branding file gives it.
#include "BannerRename.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace fs = std::filesystem;

class TestBannerRename : public QObject {
    Q_OBJECT

private slots:
    void readsUnderNameAndRenamesBack();
    void takenNameLeavesEveryFile();
    void failedReadStillRenamesBack();
    void throwingReadStillRenamesBack();
    void failedRenameBackKeepsBothFiles();
    void missingPicture();
    void sameName();
    void renameNoReplace();
};

void TestBannerRename::readsUnderNameAndRenamesBack()
{
    QTemporaryDir dir;
    const fs::path picture = dirOf(dir) / "dbimg1.dat", named = dirOf(dir) / "ad.gif";
    writeBytes(picture, "GIF89a-picture");
    std::string seen;
    QVERIFY(BannerRename::readUnderName(picture, named, [&](const fs::path &file) {
        seen = readBytes(file);
        return file == named && !fs::exists(picture);
    }));
    QCOMPARE(seen, std::string("GIF89a-picture"));
    QCOMPARE(readBytes(picture), std::string("GIF89a-picture"));
    QVERIFY(!fs::exists(named));
}

void TestBannerRename::takenNameLeavesEveryFile()
{
    QTemporaryDir dir;
    const fs::path picture = dirOf(dir) / "dbimg1.dat", named = dirOf(dir) / "ad.bmp";
    writeBytes(picture, "picture");
    writeBytes(named, "someone else's file");
    bool called = false;
    QVERIFY(!BannerRename::readUnderName(picture, named, [&](const fs::path &) { return called = true; }));
    QVERIFY(!called);
    QCOMPARE(readBytes(picture), std::string("picture"));
    QCOMPARE(readBytes(named), std::string("someone else's file"));
}

void TestBannerRename::failedReadStillRenamesBack()
{
    QTemporaryDir dir;
    const fs::path picture = dirOf(dir) / "dbimg2.dat", named = dirOf(dir) / "ad.jpg";
    writeBytes(picture, "not a jpeg");
    QVERIFY(!BannerRename::readUnderName(picture, named, [](const fs::path &) { return false; }));
    QCOMPARE(readBytes(picture), std::string("not a jpeg"));
    QVERIFY(!fs::exists(named));
}

void TestBannerRename::throwingReadStillRenamesBack()
{
    QTemporaryDir dir;
    const fs::path picture = dirOf(dir) / "dbimg1.dat", named = dirOf(dir) / "ad.jpg";
    writeBytes(picture, "bytes");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             BannerRename::readUnderName(picture, named, [](const fs::path &) -> bool {
                                 throw std::runtime_error("decoder failed");
                             }));
    QCOMPARE(readBytes(picture), std::string("bytes"));
    QVERIFY(!fs::exists(named));
}

void TestBannerRename::failedRenameBackKeepsBothFiles()
{
    QTemporaryDir dir;
    const fs::path picture = dirOf(dir) / "dbimg1.dat", named = dirOf(dir) / "ad.ico";
    writeBytes(picture, "the picture");
    // While the picture is away, another file takes its stored name: the
    // rename back must not overwrite it, and the picture stays under its
    // banner name rather than being lost.
    QVERIFY(!BannerRename::readUnderName(picture, named, [&](const fs::path &) {
        writeBytes(picture, "a newer file");
        return true;
    }));
    QCOMPARE(readBytes(picture), std::string("a newer file"));
    QCOMPARE(readBytes(named), std::string("the picture"));
}

void TestBannerRename::missingPicture()
{
    QTemporaryDir dir;
    bool called = false;
    QVERIFY(!BannerRename::readUnderName(dirOf(dir) / "dbimg1.dat", dirOf(dir) / "ad.gif",
                                         [&](const fs::path &) { return called = true; }));
    QVERIFY(!called);
    QVERIFY(fs::is_empty(dirOf(dir)));
}

void TestBannerRename::sameName()
{
    QTemporaryDir dir;
    const fs::path picture = dirOf(dir) / "dbimg1.dat";
    writeBytes(picture, "x");
    QVERIFY(BannerRename::readUnderName(picture, picture, [&](const fs::path &f) { return f == picture; }));
    QCOMPARE(readBytes(picture), std::string("x"));
}

void TestBannerRename::renameNoReplace()
{
    QTemporaryDir dir;
    const fs::path a = dirOf(dir) / "a", b = dirOf(dir) / "b", c = dirOf(dir) / "c";
    writeBytes(a, "A");
    writeBytes(b, "B");
    QCOMPARE(BannerRename::renameNoReplace(a, b), std::make_error_code(std::errc::file_exists));
    QCOMPARE(readBytes(a), std::string("A"));
    QCOMPARE(readBytes(b), std::string("B"));
    QVERIFY(!BannerRename::renameNoReplace(a, c));
    QVERIFY(!fs::exists(a));
    QCOMPARE(readBytes(c), std::string("A"));
}

QTEST_APPLESS_MAIN(TestBannerRename)
#include "tst_bannerrename.moc"
