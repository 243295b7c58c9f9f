// The "Your Forums" tab: adding, removing, selecting and opening forums, and
// the user name and password edits bound to the selected forum.
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "TestHttpServer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <array>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Forum = std::array<std::string, 3>;

std::string forumsFile(const std::vector<Forum> &forums)
{
    std::string out = "URL^Username^Password^\r\n";
    for (const Forum &f : forums)
        out += f[0] + '^' + f[1] + '^' + f[2] + "^\r\n";
    return out;
}

const std::vector<Forum> threeForums = {
    {"http://a.example/", "ua", "pa"}, {"http://b.example/", "ub", ""}, {"http://c.example/", "uc", "pc"}};

struct Panel : MainWindowFixture {
    QListWidget *list = control<QListWidget>("lvwForums");
    QLineEdit *username = control<QLineEdit>("edtUsername");
    QLineEdit *password = control<QLineEdit>("edtPassword");
    QLineEdit *address = control<QLineEdit>("edtURL");

    explicit Panel(const std::vector<Forum> &forums = threeForums) : MainWindowFixture(forumsFile(forums)) {}
    // Starts with these bytes as "Forums.dat".
    struct File {
        std::string bytes;
    };
    explicit Panel(const File &file) : MainWindowFixture(file.bytes) {}

    void select(int row) const
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    // A point of the list's empty space below its last row.
    QPoint belowTheRows() const
    {
        const QRect last = list->visualItemRect(list->item(list->count() - 1));
        return QPoint(last.center().x(), last.bottom() + 4);
    }
    int selectedRow() const
    {
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.first());
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    void forgetFile() const { fs::remove(appDir / "Forums.dat"); }
    std::string forums() const { return read("Forums.dat"); }
};

} // namespace

class TestForumPanel : public QObject {
    Q_OBJECT

private slots:
    void addWhileRow2SelectedThenTypeAUserName();
    void addWithAnEmptyAddressDoesNothing();
    void addTheSameAddressTwice();
    void typingWithNoSelectionWritesNothing();
    void lineBreaksAreDropped_data();
    void lineBreaksAreDropped();
    void pastedPasswordKeepsOneLineAfterARestart();
    void storedLineBreakIsShownWithoutIt();
    void removeWithNoSelection_data();
    void removeWithNoSelection();
    void removeTheSelectedForum_data();
    void removeTheSelectedForum();
    void selectingShowsTheForum();
    void selectingAForumAlreadyShownSavesNothing();
    void clickBelowTheRowsKeepsTheSelection();
    void ctrlKeepsExactlyOneSelected();
    void doubleClickOpensTheForum_data();
    void doubleClickOpensTheForum();
    void doubleClickWithNoSelectionDoesNothing();
    void doubleClickWhileLoadingStopsFirst();
};

void TestForumPanel::addWhileRow2SelectedThenTypeAUserName()
{
    Panel p;
    p.select(2);
    QCOMPARE(p.username->text(), QStringLiteral("uc"));
    QCOMPARE(p.password->text(), QStringLiteral("pc"));
    QTest::keyClicks(p.address, "http://new.example/");
    QTest::mouseClick(p.control("btnAddURL"), Qt::LeftButton);

    QCOMPARE(p.rows(), (QStringList{"http://new.example/", "http://a.example/", "http://b.example/",
                                    "http://c.example/"}));
    // The selection moved down with its forum; the new row is not selected.
    QCOMPARE(p.selectedRow(), 3);
    QCOMPARE(
        p.forums(),
        forumsFile({{"http://new.example/", "uc", "pc"}, threeForums[0], threeForums[1], threeForums[2]}));

    QTest::keyClicks(p.username, "x");
    QCOMPARE(p.forums(), forumsFile({{"http://new.example/", "uc", "pc"},
                                     threeForums[0],
                                     threeForums[1],
                                     {"http://c.example/", "ucx", "pc"}}));
    QCOMPARE(p.list->item(3)->text(), QStringLiteral("http://c.example/"));
    QCOMPARE(p.window->forums().entryText(3), std::string("http://c.example/"));
}

