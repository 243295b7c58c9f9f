// The main window: its layout, its start-up sequence and its end.
#include "TestFiles.h"
#include "FMain.h"
#include "GuiTestMain.h"
#include "TApplication.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {



QStringList chooserEntries(TfrmMain &w)
{
    auto *cbx = w.findChild<QComboBox *>("cbxFormat");
    QStringList entries;
    for (int i = 0; i < cbx->count(); ++i)
        entries << cbx->itemText(i);
    return entries;
}

// Where a control lies inside the window's client area.
QRect placeInWindow(TfrmMain &w, const char *name)
{
    QWidget *c = child(w, name);
    return QRect(c->mapTo(&w, QPoint(0, 0)), c->size());
}

} // namespace

class TestFMain : public QObject {
    Q_OBJECT

private slots:
    void noDataFiles();
    void ownIconComesWithTheFirstFrame_data();
    void ownIconComesWithTheFirstFrame();
    void listsAndChooserFromFiles();
    void designPlaces_data();
    void designPlaces();
    void resizingFollowsDockingAndAnchors_data();
    void resizingFollowsDockingAndAnchors();
    void topBar();
    void browserToolButtons();
    void forumTabOrder();
    void bannerCentring_data();
    void bannerCentring();
    void startupTimerRunsOnce();
    void bodyScrollBarFollowsTheBody();
    void failingStartupStepStillShowsWindow_data();
    void failingStartupStepStillShowsWindow();
};

void TestFMain::noDataFiles()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    QCOMPARE(w.windowTitle(), QStringLiteral("Postwright"));
    QCOMPARE(w.size(), QSize(858, 566));
    QCOMPARE(w.findChild<QListWidget *>("lvwForums")->count(), 0);
    QCOMPARE(chooserEntries(w), QStringList{"text"});
    QCOMPARE(w.findChild<QComboBox *>("cbxFormat")->currentIndex(), 0);
    QCOMPARE(frmMain, &w);
    // Nothing is written at start.
    QVERIFY(fs::is_empty(dirOf(dir)));
}

void TestFMain::ownIconComesWithTheFirstFrame_data()
{
    QTest::addColumn<bool>("brandingIcon");
    QTest::newRow("own icon") << false;
    QTest::newRow("branding icon set first") << true;
}

