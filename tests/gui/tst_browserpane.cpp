// The browser pane of the main window: the address box, "Go!", Back, Forward,
// Refresh and Stop.
#include "BrowserTestUtil.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "MessageBoxAnswers.h"
#include "TestHttpServer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr const char *back = "bsSkinSpeedButton1";
constexpr const char *forward = "bsSkinSpeedButton2";
constexpr const char *stop = "bsSkinSpeedButton3";
constexpr const char *refresh = "bsSkinSpeedButton4";

void click(const MainWindowFixture &f, const char *name)
{
    QTest::mouseClick(f.control(name), Qt::LeftButton);
}

void typeAddress(const MainWindowFixture &f, const QString &text)
{
    auto *edit = f.control<QLineEdit>("edtURL");
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestBrowserPane : public QObject {
    Q_OBJECT

private slots:
    void goAndEnterOpenTheAddress_data();
    void goAndEnterOpenTheAddress();
    void enterInAnEmptyBoxDoesNothing();
    void failuresReachTheErrorHandler_data();
    void failuresReachTheErrorHandler();
    void stopWhileLoading();
    void stopWhileIdleDoesNothing();
    void backWhileLoadingStopsThenGoesBack();
    void followingLinksLeavesTheAddressBox();
    void refreshLoadsAgain();
    void refreshAfterAPostAsksFirst_data();
    void refreshAfterAPostAsksFirst();
    void newWindowLinksOpenInPlace();
};

void TestBrowserPane::goAndEnterOpenTheAddress_data()
{
    QTest::addColumn<int>("key"); // 0: the "Go!" button
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("blanks");
    QTest::newRow("Go!") << 0 << 0 << "";
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << "";
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "";
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "";
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier) << "";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "";
    QTest::newRow("Go! with blanks around") << 0 << 0 << "  ";
    QTest::newRow("Enter with blanks around") << int(Qt::Key_Return) << 0 << " ";
}

void TestBrowserPane::goAndEnterOpenTheAddress()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, blanks);
    TestHttpServer server;
    MainWindowFixture f;
    ReportedErrors errors;
    // Typed as users do, without a scheme.
    const QString typed = blanks + server.address("/page_a.html") + blanks;
    typeAddress(f, typed);
    if (key)
        QTest::keyClick(f.control("edtURL"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
        click(f, "bsSkinButton2");
    QVERIFY(f.loads("Page A"));
    QCOMPARE(f.browser()->url(), server.url("/page_a.html"));
    // The box keeps what the user typed, blanks and all.
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), typed);
    QVERIFY(errors.details.isEmpty());
}

void TestBrowserPane::enterInAnEmptyBoxDoesNothing()
{
    MainWindowFixture f;
    ReportedErrors errors;
    QTest::keyClick(f.control("edtURL"), Qt::Key_Return);
    QTest::keyClick(f.control("edtURL"), Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(errors.details.isEmpty());
    QVERIFY(f.browser()->url().isEmpty());
    QVERIFY(!f.browser()->Busy());
}

void TestBrowserPane::failuresReachTheErrorHandler_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("reported");
    QTest::newRow("Back with no earlier page") << "" << QByteArray(back) << "no earlier page";
    QTest::newRow("Forward with no later page") << "" << QByteArray(forward) << "no later page";
    QTest::newRow("no address") << "http://foo bar/" << QByteArray("bsSkinButton2") << "not a web address";
    QTest::newRow("Go! with an empty box") << "" << QByteArray("bsSkinButton2") << "not a web address";
}

void TestBrowserPane::failuresReachTheErrorHandler()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, button);
    QFETCH(QString, reported);
    MainWindowFixture f;
    ReportedErrors errors;
    typeAddress(f, address);
    click(f, button.constData());
    QCOMPARE(errors.details.size(), 1);
    QVERIFY2(errors.details[0].contains(reported), qPrintable(errors.details[0]));
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), address);
}

void TestBrowserPane::stopWhileLoading()
{
    TestHttpServer server;
    server.hold("/slow");
    MainWindowFixture f;
    ReportedErrors errors;
    typeAddress(f, server.address("/slow"));
    click(f, "bsSkinButton2");
    QTRY_VERIFY(f.browser()->Busy());
    QTRY_COMPARE(server.heldOpen(), 1);
    click(f, stop);
    QTRY_COMPARE(server.heldOpen(), 0);
    QTRY_VERIFY(!f.browser()->Busy());
    QVERIFY(errors.details.isEmpty());
}

