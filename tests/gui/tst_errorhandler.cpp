// The general error handling: an error escaping a handler is shown, the rest
// of that handler is skipped, and the program goes on.
#include "Errors.h"
#include "GuiTestMain.h"
#include "TErrorDialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

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

} // namespace

class TestErrorHandler : public QObject {
    Q_OBJECT

private slots:
    void errorInClickHandlerIsReported();
    void errorInTimerHandlerIsReported();
    void errorInEventHandlerIsReported();
    void dialogShowsAndCopiesDetails();
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

POSTWRIGHT_GUI_TEST_MAIN(TestErrorHandler)
#include "tst_errorhandler.moc"
