// The skin engine: the built-in skin, skin files, the skinned frames.
#include "FFormats.h"
#include "FLogin.h"
#include "FUMessages.h"
#include "MainWindowFixture.h"
#include "ModalDialog.h"
#include "SkinArchive.h"
#include "TErrorDialog.h"
#include "TMessageDialog.h"
#include "TSkinEngine.h"
#include "TbsBusinessSkinForm.h"
#include "TbsSkinData.h"
#include "TbsSkinMessage.h"
#include "TestConfig.h"
#include "TestFiles.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QtEndian>

namespace fs = std::filesystem;

namespace {

const QString kSourceDir = QStringLiteral(POSTWRIGHT_DELIVERED_DATA "/..");
const QString kBrightSkin = QStringLiteral(POSTWRIGHT_TEST_DATA "/skins/bright");

// Builds a skin file from a skin folder as a skin maker does.
QByteArray makeSkin(const QString &folder, const QTemporaryDir &work)
{
    const QString out = work.filePath(QStringLiteral("made.skn"));
    QFile::remove(out);
    QProcess make;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RCC"), QStringLiteral(POSTWRIGHT_RCC));
    make.setProcessEnvironment(env);
    make.start(kSourceDir + QStringLiteral("/scripts/make-skin"), {folder, out});
    if (!make.waitForFinished(60000) || make.exitCode() != 0)
        qFatal("make-skin failed: %s", make.readAllStandardError().constData());
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("make-skin wrote nothing");
    return file.readAll();
}

// A resource file of a folder's files, made by rcc without make-skin's checks.
QByteArray packFolder(const QString &folder, const QTemporaryDir &work)
{
    QString qrc = QStringLiteral("<RCC><qresource prefix=\"/\">");
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        qrc += QStringLiteral("<file alias=\"%1\">%2/%1</file>").arg(name, folder);
    qrc += QStringLiteral("</qresource></RCC>");
    const QString qrcFile = work.filePath(QStringLiteral("packed.qrc"));
    const QString out = work.filePath(QStringLiteral("packed.skn"));
    writeBytes(qrcFile.toStdString(), qrc.toStdString());
    if (QProcess::execute(QStringLiteral(POSTWRIGHT_RCC),
                          {QStringLiteral("-binary"), QStringLiteral("--compress-algo"),
                           QStringLiteral("zlib"), qrcFile, QStringLiteral("-o"), out}) != 0)
        qFatal("rcc failed");
    return QByteArray::fromStdString(readBytes(out.toStdString()));
}

// A skin folder: the test skin's pictures with the given style sheet and
// manifest (either left out when null).
QString skinFolder(const QTemporaryDir &work, const QByteArray &qss, const QByteArray &json)
{
    const QString folder = work.filePath(QStringLiteral("skin"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString &picture : QDir(kBrightSkin).entryList({QStringLiteral("*.png")}))
        QFile::copy(kBrightSkin + QLatin1Char('/') + picture, folder + QLatin1Char('/') + picture);
    const auto put = [&folder](const char *name, const QByteArray &bytes) {
        if (bytes.isNull())
            return;
        QFile f(folder + QLatin1Char('/') + QLatin1String(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    };
    put("skin.qss", qss);
    put("skin.json", json);
    return folder;
}

// The colour of a control as it is drawn, half-way down, beside its border
// and clear of its text.
QColor centreColour(QWidget *control)
{
    const QImage image = control->grab().toImage();
    return image.pixelColor(4, image.height() / 2);
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 6 && qAbs(a.green() - b.green()) <= 6 && qAbs(a.blue() - b.blue()) <= 6;
}

QColor pictureCentre(const QString &file)
{
    const QImage image(file);
    if (image.isNull())
        qFatal("no picture %s", qPrintable(file));
    return image.pixelColor(image.rect().center());
}

QColor builtInButtonColour()
{
    return pictureCentre(QStringLiteral(POSTWRIGHT_DELIVERED_DATA "/skins/main/button.png"));
}
QColor brightButtonColour()
{
    return pictureCentre(kBrightSkin + QStringLiteral("/button.png"));
}

enum Window { Main, LoadMessage, Templates, MessageBox, ErrorDialog, Login };

// One of the program's windows over the main window of fixture, shown, with
// the name of one of its buttons.
struct OpenWindow {
    std::unique_ptr<QWidget> owned;
    QWidget *window = nullptr;
    const char *button = nullptr;
};

OpenWindow openWindow(MainWindowFixture &f, Window which)
{
    OpenWindow w;
    TfrmMain &main = *f.window;
    switch (which) {
    case Main:
        w.window = &main;
        w.button = "btnPreview";
        break;
    case LoadMessage:
        w.owned = std::make_unique<TfrmFMessages>(main, &main);
        w.button = "btnLoad";
        break;
    case Templates:
        w.owned = std::make_unique<TfrmFormat>(main, &main);
        w.button = "btnSave";
        break;
    case MessageBox:
        w.owned = main.messageBox()->CreateMessageDialog("Skinned?", TMsgKind::Information, TMsgButton::OK, 0,
                                                         &main);
        w.button = "OK";
        break;
    case ErrorDialog:
        w.owned = std::make_unique<TErrorDialog>(QStringLiteral("details"), &main);
        w.button = "btnOK";
        break;
    case Login:
        w.owned = std::make_unique<TfrmLogin>(QStringLiteral("127.0.0.1"), QString(), &main);
        w.button = "btnOK";
        break;
    }
    if (w.owned) {
        w.window = w.owned.get();
        w.window->show();
        if (!QTest::qWaitForWindowExposed(w.window))
            qFatal("window not shown");
    }
    return w;
}

void addWindowRows()
{
    QTest::addColumn<int>("window");
    QTest::newRow("main window") << int(Main);
    QTest::newRow("Load Message") << int(LoadMessage);
    QTest::newRow("Custom Message Templates") << int(Templates);
    QTest::newRow("message box") << int(MessageBox);
    QTest::newRow("error dialog") << int(ErrorDialog);
    QTest::newRow("login") << int(Login);
}

QStringList menuEntries(TbsBusinessSkinForm *frame)
{
    QStringList entries;
    for (QAction *a : frame->systemMenu()->actions())
        if (!a->isSeparator())
            entries << a->text().remove(QLatin1Char('&')) +
                           (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
    return entries;
}

} // namespace

class TestSkin : public QObject {
    Q_OBJECT
private slots:
    void builtInSkinDrawsEveryWindow_data() { addWindowRows(); }
    void builtInSkinDrawsEveryWindow();
    void skinFileRestylesEveryWindow_data() { addWindowRows(); }
    void skinFileRestylesEveryWindow();
    void skinFileSetsMessageBoxButtonsWidthAndFonts();
    void skinFileAtStart_data();
    void skinFileAtStart();
    void fileWithoutSkinLeavesBuiltIn_data();
    void fileWithoutSkinLeavesBuiltIn();
    void truncatedFilesHoldNoSkin();
    void manifestFallsBackKeyByKey_data();
    void manifestFallsBackKeyByKey();
    void picturesOnlyFromTheSkin_data();
    void picturesOnlyFromTheSkin();
    void captionButtonsPerWindow_data();
    void captionButtonsPerWindow();
    void systemMenuEntries_data();
    void systemMenuEntries();
    void clientAreaKeepsItsSizeInsideTheFrame();
    void titleDoubleClickMaximisesAndRestores();
    void closingTheFrameClosesTheDialog();
};

void TestSkin::builtInSkinDrawsEveryWindow()
{
    QFETCH(int, window);
    MainWindowFixture f;
    QVERIFY(TSkinEngine::instance().current() == TSkinEngine::instance().builtIn());
    const OpenWindow w = openWindow(f, Window(window));
    QVERIFY(TbsBusinessSkinForm::frameOf(w.window));
    const QColor drawn = centreColour(child(*w.window, w.button));
    QVERIFY2(near(drawn, builtInButtonColour()), qPrintable(drawn.name()));
}

void TestSkin::skinFileRestylesEveryWindow()
{
    QFETCH(int, window);
    QTemporaryDir work;
    MainWindowFixture f;
    writeBytes(f.appDir / "dbskin.dat", makeSkin(kBrightSkin, work).toStdString());
    const OpenWindow w = openWindow(f, Window(window));
    TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(w.window);
    QVERIFY(frame);
    const QSize clientSize = w.window->size();

    QVERIFY(f.window->skinData()->LoadFromCompressedFile(f.appDir / "dbskin.dat"));

    // The open window takes the new skin at once: its controls, its frame.
    QTRY_VERIFY2(near(centreColour(child(*w.window, w.button)), brightButtonColour()),
                 qPrintable(centreColour(child(*w.window, w.button)).name()));
    QCOMPARE(frame->titleBar()->height(), 30);
    QCOMPARE(w.window->size(), clientSize);
    QCOMPARE(w.window->pos(), QPoint(6, 5 + 30));
    QCOMPARE(frame->size(), clientSize + QSize(6 + 7, 5 + 30 + 8));
    const QImage drawnFrame = frame->grab().toImage();
    QCOMPARE(drawnFrame.pixelColor(1, 1), QColor(0xc00000));
}

void TestSkin::skinFileSetsMessageBoxButtonsWidthAndFonts()
{
    QTemporaryDir work;
    MainWindowFixture f;
    TbsSkinMessage *msg = f.window->messageBox();
    const auto box = [msg] { return msg->CreateMessageDialog("", TMsgKind::Custom, TMsgButton::OK, 0); };
    auto before = box();
    QCOMPARE(before->findChild<QPushButton *>("OK")->height(), 25);
    QCOMPARE(before->findChild<QLabel *>("Message")->font().family(), QStringLiteral("Arial"));

    writeBytes(f.appDir / "dbskin.dat", makeSkin(kBrightSkin, work).toStdString());
    QVERIFY(f.window->skinData()->LoadFromCompressedFile(f.appDir / "dbskin.dat"));

    auto after = box();
    QCOMPARE(after->findChild<QPushButton *>("OK")->height(), 31);
    // The skin's fonts win over the default ones.
    const QFont label = after->findChild<QLabel *>("Message")->font();
    QCOMPARE(label.family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(label.pixelSize(), 20);
    QCOMPARE(after->findChild<QPushButton *>("OK")->font().pixelSize(), 18);
    // No skinned window is narrower than the skin's frame picture (300 wide).
    QCOMPARE(TbsBusinessSkinForm::frameOf(after.get())->width(), 300);
    QCOMPARE(after->width(), 300 - 6 - 7);

    // Without UseSkinFont the default fonts stay.
    msg->setUseSkinFont(false);
    auto plain = box();
    QCOMPARE(plain->findChild<QLabel *>("Message")->font().family(), QStringLiteral("Arial"));
    QCOMPARE(plain->findChild<QPushButton *>("OK")->height(), 31);
}

void TestSkin::skinFileAtStart_data()
{
    QTest::addColumn<bool>("brandingFile");
    QTest::addColumn<bool>("skinned");
    QTest::newRow("with the branding file") << true << true;
    // Without the branding file nothing of the branding runs, the skin neither.
    QTest::newRow("without the branding file") << false << false;
}

void TestSkin::skinFileAtStart()
{
    QFETCH(bool, brandingFile);
    QFETCH(bool, skinned);
    QTemporaryDir work;
    TestAppDir dir;
    const fs::path appDir = dirOf(dir);
    writeBytes(appDir / "dbskin.dat", makeSkin(kBrightSkin, work).toStdString());
    if (brandingFile)
        writeBytes(appDir / "dbconfig.dat", "[Settings]\r\n");
    TfrmMain window(appDir);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(TSkinEngine::instance().current() != TSkinEngine::instance().builtIn(), skinned);
    QCOMPARE(TbsBusinessSkinForm::frameOf(&window)->titleBar()->height(),
             skinned ? 30 : TSkinEngine::instance().builtIn()->values().titleBarHeight);
    QCOMPARE(window.size(), QSize(858, 566));
    const QColor drawn = centreColour(child(window, "btnPreview"));
    QVERIFY2(near(drawn, skinned ? brightButtonColour() : builtInButtonColour()), qPrintable(drawn.name()));
}

void TestSkin::fileWithoutSkinLeavesBuiltIn_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTemporaryDir work;
    const QByteArray skin = makeSkin(kBrightSkin, work);
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("not a resource") << QByteArray("[Settings]\r\nAppName=Skin\r\n");
    QTest::newRow("truncated") << skin.left(skin.size() / 2);
    QByteArray corrupt = skin;
    // The tree, data and name offsets point past the end.
    corrupt.replace(8, 12, QByteArray(12, '\xff'));
    QTest::newRow("corrupt offsets") << corrupt;
    QByteArray loop = skin;
    // The root folder names itself as its first child.
    const quint32 tree = qFromBigEndian<quint32>(skin.constData() + 8);
    loop.replace(qsizetype(tree) + 10, 4, QByteArray(4, '\0'));
    QTest::newRow("folder holding itself") << loop;
    QByteArray lyingName = skin;
    // A name whose stored hash is not its own: the resource system would not
    // find the file under it.
    const quint32 names = qFromBigEndian<quint32>(skin.constData() + 16);
    lyingName[qsizetype(names) + 5] = char(lyingName[qsizetype(names) + 5] ^ 0x01);
    QTest::newRow("name with a wrong hash") << lyingName;
    QByteArray oneCountry = skin;
    // A file packed for one country only, which other locales do not see.
    oneCountry[qsizetype(tree) + 22 + 7] = char(0x0f);
    QTest::newRow("file for one country") << oneCountry;
    QByteArray unknownFlags = skin;
    // The file says it needs a packer the resource system does not know.
    unknownFlags[20] = char(0x01);
    QTest::newRow("unknown packer") << unknownFlags;
    QByteArray oversized = skin;
    oversized.append(QByteArray(SkinArchive::MaxFileSize + 1 - skin.size(), '\0'));
    QTest::newRow("oversized") << oversized;
    QTest::newRow("no style sheet") << packFolder(
        skinFolder(work, QByteArray(), QByteArray("{\"format\": 1}")), work);
}

void TestSkin::fileWithoutSkinLeavesBuiltIn()
{
    QFETCH(QByteArray, bytes);
    MainWindowFixture f;
    writeBytes(f.appDir / "dbskin.dat", bytes.toStdString());
    QVERIFY(!f.window->skinData()->LoadFromCompressedFile(f.appDir / "dbskin.dat"));
    QVERIFY(TSkinEngine::instance().current() == TSkinEngine::instance().builtIn());
    QVERIFY(near(centreColour(f.control("btnPreview")), builtInButtonColour()));
    QVERIFY(!f.window->skinData()->LoadFromCompressedFile(f.appDir / "missing.dat"));
}

void TestSkin::truncatedFilesHoldNoSkin()
{
    TSkinEngine::instance(); // makes the built-in skin's resource known
    QFile file(QStringLiteral(":/skins/main.skn"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    QVERIFY(SkinFile::parse(whole, TSkinValues{}));
    for (qsizetype n = 0; n < whole.size(); ++n)
        QVERIFY2(!SkinFile::parse(whole.left(n), TSkinValues{}), qPrintable(QString::number(n)));
}

void TestSkin::manifestFallsBackKeyByKey_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("titleBarHeight");
    QTest::addColumn<int>("leftBorder");
    QTest::addColumn<int>("buttonHeight");
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("frame");

    const TSkinValues &b = TSkinEngine::instance().builtIn()->values();
    const int bh = b.titleBarHeight, bl = b.borders.left(), bb = b.buttonHeight, bf = b.framePictureWidth;
    const QString bt = b.colours.value("title").name(), bfr = b.colours.value("frame").name();
    const QByteArray good = R"({"format": 1, "titleBarHeight": 30, "borders": {"left": 6},
        "pictures": {"frame": "frame.png", "button": "button.png"},
        "colors": {"title": "#112233", "frame": "#445566"}})";
    QTest::newRow("all good") << good << 30 << 6 << 31 << 300 << "#112233"
                              << "#445566";
    QTest::newRow("colour Qt does not know")
        << QByteArray(good).replace("#112233", "notacolour") << 30 << 6 << 31 << 300 << bt << "#445566";
    QTest::newRow("title bar out of range")
        << QByteArray(good).replace("30", "500") << bh << 6 << 31 << 300 << "#112233"
        << "#445566";
    QTest::newRow("border not a number")
        << QByteArray(good).replace("\"left\": 6", "\"left\": \"6\"") << 30 << bl << 31 << 300 << "#112233"
        << "#445566";
    QTest::newRow("picture outside the skin")
        << QByteArray(good).replace("\"button.png\"", "\"../bright/button.png\"") << 30 << 6 << bb << 300
        << "#112233"
        << "#445566";
    QTest::newRow("picture that is no picture")
        << QByteArray(good).replace("\"frame.png\"", "\"skin.json\"") << 30 << 6 << 31 << bf << "#112233"
        << "#445566";
    QTest::newRow("unknown format") << QByteArray(good).replace("\"format\": 1", "\"format\": 2") << bh << bl
                                    << bb << bf << bt << bfr;
    QTest::newRow("not an object") << QByteArray("[1, 2]") << bh << bl << bb << bf << bt << bfr;
    QTest::newRow("not JSON") << QByteArray("{\"format\": 1,") << bh << bl << bb << bf << bt << bfr;
    QTest::newRow("no manifest") << QByteArray() << bh << bl << bb << bf << bt << bfr;
}

void TestSkin::manifestFallsBackKeyByKey()
{
    QFETCH(QByteArray, json);
    QTemporaryDir work;
    const QByteArray bytes = makeSkin(skinFolder(work, "QLabel { color: red; }", json), work);
    const std::shared_ptr<const TSkin> skin = TSkinEngine::instance().read(bytes);
    QVERIFY(skin);
    const TSkinValues &v = skin->values();
    QTEST(v.titleBarHeight, "titleBarHeight");
    QTEST(v.borders.left(), "leftBorder");
    QTEST(v.buttonHeight, "buttonHeight");
    QTEST(v.framePictureWidth, "frameWidth");
    QTEST(v.colours.value("title").name(), "title");
    QTEST(v.colours.value("frame").name(), "frame");
}

void TestSkin::picturesOnlyFromTheSkin_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("resolved");
    QTest::newRow("skin picture") << "a { image: url(skin:/button.png); }"
                                  << "a { image: url(\":/r/button.png\"); }";
    QTest::newRow("quoted") << "a { image: url('skin:/button.png'); }"
                            << "a { image: url(\":/r/button.png\"); }";
    QTest::newRow("missing picture") << "a { image: url(skin:/nothing.png); }"
                                     << "a { image: none; }";
    QTest::newRow("climbing out") << "a { image: url(skin:/../button.png); }"
                                  << "a { image: none; }";
    QTest::newRow("file of the system") << "a { image: url(/etc/passwd); }"
                                        << "a { image: none; }";
    QTest::newRow("program's own resource") << "a { image: url(:/icons/back.png); }"
                                            << "a { image: none; }";
}

void TestSkin::picturesOnlyFromTheSkin()
{
    QFETCH(QString, sheet);
    const QMap<QString, QByteArray> files{{QStringLiteral("button.png"), QByteArray("x")}};
    QTEST(SkinFile::resolvePictures(sheet, files, QStringLiteral(":/r")), "resolved");
}

void TestSkin::captionButtonsPerWindow_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("buttons");
    const QStringList all{"skinSystemMenu", "skinMinimize", "skinMaximize", "skinClose"};
    QTest::newRow("main window") << int(Main) << all;
    QTest::newRow("Load Message") << int(LoadMessage)
                                  << QStringList{"skinMinimize", "skinMaximize", "skinClose"};
    QTest::newRow("Custom Message Templates") << int(Templates) << QStringList{};
    QTest::newRow("message box") << int(MessageBox) << QStringList{};
    QTest::newRow("error dialog") << int(ErrorDialog) << QStringList{"skinClose"};
    QTest::newRow("login") << int(Login) << QStringList{"skinClose"};
}

void TestSkin::captionButtonsPerWindow()
{
    QFETCH(int, window);
    QFETCH(QStringList, buttons);
    MainWindowFixture f;
    const OpenWindow w = openWindow(f, Window(window));
    TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(w.window);
    QVERIFY(frame);
    QVERIFY(frame->windowFlags() & Qt::FramelessWindowHint);
    QStringList shown;
    for (QToolButton *b : frame->titleBar()->findChildren<QToolButton *>())
        if (b->isVisible())
            shown << b->objectName();
    shown.sort();
    buttons.sort();
    QCOMPARE(shown, buttons);
}

void TestSkin::systemMenuEntries_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("main window") << int(Main) << QStringList{"Restore (off)", "Move",     "Size",
                                                             "Minimize",      "Maximize", "Close"};
    QTest::newRow("Load Message") << int(LoadMessage) << QStringList{"Restore (off)", "Move",     "Size",
                                                                     "Minimize",      "Maximize", "Close"};
    QTest::newRow("Custom Message Templates") << int(Templates) << QStringList{"Move", "Close"};
    QTest::newRow("message box") << int(MessageBox) << QStringList{"Move", "Close"};
}

