// The branding file applied to the window's controls.
#include "Errors.h"
#include "FixedRandom.h"
#include "GifBytes.h"
#include "GuiTestMain.h"
#include "LoadBranding.h"
#include "MetafileBytes.h"
#include "ModuleLibrary.h"
#include "TestFiles.h"

#include <QApplication>
#include <QBuffer>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMovie>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <map>

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

Q_DECLARE_METATYPE(Files)

namespace {

// The branding controls as the main window's form data has them.
struct Controls {
    QWidget window;
    QFrame *panBanner = new QFrame(&window);
    QLabel *imgBanner = new QLabel(panBanner);
    QLabel *gifBanner = new QLabel(panBanner);
    QFrame *panLinks = new QFrame(&window);
    QLabel *lblLink1URL = new QLabel(QStringLiteral("Google"), panLinks);
    QLabel *lblLink2URL = new QLabel(QStringLiteral("Google"), panLinks);

    Controls()
    {
        window.setWindowTitle(QStringLiteral("Postwright"));
        window.resize(858, 566);
        panBanner->setGeometry(0, 33, 858, 65);
        imgBanner->setGeometry(144, -40, 105, 105);
        gifBanner->setGeometry(imgBanner->geometry());
        panLinks->setGeometry(0, 527, 858, 39);
        lblLink1URL->setGeometry(13, 9, 60, 14);
        lblLink2URL->setGeometry(783, 9, 60, 14);
        for (QLabel *l : {lblLink1URL, lblLink2URL})
            l->setProperty("url", QStringLiteral("http://www.google.com/"));
    }

    BrandingControls controls()
    {
        return {&window, panBanner, imgBanner, gifBanner, lblLink1URL, lblLink2URL};
    }
};

// An application folder of the test's, with the files it names.
struct AppDir {
    QTemporaryDir dir;
    fs::path path = dirOf(dir);
    std::vector<fs::path> skinsLoaded;

    explicit AppDir(const Files &files = {})
    {
        for (const auto &[name, bytes] : files)
            writeBytes(path / name, bytes);
    }

    Files files() const
    {
        Files all;
        for (const auto &e : fs::directory_iterator(path))
            all[e.path().filename().string()] =
                fs::is_regular_file(e.path()) ? readBytes(e.path()) : "<folder>";
        return all;
    }

    TBrandingState load(Controls &c, TRandom &random)
    {
        TBrandingState state;
        LoadBranding(
            path, c.controls(), random,
            [this](const fs::path &f) {
                skinsLoaded.push_back(f);
                return true;
            },
            state);
        return state;
    }
};

std::string imageBytes(const QSize &size, const QColor &colour, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("cannot write a %s picture", format);
    return bytes.toStdString();
}

const std::string Config = "dbconfig.dat";

bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

// Two frames: red, then wholly transparent.
const std::string SmallGif = GifBytes::gif(24, 12, {{0, true, 2}, {3, true, 2}});


} // namespace

class TestLoadBranding : public QObject {
    Q_OBJECT

private slots:
    void withoutBrandingFileNothingChanges();
    void unreadableBrandingFileIsReported();
    void caption_data();
    void caption();
    void affiliateIdentifier();
    void bannerFormats_data();
    void bannerFormats();
    void missingMetafileLibraryCostsOnlyTheBanner();
    void animatedBannerLoopsWithTransparency();
    void pictureNumberCountsConfiguredBanners();
    void bannerFailures_data();
    void bannerFailures();
    void noBannerHidesStrip();
    void handCursorOnlyWithPage();
    void links_data();
    void links();
    void skinFile();
    void icon_data();
    void icon();
};

