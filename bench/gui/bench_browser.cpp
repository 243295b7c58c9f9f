// The embedded browser's costs that a user feels: how long the program takes
// to show its window (with or without the browser engine started first), and
// how long "Auto Insert" takes on a page with thousands of form elements, with
// the click's own cost and the page work also measured apart.
//
// Runs offscreen when there is no display. The start-up benchmark starts this
// executable again as the program would start, once per iteration.
#include "BrowserEntry.h"
#include "FMain.h"
#include "TApplication.h"
#include "TBrowserHost.h"
#include "TEmbeddedWB.h"
#include "TUpdateChecker.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

constexpr const char *probeOption = "--startup-probe";

void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
}

// Tells the parent, on stdout, when the window has drawn itself, and then how
// long starting the browser engine takes (as the first page opened would),
// in milliseconds since main began.
class StartupWatch : public QObject {
public:
    StartupWatch(TfrmMain &window, TEmbeddedWB &browser, const QElapsedTimer &clock)
        : m_window(window), m_browser(browser), m_clock(clock)
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // Right after this paint has reached the screen.
            QTimer::singleShot(0, this, [this] {
                report("shown");
                m_browser.startEngine();
                report("engine");
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    void report(const char *what)
    {
        std::printf("%s %.3f\n", what, double(m_clock.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
    }

    TfrmMain &m_window;
    TEmbeddedWB &m_browser;
    const QElapsedTimer &m_clock;
    bool m_painted = false;
};

// The program's start, as main.cpp does it, over an empty application folder.
int startupProbe(int argc, char **argv, bool engineFirst)
{
    QElapsedTimer clock;
    clock.start();
    TApplication app(argc, argv);
    TBrowserHost::setFactory(postwright_create_browser);
    QTemporaryDir dir;
    TfrmMain window(std::filesystem::path(dir.path().toStdString()));
    auto *browser = window.findChild<TEmbeddedWB *>(QStringLiteral("EmbeddedWB1"));
    if (engineFirst)
        browser->startEngine();
    StartupWatch watch(window, *browser, clock);
    window.show();
    return app.exec();
}

// Milliseconds after start that the probe reports for what, or -1.
double readProbeLine(QProcess &probe, const char *what)
{
    while (probe.state() != QProcess::NotRunning || probe.canReadLine()) {
        if (!probe.canReadLine() && !probe.waitForReadyRead(30000))
            return -1;
        while (probe.canReadLine()) {
            const QByteArray line = probe.readLine().trimmed();
            if (line.startsWith(what))
                return line.mid(qsizetype(std::strlen(what)) + 1).toDouble();
        }
    }
    return -1;
}

// From starting the program to its window being drawn, with the engine started
// before the window is shown (engine_first:1) or not (engine_first:0, as the
// program does: the engine starts with the first page opened). Counters: when
// the engine was up, from the program's start, had it been started right after
// the window; and the part of the start-up that ran inside main.
void BM_StartupToWindowShown(benchmark::State &state)
{
    const bool engineFirst = state.range(0) != 0;
    double engineSum = 0;
    double insideSum = 0;
    for (auto _ : state) {
        QProcess probe;
        probe.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        probe.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(probeOption),
                     engineFirst ? QStringLiteral("engine-first") : QStringLiteral("deferred")});
        const double shownInside = readProbeLine(probe, "shown");
        const double shown = double(clock.nsecsElapsed()) / 1e9;
        const double engineInside = readProbeLine(probe, "engine");
        const double engine = double(clock.nsecsElapsed()) / 1e6;
        probe.waitForFinished(30000);
        if (shownInside < 0 || engineInside < 0) {
            state.SkipWithError("the probe did not report");
            return;
        }
        state.SetIterationTime(shown);
        engineSum += engine;
        insideSum += shownInside;
    }
    state.counters["engine_started_ms"] = engineSum / double(state.iterations());
    state.counters["shown_after_main_ms"] = insideSum / double(state.iterations());
}
BENCHMARK(BM_StartupToWindowShown)
    ->ArgName("engine_first")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// A page with the given number of form elements in ten forms; "subject" and
// "body" come last, so each walk goes through every element.
QString bigFormPage(int elements)
{
    QString html = QStringLiteral("<!DOCTYPE html><html><head><title>Big</title></head><body>");
    const int perForm = elements / 10;
    int made = 0;
    for (int f = 0; f < 10; ++f) {
        html += QStringLiteral("<form>");
        const int here = f < 9 ? perForm : elements - made - 2;
        for (int i = 0; i < here; ++i, ++made)
            html += (i % 3 == 0) ? QStringLiteral("<input type=hidden name=h%1 value=v>").arg(made)
                                 : QStringLiteral("<input name=f%1>").arg(made);
        if (f == 9)
            html += QStringLiteral("<input name=subject><textarea name=body></textarea>");
        html += QStringLiteral("</form>");
    }
    return html + QStringLiteral("</body></html>");
}

struct BigPageWindow {
    QTemporaryDir dir;
    TfrmMain window{std::filesystem::path(dir.path().toStdString())};
    TEmbeddedWB *browser = window.findChild<TEmbeddedWB *>(QStringLiteral("EmbeddedWB1"));

    explicit BigPageWindow(int elements)
    {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        browser->startEngine();
        QSignalSpy loaded(browser, &QWebEngineView::loadFinished);
        browser->page()->setHtml(bigFormPage(elements), QUrl(QStringLiteral("http://127.0.0.1/")));
        loaded.wait(60000);
        window.findChild<QLineEdit *>(QStringLiteral("edtSubject"))->setText(QStringLiteral("A subject"));
        window.findChild<QPlainTextEdit *>(QStringLiteral("memBody"))
            ->setPlainText(QStringLiteral("First line\nSecond line \"quoted\" </script>"));
    }
};

// Waits until the page has run every script asked of it so far. Scripts run
// in the order they are asked for and their answers come back in that order,
// so when an empty one answers, the fill asked for before it has answered too.
// The empty script's own trip to the page is small beside a walk of thousands
// of elements.
void waitForPage(QWebEnginePage &page)
{
    QEventLoop loop;
    bool answered = false;
    page.runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld, [&](const QVariant &) {
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// From the click on "Auto Insert" to the page's answer that both fields are
// set. The click returns at once and the page does its work meanwhile, so each
// round waits for that answer before the next click. About the sum of the two
// figures below: the click's own cost and the page work.
void BM_AutoInsertClick(benchmark::State &state)
{
    BigPageWindow w(int(state.range(0)));
    auto *button = w.window.findChild<QPushButton *>(QStringLiteral("btnAutoInsert"));
    for (auto _ : state) {
        QTest::mouseClick(button, Qt::LeftButton);
        waitForPage(*w.browser->page());
    }
    if (!w.browser->FillField("subject", "check") || !w.browser->FillField("body", "check"))
        state.SkipWithError("the page's fields were not found");
}
BENCHMARK(BM_AutoInsertClick)->Arg(5000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The click's own cost: the same click on the same window before any page is
// opened, so the handler finds no page and returns at once. What is left is the
// mouse events, the button's drawing and reading the editor's texts.
void BM_AutoInsertClickWithoutPage(benchmark::State &state)
{
    QTemporaryDir dir;
    TfrmMain window{std::filesystem::path(dir.path().toStdString())};
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    auto *browser = window.findChild<TEmbeddedWB *>(QStringLiteral("EmbeddedWB1"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("btnAutoInsert"));
    for (auto _ : state)
        QTest::mouseClick(button, Qt::LeftButton);
    if (browser->engineStarted())
        state.SkipWithError("the click started the browser engine");
}
BENCHMARK(BM_AutoInsertClickWithoutPage)->UseRealTime()->Unit(benchmark::kMillisecond);

// The page work alone: what the click's handler asks of the page, both fields
// in one visit, each round waiting for the page's answer.
void BM_AutoInsertPageWork(benchmark::State &state)
{
    BigPageWindow w(int(state.range(0)));
    for (auto _ : state) {
        const std::vector<bool> set = w.browser->FillFields({{"subject", "A subject"}, {"body", "A body"}});
        if (!set[0] || !set[1]) {
            state.SkipWithError("the page's fields were not found");
            break;
        }
    }
}
BENCHMARK(BM_AutoInsertPageWork)->Arg(5000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same two walks as two visits to the page, one per field.
void BM_FillFieldTwice(benchmark::State &state)
{
    BigPageWindow w(int(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(w.browser->FillField("subject", "A subject"));
        benchmark::DoNotOptimize(w.browser->FillField("body", "A body"));
    }
}
BENCHMARK(BM_FillFieldTwice)->Arg(5000)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    prepareEnvironment();
    // The update check every window starts must not look the built-in server up.
    TUpdateChecker::setNetwork({TUpdateChecker::network().baseUrl, THttpClient::NumericResolver()});
    if (argc >= 2 && std::strcmp(argv[1], probeOption) == 0)
        return startupProbe(argc, argv, argc >= 3 && std::strcmp(argv[2], "engine-first") == 0);

    TApplication app(argc, argv);
    TBrowserHost::setFactory(postwright_create_browser);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
