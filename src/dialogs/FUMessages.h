#pragma once

#include <QDialog>

#include <memory>

class QTreeWidgetItem;
class TfrmMain;

namespace Ui {
class TfrmFMessages;
}

// The "Load Message" dialog: lists the stored messages of the main window,
// shows the one selected, copies it into the main window's editor and deletes
// stored messages. Row i of its list is message i of the main window's list.
class TfrmFMessages : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFMessages(TfrmMain &main, QWidget *parent = nullptr);
    ~TfrmFMessages() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void lvwMsgsSelectItem(QTreeWidgetItem *item, bool selected);
    void btnLoadClick();
    void lvwMsgsDblClick();
    void btnDeleteClick();

    void connectSelection();

    std::unique_ptr<Ui::TfrmFMessages> ui;
    TfrmMain &m_main;
    bool m_placed = false;
};