void TestBrowserPane::stopWhileIdleDoesNothing()
{
    TestHttpServer server;
    MainWindowFixture f;
    ReportedErrors errors;
    click(f, stop);
    QVERIFY(errors.details.isEmpty());
    QVERIFY(f.browser()->url().isEmpty());
    typeAddress(f, server.address("/page_a.html"));
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Page A"));
    click(f, stop);
    QVERIFY(errors.details.isEmpty());
    QCOMPARE(f.browser()->title(), QStringLiteral("Page A"));
    QCOMPARE(server.requestsFor("/page_a.html"), 1);
}

void TestBrowserPane::backWhileLoadingStopsThenGoesBack()
{
    TestHttpServer server;
    server.hold("/slow");
    MainWindowFixture f;
    ReportedErrors errors;
    typeAddress(f, server.address("/page_a.html"));
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Page A"));
    typeAddress(f, server.address("/page_b.html"));
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Page B"));
    typeAddress(f, server.address("/slow"));
    click(f, "bsSkinButton2");
    QTRY_COMPARE(server.heldOpen(), 1);
    QVERIFY(f.browser()->Busy());

    click(f, back);
    // The page that was loading was stopped, and the one before the shown one opened.
    QTRY_COMPARE(server.heldOpen(), 0);
    QVERIFY(f.loads("Page A"));
    QVERIFY(errors.details.isEmpty());
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), server.address("/slow"));
    click(f, forward);
    QVERIFY(f.loads("Page B"));
    QVERIFY(errors.details.isEmpty());
}

void TestBrowserPane::followingLinksLeavesTheAddressBox()
{
    TestHttpServer server;
    MainWindowFixture f;
    ReportedErrors errors;
    const QString typed = server.address("/page_a.html");
    typeAddress(f, typed);
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Page A"));
    BrowserTestUtil::clickAt(f.browser(), BrowserTestUtil::centreOf(f.browser(), "#link"));
    QVERIFY(f.loads("Page B"));
    QCOMPARE(f.browser()->url(), server.url("/page_b.html"));
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), typed);
    click(f, back);
    QVERIFY(f.loads("Page A"));
    click(f, forward);
    QVERIFY(f.loads("Page B"));
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), typed);
    QVERIFY(errors.details.isEmpty());
}

void TestBrowserPane::refreshLoadsAgain()
{
    TestHttpServer server;
    MainWindowFixture f;
    ReportedErrors errors;
    typeAddress(f, server.address("/page_a.html"));
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Page A"));
    QCOMPARE(server.requestsFor("/page_a.html"), 1);
    click(f, refresh);
    QTRY_COMPARE(server.requestsFor("/page_a.html"), 2);
    QVERIFY(f.loads("Page A"));
    QVERIFY(errors.details.isEmpty());
}

// A forum's post form, sent with POST or GET, and the server's answer, which
// counts the forms it got.
void TestBrowserPane::refreshAfterAPostAsksFirst_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<bool>("redirected"); // answered by a redirect to a page got by GET
    QTest::addColumn<int>("answer");      // the user's answer to a question, if one comes
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("sent");        // forms the server got in the end

    QTest::newRow("POST, OK sends again") << QByteArray("post") << false << 1 << true << 2;
    QTest::newRow("POST, Cancel leaves the page") << QByteArray("post") << false << 2 << true << 1;
    QTest::newRow("GET reloads without a question") << QByteArray("get") << false << 2 << false << 2;
    QTest::newRow("POST answered by a redirect") << QByteArray("post") << true << 2 << false << 1;
}

