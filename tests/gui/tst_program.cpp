// The program as separate processes over one folder: one copy per folder, a
// clean end on the signals that end a session, and no leftovers of cut-off
// saves.
#include "MetafileBytes.h"
#include "TestFiles.h"
#include "TestHttpServer.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <map>

namespace fs = std::filesystem;

namespace {

// One copy of the program, started over a folder as a user starts it.
class Copy {
public:
    // keepErrors keeps what the copy writes to its error output, for errors();
    // otherwise the engine's notes go to the test's own error output. program
    // is the driver, or a copy of it elsewhere.
    explicit Copy(const QString &dir, const QString &address = {},
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                  bool keepErrors = false, const QString &program = QStringLiteral(POSTWRIGHT_DRIVER))
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(keepErrors ? QProcess::SeparateChannels
                                                   : QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            while (m_process.canReadLine())
                m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
        });
        QStringList args{dir};
        if (!address.isEmpty())
            args << address;
        m_process.start(program, args);
    }
    ~Copy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    bool says(const QString &line, int ms = 30000)
    {
        return QTest::qWaitFor([&] { return m_lines.contains(line); }, ms);
    }
    bool said(const QString &line) const { return m_lines.contains(line); }
    // The first line said that starts with head, once one is said.
    QString saysStartingWith(const QString &head, int ms = 30000)
    {
        QString found;
        const auto seen = [&] {
            for (const QString &l : m_lines)
                if (found.isEmpty() && l.startsWith(head))
                    found = l;
            return !found.isEmpty();
        };
        return seen() || QTest::qWaitFor(seen, ms) ? found : QString();
    }
    bool crashed() const { return m_process.exitStatus() == QProcess::CrashExit; }
    bool ends(int ms = 30000)
    {
        return QTest::qWaitFor([&] { return m_process.state() == QProcess::NotRunning; }, ms);
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    // The files the running copy has mapped: its executable and libraries.
    QString mappedFiles() const
    {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(m_process.processId()));
        return maps.open(QIODevice::ReadOnly) ? QString::fromUtf8(maps.readAll()) : QString();
    }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    void signal(int s) const { ::kill(pid_t(m_process.processId()), s); }
    // 0 for a copy that ended by itself with status 0.
    int status() const
    {
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : 128 + m_process.exitCode();
    }

private:
    QProcess m_process;
    QStringList m_lines;
};

// Every file below dir with its bytes, to prove that nothing was written.
std::map<std::string, std::string> contentsOf(const fs::path &dir)
{
    std::map<std::string, std::string> files;
    for (const auto &e : fs::recursive_directory_iterator(dir))
        files[fs::relative(e.path(), dir).string()] = e.is_regular_file() ? readBytes(e.path()) : "<dir>";
    return files;
}

// An X server of the test's own, for what only a real window system shows.
class XServer {
public:
    XServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        // It writes the number of the display it found free.
        m_process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
        if (m_process.waitForReadyRead(30000))
            m_display = QStringLiteral(":") + QString::fromLatin1(m_process.readLine()).trimmed();
    }
    ~XServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    // Empty when there is no X server.
    QString display() const { return m_display; }
    // The test's environment with this server as the display.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // OpenGL drawn in software allocates at a rate that the sanitizer's
        // slow unwinding on every allocation turns into minutes per page.
        const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        if (!asan.isEmpty())
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       QString(asan).replace(QStringLiteral("fast_unwind_on_malloc=0"),
                                             QStringLiteral("fast_unwind_on_malloc=1")));
        return env;
    }

private:
    QProcess m_process;
    QString m_display;
};

const std::string someForums = "URL^Username^Password^\r\nhttp://a.example/^ann^pw^\r\n";

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void secondCopyHandsOverAndWritesNothing();
    void crashedCopyDoesNotHoldTheFolder();
    void copiesInOtherFoldersRunSideBySide();
    void leftoverTemporaryFilesGoAtStart();
    void signalEndsTheRunLikeClosingTheWindow_data();
    void signalEndsTheRunLikeClosingTheWindow();
    void firstPageKeepsTheWindowAndTheFocus();
    void browserIsLoadedWithTheFirstPage();
    void missingBrowserLibraryIsReported();
    void metafileBannerLoadsItsLibrary_data();
    void metafileBannerLoadsItsLibrary();
    void nothingIsWrittenIntoHome_data();
    void nothingIsWrittenIntoHome();
    void crashIsReportedOnceAtTheNextStart_data();
    void crashIsReportedOnceAtTheNextStart();
};