// The program's own icon goes on the windows once the first one is drawn,
// unless an icon (a branding file's) is there by then.
void TestFMain::ownIconComesWithTheFirstFrame()
{
    QFETCH(bool, brandingIcon);
    QPixmap blue(32, 32);
    blue.fill(Qt::blue);
    QApplication::setWindowIcon(brandingIcon ? QIcon(blue) : QIcon());
    const qint64 before = QApplication::windowIcon().cacheKey();

    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    TApplication::setOwnIconAfterFirstFrame(&w);
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::windowIcon().cacheKey(), before);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window()));
    if (brandingIcon) {
        QTest::qWait(100);
        QCOMPARE(QApplication::windowIcon().cacheKey(), before);
        return;
    }
    QVERIFY(QTest::qWaitFor([] { return !QApplication::windowIcon().isNull(); }));
    // Drawn for every size a desktop asks for, on the window too.
    QCOMPARE(w.windowIcon().availableSizes(),
             (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    QCOMPARE(w.window()->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

void TestFMain::listsAndChooserFromFiles()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Forums.dat",
               "URL^Username^Password^\r\nhttp://one.example/^u1^p1^\r\nhttp://two.example/^u2^^\r\n");
    writeBytes(dirOf(dir) / "Formats.dat",
               "Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\nhtml^<a href=\"^\">^</a>^mailto:^\r\n"
               "^x^y^z^^\r\nubb^[url=^]^[/url]^mailto:^\r\n");
    writeBytes(dirOf(dir) / "Messages.dat", "Subject^Body^\r\nHi^There^\r\n");
    TfrmMain w(dirOf(dir));
    auto *lvw = w.findChild<QListWidget *>("lvwForums");
    QCOMPARE(lvw->count(), 2);
    QCOMPARE(lvw->item(0)->text(), QStringLiteral("http://one.example/"));
    QCOMPARE(lvw->item(1)->text(), QStringLiteral("http://two.example/"));
    QVERIFY(lvw->selectedItems().isEmpty());
    QCOMPARE(lvw->currentRow(), -1);
    QCOMPARE(chooserEntries(w), (QStringList{"text", "html", "ubb"}));
    QCOMPARE(w.findChild<QComboBox *>("cbxFormat")->currentIndex(), 0);
    QCOMPARE(w.messages().count(), 1);
    QCOMPARE(w.formats().count(), 3);
}

void TestFMain::designPlaces_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QRect>("place");
    // Places inside the window's client area at its design size.
    QTest::newRow("top bar") << QByteArray("bsSkinPanel1") << QRect(0, 0, 858, 33);
    QTest::newRow("banner") << QByteArray("panBanner") << QRect(0, 33, 858, 65);
    QTest::newRow("footer") << QByteArray("panLinks") << QRect(0, 527, 858, 39);
    QTest::newRow("left column") << QByteArray("bsSkinPanel2") << QRect(0, 98, 257, 429);
    QTest::newRow("browser area") << QByteArray("bsSkinPanel3") << QRect(257, 98, 601, 429);
    QTest::newRow("browser bar") << QByteArray("bsSkinPanel4") << QRect(257, 98, 601, 89);
    QTest::newRow("browser") << QByteArray("EmbeddedWB1") << QRect(257, 187, 601, 340);
    QTest::newRow("Auto Insert") << QByteArray("btnAutoInsert") << QRect(8, 5, 98, 20);
    QTest::newRow("chooser") << QByteArray("cbxFormat") << QRect(131, 5, 91, 20);
    QTest::newRow("Make Money") << QByteArray("btnMakeMoney") << QRect(743, 5, 98, 20);
    QTest::newRow("subject") << QByteArray("edtSubject") << QRect(52, 130, 133, 18);
    QTest::newRow("body panel") << QByteArray("bsSkinPanel5") << QRect(11, 172, 232, 111);
    QTest::newRow("body") << QByteArray("memBody") << QRect(11, 172, 213, 111);
    QTest::newRow("body scroll bar") << QByteArray("bsSkinScrollBar1") << QRect(224, 172, 19, 111);
    QTest::newRow("page control") << QByteArray("bsSkinPageControl1") << QRect(8, 319, 237, 196);
    QTest::newRow("address box") << QByteArray("edtURL") << QRect(305, 130, 487, 18);
    QTest::newRow("Go!") << QByteArray("bsSkinButton2") << QRect(799, 129, 47, 20);
    QTest::newRow("Stop") << QByteArray("bsSkinSpeedButton3") << QRect(389, 154, 25, 25);
}

void TestFMain::designPlaces()
{
    QFETCH(QByteArray, name);
    QFETCH(QRect, place);
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(placeInWindow(w, name.constData()), place);
}

void TestFMain::resizingFollowsDockingAndAnchors_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QRect>("place");
    // The window grown by 200 x 100 pixels.
    QTest::newRow("footer stays at the bottom") << QByteArray("panLinks") << QRect(0, 627, 1058, 39);
    QTest::newRow("left column keeps its width") << QByteArray("bsSkinPanel2") << QRect(0, 98, 257, 529);
    QTest::newRow("browser fills the rest") << QByteArray("EmbeddedWB1") << QRect(257, 187, 801, 440);
    QTest::newRow("address box stretches") << QByteArray("edtURL") << QRect(305, 130, 687, 18);
    QTest::newRow("Go! follows the right edge") << QByteArray("bsSkinButton2") << QRect(999, 129, 47, 20);
    QTest::newRow("tab grows with the height") << QByteArray("bsSkinPageControl1") << QRect(8, 319, 237, 296);
    QTest::newRow("right link follows the edge") << QByteArray("lblLink2URL") << QRect(983, 636, 60, 14);
    QTest::newRow("Auto Insert stays") << QByteArray("btnAutoInsert") << QRect(8, 5, 98, 20);
}

