// The embedded browser control on its own: addresses, the engine's start,
// the user agent, cookies kept across runs, HTTP logins and the history errors.
#include "BrowserTestUtil.h"
#include "Errors.h"
#include "FLogin.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "OpenFiles.h"
#include "TEmbeddedWB.h"
#include "TestAppDir.h"
#include "TestHttpServer.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWebEngineProfile>

#include <filesystem>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A window holding one browser, the way the main window holds it.
struct BrowserWindow {
    QWidget window;
    TEmbeddedWB *browser;

    explicit BrowserWindow(const fs::path &storage = {})
    {
        auto *layout = new QVBoxLayout(&window);
        browser = new TEmbeddedWB(&window);
        browser->setLoginDialog(TfrmLogin::ask);
        layout->addWidget(browser);
        if (!storage.empty())
            browser->setStorageDirectory(storage);
        window.resize(500, 400);
    }
};

bool loads(TEmbeddedWB *browser, const QString &title)
{
    return QTest::qWaitFor([&] { return browser->title() == title && !browser->Busy(); }, 15000);
}

bool fileHolds(const fs::path &file, const QByteArray &text)
{
    QFile f(QString::fromStdString(file.string()));
    return f.open(QIODevice::ReadOnly) && f.readAll().contains(text);
}

} // namespace

class TestEmbeddedWB : public QObject {
    Q_OBJECT

private slots:
    void addressUrl_data();
    void addressUrl();
    void engineWaitsForTheFirstPage();
    void navigateWithoutScheme();
    void userAgentNamesTheBrowser();
    void picturesLoad();
    void cookiesSurviveARestart();
    void waitsUntilAFileIsClosed();
    void busyWhileLoadingUntilStopped();
    void historyErrors();
    void httpLogin_data();
    void httpLogin();
};

void TestEmbeddedWB::addressUrl_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("url"); // empty: no address
    QTest::newRow("no scheme") << "forum.example.org"
                               << "http://forum.example.org";
    QTest::newRow("host and port") << "127.0.0.1:8080/a.html"
                                   << "http://127.0.0.1:8080/a.html";
    QTest::newRow("name and port") << "localhost:8080/x?y=1"
                                   << "http://localhost:8080/x?y=1";
    QTest::newRow("blanks around") << "  http://forum.example.org/  "
                                   << "http://forum.example.org/";
    QTest::newRow("https") << "https://forum.example.org/post?id=1#top"
                           << "https://forum.example.org/post?id=1#top";
    QTest::newRow("space in query") << "http://a.example/s?q=a b"
                                    << "http://a.example/s?q=a%20b";
    QTest::newRow("about") << "about:blank"
                           << "about:blank";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blanks only") << "   "
                                 << "";
    QTest::newRow("scheme only") << "http://"
                                 << "";
    QTest::newRow("space in host") << "http://foo bar/"
                                   << "";
    QTest::newRow("words") << "foo bar"
                           << "";
}

void TestEmbeddedWB::addressUrl()
{
    QFETCH(QString, address);
    QFETCH(QString, url);
    if (url.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(EError, TEmbeddedWB::addressUrl(address));
        // The control refuses it before anything loads.
        BrowserWindow w;
        QVERIFY_THROWS_EXCEPTION(EError, w.browser->Navigate(address));
        QVERIFY(!w.browser->engineStarted());
    } else {
        QCOMPARE(TEmbeddedWB::addressUrl(address).toString(QUrl::FullyEncoded), url);
    }
}