void TestForumPanel::addWithAnEmptyAddressDoesNothing()
{
    Panel p;
    p.forgetFile();
    QTest::mouseClick(p.control("btnAddURL"), Qt::LeftButton);
    QCOMPARE(p.list->count(), 3);
    QCOMPARE(p.window->forums().count(), 3);
    QCOMPARE(p.forums(), std::string("<missing>"));
}

void TestForumPanel::addTheSameAddressTwice()
{
    Panel p(std::vector<Forum>{});
    QTest::keyClicks(p.address, " forum.example.org ");
    QTest::keyClicks(p.username, "me");
    QTest::mouseClick(p.control("btnAddURL"), Qt::LeftButton);
    QTest::mouseClick(p.control("btnAddURL"), Qt::LeftButton);
    QCOMPARE(p.rows(), (QStringList{" forum.example.org ", " forum.example.org "}));
    QCOMPARE(p.selectedRow(), -1);
    // As they stood, untrimmed; the edits keep their text.
    QCOMPARE(p.forums(), forumsFile({{" forum.example.org ", "me", ""}, {" forum.example.org ", "me", ""}}));
    QCOMPARE(p.username->text(), QStringLiteral("me"));
}

void TestForumPanel::typingWithNoSelectionWritesNothing()
{
    Panel p;
    p.forgetFile();
    for (QLineEdit *edit : {p.username, p.password})
        QTest::keyClicks(edit, "ab");
    // Free text belongs to no forum: the file is not written.
    QCOMPARE(p.forums(), std::string("<missing>"));
    QCOMPARE(p.username->text(), QStringLiteral("ab"));
    QCOMPARE(p.password->text(), QStringLiteral("ab"));
}

void TestForumPanel::lineBreaksAreDropped_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("pasted"); // else set by the program
    for (const char *name : {"edtURL", "edtSubject", "edtUsername", "edtPassword"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 pasted").arg(name))) << QString(name) << true;
        QTest::newRow(qPrintable(QStringLiteral("%1 set").arg(name))) << QString(name) << false;
    }
}

void TestForumPanel::lineBreaksAreDropped()
{
    QFETCH(QString, edit);
    QFETCH(bool, pasted);
    Panel p;
    auto *line = p.control<QLineEdit>(qPrintable(edit));
    const QString text = QStringLiteral("se\r\ncr\net\r%1x").arg(QChar(QChar::LineSeparator));
    if (pasted) {
        QGuiApplication::clipboard()->setText(text);
        line->setFocus();
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    } else {
        line->setText(text);
    }
    QCOMPARE(line->text(), QStringLiteral("secretx"));
    // Typing goes on where the pasted text ended.
    QTest::keyClick(line, Qt::Key_Y);
    QCOMPARE(line->text(), QStringLiteral("secretxy"));
}

void TestForumPanel::pastedPasswordKeepsOneLineAfterARestart()
{
    std::filesystem::path dir;
    {
        Panel p;
        dir = p.appDir;
        p.select(1);
        p.password->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("new\npass"));
        QTest::keyClick(p.password, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(p.forums(), forumsFile({threeForums[0], {"http://b.example/", "ub", "newpass"}, threeForums[2]}));
        p.window.reset();
        // The next start finds the same three forums, the password on its own line.
        TfrmMain again(dir);
        QCOMPARE(again.forums().count(), 3);
        QCOMPARE(again.forums().record(1).Password, std::string("newpass"));
        QCOMPARE(child<QListWidget>(again, "lvwForums")->count(), 3);
    }
}