void TestSkin::systemMenuEntries()
{
    QFETCH(int, window);
    QFETCH(QStringList, entries);
    MainWindowFixture f;
    const OpenWindow w = openWindow(f, Window(window));
    TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(w.window);
    QCOMPARE(menuEntries(frame), entries);
}

void TestSkin::clientAreaKeepsItsSizeInsideTheFrame()
{
    MainWindowFixture f;
    TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(f.window.get());
    QVERIFY(frame);
    QVERIFY(frame->isWindow());
    QVERIFY(!f.window->isWindow());
    const TSkinValues &v = TSkinEngine::instance().current()->values();
    QCOMPARE(f.window->size(), QSize(858, 566));
    QCOMPARE(f.window->pos(), QPoint(v.borders.left(), v.borders.top() + v.titleBarHeight));
    QCOMPARE(frame->size(), QSize(858 + v.borders.left() + v.borders.right(),
                                  566 + v.borders.top() + v.titleBarHeight + v.borders.bottom()));
    QCOMPARE(frame->windowTitle(), QStringLiteral("Postwright"));
    // A size given to the window is the client area's; the frame follows.
    f.window->resize(900, 600);
    QCOMPARE(frame->size(), QSize(900 + v.borders.left() + v.borders.right(),
                                  600 + v.borders.top() + v.titleBarHeight + v.borders.bottom()));
}

