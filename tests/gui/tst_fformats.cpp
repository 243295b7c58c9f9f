// The "Custom Message Templates" dialog behind the hidden "Options" command.
#include "TestFiles.h"
#include "FMain.h"
#include "GuiTestMain.h"
#include "MessageBoxAnswers.h"
#include "ModalDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string header = "Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\n";
const std::string emptyRow = "^^^^^\r\n";
const std::string fixedThree = "html^<a href=\"^\">^</a>^mailto:^\r\n"
                               "ubb^[url=^]^[/url]^mailto:^\r\n"
                               "wiki^[^ ^]^mailto:^\r\n";
// The fixed three, then templates named t4 to t8.
std::string eightTemplates()
{
    std::string text = header + fixedThree;
    for (int i = 4; i <= 8; ++i)
        text += "t" + std::to_string(i) + "^o" + std::to_string(i) + "^m^e^@^\r\n";
    return text;
}

QStringList chooserEntries(TfrmMain &w)
{
    auto *cbx = child<QComboBox>(w, "cbxFormat");
    QStringList entries;
    for (int i = 0; i < cbx->count(); ++i)
        entries << cbx->itemText(i);
    return entries;
}

// Opens the template editor and lets user drive it. "Options" is never shown,
// so no user can click it; its command runs as the button's own click would.
bool withTemplateEditor(TfrmMain &w, const std::function<void(QDialog &)> &user)
{
    bool opened = false;
    ModalDialog::answerNext([&](QDialog &d) {
        opened = true;
        user(d);
    });
    child<QPushButton>(w, "btnOptions")->click();
    ModalDialog::answerNext({});
    return opened;
}

QTableWidget *grid(QDialog &d)
{
    return child<QTableWidget>(d, "grdSettings");
}

// Grid rows as the user counts them: row 0 is the title row, so row r is
// table row r - 1.
QPoint cellPoint(QDialog &d, int row, int column)
{
    QTableWidget *g = grid(d);
    return g->visualRect(g->model()->index(row - 1, column)).center();
}

void clickCell(QDialog &d, int row, int column)
{
    QTest::mouseClick(grid(d)->viewport(), Qt::LeftButton, {}, cellPoint(d, row, column));
}

QPoint currentCell(QDialog &d)
{
    return QPoint(grid(d)->currentColumn(), grid(d)->currentRow() + 1);
}

QString cell(QDialog &d, int row, int column)
{
    const QTableWidgetItem *item = grid(d)->item(row - 1, column);
    return item ? item->text() : QString();
}

// Types into the current cell: the first key starts editing it, the rest go to
// the cell's editor; Enter confirms.
void typeIntoCell(QDialog &d, const QString &text, bool confirm = true)
{
    QTableWidget *g = grid(d);
    QTest::keyClicks(g, text.left(1));
    QWidget *editor = g->indexWidget(g->currentIndex());
    QVERIFY(editor);
    QTest::keyClicks(editor, text.mid(1));
    if (confirm)
        QTest::keyClick(editor, Qt::Key_Return);
}

} // namespace

class TestFFormats : public QObject {
    Q_OBJECT

private slots:
    void dialogLayout_data();
    void dialogLayout();
    void gridSettings();
    void fillsRowsAndStartsOnRowFour();
    void protectedRows_data();
    void protectedRows();
    void saveReplacesTheListWithTheEightRows();
    void moreThanEightTemplatesKeepOnlyEight();
    void withoutFileEightEmptyTemplatesAreSaved();
    void deletedRowSavedAsEmptyTemplate();
    void cancelDropsEveryChange_data();
    void cancelDropsEveryChange();
    void failedSaveStillRebuildsChooser();
    void textNotYetConfirmedIsSaved();
    void untouchedFieldsKeepTheirBytes();
};

void TestFFormats::dialogLayout_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("text");
    QTest::newRow("label") << QByteArray("bsSkinStdLabel1") << QRect(9, 9, 325, 16)
                           << "Double click in any cell and start editing new templates:";
    QTest::newRow("grid") << QByteArray("grdSettings") << QRect(9, 33, 526, 211) << QString();
    QTest::newRow("Save") << QByteArray("btnSave") << QRect(117, 257, 84, 20) << "Save";
    QTest::newRow("Delete Selected Row")
        << QByteArray("btnDelete") << QRect(204, 257, 140, 20) << "Delete Selected Row";
    QTest::newRow("Cancel") << QByteArray("btnCancel") << QRect(348, 257, 84, 20) << "Cancel";
}