void TestProgram::secondCopyHandsOverAndWritesNothing()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Forums.dat", someForums);
    Copy first(dir.path());
    QVERIFY(first.says("ready"));
    // What the first copy's own check at start writes is not the second's doing.
    QVERIFY(first.says("checked"));
    const auto before = contentsOf(dirOf(dir));

    Copy second(dir.path());
    QVERIFY(second.ends());
    QCOMPARE(second.status(), 0);
    QVERIFY(!second.said("ready"));
    QVERIFY(first.says("activated"));
    QVERIFY(first.running());
    QCOMPARE(contentsOf(dirOf(dir)), before);
}

void TestProgram::crashedCopyDoesNotHoldTheFolder()
{
    QTemporaryDir dir;
    {
        Copy crashed(dir.path());
        QVERIFY(crashed.says("ready"));
        crashed.signal(SIGKILL);
        QVERIFY(crashed.ends());
    }
    // The crashed copy's lock is still there; its process is not.
    QVERIFY(fs::exists(dirOf(dir) / "Postwright.lock"));
    Copy next(dir.path());
    QVERIFY(next.says("ready"));
}

void TestProgram::copiesInOtherFoldersRunSideBySide()
{
    QTemporaryDir one, two;
    Copy a(one.path());
    Copy b(two.path());
    QVERIFY(a.says("ready"));
    QVERIFY(b.says("ready"));
}

void TestProgram::leftoverTemporaryFilesGoAtStart()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Forums.dat", someForums);
    writeBytes(dirOf(dir) / ".Forums.dat.Qw3rty.tmp", someForums);
    Copy first(dir.path());
    QVERIFY(first.says("ready"));
    QVERIFY(!fs::exists(dirOf(dir) / ".Forums.dat.Qw3rty.tmp"));
    QCOMPARE(readBytes(dirOf(dir) / "Forums.dat"), someForums);

    // A second copy leaves alone what may be the first one's save in progress.
    writeBytes(dirOf(dir) / ".Forums.dat.Zx12cv.tmp", someForums);
    Copy second(dir.path());
    QVERIFY(second.ends());
    QVERIFY(fs::exists(dirOf(dir) / ".Forums.dat.Zx12cv.tmp"));
}

void TestProgram::signalEndsTheRunLikeClosingTheWindow_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestProgram::signalEndsTheRunLikeClosingTheWindow()
{
    QFETCH(int, signal);
    TestHttpServer server;
    const QByteArray session = "s" + QByteArray::number(signal);
    server.route("/login", [&](const TestHttpServer::Request &) {
        return TestHttpServer::Response{200, "<html><head><title>Logged in</title></head><body>hi</body></html>",
                                        "text/html", {{"Set-Cookie", "session=" + session + "; Max-Age=86400; Path=/"}}};
    });
    server.route("/check", [](const TestHttpServer::Request &) {
        return TestHttpServer::Response{200, "<html><head><title>Check</title></head></html>"};
    });

    QTemporaryDir dir;
    {
        Copy copy(dir.path(), server.url("/login").toString());
        QVERIFY(copy.says("loaded Logged in"));
        // At once: the engine would write its cookies out by itself only later.
        copy.signal(signal);
        QVERIFY(copy.ends());
        QCOMPARE(copy.status(), 0);
    }
    Copy again(dir.path(), server.url("/check").toString());
    QVERIFY(again.says("loaded Check"));
    QCOMPARE(server.requestsFor("/check"), 1);
    QVERIFY2(server.requests().last().headers.value("cookie").contains("session=" + session),
             server.requests().last().headers.value("cookie").constData());
}

void TestProgram::crashIsReportedOnceAtTheNextStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGSEGV") << "SIGSEGV" << SIGSEGV;
    QTest::newRow("SIGABRT") << "SIGABRT" << SIGABRT;
}

