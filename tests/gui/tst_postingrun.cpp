// A posting run: logging in from the forum list, the marks on the forums the
// message went to, the log of sent posts, and the next forum to post to.
#include "BrowserTestUtil.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "TestHttpServer.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {

using Checks = QList<QPair<QString, QString>>;

// Forums.dat with one forum per address, each with these user name and password.
std::string forumsFile(const QStringList &addresses)
{
    std::string file = "URL^Username^Password^\r\n";
    for (const QString &a : addresses)
        file += a.toStdString() + "^alice^s3cr\"et'^\r\n";
    return file;
}

QListWidget *list(const MainWindowFixture &f)
{
    return f.control<QListWidget>("lvwForums");
}
QString status(const MainWindowFixture &f)
{
    return f.control<QLabel>("lblStatus")->text();
}

void run(const MainWindowFixture &f, const char *command)
{
    f.control<QAction>(command)->trigger();
}

// Waits for the page with this title, loaded anew.
bool loadsNew(MainWindowFixture &f, QSignalSpy &finished, const QString &title)
{
    return (finished.count() > 0 || finished.wait(15000)) && f.loads(title);
}

void openPage(MainWindowFixture &f, const TestHttpServer &server, const QString &page, const QString &title)
{
    QSignalSpy finished(f.browser(), &QWebEngineView::loadFinished);
    f.control<QLineEdit>("edtURL")->setText(server.address(page));
    QTest::mouseClick(f.control("bsSkinButton2"), Qt::LeftButton);
    if (!loadsNew(f, finished, title))
        qFatal("page %s did not load", qPrintable(page));
}

// Opens the forum of row with the context menu's "Open".
void openForum(MainWindowFixture &f, int row, const QString &title)
{
    list(f)->setCurrentRow(row);
    QSignalSpy finished(f.browser(), &QWebEngineView::loadFinished);
    run(f, "actOpen");
    if (!loadsNew(f, finished, title))
        qFatal("forum %d did not open", row);
}

// The user presses the post page's own button.
void send(MainWindowFixture &f)
{
    QSignalSpy finished(f.browser(), &QWebEngineView::loadFinished);
    BrowserTestUtil::evaluate(f.browser(), QStringLiteral("document.getElementById('send').click()"));
    if (!loadsNew(f, finished, QStringLiteral("Posted")))
        qFatal("the post was not sent");
}

// Puts the message into the post page as the button named puts it, or not at all.
void insert(MainWindowFixture &f, const QByteArray &button)
{
    if (button.isEmpty())
        return;
    QTest::mouseClick(f.control(button.constData()), Qt::LeftButton);
    if (button == "btnAutoInsert")
        QTRY_COMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=subject]"),
                     f.control<QLineEdit>("edtSubject")->text());
}

QList<bool> marks(const MainWindowFixture &f)
{
    QList<bool> marked;
    for (int row = 0; row < list(f)->count(); ++row)
        marked << !list(f)->item(row)->icon().isNull();
    return marked;
}

QStringList rowTexts(const MainWindowFixture &f)
{
    QStringList texts;
    for (int row = 0; row < list(f)->count(); ++row)
        texts << list(f)->item(row)->text();
    return texts;
}

} // namespace

class TestPostingRun : public QObject {
    Q_OBJECT

    TestHttpServer server;

    QString address(const QString &page) const { return server.address(page); }

private slots:
    void initTestCase()
    {
        server.route("/posted", [](const TestHttpServer::Request &) {
            return TestHttpServer::Response{200, "<html><head><title>Posted</title></head></html>"};
        });
    }
    void menuCommands();
    void logInHere_data();
    void logInHere();
    void openAndLogIn();
    void openAndLogInStaysOnTheForumsSite();
    void submissionMarksTheForum_data();
    void submissionMarksTheForum();
    void logThatCannotBeWrittenIsReported();
    void changingTheMessageClearsTheMarks_data();
    void changingTheMessageClearsTheMarks();
    void nextForumSkipsMarkedForums();
};