void TestLoadBranding::withoutBrandingFileNothingChanges()
{
    const Files files{{"dbskin.dat", "skin"},
                      {"app.ico", imageBytes(QSize(16, 16), Qt::red, "ICO")},
                      {"dbimg1.dat", imageBytes(QSize(40, 20), Qt::red, "BMP")}};
    AppDir dir(files);
    Controls c;
    FixedRandom random;
    const TBrandingState state = dir.load(c, random);
    QCOMPARE(c.window.windowTitle(), QStringLiteral("Postwright"));
    QVERIFY(!c.panBanner->isHidden());
    QCOMPARE(c.panBanner->height(), 65);
    QCOMPARE(c.imgBanner->geometry(), QRect(144, -40, 105, 105));
    QVERIFY(c.imgBanner->pixmap().isNull());
    QCOMPARE(c.lblLink1URL->text(), QStringLiteral("Google"));
    QCOMPARE(c.lblLink2URL->property("url").toString(), QStringLiteral("http://www.google.com/"));
    // The window keeps the program's own icon: it was given none of its own.
    QVERIFY(!c.window.testAttribute(Qt::WA_SetWindowIcon));
    QVERIFY(dir.skinsLoaded.empty());
    QVERIFY(random.counts.empty());
    QVERIFY(state.affiliateId.empty() && state.bannerPath.empty() && state.iconPath.empty());
    QCOMPARE(dir.files(), files);
}

void TestLoadBranding::unreadableBrandingFileIsReported()
{
    AppDir dir;
    fs::create_directory(dir.path / Config);
    Controls c;
    FixedRandom random;
    QVERIFY_THROWS_EXCEPTION(EFileError, dir.load(c, random));
    QCOMPARE(c.window.windowTitle(), QStringLiteral("Postwright"));
}

void TestLoadBranding::caption_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no AppName") << QByteArray("[Settings]\r\nLink1Name=x\r\n") << "Postwright v1.01";
    QTest::newRow("empty AppName") << QByteArray("[Settings]\r\nAppName=\r\n") << "Postwright v1.01";
    QTest::newRow("AppName") << QByteArray("[Settings]\r\nAppName=Forum Blaster\r\n")
                             << "Forum Blaster v1.01";
    QTest::newRow("other section only") << QByteArray("[Other]\r\nAppName=X\r\n") << "Postwright v1.01";
    QTest::newRow("UTF-8 name") << QByteArray("[Settings]\nAppName=Caf\xC3\xA9\n")
                                << QString::fromUtf8("Café v1.01");
}

void TestLoadBranding::caption()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, caption);
    AppDir dir(Files{{Config, settings.toStdString()}});
    Controls c;
    FixedRandom random;
    dir.load(c, random);
    QCOMPARE(c.window.windowTitle(), caption);
}

void TestLoadBranding::affiliateIdentifier()
{
    AppDir dir({{Config, "[Settings]\nAfiliateID=  4711 \nAffiliateID=wrong\n"}});
    Controls c;
    FixedRandom random;
    QCOMPARE(dir.load(c, random).affiliateId, std::string("4711"));
}

void TestLoadBranding::bannerFormats_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("animated");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("colour");

    auto bytes = [](const std::string &s) { return QByteArray::fromStdString(s); };
    QTest::newRow("gif") << "C:\\ads\\spin.gif" << bytes(SmallGif) << 0 << true << QSize(24, 12)
                         << QColor(Qt::red);
    QTest::newRow("GIF in capitals") << "SPIN.GIF" << bytes(SmallGif) << 1 << true << QSize(24, 12)
                                     << QColor(Qt::red);
    QTest::newRow("gif inside a longer name")
        << "spin.gif.old" << bytes(SmallGif) << 2 << true << QSize(24, 12) << QColor(Qt::red);
    QTest::newRow("jpg") << "D:photo.JPG" << bytes(imageBytes(QSize(30, 16), Qt::blue, "JPG")) << 1 << false
                         << QSize(30, 16) << QColor(Qt::blue);
    QTest::newRow("jpeg") << "photo.jpeg" << bytes(imageBytes(QSize(31, 17), Qt::blue, "JPG")) << 0 << false
                          << QSize(31, 17) << QColor(Qt::blue);
    QTest::newRow("bmp") << "ad.bmp" << bytes(imageBytes(QSize(468, 60), Qt::red, "BMP")) << 2 << false
                         << QSize(468, 60) << QColor(Qt::red);
    QTest::newRow("ico") << "ad.ico" << bytes(imageBytes(QSize(32, 32), Qt::green, "ICO")) << 0 << false
                         << QSize(32, 32) << QColor(Qt::green);
    QTest::newRow("wmf") << "ad.wmf" << bytes(MetafileBytes::wmf(44, 22, 0x0000FF)) << 1 << false
                         << QSize(44, 22) << QColor(Qt::red);
    QTest::newRow("emf") << "ad.emf" << bytes(MetafileBytes::emf(50, 24, 0x00FF00)) << 2 << false
                         << QSize(50, 24) << QColor(Qt::green);
}

