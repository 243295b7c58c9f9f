#include "FLogin.h"

#include "TbsBusinessSkinForm.h"
#include "ui_FLogin.h"

#include <QPushButton>

namespace {

TfrmLogin::Hook &hook()
{
    static TfrmLogin::Hook h;
    return h;
}

} // namespace

TfrmLogin::TfrmLogin(const QString &site, const QString &realm, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmLogin>())
{
    ui->setupUi(this);
    QString question = tr("%1 asks for a user name and password.").arg(site);
    if (!realm.isEmpty())
        question += QLatin1Char('\n') + tr("The site says: %1").arg(realm);
    ui->lblSite->setText(question);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    TbsBusinessSkinForm::frame(this);
}

TfrmLogin::~TfrmLogin() { TbsBusinessSkinForm::release(this); }

QString TfrmLogin::username() const
{
    return ui->edtUsername->text();
}

QString TfrmLogin::password() const
{
    return ui->edtPassword->text();
}

void TfrmLogin::setHook(Hook h)
{
    hook() = std::move(h);
}

bool TfrmLogin::ask(const QString &site, const QString &realm, QWidget *parent, QString &username,
                    QString &password)
{
    TfrmLogin dialog(site, realm, parent);
    const int result = hook() ? hook()(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    username = dialog.username();
    password = dialog.password();
    return true;
}