void TestFMain::resizingFollowsDockingAndAnchors()
{
    QFETCH(QByteArray, name);
    QFETCH(QRect, place);
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *lvw = child(w, "lvwForums");
    const int listHeight = lvw->height();
    w.resize(1058, 666);
    QTRY_COMPARE(placeInWindow(w, name.constData()), place);
    // The forum list is anchored to its tab's bottom as well.
    QCOMPARE(lvw->height(), listHeight + 100);
    QCOMPARE(lvw->width(), 217);
}

void TestFMain::topBar()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const char *name : {"btnAutoInsert", "btnPreview", "btnCopy", "btnSave", "btnLoad", "btnHelp",
                             "btnUpdate", "btnMakeMoney"}) {
        auto *b = qobject_cast<QPushButton *>(child(w, name));
        QVERIFY2(b->isVisible(), name);
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
        QCOMPARE(b->cursor().shape(), Qt::PointingHandCursor);
    }
    QVERIFY(!child(w, "btnOptions")->isVisible());
    QCOMPARE(child(w, "btnOptions")->pos(), child(w, "btnHelp")->pos());
    auto *tabs = w.findChild<QTabWidget *>("bsSkinPageControl1");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Your Forums"));
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("bsSkinTabSheet1"));
}

void TestFMain::browserToolButtons()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    const std::pair<const char *, const char *> buttons[] = {
        {"bsSkinSpeedButton1", "Back"},
        {"bsSkinSpeedButton2", "Foward"},
        {"bsSkinSpeedButton4", "Refresh"},
        {"bsSkinSpeedButton3", "Stop"},
    };
    int left = 0;
    for (auto [name, hint] : buttons) {
        auto *b = qobject_cast<QToolButton *>(child(w, name));
        QVERIFY2(b, name);
        QCOMPARE(b->toolTip(), QString::fromLatin1(hint));
        QVERIFY(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
        QVERIFY(b->autoRaise());
        QCOMPARE(b->cursor().shape(), Qt::PointingHandCursor);
        // Each carries its own 16 x 16 picture, left to right in this order.
        QVERIFY(!b->icon().isNull());
        QCOMPARE(b->icon().actualSize(QSize(16, 16)), QSize(16, 16));
        QVERIFY(b->x() > left);
        left = b->x();
    }
}

void TestFMain::forumTabOrder()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    child(w, "btnAddURL")->setFocus();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"btnAddURL", "btnRemoveURL", "edtUsername", "lvwForums", "edtPassword"}));
}

void TestFMain::bannerCentring_data()
{
    QTest::addColumn<int>("windowWidth");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QPoint>("place");
    // Each size is halved on its own: 429 - 52 = 377, where (858 - 105) / 2 = 376.
    QTest::newRow("858 / 105") << 858 << QSize(105, 105) << QPoint(377, 32 - 52);
    QTest::newRow("857 / 104") << 857 << QSize(104, 40) << QPoint(376, 32 - 20);
    QTest::newRow("858 / 468") << 858 << QSize(468, 60) << QPoint(195, 32 - 30);
    QTest::newRow("picture wider than the strip") << 400 << QSize(468, 60) << QPoint(200 - 234, 2);
}

void TestFMain::bannerCentring()
{
    QFETCH(int, windowWidth);
    QFETCH(QSize, picture);
    QFETCH(QPoint, place);
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    auto *img = child(w, "imgBanner");
    auto *gif = child(w, "gifBanner");
    // The animated banner takes the still banner's place at start.
    QCOMPARE(gif->geometry(), img->geometry());
    img->resize(picture);
    gif->resize(picture);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(windowWidth + 1, 566);
    w.resize(windowWidth, 566);
    QTRY_COMPARE(child(w, "panBanner")->width(), windowWidth);
    QTRY_COMPARE(img->pos(), place);
    QCOMPARE(gif->pos(), place);
}