void TestEmbeddedWB::engineWaitsForTheFirstPage()
{
    TestAppDir dir;
    const fs::path storage = fs::path(dir.path().toStdString()) / "profile";
    TestHttpServer server;
    BrowserWindow w(storage);
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    // The window is up with nothing started and nothing written.
    QVERIFY(!w.browser->engineStarted());
    QVERIFY(!w.browser->isVisible());
    QVERIFY(!fs::exists(storage));
    QVERIFY(!w.browser->FillField("subject", "x"));
    QVERIFY(!w.browser->PasteIntoPage());
    w.browser->Stop();
    w.browser->Refresh();
    QVERIFY(!w.browser->engineStarted());

    w.browser->Navigate(server.address("/page_a.html"));
    QVERIFY(w.browser->engineStarted());
    QVERIFY(w.browser->isVisible());
    QCOMPARE(w.browser->page()->profile()->persistentStoragePath(), QString::fromStdString(storage.string()));
    QVERIFY(!w.browser->page()->profile()->isOffTheRecord());
    // The folder keeps the user's cookies: no one else may read it.
    QCOMPARE(fs::status(storage).permissions() & fs::perms::all, fs::perms::owner_all);
    QVERIFY(loads(w.browser, "Page A"));
}

void TestEmbeddedWB::navigateWithoutScheme()
{
    TestHttpServer server;
    BrowserWindow w;
    w.window.show();
    w.browser->Navigate(server.address("/page_a.html"));
    QVERIFY(loads(w.browser, "Page A"));
    QCOMPARE(w.browser->url(), server.url("/page_a.html"));
}

void TestEmbeddedWB::userAgentNamesTheBrowser()
{
    TestHttpServer server;
    BrowserWindow w;
    w.browser->Navigate(server.url("/page_a.html").toString());
    QTRY_VERIFY(server.requestsFor("/page_a.html") == 1);
    QWebEngineProfile plain;
    const QByteArray expected = (plain.httpUserAgent() + " Postwright-EmbeddedWB").toUtf8();
    QCOMPARE(server.requests().first().headers.value("user-agent"), expected);
}

void TestEmbeddedWB::picturesLoad()
{
    TestHttpServer server;
    BrowserWindow w;
    w.window.show();
    w.browser->Navigate(server.url("/page_b.html").toString());
    QVERIFY(loads(w.browser, "Page B"));
    QTRY_COMPARE(server.requestsFor("/picture.gif"), 1);
}

void TestEmbeddedWB::cookiesSurviveARestart()
{
    TestAppDir dir;
    const fs::path storage = fs::path(dir.path().toStdString()) / "profile";
    TestHttpServer server;
    server.route("/login", [](const TestHttpServer::Request &) {
        TestHttpServer::Response r{200, "<html><head><title>Logged in</title></head></html>"};
        r.headers << qMakePair(QByteArray("Set-Cookie"), QByteArray("session=abc123; Max-Age=86400; Path=/"));
        return r;
    });
    {
        BrowserWindow first(storage);
        first.browser->Navigate(server.url("/login").toString());
        QVERIFY(loads(first.browser, "Logged in"));
    }
    // On disk, not only in the engine's memory, as soon as the browser is
    // gone: the program may end at once after it.
    QVERIFY(fileHolds(storage / "Cookies", "session"));
    BrowserWindow second(storage);
    second.browser->Navigate(server.url("/page_a.html").toString());
    QVERIFY(loads(second.browser, "Page A"));
    QCOMPARE(server.requests().last().path, QByteArray("/page_a.html"));
    QCOMPARE(server.requests().last().headers.value("cookie"), QByteArray("session=abc123"));
}

void TestEmbeddedWB::waitsUntilAFileIsClosed()
{
    TestAppDir dir;
    const fs::path real = fs::path(dir.path().toStdString()) / "real";
    fs::create_directory(real);
    // Found under another name for its folder too.
    const fs::path linked = fs::path(dir.path().toStdString()) / "linked";
    fs::create_directory_symlink(real, linked);
    auto file = std::make_unique<QFile>(QString::fromStdString((real / "Cookies").string()));
    QVERIFY(file->open(QIODevice::WriteOnly));

    QVERIFY(IsOpenInThisProcess(linked / "Cookies"));
    QVERIFY(!IsOpenInThisProcess(real / "Other"));
    QVERIFY(!WaitUntilClosed(linked / "Cookies", std::chrono::milliseconds(50)));
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        file.reset();
    });
    const bool closed = WaitUntilClosed(linked / "Cookies", std::chrono::seconds(10));
    closer.join();
    QVERIFY(closed);
    QVERIFY(!IsOpenInThisProcess(real / "Cookies"));
}

