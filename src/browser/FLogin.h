#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfrmLogin;
}

// Asks for the user name and password that a web site wants before it shows a
// page (HTTP authentication).
class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    // site names the server (and the realm it gave) in the question.
    TfrmLogin(const QString &site, const QString &realm, QWidget *parent = nullptr);
    ~TfrmLogin() override;

    QString username() const;
    QString password() const;

    // Shows the dialog modally. True when the user answered with OK; the
    // answer is then in username and password.
    static bool ask(const QString &site, const QString &realm, QWidget *parent, QString &username,
                    QString &password);

    // Tests answer the next dialogs here instead of in a modal loop: the hook
    // gets the dialog, filled and not shown, and returns QDialog::Accepted or
    // Rejected. An empty hook restores the modal dialog.
    using Hook = std::function<int(TfrmLogin &dialog)>;
    static void setHook(Hook hook);

private:
    std::unique_ptr<Ui::TfrmLogin> ui;
};
