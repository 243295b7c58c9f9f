#pragma once

#include "TBrowser.h"

#include <QWidget>

// The browser's place in the main window. The browser itself, Qt WebEngine
// with the classes over it, is a library beside the executable that the host
// loads when the browser is first needed: the window shows without loading
// the engine's libraries or making the OpenGL context the engine shares. Every
// command is passed to that browser, which fills the host.
class TBrowserHost : public QWidget, public TBrowser {
    Q_OBJECT
public:
    // Makes a browser as a child of parent; the same signature as the
    // library's entry point, postwright_create_browser.
    using Factory = QWidget *(*)(QWidget *parent, TBrowser **browser);

    explicit TBrowserHost(QWidget *parent = nullptr);
    ~TBrowserHost() override;

    // A program that links the browser in (the tests do) hands its factory
    // over before making windows; hosts then make their browser at once.
    static void setFactory(Factory factory);

    // The browser's widget, or null while it is not made yet.
    QWidget *view() const { return m_view; }

    void setStorageDirectory(std::filesystem::path dir) override;
    void setLoginDialog(LoginDialog dialog) override;
    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;
    // No browser yet means no page: nothing loads, nothing to reload, stop or
    // paste into.
    bool Busy() const override;
    bool ShowsFormAnswer() const override;
    bool PasteIntoPage() override;
    void FillFieldsLater(const std::vector<FieldValue> &fields, FillDone done) override;
    void FillLoginLater(const std::string &username, const std::string &password, FillDone done) override;
    QUrl url() const override;
    QWidget *widget() override { return this; }

signals:
    // The browser's own signals, passed on: a page began or finished loading;
    // the user sent a form of the page shown at page (the top page's address,
    // also for a form in one of its frames).
    void loadStarted();
    void loadFinished(bool ok);
    void FormSubmitted(const QUrl &page);

private:
    // The browser, made (and its library loaded) on the first call.
    TBrowser &browser();
    void make(Factory factory);

    QWidget *m_view = nullptr;
    TBrowser *m_browser = nullptr;
    std::filesystem::path m_storageDir;
    LoginDialog m_loginDialog;
};
