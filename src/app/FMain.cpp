#include "FMain.h"

#include "BannerLayout.h"
#include "ErrorHandler.h"
#include "FFormats.h"
#include "FUMessages.h"
#include "Markup.h"
#include "ModalDialog.h"
#include "ScreenPlace.h"
#include "TDockLayout.h"
#include "TbsSkinMessage.h"
#include "WidgetText.h"
#include "WindowLook.h"
#include "ui_FMain.h"

#include <QClipboard>
#include <QGuiApplication>
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
    createMessageBox();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, ErrorHandler::guarded(this, &TfrmMain::Timer1Timer));
    connect(ui->btnPreview, &QPushButton::clicked, this, ErrorHandler::guarded(this, &TfrmMain::btnPreviewClick));
    connect(ui->btnCopy, &QPushButton::clicked, this, ErrorHandler::guarded(this, &TfrmMain::btnCopyClick));

    connect(ui->btnSave, &QPushButton::clicked, this, ErrorHandler::guarded(this, &TfrmMain::btnSaveClick));
    connect(ui->btnLoad, &QPushButton::clicked, this, ErrorHandler::guarded(this, &TfrmMain::btnLoadClick));
    connect(ui->btnOptions, &QPushButton::clicked, this,
            ErrorHandler::guarded(this, &TfrmMain::btnOptionsClick));

    frmMain = this;
    FormCreate();
}

TfrmMain::~TfrmMain()
{
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

void TfrmMain::btnSaveClick()
{
    const std::string subject = WidgetText::fromWidget(ui->edtSubject->text());
    const std::string body = WidgetText::memoText(ui->memBody);
    if (subject.empty() && body.empty())
        return;
    // Stored exactly as written: nothing is trimmed, the body keeps its CR LF.
    m_messages->append(subject, std::make_unique<TFMessage>(TFMessage{subject, body}));
    m_messages->SaveAll();
}

void TfrmMain::btnLoadClick()
{
    // The dialog copies the chosen message into the editor itself.
    TfrmFMessages dialog(*this, this);
    ModalDialog::exec(dialog);
}

void TfrmMain::btnOptionsClick()
{
    TfrmFormat dialog(*this, this);
    if (ModalDialog::exec(dialog) == QDialog::Accepted)
        fillFormatChooser();
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        ScreenPlace::centreOnScreen(this);
    }
    ErrorHandler::run([this] { FormShow(); });
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ErrorHandler::run([this] { FormResize(); });
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
    WindowLook::keepSelectionVisible(ui->memBody);
}

void TfrmMain::createMessageBox()
{
    msgMain = new TbsSkinMessage(this);
    msgMain->setObjectName(QStringLiteral("msgMain"));
    msgMain->setSkinData(QStringLiteral("bsSkinData1"));
    msgMain->setCtrlSkinData(QStringLiteral("bsSkinData1"));
    msgMain->setButtonSkinDataName(QStringLiteral("button"));
    msgMain->setMessageLabelSkinDataName(QStringLiteral("stdlabel"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    msgMain->setDefaultFont(font);
    msgMain->setDefaultButtonFont(font);
    msgMain->setUseSkinFont(true);
    msgMain->setAlphaBlend(false);
    msgMain->setAlphaBlendAnimation(false);
    msgMain->setAlphaBlendValue(200);
}

int TfrmMain::formatIndex() const { return ui->cbxFormat->currentIndex() - 1; }

std::string TfrmMain::MarkupText(std::string_view text, int index) const
{
    return ::MarkupText(text, index, *m_formats);
}

std::string TfrmMain::WrapURL(std::string_view url, int index) const { return ::WrapURL(url, index, *m_formats); }

std::string TfrmMain::WrapEmail(std::string_view email, int index) const
{
    return ::WrapEmail(email, index, *m_formats);
}

void TfrmMain::btnPreviewClick()
{
    const int index = formatIndex();
    std::string subject = MarkupText(WidgetText::fromWidget(ui->edtSubject->text()), index);
    const std::string body = MarkupText(WidgetText::memoText(ui->memBody), index);
    // The subject is set off from the body by LF CR LF CR.
    if (!subject.empty())
        subject += "\n\r\n\r";
    msgMain->ShowMessageBox(subject + body, TMsgKind::Custom, TMsgButton::OK, 0);
}

void TfrmMain::btnCopyClick()
{
    const std::string body = MarkupText(WidgetText::memoText(ui->memBody), formatIndex());
    // Replaces everything the clipboard held, in every format, with this text.
    QGuiApplication::clipboard()->setText(WidgetText::toWidget(body));
}
