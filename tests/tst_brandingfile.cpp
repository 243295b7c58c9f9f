// What the branding file says and the choices made from it.
#include "BannerFormat.h"
#include "BrandingFile.h"
#include "BuildOptions.h"
#include "FixedRandom.h"
#include "TIniFile.h"

#include <QTest>

#include <map>
#include <set>

using namespace BrandingFile;

Q_DECLARE_METATYPE(BannerFormat::Kind)

namespace {

TIniFile ini(std::string_view text)
{
    return TIniFile::fromText(text);
}

QStringList bannersOf(const std::vector<Banner> &banners)
{
    QStringList out;
    for (const Banner &b : banners)
        out << QString::fromStdString(b.path + "|" + b.url);
    return out;
}

QStringList linksOf(const std::vector<Link> &links)
{
    QStringList out;
    for (const Link &l : links)
        out << QString::fromStdString(l.url + "|" + l.name);
    return out;
}

} // namespace

class TestBrandingFile : public QObject {
    Q_OBJECT

private slots:
    void caption_data();
    void caption();
    void banners_data();
    void banners();
    void links_data();
    void links();
    void chooseLinks_data();
    void chooseLinks();
    void seededChoicesCoverEveryEntry();
    void fileNamePart_data();
    void fileNamePart();
    void fileInAppDir_data();
    void fileInAppDir();
    void pictureFileName();
    void affiliateAddress_data();
    void affiliateAddress();
    void makersAddresses();
    void animated_data();
    void animated();
    void stillKind_data();
    void stillKind();
};

void TestBrandingFile::caption_data()
{
    QTest::addColumn<QString>("appName");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no name keeps the design caption") << ""
                                                      << "Postwright"
                                                      << "Postwright v1.01";
    QTest::newRow("name replaces it") << "Forum Blaster"
                                      << "Postwright"
                                      << "Forum Blaster v1.01";
}

void TestBrandingFile::caption()
{
    QFETCH(QString, appName);
    QFETCH(QString, current);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(Caption(appName.toStdString(), current.toStdString())), expected);
}

void TestBrandingFile::banners_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("none") << "[Settings]\nAppName=x\n" << QStringList{};
    QTest::newRow("URL without path is never read") << "[Settings]\nBannerURL1=http://a/\n" << QStringList{};
    QTest::newRow("three in key order")
        << "[Settings]\nBannerPath3=c.bmp\nBannerURL3=http://c/\nBannerPath1=a.gif\nBannerURL1=http://a/\n"
           "BannerPath2=b.jpg\n"
        << QStringList{"a.gif|http://a/", "b.jpg|", "c.bmp|http://c/"};
    QTest::newRow("gaps close up") << "[Settings]\nBannerPath1=\nBannerPath2=b.ico\nBannerURL2=u\n"
                                   << QStringList{"b.ico|u"};
    QTest::newRow("other section ignored") << "[Other]\nBannerPath1=a.bmp\n" << QStringList{};
    QTest::newRow("key case") << "[settings]\nbannerpath1=a.wmf\nBANNERURL1=x\n" << QStringList{"a.wmf|x"};
}

void TestBrandingFile::banners()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(bannersOf(ReadBanners(ini(text.toStdString()))), expected);
}

void TestBrandingFile::links_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("none") << "[Settings]\n" << QStringList{};
    QTest::newRow("four") << "[Settings]\nLink1URL=u1\nLink1Name=n1\nLink2URL=u2\nLink2Name=n2\n"
                             "Link3URL=u3\nLink3Name=n3\nLink4URL=u4\nLink4Name=n4\nLink5URL=u5\n"
                          << QStringList{"u1|n1", "u2|n2", "u3|n3", "u4|n4"};
    QTest::newRow("empty name kept") << "[Settings]\nLink2URL=u2\n" << QStringList{"u2|"};
    QTest::newRow("name without URL never read") << "[Settings]\nLink1Name=n1\nLink3URL=u3\nLink3Name=n3\n"
                                                 << QStringList{"u3|n3"};
}

void TestBrandingFile::links()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(linksOf(ReadLinks(ini(text.toStdString()))), expected);
}

void TestBrandingFile::chooseLinks_data()
{
    QTest::addColumn<int>("configured");
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("none") << 0 << QList<int>{} << "|"
                          << "|" << QList<int>{};
    QTest::newRow("one goes left") << 1 << QList<int>{0} << "u0|n0"
                                   << "|" << QList<int>{1};
    QTest::newRow("two, second first") << 2 << QList<int>{1, 0} << "u1|n1"
                                       << "u0|n0" << QList<int>{2, 1};
    QTest::newRow("four, second among the rest") << 4 << QList<int>{1, 1} << "u1|n1"
                                                 << "u2|n2" << QList<int>{4, 3};
    QTest::newRow("four, last then first") << 4 << QList<int>{3, 0} << "u3|n3"
                                           << "u0|n0" << QList<int>{4, 3};
}

void TestBrandingFile::chooseLinks()
{
    QFETCH(int, configured);
    QFETCH(QList<int>, choices);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QList<int>, counts);
    std::vector<Link> links;
    for (int i = 0; i < configured; ++i)
        links.push_back({"u" + std::to_string(i), "n" + std::to_string(i)});
    std::deque<std::size_t> queue(choices.begin(), choices.end());
    FixedRandom random(queue);
    const ChosenLinks chosen = ChooseLinks(links, random);
    QCOMPARE(QString::fromStdString(chosen.first.url + "|" + chosen.first.name), first);
    QCOMPARE(QString::fromStdString(chosen.second.url + "|" + chosen.second.name), second);
    QCOMPARE(QList<int>(random.counts.begin(), random.counts.end()), counts);
}

