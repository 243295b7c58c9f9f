#include "TEmbeddedWB.h"

#include "Errors.h"
#include "OpenFiles.h"
#include "PageScript.h"
#include "WidgetText.h"

#include <QAuthenticator>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QWebEngineHistory>
#include <QWebEngineNavigationRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

#include <memory>
#include <optional>
#include <system_error>

namespace {

// Sets an environment variable for as long as it lives, then restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

const char *const noAnswer = "The page shown in the browser did not answer.";

TEmbeddedWB::FillAnswer readAnswer(const QVariant &value, std::size_t pairs)
{
    TEmbeddedWB::FillAnswer answer;
    answer.set.assign(pairs, false);
    const QVariantMap map = value.toMap();
    // No answer at all: the page went away before the walk could run.
    if (!value.isValid() || map.value(QStringLiteral("late")).toBool()) {
        answer.failure = noAnswer;
        return answer;
    }
    const QVariantList set = map.value(QStringLiteral("results")).toList();
    for (qsizetype k = 0; k < set.size() && std::size_t(k) < pairs; ++k)
        answer.set[std::size_t(k)] = set[k].toBool();
    const QVariant error = map.value(QStringLiteral("error"));
    if (!error.isNull())
        answer.failure = "Cannot reach the forms of the page: " + WidgetText::fromWidget(error.toString());
    return answer;
}

void applyPageSettings(QWebEngineSettings *settings)
{
    // Pages show pictures, videos and background sounds; their scripts never run.
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
}

} // namespace

// Notes the method of each request for a page of the main frame, redirects
// included, so that the browser knows how the page shown was got.
class TEmbeddedWB::RequestWatch : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            return;
        lastUrl = info.requestUrl();
        lastMethod = info.requestMethod();
    }

    QUrl lastUrl;
    QByteArray lastMethod;
};

TEmbeddedWB::TEmbeddedWB(QWidget *parent) : QWebEngineView(parent)
{
    // A view that is shown starts the engine with a page of its own. Hidden
    // until the first operation that needs a page, it costs nothing before.
    setVisible(false);
    m_hiddenUntilStarted = true;
    // Hidden, it still takes its place in the window's layout.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);

    // The engine draws pages through a Qt Quick widget. Drawn with OpenGL,
    // that widget needs an OpenGL surface for the whole window: a window
    // already shown with another kind would be torn down and made again when
    // the first page comes (a new native window that has lost the keyboard
    // focus), and a window made with one from the start goes through OpenGL
    // from its first frame, which in software takes longer than all the rest
    // of the start. Qt Quick's software renderer draws the pages into the
    // window's own surface instead; the engine then composes pages in
    // software too. Set before the first Qt Quick window exists.
    static const bool softwareQuick = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    Q_UNUSED(softwareQuick);
}

TEmbeddedWB::~TEmbeddedWB()
{
    // The page goes before its profile: the engine must not lose a profile
    // that a live page still uses.
    delete m_page;
    m_page = nullptr;
    if (!m_profile)
        return;
    delete m_profile;
    // Once the profile is gone, the engine writes the cookies set since its
    // last write and closes their file, on threads of its own. The program
    // ends soon after this, and an end that overtakes that write loses the
    // logins just made. A stuck engine does not hold the end for long.
    if (!m_storageDir.empty())
        WaitUntilClosed(m_storageDir / "Cookies", std::chrono::seconds(3));
}

void TEmbeddedWB::setStorageDirectory(std::filesystem::path dir)
{
    m_storageDir = std::move(dir);
}

bool TEmbeddedWB::event(QEvent *event)
{
    if (event->type() == QEvent::Show && !m_page) {
        // Shown by someone else before its time: our page must be in place
        // before the view would make one of its own.
        m_hiddenUntilStarted = false;
        startEngine();
    }
    return QWebEngineView::event(event);
}

void TEmbeddedWB::startEngine()
{
    if (m_page)
        return;
    if (!m_storageDir.empty()) {
        // The folder holds the cookies of the user's logins: keep it from other users.
        std::error_code ec;
        std::filesystem::create_directories(m_storageDir, ec);
        if (!ec)
            std::filesystem::permissions(m_storageDir, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, ec);
        if (ec)
            throw EFileError("Cannot create folder", m_storageDir, ec.message());
        const QString path = QDir(m_storageDir).absolutePath();
        {
            // A new profile writes its first settings below the user's data
            // folder before it can be given a folder of its own: it writes
            // them inside ours instead.
            const ScopedEnvironment dataHome("XDG_DATA_HOME", QDir(m_storageDir / "Defaults").absolutePath());
            m_profile = new QWebEngineProfile(QStringLiteral("Postwright"), this);
        }
        m_profile->setPersistentStoragePath(path);
        m_profile->setCachePath(path);
        // Pages are kept in memory only: the folder holds what has to outlast
        // the run, not a copy of every page seen.
        m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    } else {
        m_profile = new QWebEngineProfile(this);
    }
    m_profile->setHttpUserAgent(m_profile->httpUserAgent() + QLatin1Char(' ') + UserAgent());
    applyPageSettings(m_profile->settings());

    m_page = new QWebEnginePage(m_profile, this);
    applyPageSettings(m_page->settings());
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { m_busy = true; });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] { m_busy = false; });
    watchRequests();
    // A form sent from the page (page scripts never run, so the user sent it):
    // told with the address of the page that held the form.
    connect(m_page, &QWebEnginePage::navigationRequested, this, [this](QWebEngineNavigationRequest &request) {
        if (request.navigationType() == QWebEngineNavigationRequest::FormSubmittedNavigation)
            emit FormSubmitted(m_page->url());
    });
    // A link or form that asks for a new window opens here, in place of the
    // page shown: the user's posting stays in this one browser.
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest &request) {
        if (request.isUserInitiated())
            m_page->load(request.requestedUrl());
    });
    connect(m_page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) {
                askForLogin(authenticator, url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemovePath |
                                                               QUrl::RemoveQuery | QUrl::RemoveFragment));
            });
    connect(m_page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &, QAuthenticator *authenticator, const QString &proxyHost) {
                askForLogin(authenticator, proxyHost);
            });
    setPage(m_page);
    if (m_hiddenUntilStarted) {
        m_hiddenUntilStarted = false;
        setVisible(true);
    }
}

