// The message box: the component on the main window, the window it shows, its
// keys and the hook tests answer it with.
#include "FMain.h"
#include "GuiTestMain.h"
#include "MessageBoxAnswers.h"
#include "TMessageDialog.h"
#include "TbsBusinessSkinForm.h"
#include "TbsSkinMessage.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>

Q_DECLARE_METATYPE(TMsgKind)

namespace {

TMsgButtons bits(int b) { return TMsgButtons::fromBits(std::uint16_t(b)); }

constexpr int Yes = 1 << 0, No = 1 << 1, OK = 1 << 2, Cancel = 1 << 3, Abort = 1 << 4, Retry = 1 << 5,
              Ignore = 1 << 6, NoToAll = 1 << 8, Help = 1 << 10;

QFont arial15()
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(15);
    return f;
}

// A component set up as the main window sets up msgMain.
struct Box {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> window;
    TbsSkinMessage *msg = nullptr;
    Box()
    {
        window = std::make_unique<TfrmMain>(std::filesystem::path(dir.path().toStdString()));
        msg = window->findChild<TbsSkinMessage *>(QStringLiteral("msgMain"));
        if (!msg)
            qFatal("no msgMain");
    }
    std::unique_ptr<TMessageDialog> dialog(const std::string &text, TMsgKind kind, int buttons, int help = 0)
    {
        return msg->CreateMessageDialog(text, kind, bits(buttons), help);
    }
};

QSize textSize(const QString &shown) { return QFontMetrics(arial15()).size(Qt::TextExpandTabs, shown); }

QLabel *messageLabel(QWidget *dialog) { return dialog->findChild<QLabel *>(QStringLiteral("Message")); }

void showAndActivate(QWidget *dialog)
{
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
}

// Sends a key where the user's key goes: to the control that has the focus.
void pressKey(QWidget *dialog, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key, mods);
}

} // namespace

class TestMsgBox : public QObject {
    Q_OBJECT

private slots:
    void componentSettings();
    void hookAnswersWithoutAWindow();
    void keys_data();
    void keys();
    void accessKeyOfAButton();
    void showMessageBoxReturnsTheButtonPressed_data();
    void showMessageBoxReturnsTheButtonPressed();
    void closedOtherwiseGivesTwo();
    void helpDoesNotClose();
    void windowFollowsTheGeometry_data();
    void windowFollowsTheGeometry();
    void buttons();
    void iconAndTitleByKind_data();
    void iconAndTitleByKind();
    void textAndAccessKeys_data();
    void textAndAccessKeys();
    void lineBreaks();
    void longLineHeldByTheWorkArea();
    void tallTextScrollsInsideTheWorkArea();
    void fixedCentredDialog();
};

void TestMsgBox::componentSettings()
{
    Box b;
    QCOMPARE(b.window->messageBox(), b.msg);
    QCOMPARE(b.msg->property("SkinData").toString(), QStringLiteral("bsSkinData1"));
    QCOMPARE(b.msg->property("CtrlSkinData").toString(), QStringLiteral("bsSkinData1"));
    QCOMPARE(b.msg->property("ButtonSkinDataName").toString(), QStringLiteral("button"));
    QCOMPARE(b.msg->property("MessageLabelSkinDataName").toString(), QStringLiteral("stdlabel"));
    for (const char *name : {"DefaultFont", "DefaultButtonFont"}) {
        const QFont f = b.msg->property(name).value<QFont>();
        QCOMPARE(f.family(), QStringLiteral("Arial"));
        QCOMPARE(f.pixelSize(), 15);
        QCOMPARE(f.weight(), QFont::Normal);
        QVERIFY(!f.italic());
    }
    QCOMPARE(b.msg->property("UseSkinFont").toBool(), true);
    QCOMPARE(b.msg->property("AlphaBlend").toBool(), false);
    QCOMPARE(b.msg->property("AlphaBlendAnimation").toBool(), false);
    QCOMPARE(b.msg->property("AlphaBlendValue").toInt(), 200);
}