void TestFFormats::dialogLayout()
{
    QFETCH(QByteArray, name);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Custom Message Templates"));
        QCOMPARE(d.size(), QSize(553, 296));
        QCOMPARE(d.minimumSize(), d.maximumSize());
        QWidget *c = child<QWidget>(d, name.constData());
        QCOMPARE(c->geometry(), place);
        if (auto *b = qobject_cast<QPushButton *>(c))
            QCOMPARE(b->text(), text);
        if (auto *l = qobject_cast<QLabel *>(c))
            QCOMPARE(l->text(), text);
        clickButton(d, "btnCancel");
    }));
}

void TestFFormats::gridSettings()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        QTableWidget *g = grid(d);
        QCOMPARE(g->columnCount(), 5);
        QCOMPARE(g->rowCount(), 8);
        QStringList titles;
        for (int c = 0; c < g->columnCount(); ++c) {
            titles << g->horizontalHeaderItem(c)->text();
            QCOMPARE(g->columnWidth(c), 100);
        }
        QCOMPARE(titles, (QStringList{"Name", "Link Open", "Link Middle", "Link End", "Email"}));
        // The title row is a row like the others: 20 high, no fixed column beside it.
        QCOMPARE(g->horizontalHeader()->height(), 20);
        QVERIFY(!g->verticalHeader()->isVisible());
        for (int r = 0; r < g->rowCount(); ++r)
            QCOMPARE(g->rowHeight(r), 20);
        QCOMPARE(g->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QVERIFY(g->showGrid());

        QStringList order;
        QWidget *next = g;
        do {
            if (next->focusPolicy() & Qt::TabFocus)
                order << next->objectName();
            next = next->nextInFocusChain();
        } while (next != g);
        QCOMPARE(order, (QStringList{"grdSettings", "btnSave", "btnDelete", "btnCancel"}));
        clickButton(d, "btnCancel");
    }));
}

void TestFFormats::fillsRowsAndStartsOnRowFour()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", header + fixedThree + "mine^(^|^)^mail:^\r\n");
    TfrmMain w(dirOf(dir));
    AnsweredMessageBoxes boxes;
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        QTRY_VERIFY(d.isVisible());
        grid(d)->setFocus();
        QCOMPARE(cell(d, 1, 0), QStringLiteral("html"));
        QCOMPARE(cell(d, 1, 1), QStringLiteral("<a href=\""));
        QCOMPARE(cell(d, 3, 2), QStringLiteral(" "));
        QCOMPARE(cell(d, 4, 0), QStringLiteral("mine"));
        QCOMPARE(cell(d, 4, 4), QStringLiteral("mail:"));
        for (int c = 0; c < 5; ++c)
            QCOMPARE(cell(d, 5, c), QString());
        QCOMPARE(currentCell(d), QPoint(0, 4));
        clickButton(d, "btnCancel");
    }));
    // Opening shows no message.
    QCOMPARE(boxes.calls.size(), std::size_t(0));
}

void TestFFormats::protectedRows_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("refused");
    QTest::newRow("up arrow on row 4") << "key" << int(Qt::Key_Up) << 0 << true;
    QTest::newRow("page up on row 4") << "key" << int(Qt::Key_PageUp) << 0 << true;
    QTest::newRow("click on row 1") << "click" << 1 << 0 << true;
    QTest::newRow("click on row 3") << "click" << 3 << 2 << true;
    QTest::newRow("double-click on row 2") << "double-click" << 2 << 1 << true;
    QTest::newRow("click on row 6") << "click" << 6 << 3 << false;
    QTest::newRow("down arrow on row 4") << "key" << int(Qt::Key_Down) << 0 << false;
}

