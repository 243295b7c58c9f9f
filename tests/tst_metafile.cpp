// Windows metafiles turned into SVG.
#include "Metafile.h"
#include "MetafileBytes.h"

#include <QTest>

class TestMetafile : public QObject {
    Q_OBJECT

private slots:
    void wmfSize_data();
    void wmfSize();
    void emfSize_data();
    void emfSize();
    void notMetafiles_data();
    void notMetafiles();
};

void TestMetafile::wmfSize_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("40 x 20") << 40 << 20;
    QTest::newRow("468 x 60") << 468 << 60;
    QTest::newRow("1 x 1") << 1 << 1;
}

void TestMetafile::wmfSize()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const auto svg = Metafile::WmfToSvg(MetafileBytes::wmf(width, height, 0x0000FF));
    QVERIFY(svg);
    QCOMPARE(svg->width, width);
    QCOMPARE(svg->height, height);
    QVERIFY(svg->text.find("<svg") != std::string::npos);
    QVERIFY(svg->text.find("<rect") != std::string::npos);
}

void TestMetafile::emfSize_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("40 x 20") << 40 << 20;
    QTest::newRow("468 x 60") << 468 << 60;
}

void TestMetafile::emfSize()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const auto svg = Metafile::EmfToSvg(MetafileBytes::emf(width, height, 0x00FF00));
    QVERIFY(svg);
    QCOMPARE(svg->width, width);
    QCOMPARE(svg->height, height);
    QVERIFY(svg->text.find("<svg") != std::string::npos);
    QVERIFY(svg->text.find("<rect") != std::string::npos);
}

void TestMetafile::notMetafiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asWmf");
    const std::string wmf = MetafileBytes::wmf(40, 20, 0);
    const std::string emf = MetafileBytes::emf(40, 20, 0);
    QTest::newRow("empty wmf") << QByteArray() << true;
    QTest::newRow("text as wmf") << QByteArray("this is not a metafile at all, only some text") << true;
    QTest::newRow("emf as wmf") << QByteArray::fromStdString(emf) << true;
    QTest::newRow("wmf cut short") << QByteArray::fromStdString(wmf.substr(0, 30)) << true;
    QTest::newRow("empty emf") << QByteArray() << false;
    QTest::newRow("wmf as emf") << QByteArray::fromStdString(wmf) << false;
    QTest::newRow("emf header cut short") << QByteArray::fromStdString(emf.substr(0, 60)) << false;
}

void TestMetafile::notMetafiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asWmf);
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (asWmf)
        QVERIFY(!Metafile::WmfToSvg(view));
    else
        QVERIFY(!Metafile::EmfToSvg(view));
}

QTEST_APPLESS_MAIN(TestMetafile)
#include "tst_metafile.moc"