void TestMsgBox::hookAnswersWithoutAWindow()
{
    Box b;
    AnsweredMessageBoxes answered;
    answered.answers = {6};
    QCOMPARE(b.msg->ShowMessageBox("Go \xe9?", TMsgKind::Confirmation, TMsgButton::Yes | TMsgButton::No, 7), 6);
    // Nothing queued: as if the box was closed without a button.
    QCOMPARE(b.msg->ShowMessageBox("Done", TMsgKind::Custom, TMsgButton::OK, 0), 2);

    QCOMPARE(answered.calls.size(), std::size_t(2));
    const TMessageBoxCall &first = answered.calls[0];
    QCOMPARE(first.text, std::string("Go \xe9?"));
    QVERIFY(first.kind == TMsgKind::Confirmation);
    QVERIFY(first.buttons == (TMsgButton::Yes | TMsgButton::No));
    QCOMPARE(first.helpContext, 7);
    QCOMPARE(first.title, std::string("Confirm"));
    QCOMPARE(answered.calls[1].title, std::string("tst_msgbox"));
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TMessageDialog *>(w));
}

void TestMsgBox::keys_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");

    QTest::newRow("OK, Enter") << OK << int(Qt::Key_Return) << 1;
    QTest::newRow("OK, Esc") << OK << int(Qt::Key_Escape) << 1;
    QTest::newRow("OK Cancel, Enter") << (OK | Cancel) << int(Qt::Key_Return) << 1;
    QTest::newRow("OK Cancel, keypad Enter") << (OK | Cancel) << int(Qt::Key_Enter) << 1;
    QTest::newRow("OK Cancel, Esc") << (OK | Cancel) << int(Qt::Key_Escape) << 2;
    QTest::newRow("Yes No, Enter") << (Yes | No) << int(Qt::Key_Return) << 6;
    QTest::newRow("Yes No, Esc") << (Yes | No) << int(Qt::Key_Escape) << 7;
    QTest::newRow("Yes No Cancel, Esc") << (Yes | No | Cancel) << int(Qt::Key_Escape) << 2;
    QTest::newRow("Retry Cancel, Enter") << (Retry | Cancel) << int(Qt::Key_Return) << 4;
    QTest::newRow("Retry Cancel, Esc") << (Retry | Cancel) << int(Qt::Key_Escape) << 2;
    QTest::newRow("Abort Retry Ignore, Enter") << (Abort | Retry | Ignore) << int(Qt::Key_Return) << 4;
}

void TestMsgBox::keys()
{
    QFETCH(int, buttons);
    QFETCH(int, key);
    QFETCH(int, result);

    Box b;
    auto dialog = b.dialog("Proceed?", TMsgKind::Confirmation, buttons);
    showAndActivate(dialog.get());
    pressKey(dialog.get(), Qt::Key(key));
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), result);
}

void TestMsgBox::accessKeyOfAButton()
{
    Box b;
    auto dialog = b.dialog("Proceed?", TMsgKind::Confirmation, Yes | No | NoToAll);
    showAndActivate(dialog.get());
    // "N&oToAll": Alt+O.
    pressKey(dialog.get(), Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), 9);

    // Esc without a cancel button among Abort, Retry and Ignore does nothing.
    auto other = b.dialog("Failed", TMsgKind::Error, Abort | Ignore);
    showAndActivate(other.get());
    pressKey(other.get(), Qt::Key_Escape);
    QTest::qWait(0);
    QVERIFY(other->isVisible());
    other->done(0);
}

void TestMsgBox::showMessageBoxReturnsTheButtonPressed_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter") << int(Qt::Key_Return) << 1;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << 2;
}

void TestMsgBox::showMessageBoxReturnsTheButtonPressed()
{
    QFETCH(int, key);
    QFETCH(int, result);

    Box b;
    bool answered = false;
    QString title;
    // Pressed from inside the box's own modal loop, as a user would.
    QTimer::singleShot(0, this, [&] {
        auto *dialog =
            qobject_cast<TMessageDialog *>(TbsBusinessSkinForm::clientOf(QApplication::activeModalWidget()));
        if (!dialog)
            return;
        title = dialog->windowTitle();
        if (QTest::qWaitForWindowActive(dialog)) {
            pressKey(dialog, Qt::Key(key));
            answered = !dialog->isVisible();
        }
        if (!answered)
            dialog->done(-1); // keeps a failing test from waiting for ever
    });
    QCOMPARE(b.msg->ShowMessageBox("New version.", TMsgKind::Information, TMsgButton::OK | TMsgButton::Cancel, 0),
             result);
    QVERIFY(answered);
    QCOMPARE(title, QStringLiteral("Information"));
    // The window is gone before the call returns.
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(b.window->findChildren<TMessageDialog *>().size(), 0);
}

