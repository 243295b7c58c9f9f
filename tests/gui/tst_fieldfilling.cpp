// Putting the message into the page: the four paste buttons and "Auto Insert".
#include "BrowserTestUtil.h"
#include "Clipboard.h"
#include "Errors.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "TestHttpServer.h"
#include "WidgetText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

// A check on the page: a script expression and the text it must give.
using Checks = QList<QPair<QString, QString>>;

void open(MainWindowFixture &f, const TestHttpServer &server, const QString &page, const QString &title)
{
    // Also when the same page is shown already: wait for the new load.
    QSignalSpy finished(f.browser(), &QWebEngineView::loadFinished);
    auto *edit = f.control<QLineEdit>("edtURL");
    edit->setText(server.address(page));
    QTest::mouseClick(f.control("bsSkinButton2"), Qt::LeftButton);
    if (!finished.wait(15000) || !f.loads(title))
        qFatal("page %s did not load", qPrintable(page));
}

QString applicationWorldTypeOf(TEmbeddedWB *browser, const QString &name)
{
    QVariant result;
    bool done = false;
    browser->page()->runJavaScript(QStringLiteral("typeof window.%1").arg(name),
                                   QWebEngineScript::ApplicationWorld, [&](const QVariant &v) {
                                       result = v;
                                       done = true;
                                   });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("page did not answer");
    return result.toString();
}

} // namespace

class TestFieldFilling : public QObject {
    Q_OBJECT

    // One window for the tests that open pages: each opens its page afresh.
    TestHttpServer server;
    std::unique_ptr<MainWindowFixture> shared;

private slots:
    void initTestCase() { shared = std::make_unique<MainWindowFixture>(); }
    void cleanupTestCase() { shared.reset(); }
    void autoInsert_data();
    void autoInsert();
    void fillFieldResult_data();
    void fillFieldResult();
    void autoInsertWithNoPage();
    void autoInsertLeavesTheWindowFree();
    void lateFillChangesNothing();
    void valuesArriveAsData_data();
    void valuesArriveAsData();
    void pasteButtons_data();
    void pasteButtons();
    void emptyPasteEmptiesTheClipboard();
    void pastedPasswordLeavesTheClipboard();
};

void TestFieldFilling::autoInsert_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<Checks>("checks");

    const QString f0 = QStringLiteral("document.forms[0].");
    QTest::newRow("two forms with a subject") << "/two_forms.html"
                                              << "Two forms"
                                              << "Hello"
                                              << "Line 1\nLine 2"
                                              << Checks{{"document.forms[0].subject.value", "Hello"},
                                                        {"document.forms[1].subject.value", "Hello"},
                                                        // A text area gives its line breaks to scripts as LF.
                                                        {"document.forms[0].body.value", "Line 1\nLine 2"}};
    QTest::newRow("hidden fields, lines joined by CR LF")
        << "/hidden_body.html"
        << "Hidden fields"
        << "Hidden"
        << "a\nb\n\nc" << Checks{{f0 + "subject.value", "Hidden"}, {f0 + "body.value", "a\r\nb\r\n\r\nc"}};
    QTest::newRow("names differing in case") << "/subject_case.html"
                                             << "Case"
                                             << "New"
                                             << "Body"
                                             << Checks{{f0 + "Subject.value", "untouched"},
                                                       {f0 + "SUBJECT.value", "untouched"},
                                                       {f0 + "body.value", "Body"}};
    QTest::newRow("forms only inside a frame")
        << "/frames.html"
        << "Frames"
        << "New"
        << "Body"
        << Checks{{"document.getElementById('inner').contentDocument.forms[0].subject.value", "in the frame"},
                  {"document.getElementById('inner').contentDocument.forms[0].body.value", "in the frame"}};
    QTest::newRow("a page whose scripts would change it") << "/script.html"
                                                          << "Quiet page"
                                                          << "Hello"
                                                          << "Body"
                                                          << Checks{{f0 + "subject.value", "Hello"},
                                                                    {f0 + "marker.value", "untouched"},
                                                                    {"document.title", "Quiet page"}};
    QTest::newRow("a field refusing its value ends the walk")
        << "/file_input.html"
        << "File field"
        << "Hello"
        << "Body"
        << Checks{{"document.forms[0].elements[0].value", "Hello"},
                  {"document.forms[0].elements[2].value", "after"},
                  // The body's walk still runs.
                  {"document.forms[1].body.value", "Body"}};
    QTest::newRow("an empty subject clears the field") << "/two_forms.html"
                                                       << "Two forms"
                                                       << ""
                                                       << ""
                                                       << Checks{{"document.forms[0].subject.value", ""},
                                                                 {"document.forms[1].subject.value", ""},
                                                                 {"document.forms[0].body.value", ""}};
    QTest::newRow("controls named like the collections")
        << "/shadowing.html"
        << "Shadowing names"
        << "Hello"
        << ""
        << Checks{{"document.querySelector('[name=subject]').value", "Hello"},
                  {"document.querySelector('[name=length]').value", "x"}};
}

