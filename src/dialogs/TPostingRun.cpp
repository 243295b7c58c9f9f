#include "TPostingRun.h"

#include "Clipboard.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "FieldFilling.h"
#include "ListBox.h"
#include "TBrowserHost.h"
#include "UPostLog.h"
#include "WidgetText.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QUrl>

#include <ctime>

namespace {

// A white tick on a green disc, drawn to fit a list row and to show on a
// selected row too.
QIcon markIcon()
{
    QPixmap mark(12, 12);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2e, 0x8b, 0x2e));
    painter.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(3.2, 6.2);
    path.lineTo(5.2, 8.4);
    path.lineTo(8.8, 3.8);
    painter.drawPath(path);
    return QIcon(mark);
}

// The host of an address, with its port where the address names one; empty
// for a text that is no web address.
std::string siteOf(const QUrl &url)
{
    if (url.host().isEmpty())
        return {};
    QString site = url.host().toLower();
    if (url.port() != -1)
        site += QLatin1Char(':') + QString::number(url.port());
    return WidgetText::fromWidget(site);
}

std::string siteOfAddress(const std::string &address)
{
    try {
        return siteOf(TBrowser::addressUrl(WidgetText::toWidget(address)));
    } catch (const EError &) {
        // A forum whose address opens nothing has no site to match.
        return {};
    }
}

} // namespace

TPostingRun::TPostingRun(TForums &forums, std::filesystem::path appDir, PostingControls controls,
                         ForumCommands commands)
    : m_forums(forums), m_appDir(std::move(appDir)), m_controls(std::move(controls)),
      m_commands(std::move(commands)), m_markIcon(markIcon())
{
    QListWidget &list = m_controls.list;
    // The mark fits the row, which keeps its height.
    list.setIconSize(QSize(12, 12));
    list.setContextMenuPolicy(Qt::ActionsContextMenu);
    addCommand("actOpen", QStringLiteral("Open"), {}, m_commands.open);
    addCommand("actOpenAndLogIn", QStringLiteral("Open and Log In"), {}, [this] { openAndLogIn(); });
    addCommand("actLogInHere", QStringLiteral("Log In Here"), QKeySequence(Qt::CTRL | Qt::Key_L),
               [this] { logInHere(); });
    addCommand("actNextForum", QStringLiteral("Next Forum"), QKeySequence(Qt::CTRL | Qt::Key_N),
               [this] { nextForum(); });
    auto *separator = new QAction(&list);
    separator->setSeparator(true);
    list.addAction(separator);
    addCommand("actCopyAddress", QStringLiteral("Copy Address"), {}, [this] { copyAddress(); });
    addCommand("actRemove", QStringLiteral("Remove"), {}, m_commands.remove);

    // Marks follow their forums when rows come and go above them.
    connect(list.model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                m_marks.rowsInserted(first, last - first + 1);
                showMarks();
            });
    connect(list.model(), &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                m_marks.rowsRemoved(first, last - first + 1);
                showMarks();
            });
    for (QAbstractButton *button : m_controls.inserting)
        connect(button, &QAbstractButton::clicked, this,
                [this] { ErrorHandler::run([this] { messageInserted(); }); });
    connect(&m_controls.subject, &QLineEdit::textChanged, this, [this] { messageChanged(); });
    connect(&m_controls.body, &QPlainTextEdit::textChanged, this, [this] { messageChanged(); });

    TBrowserHost &browser = m_controls.browser;
    connect(&browser, &TBrowserHost::FormSubmitted, this,
            [this](const QUrl &page) { ErrorHandler::run([&] { formSubmitted(page); }); });
    connect(&browser, &TBrowserHost::loadStarted, this, [this] { loadStarted(); });
    connect(&browser, &TBrowserHost::loadFinished, this,
            [this](bool ok) { ErrorHandler::run([&] { loadFinished(ok); }); });
}

TPostingRun::~TPostingRun() = default;

QAction *TPostingRun::addCommand(const char *name, const QString &text, const QKeySequence &shortcut,
                                 std::function<void()> command)
{
    auto *action = new QAction(text, &m_controls.list);
    action->setObjectName(QLatin1String(name));
    // Anywhere in the window, also while the page has the keyboard.
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this,
            [command = std::move(command)] { ErrorHandler::run([&] { command(); }); });
    m_controls.list.addAction(action);
    return action;
}

std::optional<int> TPostingRun::selectedForum()
{
    const int row = ListBox::selectedRow(&m_controls.list);
    if (row < 0) {
        say(QStringLiteral("Select a forum in the list first."));
        return std::nullopt;
    }
    return row;
}