void TestForumPanel::storedLineBreakIsShownWithoutIt()
{
    // Escaped in the file: the user name holds a line break.
    Panel p(Panel::File{"URL^Username^Password^\r\nhttp://a/^an%0D%0Ane^pw^%escaped^\r\n"});
    p.forgetFile();
    p.select(0);
    QCOMPARE(p.username->text(), QStringLiteral("anne"));
    // Showing it changed nothing: the stored value keeps its line break.
    QCOMPARE(p.forums(), std::string("<missing>"));
    QCOMPARE(QByteArray::fromStdString(p.window->forums().record(0).Username), QByteArray("an\r\nne"));
}

void TestForumPanel::removeWithNoSelection_data()
{
    QTest::addColumn<int>("key"); // 0: the "Remove URL" button
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Remove URL") << 0 << 0;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0;
    QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Delete") << int(Qt::Key_Delete) << int(Qt::ControlModifier);
}

void TestForumPanel::removeWithNoSelection()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Panel p;
    QTest::keyClicks(p.username, "free");
    QTest::keyClicks(p.password, "text");
    p.forgetFile();
    if (key)
        QTest::keyClick(p.list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
        QTest::mouseClick(p.control("btnRemoveURL"), Qt::LeftButton);
    QCOMPARE(p.username->text(), QString());
    QCOMPARE(p.password->text(), QString());
    QCOMPARE(p.list->count(), 3);
    // Nothing was removed, so nothing is written.
    QCOMPARE(p.forums(), std::string("<missing>"));
}

void TestForumPanel::removeTheSelectedForum_data()
{
    removeWithNoSelection_data();
}

void TestForumPanel::removeTheSelectedForum()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Panel p;
    p.select(1);
    if (key)
        QTest::keyClick(p.list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
        QTest::mouseClick(p.control("btnRemoveURL"), Qt::LeftButton);
    QCOMPARE(p.rows(), (QStringList{"http://a.example/", "http://c.example/"}));
    QCOMPARE(p.selectedRow(), -1);
    QCOMPARE(p.username->text(), QString());
    QCOMPARE(p.password->text(), QString());
    // Emptying the edits blanked no other forum.
    QCOMPARE(p.forums(), forumsFile({threeForums[0], threeForums[2]}));
}

void TestForumPanel::selectingShowsTheForum()
{
    Panel p;
    p.forgetFile();
    p.select(0);
    QCOMPARE(p.username->text(), QStringLiteral("ua"));
    QCOMPARE(p.password->text(), QStringLiteral("pa"));
    // By keyboard too; an empty password empties the edit.
    QTest::keyClick(p.list, Qt::Key_Down);
    QCOMPARE(p.selectedRow(), 1);
    QCOMPARE(p.username->text(), QStringLiteral("ub"));
    QCOMPARE(p.password->text(), QString());
    // Showing a forum writes nothing, so a read-only folder raises no error.
    QCOMPARE(p.forums(), std::string("<missing>"));
}