void TestFieldFilling::autoInsert()
{
    QFETCH(QString, page);
    QFETCH(QString, title);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(Checks, checks);
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    open(f, server, page, title);
    f.control<QLineEdit>("edtSubject")->setText(subject);
    f.control<QPlainTextEdit>("memBody")->setPlainText(body);

    QTest::mouseClick(f.control("btnAutoInsert"), Qt::LeftButton);
    // The fill reaches the page before the test's reads do: the page runs
    // scripts in the order they come.
    for (const auto &[expression, expected] : checks)
        QCOMPARE(BrowserTestUtil::evaluate(f.browser(), expression).toString(), expected);
    QVERIFY(errors.details.isEmpty());
}

void TestFieldFilling::fillFieldResult_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("set");
    QTest::newRow("matches") << "/two_forms.html"
                             << "Two forms" << QByteArray("subject") << true;
    QTest::newRow("no such name") << "/two_forms.html"
                                  << "Two forms" << QByteArray("message") << false;
    QTest::newRow("other case") << "/subject_case.html"
                                << "Case" << QByteArray("subject") << false;
    QTest::newRow("frames") << "/frames.html"
                            << "Frames" << QByteArray("subject") << false;
    QTest::newRow("no forms") << "/page_a.html"
                              << "Page A" << QByteArray("subject") << false;
    QTest::newRow("set before the walk ended") << "/file_input.html"
                                               << "File field" << QByteArray("subject") << true;
}

void TestFieldFilling::fillFieldResult()
{
    QFETCH(QString, page);
    QFETCH(QString, title);
    QFETCH(QByteArray, name);
    QFETCH(bool, set);
    MainWindowFixture &f = *shared;
    open(f, server, page, title);
    QCOMPARE(f.browser()->FillField(name.toStdString(), "value"), set);
}

void TestFieldFilling::autoInsertWithNoPage()
{
    MainWindowFixture f;
    ReportedErrors errors;
    f.control<QLineEdit>("edtSubject")->setText("Hello");
    QTest::mouseClick(f.control("btnAutoInsert"), Qt::LeftButton);
    // The engine running, still with nothing loaded.
    f.browser()->startEngine();
    QTest::mouseClick(f.control("btnAutoInsert"), Qt::LeftButton);
    QVERIFY(errors.details.isEmpty());
    QVERIFY(!f.browser()->FillField("subject", "Hello"));
    QVERIFY(f.browser()->url().isEmpty());
}

namespace {

// Keeps the page's one thread at work until the server answers "/busy": a
// page with a great many fields keeps it busy the same way.
void keepThePageBusy(MainWindowFixture &f, TestHttpServer &server)
{
    server.hold("/busy");
    f.browser()->page()->runJavaScript(QStringLiteral("var x = new XMLHttpRequest(); x.open('GET', '/busy', false); "
                                                      "x.send(); 'done';"),
                                       QWebEngineScript::UserWorld);
    if (!QTest::qWaitFor([&] { return server.heldOpen() == 1; }, 15000))
        qFatal("the page did not ask for /busy");
}

} // namespace

void TestFieldFilling::autoInsertLeavesTheWindowFree()
{
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    open(f, server, "/two_forms.html", "Two forms");
    f.control<QLineEdit>("edtSubject")->setText("Free");
    f.control<QPlainTextEdit>("memBody")->setPlainText("Body");
    keepThePageBusy(f, server);

    // The click returns while the page is still at work, and the window
    // takes the user's typing meanwhile.
    QTest::mouseClick(f.control("btnAutoInsert"), Qt::LeftButton);
    QCOMPARE(server.heldOpen(), 1);
    QVERIFY(errors.details.isEmpty());
    auto *body = f.control<QPlainTextEdit>("memBody");
    QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(body, " typed");
    QCOMPARE(body->toPlainText(), QStringLiteral("Body typed"));
    struct PaintSpy : QObject {
        bool painted = false;
        bool eventFilter(QObject *, QEvent *e) override
        {
            painted = painted || e->type() == QEvent::Paint;
            return false;
        }
    } spy;
    f.control("edtSubject")->installEventFilter(&spy);
    f.control("edtSubject")->update();
    QTRY_VERIFY(spy.painted);
    f.control("edtSubject")->removeEventFilter(&spy);
    QCOMPARE(server.heldOpen(), 1);

    // Once the page is free the fill completes, with what the editor held
    // at the click.
    server.answerHeld({200, "ok", "text/plain"});
    QTRY_COMPARE(BrowserTestUtil::valueOf(f.browser(), "#second [name=subject]"), QStringLiteral("Free"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "#first [name=subject]"), QStringLiteral("Free"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "#first [name=body]"), QStringLiteral("Body"));
    QVERIFY(errors.details.isEmpty());
}

