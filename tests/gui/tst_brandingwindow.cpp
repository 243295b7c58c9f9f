// The branding in the main window: caption, banner place, and the pages its
// clicks open.
#include "BuildOptions.h"
#include "FMain.h"
#include "FixedRandom.h"
#include "GifBytes.h"
#include "GuiTestMain.h"
#include "TestAppDir.h"
#include "XdgFixture.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QUrl>

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

std::string bmp(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// The main window over an application folder holding files, banners and
// links chosen by the given draws.
struct BrandedWindow {
    TestAppDir dir;
    fs::path appDir{dir.path().toStdString()};
    FixedRandom random;
    std::unique_ptr<TfrmMain> window;

    BrandedWindow(const std::map<std::string, std::string> &files, std::deque<std::size_t> draws = {})
        : random(std::move(draws))
    {
        for (const auto &[name, bytes] : files)
            writeBytes(appDir / name, bytes);
        TRandom::Replacement replaced(random);
        window = std::make_unique<TfrmMain>(appDir);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("main window not shown");
    }

    template <class T = QWidget> T *control(const char *name) const { return child<T>(*window, name); }
};

// Records the addresses handed to the desktop's handler for web addresses.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handle"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QList<QUrl> opened;
public slots:
    void handle(const QUrl &url) { opened << url; }
};

} // namespace

class TestBrandingWindow : public QObject {
    Q_OBJECT

private slots:
    void designStateWithoutBrandingFile();
    void caption();
    void bannerCentredAfterLoad_data();
    void bannerCentredAfterLoad();
    void bannerClick_data();
    void bannerClick();
    void helpAndMakeMoney_data();
    void helpAndMakeMoney();
    void footerLinks();
};

void TestBrandingWindow::designStateWithoutBrandingFile()
{
    BrandedWindow w({{"dbskin.dat", "x"}, {"dbimg1.dat", bmp(QSize(20, 20))}});
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Postwright"));
    QVERIFY(w.control("panBanner")->isVisible());
    QCOMPARE(w.control("panBanner")->height(), 65);
    QCOMPARE(w.control<QLabel>("lblLink1URL")->text(), QStringLiteral("Google"));
    QCOMPARE(w.control<QLabel>("lblLink2URL")->text(), QStringLiteral("Google"));
}

void TestBrandingWindow::caption()
{
    BrandedWindow w(Files{{"dbconfig.dat", "[Settings]\r\nAppName=Forum Blaster\r\n"}});
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Forum Blaster v1.01"));
    QVERIFY(w.control("panBanner")->isHidden());
    // The strip's room goes to the controls below it.
    QCOMPARE(w.control("bsSkinPanel2")->y(), 33);
}

void TestBrandingWindow::bannerCentredAfterLoad_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::newRow("1 high") << QSize(105, 1);
    QTest::newRow("2 high") << QSize(105, 2);
    QTest::newRow("33 high") << QSize(104, 33);
    QTest::newRow("60 high") << QSize(468, 60);
    QTest::newRow("61 high") << QSize(468, 61);
    QTest::newRow("140 high") << QSize(98, 140);
}

void TestBrandingWindow::bannerCentredAfterLoad()
{
    QFETCH(QSize, picture);
    BrandedWindow w({{"dbconfig.dat", "[Settings]\nBannerPath1=ad.bmp\n"}, {"dbimg1.dat", bmp(picture)}},
                    {0});
    QWidget *strip = w.control("panBanner");
    QWidget *img = w.control("imgBanner");
    QTRY_COMPARE(strip->height(), picture.height() + 10);
    QCOMPARE(img->size(), picture);
    QTRY_COMPARE(img->pos(), QPoint(strip->width() / 2 - picture.width() / 2, 5));
    QCOMPARE(strip->width(), 858);
    // The controls below the strip follow its height.
    QCOMPARE(w.control("bsSkinPanel2")->y(), 33 + picture.height() + 10);
}

void TestBrandingWindow::bannerClick_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("url");
    const QByteArray gif = QByteArray::fromStdString(GifBytes::gif(30, 10, {{0, false, 5}, {1, false, 5}}));
    QTest::newRow("still") << "ad.bmp" << QByteArray::fromStdString(bmp(QSize(40, 20))) << "imgBanner"
                           << "http://127.0.0.1/banner page?x=\"1\"";
    QTest::newRow("animated") << "ad.gif" << gif << "gifBanner"
                              << "http://127.0.0.1/animated";
    QTest::newRow("no page") << "ad.bmp" << QByteArray::fromStdString(bmp(QSize(40, 20))) << "imgBanner"
                             << "";
}