void TestMsgBox::closedOtherwiseGivesTwo()
{
    Box b;
    auto dialog = b.dialog("Sure?", TMsgKind::Confirmation, Yes | No);
    showAndActivate(dialog.get());
    QVERIFY(dialog->close());
    QCOMPARE(dialog->result(), 2);
}

void TestMsgBox::helpDoesNotClose()
{
    Box b;
    QSignalSpy asked(b.msg, &TbsSkinMessage::helpRequested);
    auto dialog = b.dialog("Read more?", TMsgKind::Information, OK | Help, 42);
    showAndActivate(dialog.get());
    auto *help = dialog->findChild<QPushButton *>(QStringLiteral("Help"));
    QVERIFY(help);
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.at(0).at(0).toInt(), 42);
    QVERIFY(dialog->isVisible());
    // Enter on the focused Help button asks again and still does not close.
    help->setFocus();
    pressKey(dialog.get(), Qt::Key_Return);
    QCOMPARE(asked.size(), 2);
    QVERIFY(dialog->isVisible());
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(dialog->result(), 1);
}

// The window's size and places, from the label's measured size and the rules:
// client width max(50 + label width, W) + 40, at least 120 here; client height
// 25 + label height + 50; buttons from (client width - W) / 2, 80 apart.
void TestMsgBox::windowFollowsTheGeometry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("rowWidth");

    QTest::newRow("one button") << "Saved." << OK << 70;
    QTest::newRow("two buttons") << "Close the program now?" << (OK | Cancel) << 150;
    QTest::newRow("three buttons") << "Save the changes?" << (Yes | No | Cancel) << 230;
    QTest::newRow("long text") << QString("A message long enough to be wider than the buttons below it.\n").repeated(6)
                               << OK << 70;
    QTest::newRow("empty text") << "" << OK << 70;
}

void TestMsgBox::windowFollowsTheGeometry()
{
    QFETCH(QString, text);
    QFETCH(int, buttons);
    QFETCH(int, rowWidth);

    Box b;
    auto dialog = b.dialog(text.toStdString(), TMsgKind::Warning, buttons);
    QLabel *label = messageLabel(dialog.get());
    QVERIFY(label);
    const QSize t = textSize(text.isEmpty() ? QStringLiteral(" ") : text);
    QCOMPARE(label->geometry(), QRect(QPoint(50, 15), t));

    const int width = std::max(std::max(50 + t.width(), rowWidth) + 40, 120);
    const int height = 25 + t.height() + 50;
    QCOMPARE(dialog->size(), QSize(width, height));

    auto *image = dialog->findChild<QLabel *>(QStringLiteral("Image"));
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(5, std::max(10, 15 + t.height() / 2 - 16), 32, 32));

    int left = (width - rowWidth) / 2;
    const QList<QPushButton *> row = dialog->findChildren<QPushButton *>();
    QCOMPARE(row.size(), (rowWidth + 10) / 80);
    for (QPushButton *button : row) {
        QCOMPARE(button->geometry(), QRect(left, height - 25 - 10, 70, 25));
        left += 80;
    }
}

