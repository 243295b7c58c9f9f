// Preview and Copy: the marked-up subject and body in a box, the marked-up body
// on the clipboard.
#include "FMain.h"
#include "GuiTestMain.h"
#include "MessageBoxAnswers.h"
#include "TMessageDialog.h"
#include "TbsBusinessSkinForm.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// "html" and "ubb" with an unnamed template between them, which the chooser
// does not offer: "ubb" is the chooser's third entry and the list's third
// template.
const std::string kFormats = "Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\n"
                             "html^<a href=\"^\">^</a>^mailto:^\r\n"
                             "^((^||^))^mail:^\r\n"
                             "ubb^[url=^]^[/url]^mailto:^\r\n";

struct Window {
    // An error escaping a handler would open the modal error dialog.
    ReportedErrors errors;
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> w;
    Window()
    {
        std::ofstream out(fs::path(dir.path().toStdString()) / "Formats.dat", std::ios::binary);
        out << kFormats;
        out.close();
        w = std::make_unique<TfrmMain>(fs::path(dir.path().toStdString()));
    }
    template <class T>
    T *control(const char *name)
    {
        return child<T>(*w, name);
    }
    // Types the subject and the body's lines as a user does; what the keyboard
    // simulation cannot type (letters beyond ASCII) is pasted in.
    void type(const QString &subject, const QStringList &bodyLines)
    {
        auto *edt = control<QLineEdit>("edtSubject");
        if (isAscii(subject))
            QTest::keyClicks(edt, subject);
        else
            edt->insert(subject);
        auto *body = control<QPlainTextEdit>("memBody");
        for (qsizetype i = 0; i < bodyLines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(body, Qt::Key_Return);
            if (isAscii(bodyLines[i]))
                QTest::keyClicks(body, bodyLines[i]);
            else
                body->insertPlainText(bodyLines[i]);
        }
    }
    static bool isAscii(const QString &s)
    {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 128; });
    }
    void choose(const QString &format)
    {
        auto *cbx = control<QComboBox>("cbxFormat");
        cbx->setCurrentIndex(cbx->findText(format));
        QCOMPARE(cbx->currentText(), format);
    }
    void click(const char *button)
    {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
        QCOMPARE(errors.details, QStringList());
    }
};

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

} // namespace

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void preview_data();
    void preview();
    void previewInTheRealBox();
    void previewDrawsEveryAmpersand();
    void copy_data();
    void copy();
    void copyReplacesWhatTheClipboardHeld();
    void windowMarkupUsesItsTemplates();
};

void TestPreview::preview_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<QByteArray>("shown");

    const QStringList body = {"Visit http://example.com/x now", "or write to me@example.org."};
    QTest::newRow("text") << "text" << "Hello http://a.b, me@c.de" << body
                          << QByteArray("Hello http://a.b, me@c.de\n\r\n\r"
                                        "Visit http://example.com/x now\r\nor write to me@example.org.");
    QTest::newRow("html") << "html" << "See http://a.b/c" << body
                          << QByteArray("See <a href=\"http://a.b/c\">http://a.b/c</a>\n\r\n\r"
                                        "Visit <a href=\"http://example.com/x\">http://example.com/x</a> now\r\n"
                                        "or write to <a href=\"mailto:me@example.org\">me@example.org</a>.");
    QTest::newRow("ubb, past the unnamed template")
        << "ubb" << "Mail me@c.de" << QStringList{"http://x.y"}
        << QByteArray("Mail [url=mailto:me@c.de]me@c.de[/url]\n\r\n\r[url=http://x.y]http://x.y[/url]");
    QTest::newRow("empty subject adds no separator")
        << "html" << "" << QStringList{"Line one", "http://x.y"}
        << QByteArray("Line one\r\n<a href=\"http://x.y\">http://x.y</a>");
    QTest::newRow("empty subject and body") << "html" << "" << QStringList{} << QByteArray();
    QTest::newRow("subject alone") << "text" << "Only a subject" << QStringList{}
                                   << QByteArray("Only a subject\n\r\n\r");
    // The box would take a single "&" as an access key: each is doubled, so
    // the box shows them all.
    QTest::newRow("ampersands shown as typed")
        << "text" << "Q&A" << QStringList{"http://x.com/?a=1&b=2", "R&&D"}
        << QByteArray("Q&&A\n\r\n\rhttp://x.com/?a=1&&b=2\r\nR&&&&D");
    QTest::newRow("8-bit text") << "text" << QString::fromUtf8("Gr\u00fc\u00dfe") << QStringList{"caf\u00e9"}
                                << QByteArray("Gr\xc3\xbc\xc3\x9f" "e\n\r\n\rcaf\xc3\xa9");
}

void TestPreview::preview()
{
    QFETCH(QString, format);
    QFETCH(QString, subject);
    QFETCH(QStringList, body);
    QFETCH(QByteArray, shown);

    Window win;
    win.choose(format);
    win.type(subject, body);
    AnsweredMessageBoxes answered;
    win.click("btnPreview");

    QCOMPARE(answered.calls.size(), std::size_t(1));
    const TMessageBoxCall &call = answered.calls.front();
    QCOMPARE(QByteArray::fromStdString(call.text), shown);
    QVERIFY(call.kind == TMsgKind::Custom);
    QVERIFY(call.buttons == TMsgButtons(TMsgButton::OK));
    QCOMPARE(call.helpContext, 0);
    QCOMPARE(call.title, std::string("tst_preview"));
    // Preview changes nothing it reads.
    QCOMPARE(win.control<QLineEdit>("edtSubject")->text(), subject);
    QCOMPARE(win.control<QPlainTextEdit>("memBody")->toPlainText(), body.join('\n'));
    QCOMPARE(win.control<QComboBox>("cbxFormat")->currentText(), format);
}