void TestLoadBranding::bannerFormats()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, picture);
    QFETCH(int, choice);
    QFETCH(bool, animated);
    QFETCH(QSize, size);
    QFETCH(QColor, colour);

    // Three banners; the chosen one holds the picture, the others hold bytes
    // that are no picture at all.
    std::string settings = "[Settings]\n";
    Files files;
    for (int n = 1; n <= 3; ++n) {
        const std::string name = n - 1 == choice ? path.toStdString() : "other" + std::to_string(n) + ".bmp";
        settings += "BannerPath" + std::to_string(n) + "=" + name + "\nBannerURL" + std::to_string(n) +
                    "=http://127.0.0.1/" + std::to_string(n) + "\n";
        files["dbimg" + std::to_string(n) + ".dat"] = n - 1 == choice ? picture.toStdString() : "decoy";
    }
    files[Config] = settings;
    AppDir dir(files);
    Controls c;
    FixedRandom random({std::size_t(choice)});
    const TBrandingState state = dir.load(c, random);

    QCOMPARE(random.counts.front(), std::size_t(3));
    QCOMPARE(QString::fromStdString(state.bannerPath), path);
    QCOMPARE(state.bannerUrl, "http://127.0.0.1/" + std::to_string(choice + 1));
    QVERIFY(!c.panBanner->isHidden());
    QLabel *shown = animated ? c.gifBanner : c.imgBanner;
    QLabel *other = animated ? c.imgBanner : c.gifBanner;
    QVERIFY(!shown->isHidden());
    QVERIFY(other->isHidden());
    QCOMPARE(shown->size(), size);
    QCOMPARE(c.panBanner->height(), size.height() + 10);
    const QImage image = animated ? shown->movie()->currentImage() : shown->pixmap().toImage();
    QCOMPARE(image.size(), size);
    const QColor centre = image.pixelColor(size.width() / 2, size.height() / 2);
    QVERIFY2(near(centre, colour), qPrintable(centre.name()));
    if (animated)
        QCOMPARE(shown->movie()->state(), QMovie::Running);
    // Every file as it was: the picture is back under its stored name.
    QCOMPARE(dir.files(), files);
}

// A program folder without the metafile library: the banner strip goes, the
// rest of the branding is applied, and then the missing library is reported
// with its file name.
void TestLoadBranding::missingMetafileLibraryCostsOnlyTheBanner()
{
    QTemporaryDir emptyProgramFolder;
    ModuleLibrary::setFolder(emptyProgramFolder.path());
    const auto besideTheTestAgain = qScopeGuard([] { ModuleLibrary::setFolder({}); });
    const Files files{{Config, "[Settings]\nBannerPath1=ad.wmf\nLink1URL=http://127.0.0.1/a\nLink1Name=Ay\n"},
                      {"dbimg1.dat", MetafileBytes::wmf(44, 22, 0x0000FF)},
                      {"dbskin.dat", "skin"}};
    AppDir dir(files);
    Controls c;
    FixedRandom random({0, 0});
    QString reported;
    try {
        dir.load(c, random);
    } catch (const EFileError &e) {
        reported = QString::fromStdString(e.what());
    }
    const QString expected = QStringLiteral("Cannot load the metafile reader \"%1\"")
                                 .arg(emptyProgramFolder.filePath(QStringLiteral("PostwrightMetafile.so")));
    QVERIFY2(reported.startsWith(expected), qPrintable(reported));
    QVERIFY(c.panBanner->isHidden());
    QCOMPARE(c.lblLink1URL->text(), QStringLiteral("Ay"));
    QCOMPARE(dir.skinsLoaded.size(), std::size_t(1));
    // The picture is back under its stored name.
    QCOMPARE(dir.files(), files);
}

