#include "FMain.h"

#include "BannerLayout.h"
#include "ErrorHandler.h"
#include "EventHooks.h"
#include "FieldFilling.h"
#include "TBrowserPane.h"
#include "TDockLayout.h"
#include "TForumPanel.h"
#include "WidgetText.h"
#include "ui_FMain.h"

#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(std::filesystem::path appDir, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMain>()), m_appDir(std::move(appDir))
{
    // The tool-button pictures are compiled into the window library.
    Q_INIT_RESOURCE(icons);
    ui->setupUi(this);
    TDockLayout::install(this);
    connectBodyScrollBar();
    connectBrowser();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);

    frmMain = this;
    FormCreate();
    connectForumPanel();
}

TfrmMain::~TfrmMain()
{
    // No control that goes down with the window may call a handler any more.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    m_forumPanel.reset();
    m_browserPane.reset();
    FormDestroy();
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::FormCreate()
{
    ui->gifBanner->setGeometry(ui->imgBanner->geometry());

    // The lists exist before any step runs, so that every later operation finds
    // them even when a step fails.
    m_messages = std::make_unique<TFMessages>(m_appDir);
    m_forums = std::make_unique<TForums>(m_appDir);
    m_formats = std::make_unique<TFormats>(m_appDir);

    try {
        // The branding file is read here, before the lists, once the program
        // supports branding.
        m_messages->LoadAll();
        m_forums->LoadAll();
        fillForumList();
        m_formats->LoadAll();
        fillFormatChooser();
        Timer1->start();
    } catch (...) {
        // The steps after the failing one do not run. The window still opens,
        // and the error is shown over it once the event loop runs.
        const QString details = ErrorHandler::describe(std::current_exception());
        QMetaObject::invokeMethod(this, [details] { ErrorHandler::report(details); }, Qt::QueuedConnection);
    }
}

void TfrmMain::FormDestroy()
{
    m_messages.reset();
    m_forums.reset();
    m_formats.reset();
}

void TfrmMain::FormShow() { centreBanner(); }

void TfrmMain::FormResize() { centreBanner(); }

void TfrmMain::Timer1Timer()
{
    Timer1->stop();
    // The silent update check runs from here once the program has one.
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        if (const QScreen *s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    FormShow();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::centreBanner()
{
    const QSize strip = ui->panBanner->size();
    for (QWidget *picture : {static_cast<QWidget *>(ui->imgBanner), static_cast<QWidget *>(ui->gifBanner)})
        picture->move(centredOffset(strip.width(), picture->width()),
                      centredOffset(strip.height(), picture->height()));
}

void TfrmMain::fillForumList()
{
    for (int i = 0; i < m_forums->count(); ++i)
        ui->lvwForums->addItem(WidgetText::toWidget(m_forums->record(i).URL));
    ui->lvwForums->setCurrentRow(-1);
}

void TfrmMain::fillFormatChooser()
{
    ui->cbxFormat->clear();
    for (const std::string &entry : FormatChooserEntries(*m_formats))
        ui->cbxFormat->addItem(WidgetText::toWidget(entry));
    ui->cbxFormat->setCurrentIndex(0);
}

void TfrmMain::connectBodyScrollBar()
{
    // The body's own scroll bar is hidden; the one beside it mirrors it.
    QScrollBar *inner = ui->memBody->verticalScrollBar();
    QScrollBar *outer = ui->bsSkinScrollBar1;
    connect(inner, &QScrollBar::rangeChanged, outer, &QScrollBar::setRange);
    connect(inner, &QScrollBar::valueChanged, outer, &QScrollBar::setValue);
    connect(outer, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    outer->setRange(inner->minimum(), inner->maximum());
    outer->setPageStep(inner->pageStep());

    // The selection stays visible when the body loses the focus.
    QPalette palette = ui->memBody->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    ui->memBody->setPalette(palette);
}

template <class Sender, class Signal>
void TfrmMain::handle(Sender *sender, Signal signal, void (TfrmMain::*handler)())
{
    connect(sender, signal, this, ErrorHandler::guarded([this, handler] { (this->*handler)(); }));
}

void TfrmMain::connectBrowser()
{
    // Cookies of the user's logins live beside the data files, like them kept
    // from one run to the next.
    ui->EmbeddedWB1->setStorageDirectory(m_appDir / "BrowserProfile");
    m_browserPane = std::make_unique<TBrowserPane>(*ui->edtURL, *ui->EmbeddedWB1);

    handle(ui->bsSkinSpeedButton1, &QToolButton::clicked, &TfrmMain::bsSkinSpeedButton1Click);
    handle(ui->bsSkinSpeedButton2, &QToolButton::clicked, &TfrmMain::bsSkinSpeedButton2Click);
    handle(ui->bsSkinSpeedButton4, &QToolButton::clicked, &TfrmMain::bsSkinSpeedButton4Click);
    handle(ui->bsSkinSpeedButton3, &QToolButton::clicked, &TfrmMain::bsSkinSpeedButton3Click);
    handle(ui->bsSkinButton2, &QPushButton::clicked, &TfrmMain::bsSkinButton2Click);
    EventHooks::onKeyDown(ui->edtURL, [this](const QKeyEvent &event) { edtURLKeyDown(event); });

    handle(ui->btnSPaste, &QPushButton::clicked, &TfrmMain::btnSPasteClick);
    handle(ui->btnBPaste, &QPushButton::clicked, &TfrmMain::btnBPasteClick);
    handle(ui->btnUPaste, &QPushButton::clicked, &TfrmMain::btnUPasteClick);
    handle(ui->btnWPaste, &QPushButton::clicked, &TfrmMain::btnWPasteClick);
    handle(ui->btnAutoInsert, &QPushButton::clicked, &TfrmMain::btnAutoInsertClick);
}

void TfrmMain::connectForumPanel()
{
    m_forumPanel = std::make_unique<TForumPanel>(*m_forums, *ui->lvwForums, *ui->edtUsername,
                                                 *ui->edtPassword, *ui->edtURL, *m_browserPane);
    handle(ui->btnAddURL, &QPushButton::clicked, &TfrmMain::btnAddURLClick);
    handle(ui->btnRemoveURL, &QPushButton::clicked, &TfrmMain::btnRemoveURLClick);
    handle(ui->lvwForums, &QListWidget::itemSelectionChanged, &TfrmMain::lvwForumsListBoxClick);
    EventHooks::onDoubleClick(ui->lvwForums->viewport(), [this] { lvwForumsListBoxDblClick(); });
    EventHooks::onKeyDown(ui->lvwForums, [this](const QKeyEvent &event) { lvwForumsListBoxKeyDown(event); });
    handle(ui->edtUsername, &QLineEdit::textChanged, &TfrmMain::edtUsernameChange);
    handle(ui->edtPassword, &QLineEdit::textChanged, &TfrmMain::edtPasswordChange);
}

void TfrmMain::bsSkinSpeedButton1Click() { m_browserPane->back(); }

void TfrmMain::bsSkinSpeedButton2Click() { m_browserPane->forward(); }

void TfrmMain::bsSkinSpeedButton4Click() { m_browserPane->refresh(); }

void TfrmMain::bsSkinSpeedButton3Click() { m_browserPane->stop(); }

void TfrmMain::bsSkinButton2Click() { m_browserPane->go(); }

void TfrmMain::edtURLKeyDown(const QKeyEvent &event) { m_browserPane->addressKeyDown(event); }

void TfrmMain::btnSPasteClick()
{
    FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtSubject->text()));
}

void TfrmMain::btnBPasteClick() { FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::memoText(ui->memBody)); }

void TfrmMain::btnUPasteClick()
{
    FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtUsername->text()));
}

void TfrmMain::btnWPasteClick()
{
    FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtPassword->text()));
}

void TfrmMain::btnAutoInsertClick()
{
    FieldFilling::autoInsert(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtSubject->text()),
                             WidgetText::memoText(ui->memBody));
}

void TfrmMain::btnAddURLClick() { m_forumPanel->addCurrentUrl(); }

void TfrmMain::btnRemoveURLClick() { m_forumPanel->removeSelected(); }

void TfrmMain::lvwForumsListBoxClick() { m_forumPanel->showSelected(); }

void TfrmMain::lvwForumsListBoxDblClick() { m_forumPanel->openSelected(); }

void TfrmMain::lvwForumsListBoxKeyDown(const QKeyEvent &event) { m_forumPanel->listKeyDown(event); }

void TfrmMain::edtUsernameChange() { m_forumPanel->usernameChanged(); }

void TfrmMain::edtPasswordChange() { m_forumPanel->passwordChanged(); }
