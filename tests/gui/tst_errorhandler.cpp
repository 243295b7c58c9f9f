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

class TestErrorHandler : public QObject {
    Q_OBJECT

private slots:
    void errorInClickHandlerIsReported();
    void errorInTimerHandlerIsReported();
    void dialogShowsAndCopiesDetails();
};

void TestErrorHandler::errorInClickHandlerIsReported()
{
    ReportedErrors errors;
    QPushButton button(QStringLiteral("Fail"));
    int reached = 0, after = 0;
    connect(&button, &QPushButton::clicked, [&] {
        ++reached;
        if (reached == 1)
            throw EFileError("Cannot write file", "/data/Forums.dat", "No space left on device");
        ++after;
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(errors.details, QStringList{"Cannot write file \"/data/Forums.dat\": No space left on device"});
    QCOMPARE(after, 0);

    // The program goes on: the next click runs the handler to its end.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(reached, 2);
    QCOMPARE(after, 1);
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