void TestSkin::titleDoubleClickMaximisesAndRestores()
{
    MainWindowFixture f;
    TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(f.window.get());
    QWidget *title = frame->titleBar();
    const QPoint caption(title->width() / 2, title->height() / 2);
    QTest::mouseDClick(title, Qt::LeftButton, Qt::NoModifier, caption);
    QTRY_VERIFY(frame->isMaximized());
    QTRY_COMPARE(f.window->geometry(),
                 frame->rect().marginsRemoved(TSkinEngine::instance().current()->values().borders +
                                              QMargins(0, title->height(), 0, 0)));
    QCOMPARE(menuEntries(frame),
             (QStringList{"Restore", "Move (off)", "Size (off)", "Minimize", "Maximize (off)", "Close"}));
    QTest::mouseDClick(title, Qt::LeftButton, Qt::NoModifier, caption);
    QTRY_VERIFY(!frame->isMaximized());
    QTRY_COMPARE(f.window->size(), QSize(858, 566));
}

void TestSkin::closingTheFrameClosesTheDialog()
{
    MainWindowFixture f;
    TfrmFMessages dialog(*f.window, f.window.get());
    bool closed = false;
    ModalDialog::answerNext([&closed](QDialog &d) {
        TbsBusinessSkinForm *frame = TbsBusinessSkinForm::frameOf(&d);
        QVERIFY(frame && frame->isVisible());
        QVERIFY(frame->isModal());
        QTest::mouseClick(frame->captionButton(TbsBusinessSkinForm::Close), Qt::LeftButton);
        closed = !d.isVisible() && !frame->isVisible();
    });
    QCOMPARE(ModalDialog::exec(dialog), int(QDialog::Rejected));
    QVERIFY(closed);
}

POSTWRIGHT_GUI_TEST_MAIN(TestSkin)
#include "tst_skin.moc"
