// Finding the desktop's browser and starting it with an address.
#include "DesktopHandler.h"
#include "OpenInBrowser.h"
#include "XdgFixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace fs = std::filesystem;

namespace {

const char *const Http = "x-scheme-handler/http";

// The desktop file ID that DefaultEntry found, or "" when none.
QString foundId(const XdgFixture &xdg)
{
    const auto entry = DesktopHandler::DefaultEntry(Http, DesktopHandler::XdgDirs::fromEnvironment());
    if (!entry)
        return {};
    for (const fs::path &dir : {xdg.dataHome, xdg.dataDir}) {
        const fs::path rel = entry->lexically_relative(dir / "applications");
        if (!rel.empty() && !rel.string().starts_with(".."))
            return QString::fromStdString(rel.generic_string()).replace('/', '-');
    }
    return QString::fromStdString(entry->string());
}

void writeList(const fs::path &file, const std::string &text)
{
    fs::create_directories(file.parent_path());
    writeBytes(file, text);
}

} // namespace

class TestOpenInBrowser : public QObject {
    Q_OBJECT

private slots:
    void defaultEntry_data();
    void defaultEntry();
    void agreesWithXdgMime();
    void addressArrivesWhole_data();
    void addressArrivesWhole();
    void optionLikeAddressStartsNothing();
    void noBrowserRegistered();
    void programFoundAlongPath();
    void browserThatCannotStartStillCounts();
};

void TestOpenInBrowser::defaultEntry_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing registered") << "none"
                                        << "";
    QTest::newRow("user's default") << "user default"
                                    << "a.desktop";
    QTest::newRow("user's default before the system's") << "user and system default"
                                                        << "a.desktop";
    QTest::newRow("system default") << "system default"
                                    << "b.desktop";
    QTest::newRow("default not installed passes on") << "missing first"
                                                     << "b.desktop";
    QTest::newRow("desktop-specific list first") << "desktop list"
                                                 << "b.desktop";
    QTest::newRow("data folder list") << "data home list"
                                      << "a.desktop";
    QTest::newRow("older defaults.list") << "defaults.list"
                                         << "b.desktop";
    QTest::newRow("mime type case") << "case"
                                    << "a.desktop";
    QTest::newRow("entry in a subfolder") << "subfolder"
                                          << "vendor-c.desktop";
    QTest::newRow("hidden entry hides the system's") << "hidden"
                                                     << "";
    QTest::newRow("entry without Exec") << "no exec"
                                        << "";
    QTest::newRow("added association") << "added"
                                       << "b.desktop";
    QTest::newRow("removed association skipped") << "removed"
                                                 << "b.desktop";
    QTest::newRow("cache of installed entries") << "cache"
                                                << "a.desktop";
    QTest::newRow("removal hides the cache") << "cache removed"
                                             << "";
    QTest::newRow("other type only") << "other type"
                                     << "";
}

void TestOpenInBrowser::defaultEntry()
{
    QFETCH(QString, setup);
    QFETCH(QString, expected);
    XdgFixture xdg;
    xdg.writeEntry("a.desktop", "/opt/a %u");
    xdg.writeEntry("b.desktop", "/opt/b %u");
    const fs::path userList = xdg.configHome / "mimeapps.list";
    const fs::path systemList = xdg.dataDir / "applications" / "mimeapps.list";
    const std::string defaults = "[Default Applications]\n";

    if (setup == "user default") {
        writeList(userList, defaults + "x-scheme-handler/http=a.desktop;\n");
    } else if (setup == "user and system default") {
        writeList(userList, defaults + "x-scheme-handler/http=a.desktop\n");
        writeList(systemList, defaults + "x-scheme-handler/http=b.desktop\n");
    } else if (setup == "system default") {
        writeList(systemList,
                  "# delivered\n" + defaults + "text/html=a.desktop\nx-scheme-handler/http=b.desktop\n");
    } else if (setup == "missing first") {
        writeList(userList, defaults + "x-scheme-handler/http=gone.desktop;b.desktop;a.desktop\n");
    } else if (setup == "desktop list") {
        qputenv("XDG_CURRENT_DESKTOP", "Other:TEST");
        writeList(userList, defaults + "x-scheme-handler/http=a.desktop\n");
        writeList(xdg.configHome / "test-mimeapps.list", defaults + "x-scheme-handler/http=b.desktop\n");
    } else if (setup == "data home list") {
        writeList(xdg.dataHome / "applications" / "mimeapps.list",
                  defaults + "x-scheme-handler/http=a.desktop\n");
        writeList(systemList, defaults + "x-scheme-handler/http=b.desktop\n");
    } else if (setup == "defaults.list") {
        writeList(xdg.dataDir / "applications" / "defaults.list",
                  defaults + "x-scheme-handler/http=b.desktop\n");
    } else if (setup == "case") {
        writeList(userList, defaults + "X-Scheme-Handler/HTTP=a.desktop\n");
    } else if (setup == "subfolder") {
        xdg.writeEntry("vendor/c.desktop", "/opt/c %u");
        writeList(userList, defaults + "x-scheme-handler/http=vendor-c.desktop\n");
    } else if (setup == "hidden") {
        xdg.writeEntry("a.desktop", "/opt/a %u", xdg.dataHome, "Hidden=true\n");
        writeList(userList, defaults + "x-scheme-handler/http=a.desktop\n");
    } else if (setup == "no exec") {
        writeBytes(xdg.dataDir / "applications" / "a.desktop", "[Desktop Entry]\nName=a\n");
        writeList(userList, defaults + "x-scheme-handler/http=a.desktop\n");
    } else if (setup == "added") {
        writeList(userList, "[Added Associations]\nx-scheme-handler/http=gone.desktop;b.desktop\n");
    } else if (setup == "removed") {
        writeList(userList, "[Removed Associations]\nx-scheme-handler/http=a.desktop\n");
        writeList(systemList, "[Added Associations]\nx-scheme-handler/http=a.desktop;b.desktop\n");
    } else if (setup == "cache") {
        writeList(xdg.dataDir / "applications" / "mimeinfo.cache",
                  "[MIME Cache]\nx-scheme-handler/http=a.desktop;\n");
    } else if (setup == "cache removed") {
        writeList(userList, "[Removed Associations]\nx-scheme-handler/http=a.desktop\n");
        writeList(xdg.dataDir / "applications" / "mimeinfo.cache",
                  "[MIME Cache]\nx-scheme-handler/http=a.desktop;\n");
    } else if (setup == "other type") {
        writeList(userList, defaults + "x-scheme-handler/https=a.desktop\n");
    }
    QCOMPARE(foundId(xdg), expected);
}

