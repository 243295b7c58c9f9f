// How long the main window goes without handling an event while an update
// check waits on the network. Prints the longest gap between two ticks of a
// 10 ms timer of the window's, for a check against a server that sends one
// byte every 100 ms, and for one whose name lookup never gets an answer
// (stopped by closing the window after three seconds). GAPS_ROUNDS sets the
// number of rounds of each (5).
#include "../../tests/ScriptedHttpServer.h"
#include "FMain.h"
#include "TApplication.h"
#include "TUpdateChecker.h"
#include "TbsSkinMessage.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Gaps {
    qint64 longest = 0;
    int ticks = 0;
    std::vector<qint64> all;
    // The gap that half of all gaps reach: on a busy machine the longest one
    // is mostly the time the scheduler kept the program waiting.
    qint64 median()
    {
        if (all.empty())
            return 0;
        std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
        return all[all.size() / 2];
    }
};

qint64 medianOf(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Clicks "Check Updates" and watches a timer of the window until the check is over.
Gaps measure(TfrmMain &window, int closeAfterMs)
{
    Gaps gaps;
    QElapsedTimer clock;
    qint64 last = -1;
    QTimer ticker(&window);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (last >= 0) {
            gaps.longest = std::max(gaps.longest, now - last);
            gaps.all.push_back(now - last);
        }
        if (last >= 0 && now - last > 150 && qEnvironmentVariableIsSet("GAPS_VERBOSE"))
            std::printf("  gap %lld ms ending at %lld ms\n", static_cast<long long>(now - last),
                        static_cast<long long>(now));
        last = now;
        ++gaps.ticks;
    });
    if (closeAfterMs > 0)
        QTimer::singleShot(closeAfterMs, &window, [&window] { window.close(); });
    clock.start();
    ticker.start();
    window.findChild<QPushButton *>(QStringLiteral("btnUpdate"))->click();
    ticker.stop();
    return gaps;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    TUpdateChecker::setNetwork({"http://127.0.0.1:1/liveupdate/postwright/", THttpClient::NumericResolver()});
    TApplication app(argc, argv);
    // The closing "no new updates" box is answered at once.
    TbsSkinMessage::setHook([](const TMessageBoxCall &) { return 1; });

    // One round is easily spoilt by the machine (another process, a virtual
    // CPU the host holds back), so the figure is the median over rounds of
    // each round's longest gap.
    const int rounds =
        qEnvironmentVariableIntValue("GAPS_ROUNDS") > 0 ? qEnvironmentVariableIntValue("GAPS_ROUNDS") : 5;
    const std::string answer = ScriptedHttpServer::answer("200 OK", "", "[APPLICATION]\r\nVersion=1.01\r\n");
    std::vector<qint64> trickling, silent;
    for (int round = 0; round < rounds; ++round) {
        ScriptedHttpServer server([&](const std::string &, int) {
            return ScriptedHttpServer::Reply{answer, std::chrono::milliseconds(100)};
        });
        QTemporaryDir dir;
        TUpdateChecker::setNetwork(
            {"http://127.0.0.1:1/liveupdate/postwright/", THttpClient::NumericResolver()});
        TfrmMain window(std::filesystem::path(dir.path().toStdString()));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        QTest::qWait(500); // the check at start is over
        TUpdateChecker::setNetwork({server.url("/liveupdate/postwright/"), THttpClient::NumericResolver()});
        Gaps g = measure(window, 0);
        std::printf(
            "trickling server (%zu bytes, 1 byte / 100 ms): longest gap %lld ms, median %lld ms, %d ticks\n",
            answer.size(), static_cast<long long>(g.longest), static_cast<long long>(g.median()), g.ticks);
        trickling.push_back(g.longest);
    }
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir dir;
        TUpdateChecker::setNetwork(
            {"http://127.0.0.1:1/liveupdate/postwright/", THttpClient::NumericResolver()});
        TfrmMain window(std::filesystem::path(dir.path().toStdString()));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        QTest::qWait(500);
        // A lookup that waits as getaddrinfo does on a name server that never answers.
        TUpdateChecker::setNetwork({"http://update.silent.test/liveupdate/postwright/",
                                    [](const std::string &, unsigned short) -> THttpClient::Endpoints {
                                        std::this_thread::sleep_for(std::chrono::seconds(30));
                                        return {};
                                    }});
        Gaps g = measure(window, 3000);
        std::printf(
            "name server that never answers (window closed after 3 s): longest gap %lld ms, median %lld "
            "ms, %d ticks\n",
            static_cast<long long>(g.longest), static_cast<long long>(g.median()), g.ticks);
        silent.push_back(g.longest);
    }
    std::printf(
        "median of the longest gaps over %d rounds: trickling server %lld ms, silent name server %lld ms\n",
        rounds, static_cast<long long>(medianOf(trickling)), static_cast<long long>(medianOf(silent)));
    std::fflush(stdout);
    // The abandoned lookup thread still sleeps; the process need not wait for it.
    std::_Exit(0);
}
