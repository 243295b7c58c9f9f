// The registered browser command cut to its program, and desktop Exec lines.
#include "BrowserCommand.h"

#include <QTest>

using namespace BrowserCommand;

class TestBrowserCommand : public QObject {
    Q_OBJECT

private slots:
    void registryCommand_data();
    void registryCommand();
    void splitExec_data();
    void splitExec();
    void safeArgument_data();
    void safeArgument();
};

void TestBrowserCommand::registryCommand_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("program");
    QTest::newRow("quoted with options and placeholder")
        << QByteArray("\"C:\\Program Files\\Mozilla Firefox\\FIREFOX.EXE\" -osint -url \"%1\"")
        << QByteArray("c:\\program files\\mozilla firefox\\firefox.exe");
    QTest::newRow("unquoted path with spaces")
        << QByteArray("C:\\Program Files\\Internet Explorer\\iexplore.exe -nohome")
        << QByteArray("c:\\program files\\internet explorer\\iexplore.exe");
    QTest::newRow("cut after the first .exe") << QByteArray("C:\\a.exe\\b.exe %1") << QByteArray("c:\\a.exe");
    QTest::newRow("no .exe leaves .exe alone") << QByteArray("C:\\browser.com %1") << QByteArray(".exe");
    QTest::newRow("quotes inside removed")
        << QByteArray("C:\\\"odd\"\\b.EXE") << QByteArray("c:\\odd\\b.exe");
    QTest::newRow("expandable text unexpanded") << QByteArray("%ProgramFiles%\\Opera\\opera.exe \"%1\"")
                                                << QByteArray("%programfiles%\\opera\\opera.exe");
    QTest::newRow("only capitals A to Z lowered")
        << QByteArray("C:\\\xC4pfel\\B.exe") << QByteArray("c:\\\xC4pfel\\b.exe");
}

void TestBrowserCommand::registryCommand()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, program);
    QCOMPARE(QByteArray::fromStdString(ProgramFromRegistryCommand(command.toStdString())), program);
}

void TestBrowserCommand::splitExec_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("valid");
    QTest::newRow("program and field code") << "firefox-esr %u" << QStringList{"firefox-esr", "%u"} << true;
    QTest::newRow("blanks between words")
        << "  chromium   --new-window  %U " << QStringList{"chromium", "--new-window", "%U"} << true;
    QTest::newRow("quoted path with spaces")
        << "\"/opt/My Browser/run\" %u" << QStringList{"/opt/My Browser/run", "%u"} << true;
    QTest::newRow("escapes inside quotes")
        << "\"/opt/a \\\\\"b\\\\\" \\\\$c \\\\`d\\\\\\\\e\"" << QStringList{"/opt/a \"b\" $c `d\\e"} << true;
    // \s is a blank like any other: only quotes keep a blank inside a word.
    QTest::newRow("string escape \\s separates")
        << "/opt/my\\sbrowser %u" << QStringList{"/opt/my", "browser", "%u"} << true;
    QTest::newRow("string escape \\s quoted")
        << "\"/opt/my\\sbrowser\" %u" << QStringList{"/opt/my browser", "%u"} << true;
    QTest::newRow("quote inside a word") << "/opt/a\"b c\"d" << QStringList{"/opt/ab cd"} << true;
    QTest::newRow("literal percent") << "/opt/100%%/run" << QStringList{"/opt/100%/run"} << true;
    QTest::newRow("empty quoted word") << "prog \"\" x" << QStringList{"prog", "", "x"} << true;
    QTest::newRow("open quote") << "\"/opt/browser %u" << QStringList{} << false;
    QTest::newRow("empty") << "" << QStringList{} << true;
}

void TestBrowserCommand::splitExec()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, words);
    QFETCH(bool, valid);
    const auto split = SplitExec(exec.toStdString());
    QCOMPARE(bool(split), valid);
    if (!split)
        return;
    QStringList got;
    for (const std::string &w : *split)
        got << QString::fromStdString(w);
    QCOMPARE(got, words);
}

void TestBrowserCommand::safeArgument_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("safe");
    QTest::newRow("address") << "http://a.example/" << true;
    QTest::newRow("option") << "--remote-debugging-port=1" << false;
    QTest::newRow("dash") << "-" << false;
    QTest::newRow("dash later") << "http://a-b.example/-x" << true;
    QTest::newRow("blank then dash") << " -x" << true;
    QTest::newRow("empty") << "" << true;
}

void TestBrowserCommand::safeArgument()
{
    QFETCH(QString, address);
    QFETCH(bool, safe);
    QCOMPARE(IsSafeArgument(address.toStdString()), safe);
}

QTEST_APPLESS_MAIN(TestBrowserCommand)
#include "tst_browsercommand.moc"
