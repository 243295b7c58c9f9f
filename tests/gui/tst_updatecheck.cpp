// The update check as the main window runs it: "Check Updates", the check at
// start, the questions, the updater, and the window staying usable meanwhile.
#include "MainWindowFixture.h"
#include "MessageBoxAnswers.h"
#include "ScriptedHttpServer.h"
#include "TUpdateChecker.h"
#include "UpdateCheck.h"

#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

namespace fs = std::filesystem;
using Reply = ScriptedHttpServer::Reply;
using Strings = std::vector<std::string>;

namespace {

const char *const BasePath = "/liveupdate/postwright/";

std::string ok(const std::string &body, const std::string &headers = {})
{
    return ScriptedHttpServer::answer("200 OK", headers, body);
}

std::string description(const std::string &version)
{
    return "[APPLICATION]\r\nName=Postwright\r\nVersion=" + version + "\r\n";
}

// A refused port: the check at start fails at once and says nothing.
std::string nowhere()
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor closed(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
    return "http://127.0.0.1:" + std::to_string(closed.local_endpoint().port()) + BasePath;
}

void pointChecksAt(const std::string &baseUrl)
{
    TUpdateChecker::setNetwork({baseUrl, THttpClient::NumericResolver()});
}

// The main window, once its own check at start is over.
struct Window : MainWindowFixture {
    QPushButton *button = control<QPushButton>("btnUpdate");

    Window()
    {
        QTRY_VERIFY(!window->timer()->isActive() && button->isEnabled());
        QTest::qWait(50);
    }

    // An updater that writes its arguments, one a line, beside itself.
    void installUpdater() const
    {
        write(std::string(UpdaterFileName).c_str(),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/arguments.txt.part\"\n"
              "mv \"$(dirname \"$0\")/arguments.txt.part\" \"$(dirname \"$0\")/arguments.txt\"\n");
        ::chmod((appDir / UpdaterFileName).c_str(), 0755);
    }
};

Strings texts(const AnsweredMessageBoxes &boxes)
{
    Strings t;
    for (const TMessageBoxCall &c : boxes.calls)
        t.push_back(c.text);
    return t;
}

} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT

private slots:
    void init() { pointChecksAt(nowhere()); }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        pointChecksAt(nowhere());
    }
    void checkAtStartIsSilent();
    void newVersion_data();
    void newVersion();
    void failedDownloadSaysNoUpdate();
    void windowKeepsRunningDuringTransfer();
    void closingDuringCheck();
    void destroyedDuringCheck();
    void cookiesComeBackOnSecondCheck();
    void descriptionFileErrorGoesToErrorHandling();
};

void TestUpdateCheck::checkAtStartIsSilent()
{
    ScriptedHttpServer server([](const std::string &, int) { return Reply{ok(description("1.01"))}; });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;
    MainWindowFixture w;
    QTRY_COMPARE(server.requests().size(), std::size_t(1));
    QTRY_COMPARE(w.read("mainappupdate.inf"), description("1.01"));
    QVERIFY(boxes.calls.empty());
    QVERIFY(!w.window->timer()->isActive());
}

void TestUpdateCheck::newVersion_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("versionArgument"); // empty: no update offered
    QTest::newRow("2, point locale") << QLocale::c() << QStringLiteral("2")
                                     << QStringLiteral("1.00999999046326");
    QTest::newRow("1.02, point locale")
        << QLocale::c() << QStringLiteral("1.02") << QStringLiteral("1.00999999046326");
    QTest::newRow("1,02, comma locale") << QLocale(QLocale::German, QLocale::Germany)
                                        << QStringLiteral("1,02") << QStringLiteral("1,00999999046326");
    QTest::newRow("1.02, comma locale")
        << QLocale(QLocale::German, QLocale::Germany) << QStringLiteral("1.02") << QString();
    QTest::newRow("1.01, point locale") << QLocale::c() << QStringLiteral("1.01") << QString();
}

void TestUpdateCheck::newVersion()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, version);
    QFETCH(QString, versionArgument);
    QLocale::setDefault(locale);
    Window w;
    w.installUpdater();
    ScriptedHttpServer server(
        [&](const std::string &, int) { return Reply{ok(description(version.toStdString()))}; });
    const std::string base = server.url(BasePath);
    pointChecksAt(base);
    AnsweredMessageBoxes boxes;
    boxes.answers = {1, 1};
    w.button->click();

    QCOMPARE(server.requests().size(), std::size_t(1));
    QVERIFY(server.requests()[0].starts_with("GET /liveupdate/postwright/mainappupdate.inf HTTP/1.1\r\n"));
    if (versionArgument.isEmpty()) {
        QCOMPARE(texts(boxes), Strings{std::string(UpdateTexts::NoUpdate)});
        QVERIFY(w.window->isVisible());
        QCOMPARE(w.read("arguments.txt"), std::string("<missing>"));
        return;
    }
    QCOMPARE(texts(boxes), (Strings{UpdateTexts::newVersion(version.toStdString()),
                                    std::string(UpdateTexts::CloseToUpdate)}));
    for (const TMessageBoxCall &c : boxes.calls) {
        QCOMPARE(c.kind, TMsgKind::Information);
        QCOMPARE(c.buttons, TMsgButton::OK | TMsgButton::Cancel);
    }
    QTRY_COMPARE(w.read("arguments.txt"), base + "\n" + versionArgument.toStdString() + "\nA\n");
    QVERIFY(!w.window->isVisible());
}