void TestBrandingWindow::bannerClick()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, picture);
    QFETCH(QString, control);
    QFETCH(QString, url);
    XdgFixture xdg;
    xdg.registerRecorder();
    BrandedWindow w({{"dbconfig.dat", "[Settings]\nBannerPath1=" + path.toStdString() +
                                          "\nBannerURL1=" + url.toStdString() + "\n"},
                     {"dbimg1.dat", picture.toStdString()}},
                    {0});
    QWidget *banner = w.control(control.toLatin1().constData());
    QVERIFY(banner->isVisible());
    QTest::mouseClick(banner, Qt::LeftButton);
    // Help afterwards: its page must be the only other one opened.
    clickButton(*w.window, "btnHelp");
    QStringList expected;
    if (!url.isEmpty())
        expected << url;
    expected << QString::fromUtf8(BuildOptions::HelpUrl.data(), BuildOptions::HelpUrl.size());
    QTRY_COMPARE(xdg.startedWith().size(), std::size_t(expected.size()));
    QStringList opened;
    for (const QStringList &args : xdg.startedWith()) {
        QCOMPARE(args.size(), 1);
        opened << args.front();
    }
    opened.sort();
    expected.sort();
    QCOMPARE(opened, expected);
}

void TestBrandingWindow::helpAndMakeMoney_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("url");
    const QString help = QString::fromUtf8(BuildOptions::HelpUrl.data(), BuildOptions::HelpUrl.size());
    const QString affiliate =
        QString::fromUtf8(BuildOptions::AffiliateUrl.data(), BuildOptions::AffiliateUrl.size());
    QTest::newRow("help") << ""
                          << "btnHelp" << help;
    QTest::newRow("help without branding file") << "<none>"
                                                << "btnHelp" << help;
    QTest::newRow("make money with identifier") << "AfiliateID=4711\n"
                                                << "btnMakeMoney" << affiliate + "4711";
    QTest::newRow("make money without identifier") << ""
                                                   << "btnMakeMoney" << affiliate;
}

void TestBrandingWindow::helpAndMakeMoney()
{
    QFETCH(QString, settings);
    QFETCH(QString, button);
    QFETCH(QString, url);
    XdgFixture xdg;
    xdg.registerRecorder();
    std::map<std::string, std::string> files;
    if (settings != "<none>")
        files["dbconfig.dat"] = "[Settings]\n" + settings.toStdString();
    BrandedWindow w(files);
    clickButton(*w.window, button.toLatin1().constData());
    QTRY_COMPARE(xdg.startedWith().size(), std::size_t(1));
    QCOMPARE(xdg.startedWith().front(), QStringList{url});
}

void TestBrandingWindow::footerLinks()
{
    UrlCatcher catcher;
    BrandedWindow w({{"dbconfig.dat", "[Settings]\nLink1URL=http://127.0.0.1/one\nLink1Name=First link\n"
                                      "Link2URL=http://127.0.0.1/two\nLink2Name=Second\n"}},
                    {1, 0});
    auto *left = w.control<QLabel>("lblLink1URL");
    auto *right = w.control<QLabel>("lblLink2URL");
    QCOMPARE(left->text(), QStringLiteral("Second"));
    QCOMPARE(right->text(), QStringLiteral("First link"));
    // The right label keeps its right edge at the footer's, whatever its width.
    const int rightEdge = w.control("panLinks")->width() - (858 - 843);
    QTRY_COMPARE(right->geometry().right() + 1, rightEdge);
    QCOMPARE(right->width(), right->sizeHint().width());
    w.window->resize(1000, 600);
    QTRY_COMPARE(right->geometry().right() + 1, w.control("panLinks")->width() - (858 - 843));
    QCOMPARE(left->x(), 13);

    QTest::mouseClick(left, Qt::LeftButton);
    QTest::mouseClick(right, Qt::LeftButton);
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl("http://127.0.0.1/two"), QUrl("http://127.0.0.1/one")}));
}

POSTWRIGHT_GUI_TEST_MAIN(TestBrandingWindow)
#include "tst_brandingwindow.moc"
