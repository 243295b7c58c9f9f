#include "TErrorDialog.h"

#include "TbsBusinessSkinForm.h"
#include "ui_TErrorDialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

TErrorDialog::TErrorDialog(const QString &details, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TErrorDialog>())
{
    ui->setupUi(this);
    ui->memDetails->setPlainText(details);
    connect(ui->btnCopy, &QPushButton::clicked, this, &TErrorDialog::btnCopyClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    TbsBusinessSkinForm::frame(this);
}

TErrorDialog::~TErrorDialog() { TbsBusinessSkinForm::release(this); }

void TErrorDialog::btnCopyClick() { QGuiApplication::clipboard()->setText(ui->memDetails->toPlainText()); }
