// The profile (INI) reader.
#include "Errors.h"
#include "IniCases.h"
#include "TIniFile.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void longValuesAreCut_data();
    void longValuesAreCut();
    void readsFileFromDisk();
    void missingFileReadsAsDefault();
    void unreadableFileRaises();
};

void TestIniFile::rules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    const auto bytes = [](std::string_view v) { return QByteArray(v.data(), static_cast<qsizetype>(v.size())); };
    for (const IniCases::Rule &c : IniCases::kRules)
        QTest::newRow(c.name) << bytes(c.text) << bytes(c.section) << bytes(c.key) << bytes(c.expected);
}

void TestIniFile::rules()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);

    TIniFile ini = TIniFile::fromText(std::string_view(text.constData(), text.size()));
    std::string got = ini.ReadString(std::string_view(section.constData(), section.size()),
                                     std::string_view(key.constData(), key.size()), IniCases::kDefault);
    QCOMPARE(QByteArray(got.data(), static_cast<qsizetype>(got.size())), expected);
}

void TestIniFile::longValuesAreCut_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    for (const IniCases::LongValue &c : IniCases::longValues())
        QTest::newRow(c.name) << QByteArray::fromStdString(IniCases::longValueText(c))
                              << QByteArray::fromStdString(c.expected);
}

void TestIniFile::longValuesAreCut()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    TIniFile ini = TIniFile::fromText(std::string_view(text.constData(), text.size()));
    QCOMPARE(QByteArray::fromStdString(ini.ReadString("S", "K", "")), expected);
    QCOMPARE(ini.ReadString("S", "Next", ""), std::string("1"));
}

void TestIniFile::readsFileFromDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    fs::path file = dirOf(dir) / "dbconfig.dat";
    writeBytes(file, "\xEF\xBB\xBF; branding\r\n[Settings]\r\nAppName = My Poster \r\nAfiliateID='42'\r\n");
    TIniFile ini(file);
    QCOMPARE(ini.ReadString("settings", "appname", ""), std::string("My Poster"));
    QCOMPARE(ini.ReadString("Settings", "AfiliateID", ""), std::string("42"));
    QCOMPARE(ini.ReadString("Settings", "IconPath", "none"), std::string("none"));

    // The file is read once: changing it afterwards changes nothing.
    writeBytes(file, "[Settings]\nAppName=Other\n");
    QCOMPARE(ini.ReadString("Settings", "AppName", ""), std::string("My Poster"));
}

void TestIniFile::missingFileReadsAsDefault()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TIniFile ini(dirOf(dir) / "absent.inf");
    QCOMPARE(ini.ReadString("APPLICATION", "Version", "dflt"), std::string("dflt"));
    TIniFile underFile(dirOf(dir) / "absent.inf" / "deeper.inf");
    QCOMPARE(underFile.ReadString("APPLICATION", "Version", ""), std::string(""));
}

void TestIniFile::unreadableFileRaises()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder in the file's place cannot be read as a file.
    fs::path file = dirOf(dir) / "dbconfig.dat";
    fs::create_directory(file);
    try {
        TIniFile ini(file);
        QFAIL("a folder was read as a profile");
    } catch (const EFileError &e) {
        QCOMPARE(e.file(), file);
        QVERIFY(!e.reason().empty());
    }
}

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
