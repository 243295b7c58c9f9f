// PNG pictures read through the program's own PNG plugin: the same pictures
// as Qt's built-in reader gives, other formats found as before, and the main
// window shown and drawn without any image format plugin of the system.
#include "MainWindowFixture.h"

#include <QBuffer>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

namespace {

// A picture with every pixel different, in the given format.
QImage pattern(QSize size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgba(x * 7 % 256, y * 13 % 256, (x + y) * 5 % 256, 255 - (x * y) % 200));
    return image.convertToFormat(format);
}

QString write(const QTemporaryDir &dir, const QString &name, const QImage &image, const QByteArray &format,
              const QString &title = {})
{
    const QString path = dir.filePath(name);
    QImageWriter writer(path, format);
    if (!title.isEmpty())
        writer.setText(QStringLiteral("Title"), title);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(writer.errorString()));
    return path;
}

// Whether the process has mapped a library from Qt's image format plugins.
bool imageFormatPluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        qFatal("cannot read /proc/self/maps");
    return maps.readAll().contains("/imageformats/");
}

} // namespace

class TestPngReader : public QObject {
    Q_OBJECT
private slots:
    void mainWindowNeedsNoImagePlugin();
    void readsThePicture_data();
    void readsThePicture();
    void sizeTextAndScaling();
    void iconFromFile();
    void notPngUnderPngName();
    void otherFormatsAsBefore();
};

// First: the other tests read formats that only plugins read.
void TestPngReader::mainWindowNeedsNoImagePlugin()
{
    MainWindowFixture f;
    // Drawing the window draws the skin's pictures and the tool buttons' icons.
    const QImage drawn = f.window->window()->grab().toImage();
    QVERIFY(!drawn.isNull());
    QVERIFY(!imageFormatPluginLoaded());
}

void TestPngReader::readsThePicture_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("true colour with alpha") << int(QImage::Format_ARGB32);
    QTest::newRow("true colour") << int(QImage::Format_RGB32);
    QTest::newRow("grey") << int(QImage::Format_Grayscale8);
    QTest::newRow("two colours") << int(QImage::Format_Mono);
}

void TestPngReader::readsThePicture()
{
    QFETCH(int, format);
    QTemporaryDir dir;
    const QImage original = pattern(QSize(37, 23), QImage::Format(format));
    const QString path = write(dir, QStringLiteral("picture.png"), original, "png");

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage read = reader.read();
    QVERIFY2(!read.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(read.size(), original.size());
    QCOMPARE(read.convertToFormat(QImage::Format_ARGB32), original.convertToFormat(QImage::Format_ARGB32));
    // One picture in the file: a second read finds none.
    QVERIFY(!reader.canRead() || reader.read().isNull());

    // The same bytes without a file name are found by their content.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QImage fromBytes;
    QVERIFY(fromBytes.loadFromData(file.readAll()));
    QCOMPARE(fromBytes.convertToFormat(QImage::Format_ARGB32),
             original.convertToFormat(QImage::Format_ARGB32));
}

void TestPngReader::sizeTextAndScaling()
{
    QTemporaryDir dir;
    const QString path =
        write(dir, QStringLiteral("titled.png"), pattern(QSize(40, 30), QImage::Format_ARGB32), "png",
              QStringLiteral("A banner: the first"));
    QImageReader reader(path);
    QCOMPARE(reader.size(), QSize(40, 30));
    QCOMPARE(reader.imageFormat(), QImage::Format_ARGB32);
    QCOMPARE(reader.text(QStringLiteral("Title")), QStringLiteral("A banner: the first"));
    reader.setScaledSize(QSize(20, 15));
    QCOMPARE(reader.read().size(), QSize(20, 15));
}

void TestPngReader::iconFromFile()
{
    QTemporaryDir dir;
    const QImage original = pattern(QSize(16, 16), QImage::Format_RGB32);
    const QString path = write(dir, QStringLiteral("icon.png"), original, "png");
    QIcon icon;
    icon.addFile(path);
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(16, 16)});
    QCOMPARE(icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_RGB32), original);
}

void TestPngReader::notPngUnderPngName()
{
    // Qt finds the format from the content when the name is wrong.
    QTemporaryDir dir;
    const QImage original = pattern(QSize(8, 8), QImage::Format_RGB32);
    const QString path = write(dir, QStringLiteral("really.png"), original, "bmp");
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), original);
}

void TestPngReader::otherFormatsAsBefore()
{
    QTemporaryDir dir;
    const QImage original = pattern(QSize(12, 9), QImage::Format_RGB32);
    QCOMPARE(QImage(write(dir, QStringLiteral("picture.bmp"), original, "bmp"))
                 .convertToFormat(QImage::Format_RGB32),
             original);
    // A format only a plugin reads, found by its name and by its content.
    const QString tiffPath = write(dir, QStringLiteral("picture.tiff"), original, "tiff");
    QCOMPARE(QImage(tiffPath).convertToFormat(QImage::Format_RGB32), original);
    QFile tiff(tiffPath);
    QVERIFY(tiff.open(QIODevice::ReadOnly));
    QImage fromBytes;
    QVERIFY(fromBytes.loadFromData(tiff.readAll()));
    QCOMPARE(fromBytes.convertToFormat(QImage::Format_RGB32), original);
}

POSTWRIGHT_GUI_TEST_MAIN(TestPngReader)
#include "tst_pngreader.moc"
