#include "forms/AboutFormU.h"

#include "forms/DialogParts.h"
#include "forms/MessageBox.h"
#include "shared/AppPaths.h"
#include "shared/DebugLog.h"
#include "shared/Version.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace {

const QColor LinkColor(0, 0, 255);
const QColor HotLinkColor(255, 0, 0);

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

TAboutForm::TAboutForm(QWidget* owner, const QIcon& icon)
    : QDialog(owner, DialogParts::FixedDialogFlags),
      m_openUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("关于 Quillet"));
    setWindowIcon(icon);
    setFixedSize(313, 254);
    if (owner)
        setFont(owner->font());

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("Header"));
    header->setGeometry(0, 0, width(), 49);
    header->setAutoFillBackground(true);
    QPalette white = header->palette();
    white.setColor(QPalette::Window, Qt::white);
    header->setPalette(white);

    QuilletIcon = new QLabel(header);
    QuilletIcon->setObjectName(QStringLiteral("QuilletIcon"));
    QuilletIcon->setGeometry(8, 8, 32, 32);

    ProductName = DialogParts::label(header, "ProductName", QStringLiteral("Quillet"), 48, 5);
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPixelSize(14);
    ProductName->setFont(bold);
    ProgVer = DialogParts::label(header, "ProgVer", QString(), 48, 26);
    DialogParts::bevel(this, nullptr, QRect(0, 49, width(), 2));

    CopyrightAuthor = DialogParts::label(this, "CopyrightAuthor", QString(), 12, 60);
    Remark = DialogParts::label(this, "Remark", QStringLiteral("本程序按原样提供，不附带任何担保。"), 12, 78);

    auto* mailLabel = DialogParts::label(this, nullptr, QStringLiteral("邮件:"), 12, 102);
    AuthorEmail = makeLink("AuthorEmail", QStringLiteral("发送邮件给作者"));
    auto* webLabel = DialogParts::label(this, nullptr, QStringLiteral("主页:"), 12, 120);
    AuthorWebsite = makeLink("AuthorWebsite", QStringLiteral("Quillet 的主页"));
    auto* licenseLabel = DialogParts::label(this, nullptr, QStringLiteral("要了解更多信息，请阅读"), 12, 138);
    SeeLicense = makeLink("SeeLicense", QString());
    SeeLicense->setText(QStringLiteral("许可协议"));

    ThanksTo = DialogParts::label(this, "ThanksTo", QString(), 12, 164);

    DialogParts::bevel(this, nullptr, QRect(8, 208, width() - 16, 2));
    OkBtn =
        DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(width() - 8 - 75, 220, 75, 25));
    OkBtn->setDefault(true);
    // OK is also the cancel button: Esc rejects, which closes the box just the same.
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();

    for (QLabel* text : {ProgVer, CopyrightAuthor, Remark, mailLabel, webLabel, licenseLabel, ThanksTo})
        text->adjustSize();
    ProductName->adjustSize();
    const auto placeAfter = [](QLabel* link, QLabel* caption) {
        link->adjustSize();
        link->move(caption->geometry().right() + 5, caption->y());
    };
    placeAfter(AuthorEmail, mailLabel);
    placeAfter(AuthorWebsite, webLabel);
    placeAfter(SeeLicense, licenseLabel);
}

QLabel* TAboutForm::makeLink(const char* name, const QString& hint)
{
    auto* link = new QLabel(this);
    link->setObjectName(QLatin1String(name));
    link->setToolTip(hint);
    link->setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    setTextColor(link, LinkColor);
    link->installEventFilter(this);
    return link;
}

void TAboutForm::FormCreate()
{
    SharedSrc::DebugLog("TAboutForm.FormCreate");
    QPixmap icon = QIcon(QStringLiteral(":/icons/quillet.svg")).pixmap(32, 32);
    if (icon.isNull())
        icon = QApplication::windowIcon().pixmap(32, 32);
    QuilletIcon->setPixmap(icon);
    ProgVer->setText(QLatin1String(Quillet::ProgramVersion) + QStringLiteral(" 汉化版 (08.01.2005)"));
    CopyrightAuthor->setText(QStringLiteral("Copyright (C) 2026 Quillet 开发者"));
    ThanksTo->setText(QStringLiteral("感谢 Qt 项目提供的开发工具，\n感谢所有报告问题的用户。"));
    AuthorEmail->setText(QString::fromLatin1(Quillet::ContactEmail));
    // The label leaves out the "http://" prefix.
    AuthorWebsite->setText(QString::fromLatin1(Quillet::WebAddress).mid(7));
}

