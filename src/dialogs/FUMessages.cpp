#include "FUMessages.h"

#include "ErrorHandler.h"
#include "FMain.h"
#include "ScreenPlace.h"
#include "TSkinScrollBar.h"
#include "TbsBusinessSkinForm.h"
#include "WidgetText.h"
#include "WindowLook.h"
#include "ui_FMain.h"
#include "ui_FUMessages.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace {

// A list row holds one line, so each line break of a text shows as a pilcrow:
// the lines stay apart where a space would run them together, and the sign is
// in every font's Latin-1 range.
QString oneRow(const std::string &text)
{
    return WidgetText::toWidgetLines(text).replace(QLatin1Char('\n'), QChar(0x00B6));
}

} // namespace

TfrmFMessages::TfrmFMessages(TfrmMain &main, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmFMessages>()), m_main(main)
{
    ui->setupUi(this);
    // The frame carries close, minimise and maximise; closing it is "Close".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    WindowLook::fitLabels(this);

    QHeaderView *header = ui->lvwMsgs->header();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionsMovable(false);
    TSkinScrollBar::installVertical(ui->lvwMsgs);
    TSkinScrollBar::installVertical(ui->memBody);
    WindowLook::keepSelectionVisible(ui->lvwMsgs);
    // Double-clicks beside the rows reach the list's viewport only.
    ui->lvwMsgs->viewport()->installEventFilter(this);

    connectSelection();
    connect(ui->btnLoad, &QPushButton::clicked, this,
            ErrorHandler::guarded(this, &TfrmFMessages::btnLoadClick));
    connect(ui->btnDelete, &QPushButton::clicked, this,
            ErrorHandler::guarded(this, &TfrmFMessages::btnDeleteClick));
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
    TbsBusinessSkinForm::frame(this);
}

TfrmFMessages::~TfrmFMessages() { TbsBusinessSkinForm::release(this); }

void TfrmFMessages::connectSelection()
{
    // A row that loses its selection is reported before the one that gains it.
    connect(ui->lvwMsgs->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected, const QItemSelection &deselected) {
                ErrorHandler::run([&] {
                    for (const QModelIndex &index : deselected.indexes())
                        if (index.column() == 0)
                            lvwMsgsSelectItem(ui->lvwMsgs->topLevelItem(index.row()), false);
                    for (const QModelIndex &index : selected.indexes())
                        if (index.column() == 0)
                            lvwMsgsSelectItem(ui->lvwMsgs->topLevelItem(index.row()), true);
                });
            });
}

void TfrmFMessages::FormCreate()
{
    const TFMessages &messages = m_main.messages();
    for (int i = 0; i < messages.count(); ++i) {
        const TFMessage &m = messages.record(i);
        new QTreeWidgetItem(ui->lvwMsgs, {oneRow(m.Subject), oneRow(m.Body)});
    }
}

void TfrmFMessages::lvwMsgsSelectItem(QTreeWidgetItem *item, bool selected)
{
    // Losing the selection leaves the details on the message selected last.
    if (!selected || !item)
        return;
    const TFMessage &m = m_main.messages().record(ui->lvwMsgs->indexOfTopLevelItem(item));
    ui->edtSubject->setText(WidgetText::toWidget(m.Subject));
    WidgetText::setMemoText(ui->memBody, m.Body);
}

void TfrmFMessages::btnLoadClick()
{
    // The details are copied whatever they show, empty ones included.
    Ui::TfrmMain &editor = m_main.controls();
    editor.edtSubject->setText(ui->edtSubject->text());
    WidgetText::setMemoText(editor.memBody, WidgetText::memoText(ui->memBody));
    accept();
}

void TfrmFMessages::lvwMsgsDblClick()
{
    btnLoadClick();
}

void TfrmFMessages::btnDeleteClick()
{
    TFMessages &messages = m_main.messages();
    const QList<QTreeWidgetItem *> selected = ui->lvwMsgs->selectedItems();
    if (!selected.isEmpty()) {
        const int p = ui->lvwMsgs->indexOfTopLevelItem(selected.first());
        messages.remove(p);
        // Removing the selected row leaves no row selected; without this the
        // list would select the next row, and a second click would delete it.
        ui->lvwMsgs->selectionModel()->clear();
        delete ui->lvwMsgs->takeTopLevelItem(p);
    }
    ui->edtSubject->clear();
    ui->memBody->clear();
    messages.SaveAll();
}

bool TfrmFMessages::eventFilter(QObject *watched, QEvent *event)
{
    // Anywhere in the list, also below the last row. (A click beside the rows
    // already takes the selection away, as in any list.)
    if (watched == ui->lvwMsgs->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ErrorHandler::run([this] { lvwMsgsDblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmFMessages::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        ScreenPlace::centreOnScreen(this);
    }
}