void TestLoadBranding::animatedBannerLoopsWithTransparency()
{
    // The file asks to be played once; the banner plays on.
    AppDir dir({{Config, "[Settings]\nBannerPath1=spin.gif\n"}, {"dbimg1.dat", SmallGif}});
    Controls c;
    FixedRandom random({0});
    dir.load(c, random);
    QMovie *movie = c.gifBanner->movie();
    QVERIFY(movie);
    QCOMPARE(movie->frameCount(), 2);
    QList<int> frames;
    QList<int> alphas;
    connect(movie, &QMovie::frameChanged, this, [&](int frame) {
        if (frames.isEmpty() || frames.last() != frame) {
            frames << frame;
            alphas << movie->currentImage().pixelColor(3, 3).alpha();
        }
    });
    // Through the second frame, past the end, and round again.
    QTRY_VERIFY(frames.size() >= 4);
    const qsizetype second = frames.indexOf(1);
    QCOMPARE(frames.mid(second, 3), (QList<int>{1, 0, 1}));
    QCOMPARE(alphas.mid(second, 3), (QList<int>{0, 255, 0}));
    QCOMPARE(movie->state(), QMovie::Running);
    QVERIFY(!c.gifBanner->autoFillBackground());
}

void TestLoadBranding::pictureNumberCountsConfiguredBanners()
{
    // The only banner is in key 2; its picture is the first one.
    const Files files{{Config, "[Settings]\nBannerPath1=\nBannerPath2=b.bmp\nBannerURL1=http://127.0.0.1/1\n"
                               "BannerURL2=http://127.0.0.1/2\n"},
                      {"dbimg1.dat", imageBytes(QSize(20, 8), Qt::red, "BMP")},
                      {"dbimg2.dat", "decoy"}};
    AppDir dir(files);
    Controls c;
    FixedRandom random({0});
    const TBrandingState state = dir.load(c, random);
    QCOMPARE(random.counts.front(), std::size_t(1));
    QCOMPARE(state.bannerUrl, std::string("http://127.0.0.1/2"));
    QVERIFY(!c.panBanner->isHidden());
    QCOMPARE(c.imgBanner->size(), QSize(20, 8));
    QCOMPARE(c.panBanner->height(), 18);
    QCOMPARE(dir.files(), files);
}

void TestLoadBranding::bannerFailures_data()
{
    QTest::addColumn<Files>("files");
    const std::string config = "[Settings]\nBannerPath1=C:\\ads\\ad.bmp\nBannerURL1=http://127.0.0.1/ad\n";
    const std::string bmp = imageBytes(QSize(20, 8), Qt::red, "BMP");
    QTest::newRow("missing picture") << Files{{Config, config}};
    QTest::newRow("picture that does not decode") << Files{{Config, config}, {"dbimg1.dat", "BM not really"}};
    QTest::newRow("picture of another format") << Files{{Config, config}, {"dbimg1.dat", SmallGif}};
    QTest::newRow("name already taken") << Files{{Config, config}, {"dbimg1.dat", bmp}, {"ad.bmp", "mine"}};
    QTest::newRow("gif that does not decode")
        << Files{{Config, "[Settings]\nBannerPath1=ad.gif\nBannerURL1=http://127.0.0.1/ad\n"},
                 {"dbimg1.dat", "GIF89a broken"}};
    QTest::newRow("unknown extension")
        << Files{{Config, "[Settings]\nBannerPath1=ad.png\nBannerURL1=http://127.0.0.1/ad\n"},
                 {"dbimg1.dat", imageBytes(QSize(20, 8), Qt::red, "PNG")}};
    QTest::newRow("path without file name") << Files{
        {Config, "[Settings]\nBannerPath1=C:\\ads\\\nBannerURL1=http://127.0.0.1/ad\n"}, {"dbimg1.dat", bmp}};
    QTest::newRow("picture path is a folder")
        << Files{{Config, config}, {"dbimg1.dat", bmp}, {"ad.bmp", "<folder>"}};
}