void TPostingRun::logInHere()
{
    if (const auto row = selectedForum())
        fillLogin(m_forums.record(*row));
}

void TPostingRun::openAndLogIn()
{
    const auto row = selectedForum();
    if (!row)
        return;
    // Waiting before the page is asked for, whenever the browser tells that
    // it began; an address that opens nothing leaves nothing waiting.
    m_pendingLogin = PendingLogin{m_forums.record(*row)};
    say({});
    try {
        m_commands.open();
    } catch (...) {
        m_pendingLogin.reset();
        throw;
    }
}

void TPostingRun::loadStarted()
{
    if (m_pendingLogin)
        m_pendingLogin->started = true;
}

void TPostingRun::loadFinished(bool ok)
{
    // A page stopped before the forum's began loading is not the forum's.
    if (!m_pendingLogin || !m_pendingLogin->started)
        return;
    const TForum forum = std::move(m_pendingLogin->forum);
    m_pendingLogin.reset();
    if (!ok) {
        say(QStringLiteral("The page did not load: nothing was filled in."));
        return;
    }
    // The forum's password goes to the forum's own site only, wherever the
    // page may have been sent on to.
    if (!PostMarks::sameSite(siteOf(m_controls.browser.url()), siteOfAddress(forum.URL))) {
        say(QStringLiteral("The page shown is not on the forum's site: nothing was filled in."));
        return;
    }
    fillLogin(forum);
}

void TPostingRun::fillLogin(const TForum &forum)
{
    const QPointer<TPostingRun> alive(this);
    FieldFilling::logIn(
        m_controls.browser, forum.Username, forum.Password, [this, alive](FieldFilling::LoginFill fill) {
            if (!alive)
                return;
            switch (fill) {
            case FieldFilling::LoginFill::NoPasswordField:
                say(QStringLiteral("This page has no password field: nothing was filled in."));
                break;
            case FieldFilling::LoginFill::PasswordOnly:
                say(QStringLiteral(
                    "Password filled in; no user name field comes before it. Nothing was sent."));
                break;
            case FieldFilling::LoginFill::UsernameAndPassword:
                say(QStringLiteral("User name and password filled in. Nothing was sent."));
                break;
            }
        });
}

void TPostingRun::nextForum()
{
    QListWidget &list = m_controls.list;
    const auto next = m_marks.nextUnmarked(list.count(), ListBox::selectedRow(&list));
    if (!next) {
        say(list.count() == 0 ? QStringLiteral("There is no forum in the list.")
                              : QStringLiteral("Every forum is marked as posted for this message."));
        return;
    }
    say({});
    // Selecting shows the forum's user name and password, as a click does.
    list.setCurrentRow(*next);
    m_commands.open();
}

void TPostingRun::copyAddress()
{
    if (const auto row = selectedForum()) {
        Clipboard::setText(m_forums.record(*row).URL);
        say({});
    }
}

std::vector<std::string> TPostingRun::sites() const
{
    std::vector<std::string> sites;
    sites.reserve(std::size_t(m_forums.count()));
    for (int i = 0; i < m_forums.count(); ++i)
        sites.push_back(siteOfAddress(m_forums.record(i).URL));
    return sites;
}

void TPostingRun::messageInserted()
{
    const QUrl page = m_controls.browser.url();
    const auto forum = PostMarks::forumOfPage(sites(), ListBox::selectedRow(&m_controls.list), siteOf(page));
    if (forum)
        m_marks.inserted(*forum, WidgetText::fromWidget(page.toString(QUrl::FullyEncoded)));
}

void TPostingRun::formSubmitted(const QUrl &page)
{
    const auto row = m_marks.submitted(WidgetText::fromWidget(page.toString(QUrl::FullyEncoded)));
    if (!row || *row >= m_forums.count())
        return;
    showMarks();
    const std::string url = m_forums.record(*row).URL;
    say(QStringLiteral("Marked as posted: ") + WidgetText::toWidget(url));
    PostLog::append(m_appDir, std::time(nullptr), url, WidgetText::fromWidget(m_controls.subject.text()));
}

void TPostingRun::messageChanged()
{
    // No page holds the message as it now reads, and no forum has it.
    const bool shown = m_marks.anyMarked();
    m_marks.clear();
    if (shown)
        showMarks();
}

void TPostingRun::showMarks()
{
    QListWidget &list = m_controls.list;
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem *item = list.item(row);
        const bool marked = m_marks.isMarked(row);
        if (marked != !item->icon().isNull())
            item->setIcon(marked ? m_markIcon : QIcon());
    }
}

void TPostingRun::say(const QString &text)
{
    m_controls.status.setText(text);
}
