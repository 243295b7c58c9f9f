// The general error handling: an error escaping a handler is shown, the rest
// of that handler is skipped, and the program goes on.
#include "Errors.h"
#include "GuiTestMain.h"
#include "TErrorDialog.h"
#include "TestFiles.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace fs = std::filesystem;

namespace {

// A handler object like the windows': one method that fails the first time.
struct Handlers {
    int reached = 0, after = 0;
    void click()
    {
        ++reached;
        if (reached == 1)
            throw EFileError("Cannot write file", "/data/Forums.dat", "No space left on device");
        ++after;
    }
};

// An object whose own event handler fails.
class Failing : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw EError("event handler failed");
        return QObject::event(e);
    }
};

// Stands in for the desktop's mail program.
class MailProgram : public QObject {
    Q_OBJECT
public:
    MailProgram() { QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "open"); }
    ~MailProgram() override { QDesktopServices::unsetUrlHandler(QStringLiteral("mailto")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestErrorHandler : public QObject {
    Q_OBJECT

private slots:
    void errorInClickHandlerIsReported();
    void errorInTimerHandlerIsReported();
    void errorInEventHandlerIsReported();
    void dialogShowsAndCopiesDetails();
    void sendOpensAMailToTheMaker();
    void everyReportGoesToTheLog();
};

void TestErrorHandler::errorInClickHandlerIsReported()
{
    ReportedErrors errors;
    QPushButton button(QStringLiteral("Fail"));
    Handlers h;
    connect(&button, &QPushButton::clicked, ErrorHandler::guarded(&h, &Handlers::click));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(errors.details, QStringList{"Cannot write file \"/data/Forums.dat\": No space left on device"});
    QCOMPARE(h.after, 0);

    // The program goes on: the next click runs the handler to its end.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(h.reached, 2);
    QCOMPARE(h.after, 1);
    QCOMPARE(errors.details.size(), 1);
}

void TestErrorHandler::errorInTimerHandlerIsReported()
{
    ReportedErrors errors;
    QTimer::singleShot(0, [] { throw EListError(7); });
    QTimer::singleShot(0, [] { throw 42; });
    QTRY_COMPARE(errors.details.size(), 2);
    QCOMPARE(errors.details[0], QStringLiteral("List index out of bounds (7)"));
    QCOMPARE(errors.details[1], QStringLiteral("Unknown error"));
}

void TestErrorHandler::errorInEventHandlerIsReported()
{
    ReportedErrors errors;
    Failing failing;
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QTRY_COMPARE(errors.details, QStringList{"event handler failed"});
    // The loop still delivers events afterwards.
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    QTRY_VERIFY(delivered);
}

void TestErrorHandler::dialogShowsAndCopiesDetails()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    TErrorDialog dialog(QStringLiteral("Cannot open file \"x\": Is a directory"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.findChild<QLabel *>("lblMessage")->text(),
             QStringLiteral("An error has occurred during program execution."));
    QCOMPARE(dialog.findChild<QPlainTextEdit *>("memDetails")->toPlainText(),
             QStringLiteral("Cannot open file \"x\": Is a directory"));
    QTest::mouseClick(dialog.findChild<QPushButton *>("btnCopy"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Cannot open file \"x\": Is a directory"));
    QVERIFY(dialog.isVisible());
    QTest::mouseClick(dialog.findChild<QPushButton *>("btnOK"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

void TestErrorHandler::sendOpensAMailToTheMaker()
{
    MailProgram mail;
    TErrorDialog dialog(QStringLiteral("Cannot write file \"/d/Forums.dat\": Read-only file system\nline 2 & more"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton *>("btnSend"), Qt::LeftButton);
    QCOMPARE(mail.opened.size(), 1);
    const QUrl url = mail.opened.first();
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    QCOMPARE(url.path(), QStringLiteral("support@postwright.example"));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded),
             QStringLiteral("An error has occurred during program execution.\r\n\r\n"
                            "Cannot write file \"/d/Forums.dat\": Read-only file system\r\nline 2 & more\r\n"));
    // Nothing is sent: the dialog stays until the user closes it.
    QVERIFY(dialog.isVisible());
}

void TestErrorHandler::everyReportGoesToTheLog()
{
    QTemporaryDir dir;
    const auto log = dirOf(dir) / "error.log";
    ErrorHandler::setLog(log, "Postwright 1.01");
    {
        ReportedErrors errors;
        ErrorHandler::report(QStringLiteral("first error\nits second line"));
        ErrorHandler::report(QStringLiteral("second error"));
        QCOMPARE(errors.details, (QStringList{"first error\nits second line", "second error"}));
    }
    const QString text = QString::fromStdString(readBytes(log));
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d Postwright 1.01\n"
                                "  first error\n  its second line\n"
                                "\\S+ Postwright 1.01\n  second error\n$")
                 .match(text)
                 .hasMatch(),
             qPrintable(text));

    // A log that cannot be written does not hide the error; the user learns why
    // it is missing from the log.
    fs::remove(log);
    fs::create_directory(log);
    {
        ReportedErrors errors;
        ErrorHandler::report(QStringLiteral("third error"));
        QCOMPARE(errors.details.size(), 1);
        QVERIFY(errors.details[0].startsWith("third error\n\nThis error could not be written to the error log: "));
        QVERIFY(errors.details[0].contains(QString::fromStdString(log.string())));
    }
    ErrorHandler::setLog({}, {});
}

POSTWRIGHT_GUI_TEST_MAIN(TestErrorHandler)
#include "tst_errorhandler.moc"
