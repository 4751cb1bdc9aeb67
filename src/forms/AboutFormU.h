#pragma once

#include <QDialog>

#include <functional>

class QFrame;
class QIcon;
class LinkLabel;
class QLabel;
class QPushButton;
class QUrl;

// The about box: program icon, name and version, credits, and three links (mail to the author, the web
// page, the licence beside the program) that turn red while the mouse is over them.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    // How a link is handed to the desktop. Tests put their own here to see the address without
    // starting anything.
    using UrlOpener = std::function<void(const QUrl&)>;

    // `icon` is the window icon (the about command's image); the font is the owner's.
    explicit TAboutForm(QWidget* owner, const QIcon& icon);

    void setUrlOpener(UrlOpener opener);

    // Every blank becomes "%20", for the subject of a mail link.
    static QString ReplaceWithHTMLSpaces(const QString& s);

    QLabel* QuilletIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* ProgVer = nullptr;
    QLabel* CopyrightAuthor = nullptr;
    QLabel* Remark = nullptr;
    LinkLabel* AuthorEmail = nullptr;
    LinkLabel* AuthorWebsite = nullptr;
    LinkLabel* SeeLicense = nullptr;
    QLabel* ThanksTo = nullptr;
    QPushButton* OkBtn = nullptr;

public Q_SLOTS:
    void AuthorEmailClick();
    void AuthorWebsiteClick();
    void SeeLicenseClick();

    void AuthorEmailMouseEnter();
    void AuthorEmailMouseLeave();
    void AuthorWebsiteMouseEnter();
    void AuthorWebsiteMouseLeave();
    void SeeLicenseMouseEnter();
    void SeeLicenseMouseLeave();

private:
    void FormCreate();
    void connectLink(LinkLabel* link, void (TAboutForm::*enter)(), void (TAboutForm::*leave)(),
                     void (TAboutForm::*click)());

    UrlOpener m_openUrl;
};