void TestLoadBranding::bannerFailures()
{
    QFETCH(Files, files);
    Files written = files;
    if (files.count("ad.bmp") && files.at("ad.bmp") == "<folder>")
        written.erase("ad.bmp");
    AppDir dir(written);
    if (files.count("ad.bmp") && files.at("ad.bmp") == "<folder>")
        fs::create_directory(dir.path / "ad.bmp");
    Controls c;
    FixedRandom random({0});
    const TBrandingState state = dir.load(c, random);
    QVERIFY(c.panBanner->isHidden());
    // The page stays stored, and every file is as it was.
    QCOMPARE(state.bannerUrl, std::string("http://127.0.0.1/ad"));
    QCOMPARE(dir.files(), files);
}

void TestLoadBranding::noBannerHidesStrip()
{
    AppDir dir({{Config, "[Settings]\nBannerURL1=http://127.0.0.1/\n"}, {"dbimg1.dat", SmallGif}});
    Controls c;
    FixedRandom random;
    const TBrandingState state = dir.load(c, random);
    QVERIFY(c.panBanner->isHidden());
    QVERIFY(random.counts.empty());
    QVERIFY(state.bannerUrl.empty());
}

void TestLoadBranding::handCursorOnlyWithPage()
{
    const std::string bmp = imageBytes(QSize(20, 8), Qt::red, "BMP");
    {
        AppDir dir(
            {{Config, "[Settings]\nBannerPath1=a.bmp\nBannerURL1=http://127.0.0.1/\n"}, {"dbimg1.dat", bmp}});
        Controls c;
        FixedRandom random({0});
        dir.load(c, random);
        QCOMPARE(c.imgBanner->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(c.gifBanner->cursor().shape(), Qt::PointingHandCursor);
    }
    {
        AppDir dir({{Config, "[Settings]\nBannerPath1=a.bmp\n"}, {"dbimg1.dat", bmp}});
        Controls c;
        FixedRandom random({0});
        dir.load(c, random);
        QVERIFY(!c.imgBanner->testAttribute(Qt::WA_SetCursor));
        QVERIFY(!c.gifBanner->testAttribute(Qt::WA_SetCursor));
    }
}

void TestLoadBranding::links_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("right");
    QTest::newRow("none") << "" << QList<int>{} << QStringList{"", ""} << QStringList{"", ""};
    QTest::newRow("one") << "Link2URL=http://127.0.0.1/b\nLink2Name=Bee\n"
                         << QList<int>{0} << QStringList{"Bee", "http://127.0.0.1/b"} << QStringList{"", ""};
    QTest::newRow("two")
        << "Link1URL=http://127.0.0.1/a\nLink1Name=Ay\nLink3URL=http://127.0.0.1/c\nLink3Name=Cee\n"
        << QList<int>{1, 0} << QStringList{"Cee", "http://127.0.0.1/c"}
        << QStringList{"Ay", "http://127.0.0.1/a"};
    QTest::newRow("four")
        << "Link1URL=u1\nLink1Name=One\nLink2URL=u2\nLink2Name=Two\nLink3URL=u3\nLink3Name=Three\n"
           "Link4URL=u4\nLink4Name=Four\n"
        << QList<int>{2, 2} << QStringList{"Three", "u3"} << QStringList{"Four", "u4"};
    QTest::newRow("empty name") << "Link1URL=http://127.0.0.1/a\n"
                                << QList<int>{0} << QStringList{"", "http://127.0.0.1/a"}
                                << QStringList{"", ""};
}