void TestOpenInBrowser::agreesWithXdgMime()
{
    // The desktop's own tool reads the same folders the same way.
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty())
        QSKIP("xdg-mime is not installed");
    XdgFixture xdg;
    // The tool takes only entries whose program exists.
    xdg.writeRecorder(xdg.root / "record");
    xdg.writeEntry("a.desktop", (xdg.root / "record").string() + " %u");
    xdg.writeEntry("b.desktop", (xdg.root / "record").string() + " %u");
    writeList(xdg.configHome / "mimeapps.list",
              "[Default Applications]\nx-scheme-handler/http=b.desktop;a.desktop\n");
    writeList(xdg.dataDir / "applications" / "mimeapps.list",
              "[Default Applications]\nx-scheme-handler/http=a.desktop\n");
    QProcess query;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"KDE_FULL_SESSION", "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID",
                             "MATE_DESKTOP_SESSION_ID", "DESKTOP_SESSION", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    query.setProcessEnvironment(env);
    query.start(xdgMime, {"query", "default", Http});
    QVERIFY(query.waitForFinished());
    QCOMPARE(QString::fromUtf8(query.readAllStandardOutput()).trimmed(), QStringLiteral("b.desktop"));
    QCOMPARE(foundId(xdg), QStringLiteral("b.desktop"));
}

void TestOpenInBrowser::addressArrivesWhole_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "http://127.0.0.1/page";
    QTest::newRow("spaces and quotes") << "http://127.0.0.1/a b?q=\"x y\"&r='z' %20 $HOME `id` ;|";
    QTest::newRow("backslashes") << "http://127.0.0.1/\\a\\\\b";
}

void TestOpenInBrowser::addressArrivesWhole()
{
    QFETCH(QString, address);
    XdgFixture xdg;
    xdg.registerRecorder();
    QCOMPARE(RegisteredBrowser(), std::optional<std::string>(xdg.recorder.string()));
    QVERIFY(OpenInBrowser(address.toStdString()));
    QTRY_COMPARE(xdg.startedWith().size(), std::size_t(1));
    // The Exec line's options and field code are dropped: the address is the
    // one argument.
    QCOMPARE(xdg.startedWith().front(), QStringList{address});
}

void TestOpenInBrowser::optionLikeAddressStartsNothing()
{
    XdgFixture xdg;
    xdg.registerRecorder();
    QVERIFY(!OpenInBrowser("--remote-debugging-port=9222"));
    QVERIFY(!OpenInBrowser("-new-instance"));
    // A later start shows the recorder works, and it is the only one.
    QVERIFY(OpenInBrowser("http://127.0.0.1/after"));
    QTRY_COMPARE(xdg.startedWith().size(), std::size_t(1));
    QCOMPARE(xdg.startedWith().front(), QStringList{"http://127.0.0.1/after"});
}

void TestOpenInBrowser::noBrowserRegistered()
{
    XdgFixture xdg;
    xdg.writeRecorder(xdg.root / "record");
    xdg.writeEntry("recorder.desktop", (xdg.root / "record").string() + " %u");
    // Registered for another type only.
    writeBytes(xdg.configHome / "mimeapps.list", "[Default Applications]\ntext/html=recorder.desktop\n");
    QVERIFY(!RegisteredBrowser());
    QVERIFY(!OpenInBrowser("http://127.0.0.1/"));
    QVERIFY(xdg.startedWith().empty());
}

void TestOpenInBrowser::programFoundAlongPath()
{
    XdgFixture xdg;
    xdg.writeRecorder(xdg.root / "bin" / "pw-test-browser");
    xdg.writeEntry("named.desktop", "pw-test-browser %U");
    writeBytes(xdg.configHome / "mimeapps.list",
               "[Default Applications]\nx-scheme-handler/http=named.desktop\n");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString((xdg.root / "bin").string()) + ":" + oldPath);
    const bool opened = OpenInBrowser("http://127.0.0.1/path");
    qputenv("PATH", oldPath);
    QVERIFY(opened);
    QTRY_COMPARE(xdg.startedWith().size(), std::size_t(1));
    QCOMPARE(xdg.startedWith().front(), QStringList{"http://127.0.0.1/path"});
}

void TestOpenInBrowser::browserThatCannotStartStillCounts()
{
    XdgFixture xdg;
    xdg.writeEntry("gone.desktop", (xdg.root / "no such program").string() + " %u");
    writeBytes(xdg.configHome / "mimeapps.list",
               "[Default Applications]\nx-scheme-handler/http=gone.desktop\n");
    QVERIFY(OpenInBrowser("http://127.0.0.1/"));
}

QTEST_APPLESS_MAIN(TestOpenInBrowser)
#include "tst_openinbrowser.moc"