void TestPreview::previewInTheRealBox()
{
    Window win;
    win.choose("html");
    win.type("Hi", {"http://x.y now", "bye"});
    QString title, text;
    bool closed = false;
    QTimer::singleShot(0, this, [&] {
        auto *box =
            qobject_cast<TMessageDialog *>(TbsBusinessSkinForm::clientOf(QApplication::activeModalWidget()));
        if (!box)
            return;
        title = box->windowTitle();
        text = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
        if (QTest::qWaitForWindowActive(box)) {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            closed = !box->isVisible();
        }
        if (!closed)
            box->done(-1); // keeps a failing test from waiting for ever
    });
    win.click("btnPreview");
    QVERIFY(closed);
    QCOMPARE(title, QStringLiteral("tst_preview"));
    QCOMPARE(text, QStringLiteral("Hi\n\n\n<a href=\"http://x.y\">http://x.y</a> now\nbye"));
    QVERIFY(!win.w->findChild<TMessageDialog *>());
}

// The box draws what the user typed: its label is exactly as large as the
// text drawn without access keys.
void TestPreview::previewDrawsEveryAmpersand()
{
    Window win;
    win.type("Q&A", {"http://x.com/?a=1&b=2"});
    QSize shown, typed;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<TMessageDialog *>(TbsBusinessSkinForm::clientOf(QApplication::activeModalWidget()));
        if (!box)
            return;
        auto *label = box->findChild<QLabel *>(QStringLiteral("Message"));
        shown = label->size();
        typed = QFontMetrics(label->font()).size(Qt::TextExpandTabs, QStringLiteral("Q&A\n\n\nhttp://x.com/?a=1&b=2"));
        box->done(1);
    });
    win.click("btnPreview");
    QVERIFY(typed.isValid());
    QCOMPARE(shown, typed);
    // Copy is not a box: its text keeps single ampersands.
    win.click("btnCopy");
    QCOMPARE(clipboardText(), QStringLiteral("http://x.com/?a=1&b=2"));
}

void TestPreview::copy_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<QString>("copied");

    QTest::newRow("text") << "text" << QStringList{"See http://a.b here", "me@c.de"}
                          << "See http://a.b here\r\nme@c.de";
    QTest::newRow("html") << "html" << QStringList{"See http://a.b here", "me@c.de"}
                          << "See <a href=\"http://a.b\">http://a.b</a> here\r\n"
                             "<a href=\"mailto:me@c.de\">me@c.de</a>";
    QTest::newRow("ubb") << "ubb" << QStringList{"http://a.b"} << "[url=http://a.b]http://a.b[/url]";
    QTest::newRow("empty body") << "html" << QStringList{} << "";
}

void TestPreview::copy()
{
    QFETCH(QString, format);
    QFETCH(QStringList, body);
    QFETCH(QString, copied);

    Window win;
    win.choose(format);
    // The subject is not copied.
    win.type("Subject http://s.t", body);
    QGuiApplication::clipboard()->setText(QStringLiteral("held before"));
    AnsweredMessageBoxes answered;
    win.click("btnCopy");
    QCOMPARE(clipboardText(), copied);
    QVERIFY(answered.calls.empty());
}

void TestPreview::copyReplacesWhatTheClipboardHeld()
{
    Window win;
    win.choose("html");
    win.type("", {"http://a.b"});
    auto *held = new QMimeData;
    held->setHtml(QStringLiteral("<b>old</b>"));
    held->setText(QStringLiteral("old"));
    held->setData(QStringLiteral("application/x-other"), "x");
    QGuiApplication::clipboard()->setMimeData(held);

    win.click("btnCopy");
    const QMimeData *now = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(now->text(), QStringLiteral("<a href=\"http://a.b\">http://a.b</a>"));
    QVERIFY(!now->hasHtml());
    QVERIFY(!now->hasFormat(QStringLiteral("application/x-other")));
}

void TestPreview::windowMarkupUsesItsTemplates()
{
    Window win;
    // Index 1 is the second named template, "ubb", past the unnamed one.
    QCOMPARE(win.w->MarkupText("go http://a.b", 1), std::string("go [url=http://a.b]http://a.b[/url]"));
    QCOMPARE(win.w->MarkupText("go http://a.b", -1), std::string("go http://a.b"));
    QCOMPARE(win.w->WrapURL(" http://a.b\r\n", 0), std::string("<a href=\"http://a.b\">http://a.b</a>"));
    QCOMPARE(win.w->WrapEmail("\tme@c.de ", 1), std::string("[url=mailto:me@c.de]me@c.de[/url]"));
    QCOMPARE(win.w->WrapEmail("\tme@c.de ", -1), std::string("me@c.de"));
}

POSTWRIGHT_GUI_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