void TestFFormats::protectedRows()
{
    QFETCH(QString, action);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", eightTemplates());
    TfrmMain w(dirOf(dir));
    AnsweredMessageBoxes boxes;
    boxes.answers = {1};
    QPoint after;
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        QTableWidget *g = grid(d);
        g->setFocus();
        if (action == QLatin1String("key")) {
            QTest::keyClick(g, Qt::Key(row));
        } else if (action == QLatin1String("click")) {
            clickCell(d, row, column);
        } else {
            const QPoint at = cellPoint(d, row, column);
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, at);
        }
        after = currentCell(d);
        // No cell of a fixed row was opened for editing.
        for (int r = 1; r < 4; ++r)
            for (int c = 0; c < 5; ++c)
                QVERIFY(!g->indexWidget(g->model()->index(r - 1, c)));
        clickButton(d, "btnCancel");
    }));
    if (refused) {
        QCOMPARE(boxes.calls.size(), std::size_t(1));
        QCOMPARE(boxes.calls[0].text, std::string("These templates are read only."));
        QCOMPARE(boxes.calls[0].kind, TMsgKind::Information);
        QCOMPARE(boxes.calls[0].buttons, TMsgButtons{TMsgButton::OK});
        QCOMPARE(after, QPoint(0, 4));
    } else {
        QCOMPARE(boxes.calls.size(), std::size_t(0));
        QCOMPARE(after, action == QLatin1String("key") ? QPoint(0, 5) : QPoint(column, row));
    }
}

void TestFFormats::saveReplacesTheListWithTheEightRows()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", header + fixedThree + "old^1^2^3^4^\r\n");
    TfrmMain w(dirOf(dir));
    auto *cbx = child<QComboBox>(w, "cbxFormat");
    cbx->setCurrentIndex(2);
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        typeIntoCell(d, QStringLiteral("new"));
        clickCell(d, 6, 1);
        typeIntoCell(d, QStringLiteral("<b>"));
        clickButton(d, "btnSave");
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }));
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"),
             header + fixedThree + "new^1^2^3^4^\r\n" + emptyRow + "^<b>^^^^\r\n" + emptyRow + emptyRow);
    QCOMPARE(w.formats().count(), 8);
    QCOMPARE(w.formats().entryText(3), std::string("new"));
    // The chooser is rebuilt, the new name right after the fixed three, and
    // "text" is selected again.
    QCOMPARE(chooserEntries(w), (QStringList{"text", "html", "ubb", "wiki", "new"}));
    QCOMPARE(cbx->currentIndex(), 0);
}

void TestFFormats::moreThanEightTemplatesKeepOnlyEight()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", eightTemplates() + "t9^^^^^\r\nt10^^^^^\r\n");
    TfrmMain w(dirOf(dir));
    QCOMPARE(w.formats().count(), 10);
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        QCOMPARE(grid(d)->rowCount(), 8);
        QCOMPARE(cell(d, 8, 0), QStringLiteral("t8"));
        clickButton(d, "btnSave");
    }));
    QCOMPARE(w.formats().count(), 8);
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), eightTemplates());
    QCOMPARE(chooserEntries(w), (QStringList{"text", "html", "ubb", "wiki", "t4", "t5", "t6", "t7", "t8"}));
}

void TestFFormats::withoutFileEightEmptyTemplatesAreSaved()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        for (int r = 1; r <= 8; ++r)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(cell(d, r, c), QString());
        clickButton(d, "btnSave");
    }));
    std::string expected = header;
    for (int i = 0; i < 8; ++i)
        expected += emptyRow;
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), expected);
    QCOMPARE(chooserEntries(w), QStringList{"text"});
}

void TestFFormats::deletedRowSavedAsEmptyTemplate()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", eightTemplates());
    TfrmMain w(dirOf(dir));
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        clickCell(d, 5, 2);
        clickButton(d, "btnDelete");
        QVERIFY(d.isVisible());
        for (int c = 0; c < 5; ++c)
            QCOMPARE(cell(d, 5, c), QString());
        QCOMPARE(cell(d, 6, 0), QStringLiteral("t6"));
        // Nothing is stored before "Save".
        QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), eightTemplates());
        clickButton(d, "btnSave");
    }));
    std::string expected = eightTemplates();
    const std::string t5 = "t5^o5^m^e^@^\r\n";
    expected.replace(expected.find(t5), t5.size(), emptyRow);
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), expected);
    QCOMPARE(w.formats().count(), 8);
    QCOMPARE(w.formats().record(5).Name, std::string("t6"));
    QCOMPARE(chooserEntries(w), (QStringList{"text", "html", "ubb", "wiki", "t4", "t6", "t7", "t8"}));
}

