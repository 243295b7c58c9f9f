// The updater that the update check starts: it opens the download page in the
// user's browser and ends.
#include "XdgFixture.h"

#include <QProcess>
#include <QTest>

namespace {

// Runs the updater as the update check does and returns its exit status.
int runUpdater(const QStringList &args)
{
    QProcess updater;
    updater.setProcessChannelMode(QProcess::ForwardedChannels);
    updater.start(QStringLiteral(UPDATER_PROGRAM), args);
    if (!updater.waitForFinished(30000) || updater.exitStatus() != QProcess::NormalExit)
        return -1;
    return updater.exitCode();
}

} // namespace

class TestUpdater : public QObject {
    Q_OBJECT

private slots:
    void opensTheDownloadPage();
    void saysWhenNoBrowserIsRegistered();
    void refusesAnOptionForAnAddress();
};

void TestUpdater::opensTheDownloadPage()
{
    XdgFixture xdg;
    xdg.registerRecorder();
    const QString base = QStringLiteral("http://127.0.0.1:9/liveupdate/postwright/");
    QCOMPARE(runUpdater({base, "1.00999999046326", "A"}), 0);
    QTRY_COMPARE(xdg.startedWith().size(), std::size_t(1));
    QCOMPARE(xdg.startedWith().front(), QStringList{base});
}

void TestUpdater::saysWhenNoBrowserIsRegistered()
{
    XdgFixture xdg;
    QCOMPARE(runUpdater({"http://127.0.0.1:9/liveupdate/postwright/", "1.00999999046326", "A"}), 1);
    QCOMPARE(runUpdater({}), 2);
}

void TestUpdater::refusesAnOptionForAnAddress()
{
    XdgFixture xdg;
    xdg.registerRecorder();
    QCOMPARE(runUpdater({"--new-window=file:///etc/passwd", "1.0", "A"}), 1);
    QTest::qWait(500);
    QVERIFY(xdg.startedWith().empty());
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