void TestProgram::crashIsReportedOnceAtTheNextStart()
{
    QFETCH(QString, name);
    QFETCH(int, signal);
    QTemporaryDir dir;
    {
        Copy crashing(dir.path(), "crash:" + name);
        QVERIFY(crashing.ends());
        // It still dies of the signal, as it would have without a report.
        QVERIFY(crashing.crashed());
    }
    const std::string head =
        "Postwright 1.01 ended by signal " + std::to_string(signal) + " (" + name.toStdString() + ") at ";
    const std::string report = readBytes(dirOf(dir) / "crash.log");
    QVERIFY2(report.starts_with(head), report.c_str());
    QVERIFY2(QRegularExpression("^at \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC\\.\n")
                 .match(QString::fromStdString(report.substr(head.size() - 3)))
                 .hasMatch(),
             report.c_str());
    QCOMPARE(report.substr(head.size(), 4), QDate::currentDate().toString("yyyy").toStdString());
    // The backtrace names the frames of the program that crashed.
    const auto trace = report.find("\nBacktrace:\n");
    QVERIFY(trace != std::string::npos);
    QVERIFY2(report.find("postwright_driver", trace) != std::string::npos, report.c_str());

    {
        Copy next(dir.path());
        QCOMPARE(next.saysStartingWith("reported ").toStdString().substr(0, 9 + head.size()), "reported " + head);
        QVERIFY(!fs::exists(dirOf(dir) / "crash.log"));
        // The report stays in the error log for later.
        QVERIFY(readBytes(dirOf(dir) / "error.log").find("  " + head) != std::string::npos);
        next.signal(SIGTERM);
        QVERIFY(next.ends());
    }
    Copy third(dir.path());
    QVERIFY(third.says("ready"));
    QTest::qWait(1000);
    QVERIFY(third.saysStartingWith("reported ", 0).isEmpty());
}

// On a real window system the engine's first page must not make the window
// anew: the same native window, and the focus where the user left it.
void TestProgram::firstPageKeepsTheWindowAndTheFocus()
{
    XServer x;
    QVERIFY2(!x.display().isEmpty(), "Xvfb is needed (scripts/install-deps.sh installs it)");
    TestHttpServer server;
    QTemporaryDir dir;
    Copy copy(dir.path(), server.url("/page_a.html").toString(), x.environment());
    // Drawing with OpenGL in software takes a while in a sanitizer build.
    QVERIFY(copy.says("loaded Page A", 180000));
    const QString before = copy.saysStartingWith(QStringLiteral("window ")).mid(7);
    QVERIFY2(!before.isEmpty() && before != "0", qPrintable(before));
    QCOMPARE(copy.saysStartingWith(QStringLiteral("after ")).mid(6), before + QStringLiteral(" edtSubject"));
}

// The window shows before any part of the browser engine is in the process;
// the first page loads the browser's library from beside the program, and the
// engine has nothing to say about coming late.
void TestProgram::browserIsLoadedWithTheFirstPage()
{
    XServer x;
    QVERIFY2(!x.display().isEmpty(), "Xvfb is needed (scripts/install-deps.sh installs it)");
    TestHttpServer server;
    QTemporaryDir dir;
    {
        Copy idle(dir.path(), {}, x.environment());
        QVERIFY(idle.says("ready"));
        const QString mapped = idle.mappedFiles();
        QVERIFY(mapped.contains(QStringLiteral("libQt6Widgets")));
        QVERIFY2(!mapped.contains(QStringLiteral("libQt6WebEngineCore")), qPrintable(mapped));
        QVERIFY2(!mapped.contains(QStringLiteral("PostwrightBrowser")), qPrintable(mapped));
        // Nor the metafile reader, which only a metafile banner needs.
        for (const char *library : {"PostwrightMetafile", "libwmf", "libemf2svg", "libQt6Svg"})
            QVERIFY2(!mapped.contains(QLatin1String(library)), library);
        idle.signal(SIGTERM);
        QVERIFY(idle.ends());
    }
    Copy browsing(dir.path(), server.url("/page_a.html").toString(), x.environment(), true);
    QVERIFY(browsing.says("loaded Page A", 180000));
    const QString mapped = browsing.mappedFiles();
    QVERIFY2(mapped.contains(QStringLiteral("/PostwrightBrowser.so")), qPrintable(mapped));
    QVERIFY(mapped.contains(QStringLiteral("libQt6WebEngineCore")));
    const QString errors = browsing.errors();
    QVERIFY2(!errors.contains(QStringLiteral("Qt WebEngine seems to be initialized from a plugin")),
             qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("must be set before QCoreApplication is created")),
             qPrintable(errors));
}