void TestMsgBox::buttons()
{
    Box b;
    auto dialog = b.dialog("Choose", TMsgKind::Confirmation, 0x7FF);
    const QStringList names = {"Yes", "No",     "OK",      "Cancel",   "Abort", "Retry",
                               "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    const QStringList captions = {"&Yes",    "&No",  "OK",       "Cancel",    "&Abort", "&Retry",
                                  "&Ignore", "&All", "N&oToAll", "&YesToAll", "&Help"};
    int lastLeft = INT_MIN;
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto *button = dialog->findChild<QPushButton *>(names[i]);
        QVERIFY2(button, qPrintable(names[i]));
        QCOMPARE(button->text(), captions[i]);
        QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(button->font().family(), QStringLiteral("Arial"));
        QCOMPARE(button->font().pixelSize(), 15);
        QVERIFY(button->x() > lastLeft);
        lastLeft = button->x();
    }
    QCOMPARE(dialog->defaultButton(), dialog->findChild<QPushButton *>("OK"));
    QVERIFY(dialog->defaultButton()->isDefault());
    QCOMPARE(dialog->cancelButton(), dialog->findChild<QPushButton *>("Cancel"));

    // The default button has the focus when the box opens.
    auto yesNo = b.dialog("Choose", TMsgKind::Confirmation, Yes | No);
    showAndActivate(yesNo.get());
    QCOMPARE(QApplication::focusWidget(), yesNo->findChild<QPushButton *>("Yes"));
    yesNo->done(0);
}

void TestMsgBox::iconAndTitleByKind_data()
{
    QTest::addColumn<TMsgKind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon"); // a QStyle::StandardPixmap, or -1 for none

    QTest::newRow("warning") << TMsgKind::Warning << "Warning" << int(QStyle::SP_MessageBoxWarning);
    QTest::newRow("error") << TMsgKind::Error << "Error" << int(QStyle::SP_MessageBoxCritical);
    QTest::newRow("information") << TMsgKind::Information << "Information"
                                 << int(QStyle::SP_MessageBoxInformation);
    QTest::newRow("confirmation") << TMsgKind::Confirmation << "Confirm" << int(QStyle::SP_MessageBoxQuestion);
    // The application title: this executable's name.
    QTest::newRow("custom") << TMsgKind::Custom << "tst_msgbox" << -1;
}

void TestMsgBox::iconAndTitleByKind()
{
    QFETCH(TMsgKind, kind);
    QFETCH(QString, title);
    QFETCH(int, icon);

    Box b;
    auto dialog = b.dialog("Text", kind, OK);
    QCOMPARE(dialog->windowTitle(), title);
    auto *image = dialog->findChild<QLabel *>(QStringLiteral("Image"));
    if (icon < 0) {
        QVERIFY(!image);
        QCOMPARE(messageLabel(dialog.get())->pos(), QPoint(50, 15));
        return;
    }
    QVERIFY(image);
    QCOMPARE(image->size(), QSize(32, 32));
    const QImage shown = image->pixmap().toImage();
    QVERIFY(!shown.isNull());
    const QImage expected =
        dialog->style()->standardIcon(QStyle::StandardPixmap(icon), nullptr, dialog.get()).pixmap(32, 32).toImage();
    QCOMPARE(shown, expected);
}

void TestMsgBox::textAndAccessKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shownAs"); // the characters drawn

    QTest::newRow("single ampersand") << "Fish & Chips" << "Fish  Chips";
    QTest::newRow("marks the next letter") << "Save &as" << "Save as";
    QTest::newRow("doubled ampersand") << "Fish && Chips" << "Fish & Chips";
    QTest::newRow("no ampersand") << "Plain text" << "Plain text";
}

void TestMsgBox::textAndAccessKeys()
{
    QFETCH(QString, text);
    QFETCH(QString, shownAs);

    Box b;
    auto dialog = b.dialog(text.toStdString(), TMsgKind::Information, OK);
    QLabel *label = messageLabel(dialog.get());
    QCOMPARE(label->text(), text);
    QCOMPARE(label->size(), textSize(shownAs));
}

void TestMsgBox::lineBreaks()
{
    Box b;
    const QSize oneLine = messageLabel(b.dialog("one", TMsgKind::Information, OK).get())->size();
    const QSize twoLines = textSize(QStringLiteral("one\ntwo"));
    QVERIFY(twoLines.height() > oneLine.height());
    // CR LF, a lone LF and a lone CR each start one new line.
    for (const char *text : {"one\r\ntwo", "one\ntwo", "one\rtwo"}) {
        auto dialog = b.dialog(text, TMsgKind::Information, OK);
        QCOMPARE(messageLabel(dialog.get())->text(), QStringLiteral("one\ntwo"));
        QCOMPARE(messageLabel(dialog.get())->size(), twoLines);
    }
    // The preview's separator, LF CR LF CR: three line breaks.
    auto preview = b.dialog("S\n\r\n\rB", TMsgKind::Custom, OK);
    QCOMPARE(messageLabel(preview.get())->text(), QStringLiteral("S\n\n\nB"));

    // A long line is not wrapped.
    const std::string wide(120, 'w');
    auto dialog = b.dialog(wide, TMsgKind::Information, OK);
    QCOMPARE(messageLabel(dialog.get())->height(), oneLine.height());
}