void TestBrandingFile::seededChoicesCoverEveryEntry()
{
    // The run's source reaches every pair of two different links.
    std::vector<Link> links{{"a", ""}, {"b", ""}, {"c", ""}};
    std::set<std::string> pairs;
    for (int i = 0; i < 500 && pairs.size() < 6; ++i) {
        const ChosenLinks chosen = ChooseLinks(links, TRandom::run());
        QVERIFY(chosen.first.url != chosen.second.url);
        pairs.insert(chosen.first.url + chosen.second.url);
    }
    QCOMPARE(pairs.size(), std::size_t(6));
}

void TestBrandingFile::fileNamePart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "banner.gif"
                           << "banner.gif";
    QTest::newRow("windows path") << "C:\\Program Files\\Ads\\banner.jpg"
                                  << "banner.jpg";
    QTest::newRow("drive only") << "C:banner.bmp"
                                << "banner.bmp";
    QTest::newRow("last separator counts") << "a:b\\c:d.ico"
                                           << "d.ico";
    QTest::newRow("slash") << "/home/me/ad.emf"
                           << "ad.emf";
    QTest::newRow("ends with separator") << "C:\\ads\\"
                                         << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestBrandingFile::fileNamePart()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(FileNamePart(path.toStdString())), expected);
}

void TestBrandingFile::fileInAppDir_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name") << "C:\\x\\ad.gif"
                          << "/app/ad.gif";
    QTest::newRow("absolute path stays inside") << "/etc/passwd"
                                                << "/app/passwd";
    QTest::newRow("parent") << "C:\\x\\.."
                            << "";
    QTest::newRow("dot") << "."
                         << "";
    QTest::newRow("nothing") << "x:"
                             << "";
}

void TestBrandingFile::fileInAppDir()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(FileInAppDir("/app", path.toStdString()).string()), expected);
}

void TestBrandingFile::pictureFileName()
{
    QCOMPARE(PictureFileName(0), std::string("dbimg1.dat"));
    QCOMPARE(PictureFileName(2), std::string("dbimg3.dat"));
}

void TestBrandingFile::affiliateAddress_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("identifier after the slash") << "http://aff.example/"
                                                << "1234"
                                                << "http://aff.example/1234";
    QTest::newRow("no identifier") << "http://aff.example/"
                                   << ""
                                   << "http://aff.example/";
    QTest::newRow("root without slash") << "http://aff.example"
                                        << "77"
                                        << "http://aff.example/77";
}

void TestBrandingFile::affiliateAddress()
{
    QFETCH(QString, root);
    QFETCH(QString, id);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(AffiliateAddress(root.toStdString(), id.toStdString())), expected);
}

void TestBrandingFile::makersAddresses()
{
    // Whatever hosts a build names, the paths are the program's own.
    QVERIFY(BuildOptions::HelpUrl.starts_with("http"));
    QVERIFY(BuildOptions::HelpUrl.ends_with("/postwrighthelp"));
    QVERIFY(BuildOptions::AffiliateUrl.starts_with("http"));
    QVERIFY(BuildOptions::AffiliateUrl.ends_with("/"));
    QVERIFY(BuildOptions::UpdateUrl.starts_with("http"));
    QVERIFY(BuildOptions::UpdateUrl.ends_with("/liveupdate/postwright/"));
}

void TestBrandingFile::animated_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("expected");
    QTest::newRow("gif") << "/app/ad.gif" << true;
    QTest::newRow("capitals") << "/app/AD.GIF" << true;
    QTest::newRow("inside a longer name") << "/app/ad.gif.old" << true;
    QTest::newRow("jpg") << "/app/ad.jpg" << false;
    QTest::newRow("gif without dot") << "/app/gif.bmp" << false;
}

void TestBrandingFile::animated()
{
    QFETCH(QString, path);
    QFETCH(bool, expected);
    QCOMPARE(BannerFormat::IsAnimated(path.toStdString()), expected);
}

void TestBrandingFile::stillKind_data()
{
    using K = BannerFormat::Kind;
    QTest::addColumn<QString>("name");
    QTest::addColumn<K>("expected");
    QTest::newRow("bmp") << "a.bmp" << K::Bitmap;
    QTest::newRow("BMP") << "a.BMP" << K::Bitmap;
    QTest::newRow("ico") << "a.Ico" << K::Icon;
    QTest::newRow("jpg") << "a.jpg" << K::Jpeg;
    QTest::newRow("jpeg") << "a.JPEG" << K::Jpeg;
    QTest::newRow("wmf") << "a.wmf" << K::Wmf;
    QTest::newRow("emf") << "a.EMF" << K::Emf;
    QTest::newRow("last extension counts") << "a.bmp.png" << K::Unknown;
    QTest::newRow("png") << "a.png" << K::Unknown;
    QTest::newRow("no extension") << "bmp" << K::Unknown;
}

void TestBrandingFile::stillKind()
{
    QFETCH(QString, name);
    QFETCH(BannerFormat::Kind, expected);
    QCOMPARE(BannerFormat::StillKind(name.toStdString()), expected);
}

QTEST_APPLESS_MAIN(TestBrandingFile)
#include "tst_brandingfile.moc"