// A fill the page begins only after the browser gave up on it is reported
// once, and changes nothing in the page.
void TestFieldFilling::lateFillChangesNothing()
{
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    open(f, server, "/two_forms.html", "Two forms");
    f.control<QLineEdit>("edtSubject")->setText("Late");
    f.control<QPlainTextEdit>("memBody")->setPlainText("Late body");
    f.browser()->setPageAnswerTimeout(std::chrono::milliseconds(0));
    struct Restore {
        TEmbeddedWB *browser;
        ~Restore() { browser->setPageAnswerTimeout(std::chrono::milliseconds(10000)); }
    } restore{f.browser()};
    keepThePageBusy(f, server);
    QTest::mouseClick(f.control("btnAutoInsert"), Qt::LeftButton);
    QVERIFY(errors.details.isEmpty());
    server.answerHeld({200, "ok", "text/plain"});
    QTRY_COMPARE(errors.details.size(), 1);
    QVERIFY2(errors.details.front().contains("did not answer"), qPrintable(errors.details.front()));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "#first [name=subject]"), QStringLiteral("old one"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "#second [name=subject]"), QStringLiteral("old two"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "#first [name=body]"), QStringLiteral("old body"));
    // The same for the walk a caller waits for.
    QVERIFY_THROWS_EXCEPTION(EError, f.browser()->FillField("subject", "Late"));
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "#first [name=subject]"), QStringLiteral("old one"));
    QCOMPARE(errors.details.size(), 1);
}

void TestFieldFilling::valuesArriveAsData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("double quotes") << QByteArray(
        R"(say "hi" "); window.injected = document.title = 'injected'; (")");
    QTest::newRow("single quotes") << QByteArray(
        R"(it's '); window.injected = document.title = 'injected'; (')");
    QTest::newRow("backslashes") << QByteArray(R"(C:\path\n\u0041\\" \)");
    QTest::newRow("end of the data") << QByteArray(
        R"("]]); window.injected = document.title = 'injected'; //)");
    QTest::newRow("script end tag") << QByteArray(
        "</script><script>window.injected = document.title = 'injected'</script>");
    QTest::newRow("line breaks") << QByteArray("a\r\nb\nc\rd\r\n");
    QTest::newRow("line and paragraph separators")
        << QByteArray("one\xE2\x80\xA8two\xE2\x80\xA9three');window.injected=document.title='injected';('");
    QByteArray ascii;
    for (int c = 1; c < 128; ++c)
        ascii += char(c);
    QTest::newRow("every ASCII byte") << ascii;
    QTest::newRow("NUL inside") << QByteArray("a\0b", 3);
    QTest::newRow("8-bit text") << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                              "e, \xE2\x82\xAC 5, \xF0\x9F\x98\x80 \xEF\xBF\xBF");
}

void TestFieldFilling::valuesArriveAsData()
{
    QFETCH(QByteArray, bytes);
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    open(f, server, "/hidden_body.html", "Hidden fields");
    const std::string value(bytes.constData(), std::size_t(bytes.size()));
    // Hidden fields keep a value exactly as set; text fields drop line breaks.
    std::vector<bool> set;
    try {
        set = f.browser()->FillFields({{"subject", value}, {"body", value}});
    } catch (const EError &e) {
        QFAIL(e.what());
    }
    QVERIFY(set == std::vector<bool>({true, true}));
    for (const char *field : {"subject", "body"}) {
        const QString shown = BrowserTestUtil::valueOf(f.browser(), QStringLiteral("[name=%1]").arg(field));
        QCOMPARE(QByteArray::fromStdString(WidgetText::fromWidget(shown)), bytes);
    }
    QCOMPARE(f.browser()->title(), QStringLiteral("Hidden fields"));
    QCOMPARE(applicationWorldTypeOf(f.browser(), "injected"), QStringLiteral("undefined"));
    QVERIFY(errors.details.isEmpty());
}