void TestMsgBox::longLineHeldByTheWorkArea()
{
    Box b;
    const std::string line(400, 'W');
    auto dialog = b.dialog(line, TMsgKind::Information, OK | Cancel);
    const int workArea = QGuiApplication::primaryScreen()->availableGeometry().width();
    QVERIFY(messageLabel(dialog.get())->width() + 90 > workArea);
    // The whole window, its skinned frame included, is as wide as the work area.
    QCOMPARE(dialog->window()->width(), workArea);
    QVERIFY(dialog->width() < workArea);
    // The buttons are centred in the client area that is left.
    QCOMPARE(dialog->findChild<QPushButton *>("OK")->x(), (dialog->width() - 150) / 2);
    QCOMPARE(dialog->findChild<QPushButton *>("Cancel")->x(), (dialog->width() - 150) / 2 + 80);
}

void TestMsgBox::tallTextScrollsInsideTheWorkArea()
{
    Box b;
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    const int lineHeight = textSize(QStringLiteral("x")).height();
    QString text;
    const int lines = 2 * workArea.height() / lineHeight + 20;
    for (int i = 1; i <= lines; ++i)
        text += QStringLiteral("Line %1 of the preview\n").arg(i);
    text += QStringLiteral("The last line");

    auto dialog = b.dialog(text.toStdString(), TMsgKind::Custom, OK);
    showAndActivate(dialog.get());
    // The whole window, title and buttons included, is on the screen.
    QVERIFY2(workArea.contains(dialog->frameGeometry()),
             qPrintable(QStringLiteral("%1 x %2 at %3, %4").arg(dialog->frameGeometry().width())
                            .arg(dialog->frameGeometry().height()).arg(dialog->frameGeometry().x())
                            .arg(dialog->frameGeometry().y())));
    auto *ok = dialog->findChild<QPushButton *>("OK");
    QVERIFY(dialog->rect().contains(ok->geometry()));
    QCOMPARE(ok->y(), dialog->height() - 25 - 10);
    // The width rule is the one of any box.
    const QSize t = textSize(text);
    QCOMPARE(dialog->width(), std::max(50 + t.width(), 70) + 40);

    // The text scrolls in its view from its first line to its last.
    auto *view = dialog->findChild<QScrollArea *>(QStringLiteral("MessageView"));
    QVERIFY(view);
    QLabel *label = messageLabel(dialog.get());
    QCOMPARE(view->widget(), label);
    QCOMPARE(label->size(), t);
    QCOMPARE(view->geometry().bottom(), ok->y() - 25 - 1);
    QScrollBar *bar = view->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->maximum(), t.height() - view->viewport()->height());
    pressKey(dialog.get(), Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    pressKey(dialog.get(), Qt::Key_PageUp);
    QCOMPARE(bar->value(), bar->maximum() - bar->pageStep());
    pressKey(dialog.get(), Qt::Key_Home);
    QCOMPARE(bar->value(), 0);
    // Enter still answers the box.
    pressKey(dialog.get(), Qt::Key_Return);
    QCOMPARE(dialog->result(), 1);
}

void TestMsgBox::fixedCentredDialog()
{
    Box b;
    auto dialog = b.dialog("Centred", TMsgKind::Information, OK);
    // The skinned frame has no caption buttons and keeps the window's size.
    const TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(dialog.get());
    QVERIFY(frame);
    QCOMPARE(frame->buttons(), TbsBusinessSkinForm::Buttons());
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(!frame->resizable());
    showAndActivate(dialog.get());
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QRect window = dialog->window()->frameGeometry();
    QVERIFY2((window.center() - centre).manhattanLength() <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(window.center().x()).arg(window.center().y())));
    dialog->done(1);
}

POSTWRIGHT_GUI_TEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