void TestFMain::bodyScrollBarFollowsTheBody()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *body = child<QPlainTextEdit>(w, "memBody");
    auto *own = body->verticalScrollBar();
    auto *shown = child<QScrollBar>(w, "bsSkinScrollBar1");
    const auto same = [&] {
        return shown->minimum() == own->minimum() && shown->maximum() == own->maximum() &&
               shown->pageStep() == own->pageStep() && shown->singleStep() == own->singleStep() &&
               shown->value() == own->value();
    };
    const auto describe = [&] {
        return QStringLiteral("body %1..%2 at %3, page %4; bar %5..%6 at %7, page %8")
            .arg(own->minimum()).arg(own->maximum()).arg(own->value()).arg(own->pageStep())
            .arg(shown->minimum()).arg(shown->maximum()).arg(shown->value()).arg(shown->pageStep());
    };

    body->setFocus();
    for (int i = 1; i <= 21; ++i) {
        QTest::keyClicks(body, QStringLiteral("line %1").arg(i));
        if (i < 21)
            QTest::keyClick(body, Qt::Key_Return);
    }
    QVERIFY2(own->maximum() > 0 && own->value() > 0, qPrintable(describe()));
    QVERIFY2(same(), qPrintable(describe()));
    QTest::keyClick(body, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(own->value(), 0);
    QVERIFY2(same(), qPrintable(describe()));
    QTest::keyClick(body, Qt::Key_PageDown);
    QVERIFY(own->value() > 0);
    QVERIFY2(same(), qPrintable(describe()));
    const int afterPageDown = own->value();
    QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(own->value() > afterPageDown);
    QVERIFY2(same(), qPrintable(describe()));

    // The bar's arrows and its page area move the body by the bar's steps.
    QTest::keyClick(body, Qt::Key_Home, Qt::ControlModifier);
    QTest::mouseClick(shown, Qt::LeftButton, {}, QPoint(shown->width() / 2, shown->height() - 3));
    QCOMPARE(shown->value(), 1);
    QCOMPARE(own->value(), 1);
    shown->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(own->value(), 1 + own->pageStep());
    QVERIFY2(same(), qPrintable(describe()));
}

void TestFMain::startupTimerRunsOnce()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    QTimer *t = w.timer();
    QCOMPARE(t->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(t->interval(), 100);
    QVERIFY(t->isActive());
    QTRY_VERIFY(!t->isActive());
    QTest::qWait(250);
    QVERIFY(!t->isActive());
}

void TestFMain::failingStartupStepStillShowsWindow_data()
{
    QTest::addColumn<QString>("unreadable");
    QTest::newRow("messages") << QStringLiteral("Messages.dat");
    QTest::newRow("forums") << QStringLiteral("Forums.dat");
    QTest::newRow("templates") << QStringLiteral("Formats.dat");
}

void TestFMain::failingStartupStepStillShowsWindow()
{
    QFETCH(QString, unreadable);
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Messages.dat", "Subject^Body^\r\nkept^body^\r\n");
    writeBytes(dirOf(dir) / "Forums.dat", "URL^Username^Password^\r\nhttp://kept/^u^p^\r\n");
    fs::remove(dirOf(dir) / unreadable.toStdString());
    // A directory where the file should be cannot be read, also by root.
    fs::create_directory(dirOf(dir) / unreadable.toStdString());

    ReportedErrors errors;
    TfrmMain w(dirOf(dir));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(errors.details.size(), 1);
    QVERIFY2(errors.details[0].contains(unreadable), qPrintable(errors.details[0]));
    QVERIFY(w.isVisible());

    // Every list is there for later operations; none replaces a file it did not read.
    w.messages().count();
    w.formats().ClearAll();
    w.forums().insert(0, "http://new/", std::make_unique<TForum>());
    if (unreadable != QLatin1String("Formats.dat")) {
        QVERIFY_THROWS_EXCEPTION(EFileError, w.forums().SaveAll());
        std::ifstream in(dirOf(dir) / "Forums.dat", std::ios::binary);
        if (unreadable != QLatin1String("Forums.dat")) {
            std::string first, second;
            std::getline(in, first);
            std::getline(in, second);
            QCOMPARE(second, std::string("http://kept/^u^p^\r"));
        }
    } else {
        w.forums().SaveAll();
    }
    QVERIFY(fs::is_directory(dirOf(dir) / unreadable.toStdString()));
}

POSTWRIGHT_GUI_TEST_MAIN(TestFMain)
#include "tst_fmain.moc"