// A program folder that lacks the browser library still shows the window; the
// first page then reports the missing library, and the program runs on.
void TestProgram::missingBrowserLibraryIsReported()
{
    QTemporaryDir programDir;
    const QString driver = programDir.filePath(QStringLiteral("postwright_driver"));
    QVERIFY(QFile::copy(QStringLiteral(POSTWRIGHT_DRIVER), driver));
    QVERIFY(!QFile::exists(programDir.filePath(QStringLiteral("PostwrightBrowser.so"))));
    TestHttpServer server;
    QTemporaryDir dir;
    Copy copy(dir.path(), server.url("/page_a.html").toString(), QProcessEnvironment::systemEnvironment(), false,
              driver);
    QVERIFY(copy.says("ready"));
    const QString reported = copy.saysStartingWith(QStringLiteral("reported "));
    const QString expected = QStringLiteral("reported Cannot load the web browser \"%1\": ")
                                 .arg(programDir.filePath(QStringLiteral("PostwrightBrowser.so")));
    QVERIFY2(reported.startsWith(expected), qPrintable(reported));
    QVERIFY(copy.running());
    QVERIFY(!copy.said("loaded Page A"));
}

void TestProgram::metafileBannerLoadsItsLibrary_data()
{
    QTest::addColumn<bool>("besideTheProgram");
    QTest::newRow("library there") << true;
    QTest::newRow("library missing") << false;
}

// A metafile banner loads the metafile reader's library from beside the
// program; without it the window still shows, with the missing library
// reported.
void TestProgram::metafileBannerLoadsItsLibrary()
{
    QFETCH(bool, besideTheProgram);
    QTemporaryDir programDir;
    QString driver = QStringLiteral(POSTWRIGHT_DRIVER);
    if (!besideTheProgram) {
        driver = programDir.filePath(QStringLiteral("postwright_driver"));
        QVERIFY(QFile::copy(QStringLiteral(POSTWRIGHT_DRIVER), driver));
    }
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "dbconfig.dat", "[Settings]\nBannerPath1=ad.wmf\n");
    writeBytes(dirOf(dir) / "dbimg1.dat", MetafileBytes::wmf(44, 22, 0x0000FF));
    Copy copy(dir.path(), {}, QProcessEnvironment::systemEnvironment(), false, driver);
    QVERIFY(copy.says("ready"));
    if (besideTheProgram) {
        const QString mapped = copy.mappedFiles();
        QVERIFY2(mapped.contains(QStringLiteral("/PostwrightMetafile.so")), qPrintable(mapped));
        QVERIFY(mapped.contains(QStringLiteral("libwmf")));
        QTest::qWait(200);
        QVERIFY(copy.saysStartingWith(QStringLiteral("reported "), 0).isEmpty());
    } else {
        const QString reported = copy.saysStartingWith(QStringLiteral("reported "));
        const QString expected = QStringLiteral("reported Cannot load the metafile reader \"%1\": ")
                                     .arg(programDir.filePath(QStringLiteral("PostwrightMetafile.so")));
        QVERIFY2(reported.startsWith(expected), qPrintable(reported));
        QVERIFY(copy.running());
    }
}

void TestProgram::nothingIsWrittenIntoHome_data()
{
    QTest::addColumn<bool>("x11");
    QTest::newRow("offscreen") << false;
    QTest::newRow("X11") << true;
}

// A run that opens a page, with a home folder of its own, leaves that folder
// as empty as it found it: what the program and its libraries write goes into
// the application directory.
void TestProgram::nothingIsWrittenIntoHome()
{
    QFETCH(bool, x11);
    XServer x;
    if (x11)
        QVERIFY2(!x.display().isEmpty(), "Xvfb is needed (scripts/install-deps.sh installs it)");
    QProcessEnvironment env = x11 ? x.environment() : QProcessEnvironment::systemEnvironment();
    QTemporaryDir home;
    env.insert(QStringLiteral("HOME"), home.path());
    for (const char *name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        env.remove(QLatin1String(name));

    TestHttpServer server;
    server.route("/login", [&](const TestHttpServer::Request &) {
        return TestHttpServer::Response{200, "<html><head><title>Logged in</title></head><body>hi</body></html>",
                                        "text/html", {{"Set-Cookie", "session=1; Max-Age=86400; Path=/"}}};
    });
    QTemporaryDir dir;
    {
        Copy copy(dir.path(), server.url("/login").toString(), env);
        QVERIFY(copy.says("loaded Logged in", 180000));
        // Ended as a session's end ends it, so that everything is written.
        copy.signal(SIGTERM);
        QVERIFY(copy.ends(180000));
    }
    QStringList written;
    for (const auto &[file, bytes] : contentsOf(dirOf(home)))
        written << QString::fromStdString(file);
    QVERIFY2(written.isEmpty(), qPrintable(written.join(QStringLiteral(", "))));
    // The browser's data is in the application directory instead.
    QVERIFY(fs::exists(dirOf(dir) / "BrowserProfile" / "Cookies"));
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