void TEmbeddedWB::watchRequests()
{
    m_requests = new RequestWatch(this);
    m_page->setUrlRequestInterceptor(m_requests);
    // The page shown is a form's answer when the last request for the main
    // frame, after any redirect, was a POST for the address now shown.
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        m_showsFormAnswer = m_requests->lastMethod == "POST" && m_requests->lastUrl == url;
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] {
        m_showsFormAnswer = m_requests->lastMethod == "POST" && m_requests->lastUrl == m_page->url();
    });
}

void TEmbeddedWB::askForLogin(QAuthenticator *authenticator, const QString &site)
{
    QString username;
    QString password;
    if (m_loginDialog && m_loginDialog(site, authenticator->realm(), window(), username, password)) {
        authenticator->setUser(username);
        authenticator->setPassword(password);
    } else {
        // A null authenticator cancels: the page shows the server's refusal.
        *authenticator = QAuthenticator();
    }
}

QString TEmbeddedWB::UserAgent()
{
    return QStringLiteral("Postwright-EmbeddedWB");
}

void TEmbeddedWB::Navigate(const QString &address)
{
    const QUrl url = addressUrl(address);
    startEngine();
    m_page->load(url);
}

void TEmbeddedWB::GoBack()
{
    if (!m_page || !m_page->history()->canGoBack())
        throw EError("There is no earlier page to go back to.");
    m_page->triggerAction(QWebEnginePage::Back);
}

void TEmbeddedWB::GoForward()
{
    if (!m_page || !m_page->history()->canGoForward())
        throw EError("There is no later page to go forward to.");
    m_page->triggerAction(QWebEnginePage::Forward);
}

void TEmbeddedWB::Refresh()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Reload);
}

void TEmbeddedWB::Stop()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

bool TEmbeddedWB::PasteIntoPage()
{
    if (!m_page)
        return false;
    m_page->triggerAction(QWebEnginePage::Paste);
    return true;
}

bool TEmbeddedWB::FillField(const std::string &name, const std::string &value)
{
    return FillFields({{name, value}}).front();
}

std::vector<bool> TEmbeddedWB::FillFields(const std::vector<FieldValue> &fields)
{
    // No engine yet means no page has ever been shown.
    if (!m_page || fields.empty())
        return std::vector<bool>(fields.size(), false);

    // The caller needs the result before it goes on; input events wait, so
    // that no handler of the user's runs in the middle of the caller.
    auto result = std::make_shared<std::optional<FillAnswer>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    FillFieldsLater(fields, [result, waiting](const FillAnswer &answer) {
        *result = answer;
        if (waiting)
            waiting->quit();
    });
    // A page whose process ends never answers.
    connect(m_page, &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
    if (!*result)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!*result)
        throw EError(noAnswer);
    checkAnswer(**result);
    return (*result)->set;
}

void TEmbeddedWB::FillFieldsLater(const std::vector<FieldValue> &fields, FillDone done)
{
    if (!m_page || fields.empty()) {
        done(FillAnswer{std::vector<bool>(fields.size(), false), {}});
        return;
    }
    QList<QPair<QString, QString>> texts;
    texts.reserve(qsizetype(fields.size()));
    for (const auto &[name, value] : fields)
        texts.append({WidgetText::toWidget(name), WidgetText::toWidget(value)});

    runFill([&texts](qint64 deadline) { return PageScript::fillFields(texts, deadline); }, fields.size(),
            std::move(done));
}

void TEmbeddedWB::FillLoginLater(const std::string &username, const std::string &password, FillDone done)
{
    if (!m_page) {
        done(FillAnswer{{false, false}, {}});
        return;
    }
    const QString user = WidgetText::toWidget(username);
    const QString secret = WidgetText::toWidget(password);
    runFill([&](qint64 deadline) { return PageScript::fillLogin(user, secret, deadline); }, 2, std::move(done));
}

void TEmbeddedWB::runFill(const std::function<QString(qint64)> &script, std::size_t pairs, FillDone done)
{
    // The page itself decides whether it is too late: a walk that begins after
    // the deadline touches nothing, so a fill reported as failed stays undone.
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + qint64(m_answerTimeout.count());
    m_page->runJavaScript(
        script(deadline), QWebEngineScript::ApplicationWorld,
        [done = std::move(done), pairs](const QVariant &value) { done(readAnswer(value, pairs)); });
}
