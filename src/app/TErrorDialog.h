#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TErrorDialog;
}

// Tells the user that an operation failed, with the error's text as details,
// a button that copies them and one that puts them into a new mail to the
// maker in the user's mail program.
class TErrorDialog : public QDialog {
    Q_OBJECT
public:
    // message replaces the usual first line when it is not empty.
    explicit TErrorDialog(const QString &details, QWidget *parent = nullptr, const QString &message = {});
    ~TErrorDialog() override;

private:
    void btnCopyClick();
    void btnSendClick();

    std::unique_ptr<Ui::TErrorDialog> ui;
};
