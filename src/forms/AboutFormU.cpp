#include "forms/AboutFormU.h"

#include "forms/DialogParts.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/LinkLabel.h"
#include "forms/MessageBox.h"
#include "platform/Desktop.h"
#include "shared/AppPaths.h"
#include "shared/DebugLog.h"
#include "shared/Version.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

TAboutForm::TAboutForm(QWidget* owner, const QIcon& icon)
    : QDialog(owner, DialogParts::FixedDialogFlags), m_openUrl([](const QUrl& url) { Desktop::openUrl(url); })
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("关于 Quillet"));
    setWindowIcon(icon);
    setFixedSize(313, 254);
    DialogParts::takeFont(this, owner);

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
    AuthorEmail = new LinkLabel(this, "AuthorEmail", QStringLiteral("发送邮件给作者"));
    auto* webLabel = DialogParts::label(this, nullptr, QStringLiteral("主页:"), 12, 120);
    AuthorWebsite = new LinkLabel(this, "AuthorWebsite", QStringLiteral("Quillet 的主页"));
    auto* licenseLabel = DialogParts::label(this, nullptr, QStringLiteral("要了解更多信息，请阅读"), 12, 138);
    SeeLicense = new LinkLabel(this, "SeeLicense", QString());
    SeeLicense->setText(QStringLiteral("许可协议"));

    ThanksTo = DialogParts::label(this, "ThanksTo", QString(), 12, 164);
    connectLink(AuthorEmail, &TAboutForm::AuthorEmailMouseEnter, &TAboutForm::AuthorEmailMouseLeave,
                &TAboutForm::AuthorEmailClick);
    connectLink(AuthorWebsite, &TAboutForm::AuthorWebsiteMouseEnter, &TAboutForm::AuthorWebsiteMouseLeave,
                &TAboutForm::AuthorWebsiteClick);
    connectLink(SeeLicense, &TAboutForm::SeeLicenseMouseEnter, &TAboutForm::SeeLicenseMouseLeave,
                &TAboutForm::SeeLicenseClick);

    DialogParts::bevel(this, nullptr, QRect(8, 208, width() - 16, 2));
    OkBtn =
        DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(width() - 8 - 75, 220, 75, 25));
    OkBtn->setDefault(true);
    // The links come first in tab order; the box still opens on OK, for Enter to close it.
    OkBtn->setFocus();
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

void TAboutForm::connectLink(LinkLabel* link, void (TAboutForm::*enter)(), void (TAboutForm::*leave)(),
                             void (TAboutForm::*click)())
{
    connect(link, &LinkLabel::entered, this, Guarded::slot(this, enter));
    connect(link, &LinkLabel::left, this, Guarded::slot(this, leave));
    connect(link, &LinkLabel::clicked, this, Guarded::slot(this, click));
}

void TAboutForm::FormCreate()
{
    SharedSrc::DebugLog("TAboutForm.FormCreate");
    QPixmap icon = QIcon(Images::picture("quillet")).pixmap(32, 32);
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
    AuthorEmail->setHot(true);
}

void TAboutForm::AuthorEmailMouseLeave()
{
    SharedSrc::DebugLog("TAboutForm.AuthorEmailMouseLeave");
    AuthorEmail->setHot(false);
}

void TAboutForm::AuthorWebsiteMouseEnter()
{
    SharedSrc::DebugLog("TAboutForm.AuthorWebsiteMouseEnter");
    AuthorWebsite->setHot(true);
}

void TAboutForm::AuthorWebsiteMouseLeave()
{
    SharedSrc::DebugLog("TAboutForm.AuthorWebsiteMouseLeave");
    AuthorWebsite->setHot(false);
}

void TAboutForm::SeeLicenseMouseEnter()
{
    SharedSrc::DebugLog("TAboutForm.SeeLicenseMouseEnter");
    SeeLicense->setHot(true);
}

void TAboutForm::SeeLicenseMouseLeave()
{
    SharedSrc::DebugLog("TAboutForm.SeeLicenseMouseLeave");
    SeeLicense->setHot(false);
}
