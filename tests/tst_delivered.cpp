// The files delivered beside the program, and the build step that puts them there.
#include "Markup.h"
#include "TestConfig.h"
#include "TestFiles.h"
#include "UForums.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path delivered = fs::path(POSTWRIGHT_DELIVERED_DATA) / "Formats.dat";

} // namespace

class TestDelivered : public QObject {
    Q_OBJECT

private slots:
    void templates();
    void markdownLinks_data();
    void markdownLinks();
    void fileIsInTheProgramsOwnForm();
    void copiedOnlyWhereNoneIsThere_data();
    void copiedOnlyWhereNoneIsThere();
};

void TestDelivered::templates()
{
    TFormats formats(delivered.parent_path());
    formats.LoadAll();
    QCOMPARE(formats.count(), 8);

    const TFormat expected[4] = {
        {"html", "<a href=\"", "\">", "</a>", "mailto:"},
        {"ubb", "[url=", "]", "[/url]", "mailto:"},
        {"wiki", "[", " ", "]", "mailto:"},
        {"markdown", "[", "](", ")", "mailto:"},
    };
    for (int i = 0; i < 4; ++i) {
        const TFormat &f = formats.record(i);
        QCOMPARE(f.Name, expected[i].Name);
        QCOMPARE(f.LinkOpen, expected[i].LinkOpen);
        QCOMPARE(f.LinkMiddle, expected[i].LinkMiddle);
        QCOMPARE(f.LinkEnd, expected[i].LinkEnd);
        QCOMPARE(f.Email, expected[i].Email);
        QCOMPARE(formats.entryText(i), expected[i].Name);
    }
    for (int i = 4; i < 8; ++i) {
        const TFormat &f = formats.record(i);
        QVERIFY(f.Name.empty() && f.LinkOpen.empty() && f.LinkMiddle.empty() && f.LinkEnd.empty() &&
                f.Email.empty());
    }
    QCOMPARE(FormatChooserEntries(formats),
             (std::vector<std::string>{"text", "html", "ubb", "wiki", "markdown"}));
}

void TestDelivered::markdownLinks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("marked");
    QTest::newRow("web link") << QByteArray("see https://a.example/p now")
                              << QByteArray("see [https://a.example/p](https://a.example/p) now");
    QTest::newRow("e-mail link") << QByteArray("write to (a.b@c.example).")
                                 << QByteArray("write to ([mailto:a.b@c.example](a.b@c.example)).");
    QTest::newRow("e-mail address inside a web link")
        << QByteArray("http://x.example/?to=a@b.example now")
        << QByteArray("[http://x.example/?to=[mailto:a@b.example](a@b.example)]("
                      "http://x.example/?to=[mailto:a@b.example](a@b.example)) now");
}

void TestDelivered::markdownLinks()
{
    // The delivered markdown template, as the chooser offers it: the fourth
    // entry after "text".
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, marked);
    TFormats formats(delivered.parent_path());
    formats.LoadAll();
    const std::string out = MarkupText(std::string_view(text.constData(), size_t(text.size())), 3, formats);
    QCOMPARE(QByteArray(out.data(), qsizetype(out.size())), marked);
}

void TestDelivered::fileIsInTheProgramsOwnForm()
{
    // Saving the loaded templates must give the delivered bytes back: the
    // header, CR LF line ends and a caret after every field, as the program
    // writes the file itself.
    QTemporaryDir dir;
    fs::copy_file(delivered, dirOf(dir) / "Formats.dat");
    TFormats formats(dirOf(dir));
    formats.LoadAll();
    formats.SaveAll();
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), readBytes(delivered));
}

void TestDelivered::copiedOnlyWhereNoneIsThere_data()
{
    QTest::addColumn<bool>("usersOwn");
    QTest::newRow("none there") << false;
    QTest::newRow("the user's own") << true;
}

void TestDelivered::copiedOnlyWhereNoneIsThere()
{
    QFETCH(bool, usersOwn);
    QTemporaryDir dir;
    const fs::path target = dirOf(dir) / "bin" / "Formats.dat";
    const std::string own = "Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\nmine^(^|^)^^\r\n";
    if (usersOwn) {
        fs::create_directories(target.parent_path());
        writeBytes(target, own);
    }
    QProcess cmake;
    cmake.start(QStringLiteral(POSTWRIGHT_CMAKE_COMMAND),
                {QStringLiteral("-DSOURCE=") + QString::fromStdString(delivered.string()),
                 QStringLiteral("-DDESTINATION=") + QString::fromStdString(target.string()),
                 QStringLiteral("-P"), QStringLiteral(POSTWRIGHT_COPY_IF_MISSING)});
    QVERIFY(cmake.waitForFinished(60000));
    QCOMPARE(cmake.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cmake.exitCode() == 0, cmake.readAllStandardError().constData());
    QCOMPARE(readBytes(target), usersOwn ? own : readBytes(delivered));
}

QTEST_GUILESS_MAIN(TestDelivered)
#include "tst_delivered.moc"
