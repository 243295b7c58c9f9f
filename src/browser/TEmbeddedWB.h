#pragma once

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
// the window shows without waiting for the engine.
class TEmbeddedWB : public QWebEngineView {
    Q_OBJECT
public:
    // A field name and the value to put into every field of that name.
    using FieldValue = std::pair<std::string, std::string>;

    explicit TEmbeddedWB(QWidget *parent = nullptr);
    ~TEmbeddedWB() override;

    // Where the browser keeps cookies and site data from one run to the next,
    // so logins survive a restart. Takes effect when the engine starts; without
    // it the browser writes nothing to disk.
    void setStorageDirectory(std::filesystem::path dir);

    // Starts the engine now if it has not started yet; page() is the
    // browser's own page from then on.
    void startEngine();
    bool engineStarted() const { return m_page != nullptr; }

    // Starts loading the address; returns at once. An address without a scheme
    // opens as http. Raises EError for a text that is no address.
    void Navigate(const QString &address);
    // Raise EError when there is no earlier (later) page.
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    // True while a page is loading.
    bool Busy() const { return m_busy; }
    // Inserts the clipboard's text at the page's caret. False when no page is there.
    bool PasteIntoPage();
    // Sets every element named name (compared byte for byte, with case) of every
    // form of the shown page, frames left out, to value. True when one was set.
    bool FillField(const std::string &name, const std::string &value);
    // FillField for each pair in order, in one visit to the page. The result
    // holds one entry per pair; an error reaching the page's forms raises EError
    // and leaves the later pairs undone.
    std::vector<bool> FillFields(const std::vector<FieldValue> &fields);

    // What became of a fill: set holds one entry per pair; failure is empty
    // when the page answered in time, else the error's text. A fill that
    // failed has changed nothing in the page, and never will.
    struct FillAnswer {
        std::vector<bool> set;
        std::string failure;
    };
    using FillDone = std::function<void(const FillAnswer &)>;
    // Starts FillFields' walk and returns at once; done gets the answer on
    // the window's thread. The window goes on taking input meanwhile.
    void FillFieldsLater(const std::vector<FieldValue> &fields, FillDone done);
    // The login fill of the shown page: the first password field of its forms
    // (frames left out) gets password, the nearest text or e-mail field before
    // it in its form gets username. Nothing is sent. The answer's set holds
    // two entries: the password set, the user name set. Returns at once.
    void FillLoginLater(const std::string &username, const std::string &password, FillDone done);
    // Raises EError with the answer's failure, if it has one.
    static void checkAnswer(const FillAnswer &answer);

    // How long the page may take to begin a fill: 10 seconds. A page that
    // begins later is left as it is and the fill is reported as failed.
    void setPageAnswerTimeout(std::chrono::milliseconds timeout) { m_answerTimeout = timeout; }

    // True when the page shown is the answer to a form sent with POST, so that
    // reloading it would send the form again.
    bool ShowsFormAnswer() const { return m_showsFormAnswer; }

    // The token after the engine's own user agent that names this browser.
    static QString UserAgent();
    // What Navigate opens for an address typed by the user; raises EError when
    // the text is no address.
    static QUrl addressUrl(const QString &address);

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
    QWebEngineProfile *m_profile = nullptr;
    QWebEnginePage *m_page = nullptr;
    RequestWatch *m_requests = nullptr;
    bool m_hiddenUntilStarted = false;
    bool m_busy = false;
    bool m_showsFormAnswer = false;
    std::chrono::milliseconds m_answerTimeout{10000};
};