void TestFieldFilling::pasteButtons_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("takesFocus");
    QTest::newRow("subject") << QByteArray("btnSPaste") << QByteArray("edtSubject") << "My subject"
                             << "[name=subject]"
                             << "My subject"
                             << "My subject" << false;
    QTest::newRow("body, lines joined by CR LF")
        << QByteArray("btnBPaste") << QByteArray("memBody") << "line 1\nline 2"
        << "[name=body]"
        << "line 1\r\nline 2"
        << "line 1\nline 2" << true;
    QTest::newRow("user name") << QByteArray("btnUPaste") << QByteArray("edtUsername") << "alice"
                               << "[name=user]"
                               << "alice"
                               << "alice" << false;
    // The password itself, not its mask.
    QTest::newRow("password") << QByteArray("btnWPaste") << QByteArray("edtPassword") << "s3cr\xC3\xA9t"
                              << "[name=pass]"
                              << "s3cr\xC3\xA9t"
                              << "s3cr\xC3\xA9t" << false;
}

void TestFieldFilling::pasteButtons()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, edit);
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, clipboard);
    QFETCH(QString, pasted);
    QFETCH(bool, takesFocus);
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    if (auto *memo = f.window->findChild<QPlainTextEdit *>(QLatin1String(edit)))
        memo->setPlainText(text);
    else
        f.control<QLineEdit>(edit.constData())->setText(text);
    open(f, server, "/paste.html", "Paste");
    QVERIFY(f.activate());
    QGuiApplication::clipboard()->setText("earlier content");

    // The user clicks into the page's field, then on the button.
    QVERIFY(BrowserTestUtil::focusField(f.browser(), field));
    QTest::mouseClick(f.control(button.constData()), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    QTRY_COMPARE(BrowserTestUtil::valueOf(f.browser(), field), pasted);
    QCOMPARE(QApplication::focusWidget() == f.control(button.constData()), takesFocus);
    if (!takesFocus)
        QCOMPARE(QApplication::focusWidget(), f.browser()->focusProxy());
    QVERIFY(errors.details.isEmpty());
    // Only the password is marked as a secret for clipboard managers.
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->hasFormat("x-kde-passwordManagerHint"), button == "btnWPaste");
    if (button == "btnWPaste")
        QCOMPARE(data->data("x-kde-passwordManagerHint"), QByteArray("secret"));
}

void TestFieldFilling::pastedPasswordLeavesTheClipboard()
{
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    QCOMPARE(Clipboard::secretLifetime(), std::chrono::milliseconds(10000));
    struct Restore {
        ~Restore() { Clipboard::setSecretLifetime(std::chrono::milliseconds(10000)); }
    } restore;
    Clipboard::setSecretLifetime(std::chrono::milliseconds(100));
    f.control<QLineEdit>("edtPassword")->setText("hunter2");
    f.control<QLineEdit>("edtUsername")->setText("alice");

    QTest::mouseClick(f.control("btnWPaste"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hunter2"));
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), QString());

    // What replaced the password stays.
    QTest::mouseClick(f.control("btnWPaste"), Qt::LeftButton);
    QTest::mouseClick(f.control("btnUPaste"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("alice"));
    QTest::qWait(400);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("alice"));

    // A second password paste restarts the time for the password it put there.
    Clipboard::setSecretLifetime(std::chrono::milliseconds(300));
    QTest::mouseClick(f.control("btnWPaste"), Qt::LeftButton);
    f.control<QLineEdit>("edtPassword")->setText("other");
    QTest::mouseClick(f.control("btnWPaste"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("other"));
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), QString());
    QVERIFY(errors.details.isEmpty());
}

void TestFieldFilling::emptyPasteEmptiesTheClipboard()
{
    MainWindowFixture &f = *shared;
    ReportedErrors errors;
    open(f, server, "/paste.html", "Paste");
    QVERIFY(f.activate());
    QVERIFY(BrowserTestUtil::focusField(f.browser(), "[name=subject]"));
    f.control<QLineEdit>("edtSubject")->clear();
    auto *earlier = new QMimeData;
    earlier->setText("earlier content");
    earlier->setHtml("<b>earlier content</b>");
    QGuiApplication::clipboard()->setMimeData(earlier);
    QTest::mouseClick(f.control("btnSPaste"), Qt::LeftButton);
    // The earlier content is gone in every format.
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasHtml());
    // Nothing is inserted: a paste with something would have shown by now,
    // after a round trip through the page.
    QCOMPARE(BrowserTestUtil::valueOf(f.browser(), "[name=subject]"), QString());
    QVERIFY(errors.details.isEmpty());
}

POSTWRIGHT_GUI_TEST_MAIN(TestFieldFilling)
#include "tst_fieldfilling.moc"