void TestUpdateCheck::failedDownloadSaysNoUpdate()
{
    Window w;
    w.write("mainappupdate.inf", description("9"));
    ScriptedHttpServer server([](const std::string &, int) {
        return Reply{ScriptedHttpServer::answer("404 Not Found", "", "gone")};
    });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;
    w.button->click();
    QCOMPARE(texts(boxes), Strings{std::string(UpdateTexts::NoUpdate)});
    QCOMPARE(boxes.calls[0].kind, TMsgKind::Information);
    QCOMPARE(boxes.calls[0].buttons, TMsgButtons(TMsgButton::OK));
    // The older copy went with the failed download.
    QCOMPARE(w.read("mainappupdate.inf"), std::string("<missing>"));
}

void TestUpdateCheck::windowKeepsRunningDuringTransfer()
{
    Window w;
    // One byte every 100 ms.
    ScriptedHttpServer server([](const std::string &, int) {
        return Reply{ok(description("1.01")), std::chrono::milliseconds(100)};
    });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;

    int ticks = 0;
    bool enabledMeanwhile = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        enabledMeanwhile = enabledMeanwhile || w.button->isEnabled();
        // The start-up timer firing again must not start a second check.
        if (ticks == 5)
            w.window->timer()->start(0);
    });
    timer.start();
    w.button->click();
    timer.stop();

    QCOMPARE(w.read("mainappupdate.inf"), description("1.01"));
    QVERIFY2(ticks >= 20, std::to_string(ticks).c_str());
    QVERIFY(!enabledMeanwhile);
    QVERIFY(w.button->isEnabled());
    QCOMPARE(texts(boxes), Strings{std::string(UpdateTexts::NoUpdate)});
    QTest::qWait(200);
    QCOMPARE(server.requests().size(), std::size_t(1));
}

void TestUpdateCheck::closingDuringCheck()
{
    Window w;
    w.write("mainappupdate.inf", description("9"));
    ScriptedHttpServer server([](const std::string &, int) {
        return Reply{ok(description("9") + std::string(2000, ';')), std::chrono::milliseconds(50)};
    });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;
    QTimer::singleShot(300, w.window.get(), [&] { w.window->close(); });
    w.button->click();

    QVERIFY(!w.window->isVisible());
    QVERIFY(boxes.calls.empty());
    QCOMPARE(w.read("mainappupdate.inf"), std::string("<missing>"));
    QTRY_VERIFY(server.clientLeftEarly());
}

void TestUpdateCheck::destroyedDuringCheck()
{
    Window w;
    ScriptedHttpServer server([](const std::string &, int) {
        return Reply{ok(description("9") + std::string(2000, ';')), std::chrono::milliseconds(50)};
    });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;
    QTimer::singleShot(300, [&] { w.window.reset(); });
    // click() itself copes with its button going in its own signal.
    w.button->click();

    QVERIFY(!w.window);
    QVERIFY(boxes.calls.empty());
    QCOMPARE(w.read("mainappupdate.inf"), std::string("<missing>"));
    QTRY_VERIFY(server.clientLeftEarly());
}

void TestUpdateCheck::cookiesComeBackOnSecondCheck()
{
    Window w;
    ScriptedHttpServer server([](const std::string &, int i) {
        return Reply{i == 0 ? ok(description("1"), "Set-Cookie: visit=first; Path=/\r\n")
                            : ok(description("1"))};
    });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;
    w.button->click();
    w.button->click();
    const Strings requests = server.requests();
    QCOMPARE(requests.size(), std::size_t(2));
    QVERIFY(requests[0].find("Cookie:") == std::string::npos);
    QVERIFY2(requests[1].ends_with("\r\nCookie: visit=first\r\n\r\n"), requests[1].c_str());
    QCOMPARE(boxes.calls.size(), std::size_t(2));
}

void TestUpdateCheck::descriptionFileErrorGoesToErrorHandling()
{
    Window w;
    // A folder in the file's place can be neither deleted nor replaced by a file.
    fs::create_directories(w.appDir / "mainappupdate.inf" / "inside");
    ScriptedHttpServer server([](const std::string &, int) { return Reply{ok(description("9"))}; });
    pointChecksAt(server.url(BasePath));
    AnsweredMessageBoxes boxes;
    ReportedErrors errors;
    w.button->click();
    QCOMPARE(errors.details.size(), 1);
    QVERIFY2(errors.details[0].contains(QStringLiteral("mainappupdate.inf")), qPrintable(errors.details[0]));
    QVERIFY(boxes.calls.empty());
    QVERIFY(server.requests().empty());
    QVERIFY(w.button->isEnabled());
}

POSTWRIGHT_GUI_TEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
