#include "TBrowserHost.h"

#include "ModuleLibrary.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QVBoxLayout>

QT_BEGIN_NAMESPACE
// Qt's own setter of the context that OpenGL contexts share, the one Qt
// WebEngine itself uses when it makes that context.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace {

TBrowserHost::Factory inProcessFactory = nullptr;
QOpenGLContext *sharedContext = nullptr;

void dropSharedContext()
{
    if (QOpenGLContext::globalShareContext() == sharedContext)
        qt_gl_set_global_share_context(nullptr);
    delete sharedContext;
    sharedContext = nullptr;
}

// Qt WebEngine reads the context that OpenGL contexts share when its library
// is loaded and when it starts, and warns when its library comes after the
// application object without one. Qt makes that context while the application
// object is built when asked to (Qt::AA_ShareOpenGLContexts), and so does the
// engine when it is linked in: in software that is the slowest part of the
// start, for a browser that may never be used. Made here, it comes just
// before the engine's library, still before any other OpenGL context.
void makeSharedContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    sharedContext = new QOpenGLContext;
    sharedContext->create();
    qt_gl_set_global_share_context(sharedContext);
    qAddPostRoutine(dropSharedContext);
}

TBrowserHost::Factory loadLibrary()
{
    makeSharedContext();
    return reinterpret_cast<TBrowserHost::Factory>(ModuleLibrary::resolve(
        QStringLiteral("PostwrightBrowser.so"), "postwright_create_browser", "Cannot load the web browser"));
}

} // namespace

TBrowserHost::TBrowserHost(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (inProcessFactory)
        make(inProcessFactory);
}

TBrowserHost::~TBrowserHost() = default;

void TBrowserHost::setFactory(Factory factory)
{
    inProcessFactory = factory;
}

void TBrowserHost::make(Factory factory)
{
    m_view = factory(this, &m_browser);
    // Tests and the tab order know the browser by the host's name.
    m_view->setObjectName(objectName());
    connect(this, &QObject::objectNameChanged, m_view,
            [view = m_view](const QString &name) { view->setObjectName(name); });
    layout()->addWidget(m_view);
    // By name: the window links no part of the browser's classes.
    connect(m_view, SIGNAL(loadStarted()), this, SIGNAL(loadStarted()));
    connect(m_view, SIGNAL(loadFinished(bool)), this, SIGNAL(loadFinished(bool)));
    connect(m_view, SIGNAL(FormSubmitted(QUrl)), this, SIGNAL(FormSubmitted(QUrl)));
    if (!m_storageDir.empty())
        m_browser->setStorageDirectory(m_storageDir);
    if (m_loginDialog)
        m_browser->setLoginDialog(m_loginDialog);
}

TBrowser &TBrowserHost::browser()
{
    if (!m_browser)
        make(inProcessFactory ? inProcessFactory : loadLibrary());
    return *m_browser;
}

void TBrowserHost::setStorageDirectory(std::filesystem::path dir)
{
    m_storageDir = dir;
    if (m_browser)
        m_browser->setStorageDirectory(std::move(dir));
}

void TBrowserHost::setLoginDialog(LoginDialog dialog)
{
    m_loginDialog = dialog;
    if (m_browser)
        m_browser->setLoginDialog(std::move(dialog));
}

void TBrowserHost::Navigate(const QString &address)
{
    browser().Navigate(address);
}

void TBrowserHost::GoBack()
{
    browser().GoBack();
}

void TBrowserHost::GoForward()
{
    browser().GoForward();
}

// Without a browser there is no page to reload or stop, nor one to paste into.
void TBrowserHost::Refresh()
{
    if (m_browser)
        m_browser->Refresh();
}

void TBrowserHost::Stop()
{
    if (m_browser)
        m_browser->Stop();
}

bool TBrowserHost::Busy() const
{
    return m_browser && m_browser->Busy();
}

bool TBrowserHost::ShowsFormAnswer() const
{
    return m_browser && m_browser->ShowsFormAnswer();
}

bool TBrowserHost::PasteIntoPage()
{
    return m_browser && m_browser->PasteIntoPage();
}

void TBrowserHost::FillFieldsLater(const std::vector<FieldValue> &fields, FillDone done)
{
    browser().FillFieldsLater(fields, std::move(done));
}

void TBrowserHost::FillLoginLater(const std::string &username, const std::string &password, FillDone done)
{
    browser().FillLoginLater(username, password, std::move(done));
}

QUrl TBrowserHost::url() const
{
    return m_browser ? m_browser->url() : QUrl();
}