void TestBrowserPane::refreshAfterAPostAsksFirst()
{
    QFETCH(QByteArray, method);
    QFETCH(bool, redirected);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(int, sent);

    TestHttpServer server;
    int forms = 0;
    server.route("/form", [&](const TestHttpServer::Request &) {
        return TestHttpServer::Response{200, "<html><head><title>Form</title></head><body><form method=" + method +
                                                 " action=/send><input name=msg value='hello &amp; bye'>"
                                                 "<input type=submit id=send value=Send></form></body></html>"};
    });
    server.route("/send", [&](const TestHttpServer::Request &r) {
        if (r.method == "POST" && r.body != "msg=hello+%26+bye")
            return TestHttpServer::Response{404, "<html><head><title>Bad form</title></head></html>"};
        ++forms;
        if (redirected)
            return TestHttpServer::Response{303, "", "text/html", {{"Location", "/thread"}}};
        return TestHttpServer::Response{
            200, "<html><head><title>Sent " + QByteArray::number(forms) + "</title></head></html>"};
    });
    server.route("/thread", [&](const TestHttpServer::Request &) {
        return TestHttpServer::Response{200, "<html><head><title>Thread</title></head></html>"};
    });

    MainWindowFixture f;
    ReportedErrors errors;
    AnsweredMessageBoxes boxes;
    boxes.answers = {answer};
    typeAddress(f, server.address("/form"));
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Form"));
    BrowserTestUtil::clickAt(f.browser(), BrowserTestUtil::centreOf(f.browser(), "#send"));
    const QString shown = redirected ? QStringLiteral("Thread") : QStringLiteral("Sent 1");
    QVERIFY(f.loads(shown));
    QCOMPARE(forms, 1);
    const qsizetype before = server.requests().size();

    click(f, refresh);
    QCOMPARE(boxes.calls.size(), std::size_t(asked ? 1 : 0));
    if (asked) {
        const TMessageBoxCall &call = boxes.calls.front();
        QVERIFY(call.kind == TMsgKind::Confirmation);
        QVERIFY(call.buttons == (TMsgButton::OK | TMsgButton::Cancel));
        QVERIFY2(QByteArray::fromStdString(call.text).contains("twice"), call.text.c_str());
    }
    if (sent > 1) {
        QTRY_COMPARE(forms, sent);
        QVERIFY(f.loads(QStringLiteral("Sent %1").arg(sent)));
    } else if (redirected) {
        // The page got by GET reloads by itself, and nothing is sent.
        QTRY_COMPARE(server.requestsFor("/thread"), 2);
        QVERIFY(f.loads(shown));
    } else {
        // Nothing was sent: the page is left as it was, not even reloaded.
        QVERIFY(!f.browser()->Busy());
        QCOMPARE(f.browser()->title(), shown);
        QCOMPARE(server.requests().size(), before);
    }
    QCOMPARE(forms, sent);
    QCOMPARE(server.requestsFor("POST", "/send"), method == "post" ? sent : 0);
    QVERIFY(errors.details.isEmpty());
}

// Links that ask for a new window open in the browser itself.
void TestBrowserPane::newWindowLinksOpenInPlace()
{
    TestHttpServer server;
    server.route("/links", [](const TestHttpServer::Request &) {
        return TestHttpServer::Response{200, "<html><head><title>Links</title></head><body>"
                                             "<a id=blank target=_blank href=/page_b.html>new window</a><br>"
                                             "<a id=named target=other href=/page_a.html>named window</a>"
                                             "</body></html>"};
    });
    MainWindowFixture f;
    ReportedErrors errors;
    typeAddress(f, server.address("/links"));
    click(f, "bsSkinButton2");
    QVERIFY(f.loads("Links"));
    BrowserTestUtil::clickAt(f.browser(), BrowserTestUtil::centreOf(f.browser(), "#blank"));
    QVERIFY(f.loads("Page B"));
    QCOMPARE(f.browser()->url(), server.url("/page_b.html"));
    QCOMPARE(server.requestsFor("/page_b.html"), 1);
    // The page it replaced is one step back.
    click(f, back);
    QVERIFY(f.loads("Links"));
    BrowserTestUtil::clickAt(f.browser(), BrowserTestUtil::centreOf(f.browser(), "#named"));
    QVERIFY(f.loads("Page A"));
    QCOMPARE(server.requestsFor("/page_a.html"), 1);
    // No other window of the program opened.
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); }), 1);
    QVERIFY(errors.details.isEmpty());
}

POSTWRIGHT_GUI_TEST_MAIN(TestBrowserPane)
#include "tst_browserpane.moc"
