// The error log, the crash report left for the next start, and the mail that
// carries a report to the maker.
#include "CrashLog.h"
#include "ErrorLog.h"
#include "Errors.h"
#include "ReportMail.h"
#include "TestFiles.h"

#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

class TestCrashReports : public QObject {
    Q_OBJECT

private slots:
    void entryIndentsEveryLine_data();
    void entryIndentsEveryLine();
    void limitDropsOldestEntries_data();
    void limitDropsOldestEntries();
    void appendKeepsTheFileUnderItsLimit();
    void appendReportsAnUnwritableLog();
    void timestampIsLocalIso8601();
    void takeShowsAReportOnce();
    void mailtoEncodesEveryByte();
    void mailtoCutsALongBody();
};

void TestCrashReports::entryIndentsEveryLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("entry");
    QTest::newRow("one line") << QByteArray("Cannot write file") << QByteArray("T P\n  Cannot write file\n");
    // Any line break of the text becomes one line of the entry, so no line of
    // the text can pass for the head of an entry.
    QTest::newRow("line breaks") << QByteArray("a\r\nb\rc\nd") << QByteArray("T P\n  a\n  b\n  c\n  d\n");
    QTest::newRow("looks like a head") << QByteArray("x\nT P\n") << QByteArray("T P\n  x\n  T P\n");
    QTest::newRow("empty") << QByteArray() << QByteArray("T P\n");
}

void TestCrashReports::entryIndentsEveryLine()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, entry);
    QCOMPARE(QByteArray::fromStdString(ErrorLog::entry("T", "P", text.toStdString())), entry);
}

void TestCrashReports::limitDropsOldestEntries_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("kept");
    const QByteArray a = "1 P\n  first\n", b = "2 P\n  second\n  more\n", c = "3 P\n  third\n";
    QTest::newRow("fits") << a + b + c << int((a + b + c).size()) << a + b + c;
    QTest::newRow("one byte over") << a + b + c << int((a + b + c).size() - 1) << b + c;
    QTest::newRow("room for the last") << a + b + c << int(c.size()) << c;
    // Lines that belong to no entry (a file written by hand) go first.
    QTest::newRow("stray lines") << "  stray\n" + b + c << int((b + c).size()) << b + c;
}

void TestCrashReports::limitDropsOldestEntries()
{
    QFETCH(QByteArray, log);
    QFETCH(int, limit);
    QFETCH(QByteArray, kept);
    QCOMPARE(QByteArray::fromStdString(ErrorLog::limited(log.toStdString(), std::size_t(limit))), kept);
}

void TestCrashReports::appendKeepsTheFileUnderItsLimit()
{
    QTemporaryDir dir;
    const fs::path log = dirOf(dir) / "error.log";
    const std::string line(300, 'x');
    for (int i = 0; i < 40; ++i)
        ErrorLog::append(log, std::to_string(i), "Postwright 1.01", line, 4096);
    // Each entry takes 322 bytes: the newest twelve fit in 4096, whole, oldest
    // first.
    std::string expected;
    for (int i = 28; i < 40; ++i)
        expected += std::to_string(i) + " Postwright 1.01\n  " + line + "\n";
    QCOMPARE(readBytes(log), expected);

    // One entry larger than the whole log keeps its head and says it was cut.
    ErrorLog::append(log, "40", "Postwright 1.01", std::string(10000, 'y'), 4096);
    const std::string cut = readBytes(log);
    QVERIFY(cut.size() <= 4096);
    QVERIFY(cut.starts_with("40 Postwright 1.01\n  yyy"));
    QVERIFY(cut.ends_with("[cut: the entry was longer than the log may be]\n"));
}

void TestCrashReports::appendReportsAnUnwritableLog()
{
    QTemporaryDir dir;
    const fs::path log = dirOf(dir) / "error.log";
    fs::create_directory(log); // a folder where the log should be
    try {
        ErrorLog::append(log, "T", "P", "text");
        QFAIL("a log that cannot be written raised nothing");
    } catch (const EFileError &e) {
        QCOMPARE(e.file(), log);
    }
}

void TestCrashReports::timestampIsLocalIso8601()
{
    qputenv("TZ", "UTC-1"); // one hour east of UTC, written the POSIX way
    tzset();
    QCOMPARE(QByteArray::fromStdString(ErrorLog::localTimestamp(0)), QByteArray("1970-01-01T01:00:00+01:00"));
    qunsetenv("TZ");
    tzset();
}

void TestCrashReports::takeShowsAReportOnce()
{
    QTemporaryDir dir;
    const fs::path report = dirOf(dir) / "crash.log";
    QVERIFY(!CrashLog::take(report));
    writeBytes(report, "Postwright 1.01 ended by signal 11 (SIGSEGV)\n");
    QCOMPARE(CrashLog::take(report).value_or(""), "Postwright 1.01 ended by signal 11 (SIGSEGV)\n"s);
    QVERIFY(!fs::exists(report));
    QVERIFY(!CrashLog::take(report));
}

void TestCrashReports::mailtoEncodesEveryByte()
{
    const std::string url =
        ReportMail::mailtoUrl("support@postwright.example", "Postwright error report", "a&b=c?d\n100% \xc3\xa9#+");
    QCOMPARE(QByteArray::fromStdString(url),
             QByteArray("mailto:support@postwright.example?subject=Postwright%20error%20report"
                        "&body=a%26b%3Dc%3Fd%0D%0A100%25%20%C3%A9%23%2B%0D%0A"));
}

void TestCrashReports::mailtoCutsALongBody()
{
    const std::string url = ReportMail::mailtoUrl("s@x.example", "S", "first\n" + std::string(100, 'z'), 20);
    QCOMPARE(QByteArray::fromStdString(url), QByteArray("mailto:s@x.example?subject=S&body=first%0D%0Azzzzzzzzzzzzz"));
}

QTEST_APPLESS_MAIN(TestCrashReports)
#include "tst_crashreports.moc"
