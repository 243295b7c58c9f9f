#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TErrorDialog;
}

// Tells the user that an operation failed, with the error's text as details
// and a button that copies them.
class TErrorDialog : public QDialog {
    Q_OBJECT
public:
    explicit TErrorDialog(const QString &details, QWidget *parent = nullptr);
    ~TErrorDialog() override;

private:
    void btnCopyClick();

    std::unique_ptr<Ui::TErrorDialog> ui;
};