void TestPostingRun::menuCommands()
{
    MainWindowFixture f(forumsFile({address("/page_a.html"), address("/page_b.html")}));
    QStringList texts;
    for (QAction *a : list(f)->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(texts, QStringList({"Open", "Open and Log In", "Log In Here", "Next Forum", "-", "Copy Address",
                                 "Remove"}));
    QCOMPARE(list(f)->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(f.control<QAction>("actLogInHere")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    QCOMPARE(f.control<QAction>("actNextForum")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));

    // With no forum selected the commands say so.
    run(f, "actLogInHere");
    QCOMPARE(status(f), QStringLiteral("Select a forum in the list first."));

    list(f)->setCurrentRow(1);
    QCOMPARE(f.control<QLineEdit>("edtUsername")->text(), QStringLiteral("alice"));
    run(f, "actCopyAddress");
    QCOMPARE(QGuiApplication::clipboard()->text(), address("/page_b.html"));
    // "Remove" does what "Remove URL" does: the row and its forum go, the file too.
    run(f, "actRemove");
    QCOMPARE(rowTexts(f), QStringList{address("/page_a.html")});
    QCOMPARE(f.control<QLineEdit>("edtUsername")->text(), QString());
    QCOMPARE(f.read("Forums.dat"), forumsFile({address("/page_a.html")}));
}

void TestPostingRun::logInHere_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("byShortcut");
    QTest::addColumn<QString>("status");
    QTest::addColumn<Checks>("checks");
    const QString login = QStringLiteral("document.forms[1].");
    QTest::newRow("the nearest text field before the password field")
        << "/login.html"
        << "Login" << true << "User name and password filled in. Nothing was sent."
        << Checks{{login + "nick.value", "alice"}, {login + "pw.value", "s3cr\"et'"},
                  {login + "email.value", "e"},    {login + "pw2.value", "p2"},
                  {login + "after.value", "a"},    {"document.forms[0].q.value", "q"}};
    QTest::newRow("no field before the password field")
        << "/login_password_first.html"
        << "Password first" << false
        << "Password filled in; no user name field comes before it. Nothing was sent."
        << Checks{{"document.forms[0].pw.value", "s3cr\"et'"},
                  {"document.forms[0].user.value", "u"},
                  {"document.forms[0].after.value", "a"}};
    QTest::newRow("no password field")
        << "/two_forms.html"
        << "Two forms" << false << "This page has no password field: nothing was filled in."
        << Checks{{"document.forms[0].subject.value", "old one"}};
    const QString inner = QStringLiteral("document.getElementById('inner').contentDocument.forms[1].");
    QTest::newRow("a login form in a frame")
        << "/login_frame.html"
        << "Login frame" << true << "This page has no password field: nothing was filled in."
        << Checks{{inner + "nick.value", "n"}, {inner + "pw.value", "p"}};
}

void TestPostingRun::logInHere()
{
    QFETCH(QString, page);
    QFETCH(QString, title);
    QFETCH(bool, byShortcut);
    QFETCH(QString, status);
    QFETCH(Checks, checks);
    MainWindowFixture f(forumsFile({address("/elsewhere.html")}));
    ReportedErrors errors;
    openPage(f, server, page, title);
    list(f)->setCurrentRow(0);
    if (byShortcut) {
        // The keys work while the page has the keyboard, a field of it the caret.
        QVERIFY(f.activate());
        QWidget *page = f.browser()->focusProxy();
        page->setFocus();
        if (title == "Login")
            QVERIFY(BrowserTestUtil::focusField(f.browser(), "[name=q]"));
        QTRY_COMPARE(QApplication::focusWidget(), page);
        QTest::keyClick(page, Qt::Key_L, Qt::ControlModifier);
    } else {
        run(f, "actLogInHere");
    }
    QTRY_COMPARE(::status(f), status);
    for (const auto &[expression, expected] : checks)
        QCOMPARE(BrowserTestUtil::evaluate(f.browser(), expression).toString(), expected);
    // Nothing was sent, and the page is the same.
    QCOMPARE(server.requestsFor("/loggedin"), 0);
    QCOMPARE(f.browser()->title(), title);
    QVERIFY(errors.details.isEmpty());
}

void TestPostingRun::openAndLogIn()
{
    MainWindowFixture f(forumsFile({address("/page_a.html"), address("/login.html")}));
    ReportedErrors errors;
    // Another page is shown first, and has finished loading.
    openPage(f, server, "/login_password_first.html", "Password first");
    list(f)->setCurrentRow(1);
    run(f, "actOpenAndLogIn");
    QTRY_COMPARE(status(f), QStringLiteral("User name and password filled in. Nothing was sent."));
    QCOMPARE(f.browser()->title(), QStringLiteral("Login"));
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), address("/login.html"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=nick]"), QStringLiteral("alice"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=pw]"), QStringLiteral("s3cr\"et'"));
    QCOMPARE(server.requestsFor("/loggedin"), 0);

    // The fill comes once: a page loaded afterwards is left alone.
    openPage(f, server, "/login.html", "Login");
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=nick]"), QStringLiteral("n"));
    QVERIFY(errors.details.isEmpty());
}

