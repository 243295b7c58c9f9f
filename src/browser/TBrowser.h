#pragma once

#include "Errors.h"

#include <QString>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

// What the window asks of its web browser: the commands of the browser pane
// and the field filling. The embedded browser (TEmbeddedWB) does the work; the
// window holds it through TBrowserHost, which loads it when it is first needed.
class TBrowser {
public:
    // A field name and the value to put into every field of that name.
    using FieldValue = std::pair<std::string, std::string>;

    // What became of a fill: set holds one entry per pair; failure is empty
    // when the page answered in time, else the error's text. A fill that
    // failed has changed nothing in the page, and never will.
    struct FillAnswer {
        std::vector<bool> set;
        std::string failure;
    };
    using FillDone = std::function<void(const FillAnswer &)>;

    // Asks the user for a web site's user name and password (HTTP
    // authentication); true when the user answered. The window's login
    // dialog (TfrmLogin::ask) is one.
    using LoginDialog = std::function<bool(const QString &site, const QString &realm, QWidget *parent,
                                           QString &username, QString &password)>;

    virtual ~TBrowser() = default;

    // Where the browser keeps cookies and site data from one run to the next,
    // so logins survive a restart. Takes effect when the engine starts; without
    // it the browser writes nothing to disk.
    virtual void setStorageDirectory(std::filesystem::path dir) = 0;
    // Who answers a site's request for a login; without one, every such
    // request is refused.
    virtual void setLoginDialog(LoginDialog dialog) = 0;

    // Starts loading the address; returns at once. An address without a scheme
    // opens as http. Raises EError for a text that is no address.
    virtual void Navigate(const QString &address) = 0;
    // Raise EError when there is no earlier (later) page.
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
    // True while a page is loading.
    virtual bool Busy() const = 0;
    // True when the page shown is the answer to a form sent with POST, so that
    // reloading it would send the form again.
    virtual bool ShowsFormAnswer() const = 0;
    // Inserts the clipboard's text at the page's caret. False when no page is there.
    virtual bool PasteIntoPage() = 0;
    // Starts the field walk: every element named name (compared byte for byte,
    // with case) of every form of the shown page, frames left out, gets value,
    // for each pair in order, in one visit to the page. Returns at once; done
    // gets the answer on the window's thread.
    virtual void FillFieldsLater(const std::vector<FieldValue> &fields, FillDone done) = 0;

    // The login fill of the shown page: the first password field of its forms
    // (frames left out) gets password, the nearest text or e-mail field before
    // it in its form gets username. Nothing is sent. The answer's set holds
    // two entries: the password set, the user name set. Returns at once.
    virtual void FillLoginLater(const std::string &username, const std::string &password, FillDone done) = 0;
    // The address of the page shown; empty before the first page.
    virtual QUrl url() const = 0;

    // The widget the browser is; it lives as long as the browser.
    virtual QWidget *widget() = 0;

    // What Navigate opens for an address typed by the user; raises EError when
    // the text is no address.
    static QUrl addressUrl(const QString &address);

    // Raises EError with the answer's failure, if it has one.
    static void checkAnswer(const FillAnswer &answer)
    {
        if (!answer.failure.empty())
            throw EError(answer.failure);
    }
};
