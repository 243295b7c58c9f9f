#pragma once

#include "TBrowser.h"

#include <QUrl>
#include <QWebEngineView>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QAuthenticator;
class QWebEngineProfile;

// The embedded web browser of the main window. Page scripts never run in it;
// pictures, video and sound do. It shows nothing until the first page is
// opened, and the engine behind it starts only then (or at startEngine), so
// the window shows without waiting for the engine. Pages are drawn in
// software by Qt Quick (see the constructor).
class TEmbeddedWB : public QWebEngineView, public TBrowser {
    Q_OBJECT
public:
    explicit TEmbeddedWB(QWidget *parent = nullptr);
    ~TEmbeddedWB() override;

    void setStorageDirectory(std::filesystem::path dir) override;
    void setLoginDialog(LoginDialog dialog) override { m_loginDialog = std::move(dialog); }

    // Starts the engine now if it has not started yet; page() is the
    // browser's own page from then on.
    void startEngine();
    bool engineStarted() const { return m_page != nullptr; }

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;
    bool Busy() const override { return m_busy; }
    bool PasteIntoPage() override;
    // Sets every element named name (compared byte for byte, with case) of every
    // form of the shown page, frames left out, to value. True when one was set.
    bool FillField(const std::string &name, const std::string &value);
    // FillField for each pair in order, in one visit to the page. The result
    // holds one entry per pair; an error reaching the page's forms raises EError
    // and leaves the later pairs undone.
    std::vector<bool> FillFields(const std::vector<FieldValue> &fields);

    // FillFields' walk, started at once; the window goes on taking input
    // meanwhile.
    void FillFieldsLater(const std::vector<FieldValue> &fields, FillDone done) override;
    void FillLoginLater(const std::string &username, const std::string &password, FillDone done) override;

    // How long the page may take to begin a fill: 10 seconds. A page that
    // begins later is left as it is and the fill is reported as failed.
    void setPageAnswerTimeout(std::chrono::milliseconds timeout) { m_answerTimeout = timeout; }

    bool ShowsFormAnswer() const override { return m_showsFormAnswer; }
    QWidget *widget() override { return this; }

    QUrl url() const override { return QWebEngineView::url(); }

    // The token after the engine's own user agent that names this browser.
    static QString UserAgent();

signals:
    // The user sent a form of the page shown at page (the top page's address,
    // also for a form in one of its frames).
    void FormSubmitted(const QUrl &page);

protected:
    bool event(QEvent *event) override;

private:
    // Runs the fill script made for the deadline; done gets its answer for pairs.
    void runFill(const std::function<QString(qint64)> &script, std::size_t pairs, FillDone done);
    void askForLogin(QAuthenticator *authenticator, const QString &site);
    void watchRequests();

    class RequestWatch;

    std::filesystem::path m_storageDir;
    LoginDialog m_loginDialog;
    QWebEngineProfile *m_profile = nullptr;
    QWebEnginePage *m_page = nullptr;
    RequestWatch *m_requests = nullptr;
    bool m_hiddenUntilStarted = false;
    bool m_busy = false;
    bool m_showsFormAnswer = false;
    std::chrono::milliseconds m_answerTimeout{10000};
};