// A forum whose page sends the browser on to another site does not get its
// password filled in there.
void TestPostingRun::openAndLogInStaysOnTheForumsSite()
{
    TestHttpServer forum;
    forum.route("/moved", [this](const TestHttpServer::Request &) {
        return TestHttpServer::Response{
            302, "", "text/html", {{"Location", server.url("/login.html").toEncoded()}}};
    });
    MainWindowFixture f(forumsFile({forum.address("/moved")}));
    ReportedErrors errors;
    list(f)->setCurrentRow(0);
    run(f, "actOpenAndLogIn");
    QTRY_COMPARE(status(f),
                 QStringLiteral("The page shown is not on the forum's site: nothing was filled in."));
    QVERIFY(f.loads("Login"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=nick]"), QStringLiteral("n"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=pw]"), QStringLiteral("p"));
    QVERIFY(errors.details.isEmpty());
}

void TestPostingRun::submissionMarksTheForum_data()
{
    QTest::addColumn<QByteArray>("insertBy");
    QTest::addColumn<bool>("marked");
    QTest::newRow("after Auto Insert") << QByteArray("btnAutoInsert") << true;
    QTest::newRow("after the subject's Paste") << QByteArray("btnSPaste") << true;
    QTest::newRow("after the body's Paste") << QByteArray("btnBPaste") << true;
    QTest::newRow("after the user name's Paste") << QByteArray("btnUPaste") << false;
    QTest::newRow("without a prior insert") << QByteArray() << false;
}

void TestPostingRun::submissionMarksTheForum()
{
    QFETCH(QByteArray, insertBy);
    QFETCH(bool, marked);
    const QStringList addresses{address("/page_a.html"), address("/post.html"), address("/page_b.html")};
    MainWindowFixture f(forumsFile(addresses));
    ReportedErrors errors;
    f.control<QLineEdit>("edtSubject")->setText("Hello ^ there");
    openForum(f, 1, "Post");
    const int sentBefore = server.requestsFor("POST", "/posted");
    insert(f, insertBy);
    send(f);
    QCOMPARE(server.requestsFor("POST", "/posted"), sentBefore + 1);

    QCOMPARE(marks(f), QList<bool>({false, marked, false}));
    QCOMPARE(rowTexts(f), addresses);
    const QString log = QString::fromStdString(f.read("PostLog.dat"));
    if (marked) {
        static const QRegularExpression line(QStringLiteral(
            "^Time\\^URL\\^Subject\\^\r\n"
            "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d\\^(.*)\\^%escaped\\^\r\n$"));
        const QRegularExpressionMatch m = line.match(log);
        QVERIFY2(m.hasMatch(), qPrintable(log));
        QCOMPARE(m.captured(1), address("/post.html") + QStringLiteral("^Hello %5E there"));
        QCOMPARE(status(f), QStringLiteral("Marked as posted: ") + address("/post.html"));
    } else {
        QCOMPARE(log, QStringLiteral("<missing>"));
    }
    QVERIFY(errors.details.isEmpty());
}