void TestForumPanel::ctrlKeepsExactlyOneSelected()
{
    Panel p;
    const QPoint row1 = p.list->visualItemRect(p.list->item(1)).center();
    QTest::mouseClick(p.list->viewport(), Qt::LeftButton, {}, row1);
    QCOMPARE(p.selectedRow(), 1);
    // Ctrl+click on the selected row leaves it selected and shown.
    QTest::mouseClick(p.list->viewport(), Qt::LeftButton, Qt::ControlModifier, row1);
    QCOMPARE(p.list->selectedItems().size(), 1);
    QCOMPARE(p.selectedRow(), 1);
    QCOMPARE(p.username->text(), QStringLiteral("ub"));
    // Ctrl+click on another row selects that one alone.
    QTest::mouseClick(p.list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      p.list->visualItemRect(p.list->item(2)).center());
    QCOMPARE(p.list->selectedItems().size(), 1);
    QCOMPARE(p.selectedRow(), 2);
    QCOMPARE(p.username->text(), QStringLiteral("uc"));
    // Ctrl+Space keeps it; Ctrl+Up moves the selection as Up does.
    QTest::keyClick(p.list, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(p.selectedRow(), 2);
    QTest::keyClick(p.list, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(p.list->selectedItems().size(), 1);
    QCOMPARE(p.selectedRow(), 1);
    QCOMPARE(p.username->text(), QStringLiteral("ub"));
}

void TestForumPanel::selectingAForumAlreadyShownSavesNothing()
{
    Panel p({{"http://a.example/", "same", "pw"}, {"http://b.example/", "same", "pw"}});
    p.select(0);
    p.forgetFile();
    p.select(1);
    QCOMPARE(p.selectedRow(), 1);
    QCOMPARE(p.forums(), std::string("<missing>"));
}

void TestForumPanel::clickBelowTheRowsKeepsTheSelection()
{
    Panel p;
    QVERIFY(p.belowTheRows().y() < p.list->viewport()->height());
    p.select(1);
    QTest::mouseClick(p.list->viewport(), Qt::LeftButton, {}, p.belowTheRows());
    QCOMPARE(p.selectedRow(), 1);
    QCOMPARE(p.username->text(), QStringLiteral("ub"));
}

void TestForumPanel::doubleClickOpensTheForum_data()
{
    QTest::addColumn<bool>("onTheRow");
    QTest::newRow("on the row") << true;
    QTest::newRow("below the last row") << false;
}

void TestForumPanel::doubleClickOpensTheForum()
{
    QFETCH(bool, onTheRow);
    TestHttpServer server;
    const std::string url = server.url("/page_a.html").toString().toStdString();
    Panel p({threeForums[0], {url, "alice", "secret"}, threeForums[2]});
    ReportedErrors errors;
    p.select(1);
    p.username->setText("edited");
    QCOMPARE(p.forums(), forumsFile({threeForums[0], {url, "edited", "secret"}, threeForums[2]}));
    p.select(1);
    QTest::mouseDClick(p.list->viewport(), Qt::LeftButton, {},
                       onTheRow ? p.list->visualItemRect(p.list->item(1)).center() : p.belowTheRows());
    QCOMPARE(p.address->text(), QString::fromStdString(url));
    QCOMPARE(p.username->text(), QStringLiteral("edited"));
    QCOMPARE(p.password->text(), QStringLiteral("secret"));
    QVERIFY(p.loads("Page A"));
    QCOMPARE(p.selectedRow(), 1);
    QVERIFY(errors.details.isEmpty());
}

void TestForumPanel::doubleClickWithNoSelectionDoesNothing()
{
    Panel p;
    ReportedErrors errors;
    QTest::mouseDClick(p.list->viewport(), Qt::LeftButton, {}, p.belowTheRows());
    QCOMPARE(p.selectedRow(), -1);
    QCOMPARE(p.address->text(), QString());
    QCOMPARE(p.username->text(), QString());
    QVERIFY(p.browser()->url().isEmpty());
    QVERIFY(errors.details.isEmpty());
}

void TestForumPanel::doubleClickWhileLoadingStopsFirst()
{
    TestHttpServer server;
    server.hold("/slow");
    const std::string url = server.address("/page_b.html").toStdString();
    Panel p({threeForums[0], {url, "bob", "pw"}});
    ReportedErrors errors;
    QTest::keyClicks(p.address, server.address("/slow"));
    QTest::keyClick(p.address, Qt::Key_Return);
    QTRY_COMPARE(server.heldOpen(), 1);
    QVERIFY(p.browser()->Busy());
    p.select(1);
    QTest::mouseDClick(p.list->viewport(), Qt::LeftButton, {},
                       p.list->visualItemRect(p.list->item(1)).center());
    QCOMPARE(p.address->text(), QString::fromStdString(url));
    QTRY_COMPARE(server.heldOpen(), 0);
    QVERIFY(p.loads("Page B"));
    QVERIFY(errors.details.isEmpty());
}

POSTWRIGHT_GUI_TEST_MAIN(TestForumPanel)
#include "tst_forumpanel.moc"