void TestEmbeddedWB::busyWhileLoadingUntilStopped()
{
    TestHttpServer server;
    server.hold("/slow");
    BrowserWindow w;
    QVERIFY(!w.browser->Busy());
    w.browser->Navigate(server.url("/slow").toString());
    QTRY_VERIFY(w.browser->Busy());
    QTRY_COMPARE(server.heldOpen(), 1);
    w.browser->Stop();
    QTRY_VERIFY(!w.browser->Busy());
    // The browser let go of the answer it was waiting for.
    QTRY_COMPARE(server.heldOpen(), 0);
}

void TestEmbeddedWB::historyErrors()
{
    TestHttpServer server;
    BrowserWindow w;
    // Nothing shown yet: no history at all.
    QVERIFY_THROWS_EXCEPTION(EError, w.browser->GoBack());
    QVERIFY_THROWS_EXCEPTION(EError, w.browser->GoForward());
    w.browser->Navigate(server.url("/page_a.html").toString());
    QVERIFY(loads(w.browser, "Page A"));
    QVERIFY_THROWS_EXCEPTION(EError, w.browser->GoBack());
    w.browser->Navigate(server.url("/page_b.html").toString());
    QVERIFY(loads(w.browser, "Page B"));
    QVERIFY_THROWS_EXCEPTION(EError, w.browser->GoForward());
    w.browser->GoBack();
    QVERIFY(loads(w.browser, "Page A"));
    w.browser->GoForward();
    QVERIFY(loads(w.browser, "Page B"));
}

void TestEmbeddedWB::httpLogin_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("title");
    // The main window's browser asks through the window's own login dialog.
    QTest::addColumn<bool>("inMainWindow");
    QTest::newRow("user answers") << true << "Welcome" << false;
    QTest::newRow("user cancels") << false << "Refused" << false;
    QTest::newRow("user answers in the main window") << true << "Welcome" << true;
}

void TestEmbeddedWB::httpLogin()
{
    QFETCH(bool, accept);
    QFETCH(QString, title);
    QFETCH(bool, inMainWindow);
    TestHttpServer server;
    // "alice:s3cret" in base 64.
    server.route("/members", [](const TestHttpServer::Request &request) {
        if (request.headers.value("authorization") == "Basic YWxpY2U6czNjcmV0")
            return TestHttpServer::Response{200, "<html><head><title>Welcome</title></head></html>"};
        TestHttpServer::Response r{401, "<html><head><title>Refused</title></head></html>"};
        r.headers << qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Basic realm=\"Members only\""));
        return r;
    });
    QStringList asked;
    TfrmLogin::setHook([&](TfrmLogin &dialog) {
        asked << dialog.findChild<QLabel *>("lblSite")->text();
        if (!accept)
            return int(QDialog::Rejected);
        QTest::keyClicks(dialog.findChild<QLineEdit *>("edtUsername"), "alice");
        QTest::keyClicks(dialog.findChild<QLineEdit *>("edtPassword"), "s3cret");
        return int(QDialog::Accepted);
    });
    std::unique_ptr<BrowserWindow> own;
    std::unique_ptr<MainWindowFixture> main;
    TEmbeddedWB *browser = nullptr;
    if (inMainWindow) {
        main = std::make_unique<MainWindowFixture>();
        browser = main->browser();
    } else {
        own = std::make_unique<BrowserWindow>();
        own->window.show();
        browser = own->browser;
    }
    browser->Navigate(server.url("/members").toString());
    const bool loaded = loads(browser, title);
    TfrmLogin::setHook({});
    QVERIFY(loaded);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains(QStringLiteral("127.0.0.1:%1").arg(server.port())), qPrintable(asked[0]));
    QVERIFY2(asked[0].contains("Members only"), qPrintable(asked[0]));
}

POSTWRIGHT_GUI_TEST_MAIN(TestEmbeddedWB)
#include "tst_embeddedwb.moc"