void TestLoadBranding::links()
{
    QFETCH(QString, settings);
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);
    AppDir dir(Files{{Config, "[Settings]\n" + settings.toStdString()}});
    Controls c;
    FixedRandom random(std::deque<std::size_t>(choices.begin(), choices.end()));
    const TBrandingState state = dir.load(c, random);
    QCOMPARE(random.counts.size(), std::size_t(choices.size()));
    QCOMPARE((QStringList{c.lblLink1URL->text(), c.lblLink1URL->property("url").toString()}), left);
    QCOMPARE((QStringList{c.lblLink2URL->text(), c.lblLink2URL->property("url").toString()}), right);
    QCOMPARE(QString::fromStdString(state.link1Name), left[0]);
    QCOMPARE(QString::fromStdString(state.link1Url), left[1]);
    QCOMPARE(QString::fromStdString(state.link2Name), right[0]);
    QCOMPARE(QString::fromStdString(state.link2Url), right[1]);
    // A label is as wide as its caption; an empty one takes no clicks.
    for (QLabel *l : {c.lblLink1URL, c.lblLink2URL}) {
        if (l->text().isEmpty())
            QCOMPARE(l->width(), 0);
        else
            QCOMPARE(l->width(), l->sizeHint().width());
    }
}

void TestLoadBranding::skinFile()
{
    {
        AppDir dir({{Config, "[Settings]\n"}, {"dbskin.dat", "skin"}});
        Controls c;
        FixedRandom random;
        dir.load(c, random);
        QCOMPARE(dir.skinsLoaded, std::vector<fs::path>{dir.path / "dbskin.dat"});
    }
    {
        AppDir dir({{Config, "[Settings]\n"}});
        Controls c;
        FixedRandom random;
        dir.load(c, random);
        QVERIFY(dir.skinsLoaded.empty());
    }
}

void TestLoadBranding::icon_data()
{
    QTest::addColumn<QString>("iconPath");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("applied");
    QTest::newRow("file-name part") << "C:\\Program Files\\Poster\\poster.ico"
                                    << "poster.ico" << true;
    QTest::newRow("missing file") << "poster.ico"
                                  << "" << false;
    QTest::newRow("not an icon") << "poster.ico"
                                 << "broken" << false;
}

void TestLoadBranding::icon()
{
    QFETCH(QString, iconPath);
    QFETCH(QString, file);
    QFETCH(bool, applied);
    Files files{{Config, "[Settings]\nIconPath=" + iconPath.toStdString() + "\n"}};
    if (file == "poster.ico")
        files["poster.ico"] = imageBytes(QSize(32, 32), Qt::blue, "ICO");
    else if (file == "broken")
        files["poster.ico"] = "not an icon";
    AppDir dir(files);
    Controls c;
    QApplication::setWindowIcon(QIcon());
    FixedRandom random;
    const TBrandingState state = dir.load(c, random);
    QCOMPARE(QString::fromStdString(state.iconPath), iconPath);
    QCOMPARE(!c.window.windowIcon().isNull(), applied);
    QCOMPARE(!QApplication::windowIcon().isNull(), applied);
    if (applied) {
        const QImage shown = c.window.windowIcon().pixmap(QSize(32, 32)).toImage();
        QVERIFY(near(shown.pixelColor(16, 16), Qt::blue));
        QCOMPARE(QApplication::windowIcon().cacheKey(), c.window.windowIcon().cacheKey());
    }
    QCOMPARE(dir.files(), files);
}

POSTWRIGHT_GUI_TEST_MAIN(TestLoadBranding)
#include "tst_loadbranding.moc"