void TestPostingRun::logThatCannotBeWrittenIsReported()
{
    MainWindowFixture f(forumsFile({address("/post.html")}));
    ReportedErrors errors;
    std::filesystem::create_directory(f.appDir / "PostLog.dat");
    f.control<QLineEdit>("edtSubject")->setText("Subject");
    openForum(f, 0, "Post");
    insert(f, "btnAutoInsert");
    send(f);
    // The forum is marked all the same; the error names the file.
    QCOMPARE(marks(f), QList<bool>{true});
    QCOMPARE(errors.details.size(), 1);
    QVERIFY2(errors.details.front().contains("PostLog.dat"), qPrintable(errors.details.front()));
}

void TestPostingRun::changingTheMessageClearsTheMarks_data()
{
    QTest::addColumn<QByteArray>("edit");
    QTest::newRow("subject") << QByteArray("edtSubject");
    QTest::newRow("body") << QByteArray("memBody");
}

void TestPostingRun::changingTheMessageClearsTheMarks()
{
    QFETCH(QByteArray, edit);
    MainWindowFixture f(forumsFile({address("/post.html")}));
    ReportedErrors errors;
    f.control<QLineEdit>("edtSubject")->setText("Subject");
    openForum(f, 0, "Post");
    insert(f, "btnAutoInsert");
    send(f);
    QCOMPARE(marks(f), QList<bool>{true});

    QTest::keyClicks(f.control(edit.constData()), "x");
    QCOMPARE(marks(f), QList<bool>{false});
    // The post page took the message before it changed: sending it again now
    // marks nothing.
    openForum(f, 0, "Post");
    send(f);
    QCOMPARE(marks(f), QList<bool>{false});
    QVERIFY(errors.details.isEmpty());
}

void TestPostingRun::nextForumSkipsMarkedForums()
{
    const QStringList addresses{address("/page_a.html"), address("/post.html"), address("/page_b.html")};
    MainWindowFixture f(forumsFile(addresses));
    ReportedErrors errors;
    f.control<QLineEdit>("edtSubject")->setText("Subject");
    openForum(f, 1, "Post");
    insert(f, "btnAutoInsert");
    send(f);
    QCOMPARE(marks(f), QList<bool>({false, true, false}));

    // From the first forum, past the marked one, then round to the top.
    list(f)->setCurrentRow(0);
    f.control<QLineEdit>("edtUsername")->clear();
    QSignalSpy finished(f.browser(), &QWebEngineView::loadFinished);
    QVERIFY(f.activate());
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(loadsNew(f, finished, "Page B"));
    QCOMPARE(list(f)->currentRow(), 2);
    QCOMPARE(f.control<QLineEdit>("edtURL")->text(), address("/page_b.html"));
    QCOMPARE(f.control<QLineEdit>("edtUsername")->text(), QStringLiteral("alice"));
    finished.clear();
    run(f, "actNextForum");
    QVERIFY(loadsNew(f, finished, "Page A"));
    QCOMPARE(list(f)->currentRow(), 0);

    // The marked forum alone left: every forum is marked.
    run(f, "actRemove");
    list(f)->setCurrentRow(1);
    run(f, "actRemove");
    QCOMPARE(rowTexts(f), QStringList{address("/post.html")});
    QCOMPARE(marks(f), QList<bool>{true});
    run(f, "actNextForum");
    QCOMPARE(status(f), QStringLiteral("Every forum is marked as posted for this message."));
    QCOMPARE(list(f)->currentRow(), -1);
    QCOMPARE(f.browser()->title(), QStringLiteral("Page A"));
    QVERIFY(errors.details.isEmpty());
}

POSTWRIGHT_GUI_TEST_MAIN(TestPostingRun)
#include "tst_postingrun.moc"
