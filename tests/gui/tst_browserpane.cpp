// The browser pane of the main window: the address box, "Go!", Back, Forward,
// Refresh and Stop.
#include "BrowserTestUtil.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
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

POSTWRIGHT_GUI_TEST_MAIN(TestBrowserPane)
#include "tst_browserpane.moc"
