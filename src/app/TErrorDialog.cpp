#include "TErrorDialog.h"

#include "BuildOptions.h"
#include "ReportMail.h"
#include "TbsBusinessSkinForm.h"
#include "ui_TErrorDialog.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPushButton>
#include <QUrl>

TErrorDialog::TErrorDialog(const QString &details, QWidget *parent, const QString &message)
    : QDialog(parent), ui(std::make_unique<Ui::TErrorDialog>())
{
    ui->setupUi(this);
    if (!message.isEmpty())
        ui->lblMessage->setText(message);
    ui->memDetails->setPlainText(details);
    connect(ui->btnCopy, &QPushButton::clicked, this, &TErrorDialog::btnCopyClick);
    connect(ui->btnSend, &QPushButton::clicked, this, &TErrorDialog::btnSendClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    TbsBusinessSkinForm::frame(this);
}

TErrorDialog::~TErrorDialog() { TbsBusinessSkinForm::release(this); }

void TErrorDialog::btnCopyClick() { QGuiApplication::clipboard()->setText(ui->memDetails->toPlainText()); }

void TErrorDialog::btnSendClick()
{
    const QString report = ui->lblMessage->text() + QStringLiteral("\n\n") + ui->memDetails->toPlainText();
    const std::string url = ReportMail::mailtoUrl(BuildOptions::SupportEmail,
                                                  QCoreApplication::applicationName().toStdString() + " error report",
                                                  report.toUtf8().toStdString());
    // The desktop's mail program takes it from here; the user sends it or not.
    QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode));
}