void TAboutForm::setUrlOpener(UrlOpener opener)
{
    m_openUrl = std::move(opener);
}

QString TAboutForm::ReplaceWithHTMLSpaces(const QString& s)
{
    SharedSrc::DebugLog("TAboutForm.ReplaceWithHTMLSpaces");
    QString result = s;
    qsizetype i = 0;
    while (i < result.size()) {
        if (result[i] == QLatin1Char(' ')) {
            result.replace(i, 1, QStringLiteral("%20"));
            i += 3;
        } else {
            ++i;
        }
    }
    return result;
}

void TAboutForm::AuthorEmailClick()
{
    SharedSrc::DebugLog("TAboutForm.AuthorEmailClick");
    const QString link = QStringLiteral("mailto:") + QString::fromLatin1(Quillet::ContactEmail) +
                         QStringLiteral("?subject=Quillet%20v") +
                         ReplaceWithHTMLSpaces(QString::fromLatin1(Quillet::ProgramVersion));
    m_openUrl(QUrl(link));
}

void TAboutForm::AuthorWebsiteClick()
{
    SharedSrc::DebugLog("TAboutForm.AuthorWebsiteClick");
    m_openUrl(QUrl(QString::fromLatin1(Quillet::WebAddress)));
}

void TAboutForm::SeeLicenseClick()
{
    SharedSrc::DebugLog("TAboutForm.SeeLicenseClick");
    const QString license = AppPaths::licensePath();
    if (!QFileInfo(license).isFile()) {
        SharedSrc::ErrorMsg(QStringLiteral("许可协议不存在。请重新安装软件或与作者取得联系。"));
        return;
    }
    m_openUrl(QUrl::fromLocalFile(license));
}

void TAboutForm::AuthorEmailMouseEnter()
{
    SharedSrc::DebugLog("TAboutForm.AuthorEmailMouseEnter");
    setTextColor(AuthorEmail, HotLinkColor);
}

void TAboutForm::AuthorEmailMouseLeave()
{
    SharedSrc::DebugLog("TAboutForm.AuthorEmailMouseLeave");
    setTextColor(AuthorEmail, LinkColor);
}

void TAboutForm::AuthorWebsiteMouseEnter()
{
    SharedSrc::DebugLog("TAboutForm.AuthorWebsiteMouseEnter");
    setTextColor(AuthorWebsite, HotLinkColor);
}

void TAboutForm::AuthorWebsiteMouseLeave()
{
    SharedSrc::DebugLog("TAboutForm.AuthorWebsiteMouseLeave");
    setTextColor(AuthorWebsite, LinkColor);
}

void TAboutForm::SeeLicenseMouseEnter()
{
    SharedSrc::DebugLog("TAboutForm.SeeLicenseMouseEnter");
    setTextColor(SeeLicense, HotLinkColor);
}

void TAboutForm::SeeLicenseMouseLeave()
{
    SharedSrc::DebugLog("TAboutForm.SeeLicenseMouseLeave");
    setTextColor(SeeLicense, LinkColor);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    struct Handlers
    {
        QLabel* link;
        void (TAboutForm::*enter)();
        void (TAboutForm::*leave)();
        void (TAboutForm::*click)();
    };
    const Handlers links[] = {
        {AuthorEmail, &TAboutForm::AuthorEmailMouseEnter, &TAboutForm::AuthorEmailMouseLeave,
         &TAboutForm::AuthorEmailClick},
        {AuthorWebsite, &TAboutForm::AuthorWebsiteMouseEnter, &TAboutForm::AuthorWebsiteMouseLeave,
         &TAboutForm::AuthorWebsiteClick},
        {SeeLicense, &TAboutForm::SeeLicenseMouseEnter, &TAboutForm::SeeLicenseMouseLeave,
         &TAboutForm::SeeLicenseClick},
    };
    for (const Handlers& handlers : links) {
        if (watched != handlers.link)
            continue;
        switch (event->type()) {
        case QEvent::Enter:
            (this->*handlers.enter)();
            break;
        case QEvent::Leave:
            (this->*handlers.leave)();
            break;
        case QEvent::MouseButtonRelease: {
            // A click is a left-button release over the link, as for a button.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                handlers.link->rect().contains(mouse->position().toPoint()))
                (this->*handlers.click)();
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