void TestFFormats::cancelDropsEveryChange_data()
{
    QTest::addColumn<bool>("byFrame");
    QTest::newRow("Cancel") << false;
    QTest::newRow("closing the window") << true;
}

void TestFFormats::cancelDropsEveryChange()
{
    QFETCH(bool, byFrame);
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", eightTemplates());
    TfrmMain w(dirOf(dir));
    auto *cbx = child<QComboBox>(w, "cbxFormat");
    cbx->setCurrentIndex(3);
    const QStringList entries = chooserEntries(w);
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        typeIntoCell(d, QStringLiteral("changed"));
        clickCell(d, 7, 0);
        clickButton(d, "btnDelete");
        if (byFrame)
            d.close();
        else
            clickButton(d, "btnCancel");
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }));
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), eightTemplates());
    QCOMPARE(w.formats().count(), 8);
    QCOMPARE(w.formats().record(3).Name, std::string("t4"));
    QCOMPARE(chooserEntries(w), entries);
    QCOMPARE(cbx->currentIndex(), 3);
}

void TestFFormats::failedSaveStillRebuildsChooser()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", eightTemplates());
    ReportedErrors errors;
    TfrmMain w(dirOf(dir));
    auto *cbx = child<QComboBox>(w, "cbxFormat");
    cbx->setCurrentIndex(2);
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        // A directory standing where the file is makes the rename fail, also for root.
        std::filesystem::remove(dirOf(dir) / "Formats.dat");
        std::filesystem::create_directories(dirOf(dir) / "Formats.dat" / "keep");
        typeIntoCell(d, QStringLiteral("mine"));
        clickButton(d, "btnSave");
        QCOMPARE(errors.details.size(), 1);
        QVERIFY(errors.details[0].contains(QStringLiteral("Formats.dat")));
        QVERIFY(d.isVisible());
        clickButton(d, "btnCancel");
    }));
    // The list in memory holds the eight rows saved; the chooser offers them.
    QCOMPARE(w.formats().record(3).Name, std::string("mine"));
    QCOMPARE(chooserEntries(w), (QStringList{"text", "html", "ubb", "wiki", "mine", "t5", "t6", "t7", "t8"}));
    QCOMPARE(cbx->currentIndex(), 0);
}

void TestFFormats::textNotYetConfirmedIsSaved()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", eightTemplates());
    TfrmMain w(dirOf(dir));
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        clickCell(d, 6, 1);
        typeIntoCell(d, QStringLiteral("typed"), false);
        // The cell's editor is still open: nothing confirmed the text.
        QVERIFY(grid(d)->indexWidget(grid(d)->currentIndex()));
        clickButton(d, "btnSave");
    }));
    std::string expected = eightTemplates();
    const std::string t6 = "t6^o6^";
    expected.replace(expected.find(t6), t6.size(), "t6^typed^");
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"), expected);
}

void TestFFormats::untouchedFieldsKeepTheirBytes()
{
    // Latin-1 bytes, which the locale's UTF-8 cannot show as they are.
    const std::string odd = "caf\xE9^\xAB^\xBB^^^\r\n";
    QTemporaryDir dir;
    const std::string fixed = "ubb^[url=^]^[/url]^mailto:^\r\nwiki^[^ ^]^mailto:^\r\n";
    writeBytes(dirOf(dir) / "Formats.dat", header + odd + fixed + odd);
    TfrmMain w(dirOf(dir));
    QVERIFY(withTemplateEditor(w, [&](QDialog &d) {
        clickCell(d, 5, 0);
        typeIntoCell(d, QStringLiteral("x"));
        clickButton(d, "btnSave");
    }));
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"),
             header + odd + fixed + odd + "x^^^^^\r\n" + emptyRow + emptyRow + emptyRow);
}

POSTWRIGHT_GUI_TEST_MAIN(TestFFormats)
#include "tst_fformats.moc"
