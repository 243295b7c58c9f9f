// The log of sent posts: its record lines and how it grows.
#include "Errors.h"
#include "RecordCodec.h"
#include "TestConfig.h"
#include "TestFiles.h"
#include "UPostLog.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <ctime>

namespace fs = std::filesystem;

struct Post {
    std::time_t moment;
    std::string url;
    std::string subject;
};

class TestPostLog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The log writes local time: the fixture's times are in UTC.
        qputenv("TZ", "UTC");
        tzset();
    }
    void record_data();
    void record();
    void appendedFileIsTheFixture();
    void appendStartsALineOfItsOwn_data();
    void appendStartsALineOfItsOwn();
    void unwritableLogNamesTheFile();
};

void TestPostLog::record_data()
{
    QTest::addColumn<QByteArray>("subject");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << QByteArray("Hello") << QByteArray("T^http://f.example/^Hello^\r\n");
    // Spaces and a percent sign alone read back as they are.
    QTest::newRow("percent, no caret")
        << QByteArray(" 100% ") << QByteArray("T^http://f.example/^ 100% ^\r\n");
    QTest::newRow("caret") << QByteArray("a^b") << QByteArray("T^http://f.example/^a%5Eb^%escaped^\r\n");
    QTest::newRow("CR LF, lone CR, lone LF")
        << QByteArray("1\r\n2\r3\n") << QByteArray("T^http://f.example/^1%0D%0A2%0D3%0A^%escaped^\r\n");
    QTest::newRow("escape text of its own")
        << QByteArray("%0A^") << QByteArray("T^http://f.example/^%250A%5E^%escaped^\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray("T^http://f.example/^^\r\n");
}

void TestPostLog::record()
{
    QFETCH(QByteArray, subject);
    QFETCH(QByteArray, line);
    const std::string written = PostLog::record("T", "http://f.example/", subject.toStdString());
    QCOMPARE(QByteArray::fromStdString(written), line);

    // The data files' reader gives every field back.
    std::string file;
    RecordCodec::appendHeader(file, PostLog::layout);
    file += written;
    std::vector<RecordCodec::Fields> read;
    RecordCodec::parse(file, PostLog::layout, [&](RecordCodec::Fields &f) { read.push_back(f); });
    QCOMPARE(read.size(), std::size_t(1));
    QCOMPARE(read[0], (RecordCodec::Fields{"T", "http://f.example/", subject.toStdString()}));
}

void TestPostLog::appendedFileIsTheFixture()
{
    QTemporaryDir dir;
    const fs::path appDir = dirOf(dir);
    const Post posts[] = {{0, "http://forum.example/board", "Hello"},
                          {1700000000, "http://x.example/?q=%41", "a^b 100%"},
                          {1700000001, "forum.example", "line1\r\nline2\rend\n"}};
    for (const Post &p : posts)
        PostLog::append(appDir, p.moment, p.url, p.subject);
    QCOMPARE(readBytes(appDir / "PostLog.dat"), readBytes(fs::path(POSTWRIGHT_TEST_DATA) / "postlog.dat"));
}

void TestPostLog::appendStartsALineOfItsOwn_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray line = "1970-01-01T00:00:00+00:00^http://f.example/^S^\r\n";
    QTest::newRow("empty file gets the header") << QByteArray("") << "Time^URL^Subject^\r\n" + line;
    QTest::newRow("whole lines stay") << QByteArray("H^\r\nx^\r\n") << "H^\r\nx^\r\n" + line;
    QTest::newRow("a last line without its end") << QByteArray("H^\r\nx^") << "H^\r\nx^\r\n" + line;
    QTest::newRow("a last line ended by LF alone") << QByteArray("H^\nx^\n") << "H^\nx^\n" + line;
}

void TestPostLog::appendStartsALineOfItsOwn()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const fs::path appDir = dirOf(dir);
    writeBytes(appDir / "PostLog.dat", before.toStdString());
    PostLog::append(appDir, 0, "http://f.example/", "S");
    QCOMPARE(QByteArray::fromStdString(readBytes(appDir / "PostLog.dat")), after);
}

void TestPostLog::unwritableLogNamesTheFile()
{
    QTemporaryDir dir;
    const fs::path appDir = dirOf(dir);
    // A folder where the file would be cannot be opened for writing.
    fs::create_directory(appDir / "PostLog.dat");
    try {
        PostLog::append(appDir, 0, "http://f.example/", "S");
        QFAIL("no error");
    } catch (const EFileError &e) {
        QCOMPARE(e.file(), appDir / "PostLog.dat");
        QVERIFY2(std::string(e.what()).find("PostLog.dat") != std::string::npos, e.what());
        QVERIFY(!e.reason().empty());
    }
}

QTEST_APPLESS_MAIN(TestPostLog)
#include "tst_postlog.moc"
