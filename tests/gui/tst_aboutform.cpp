#include "DialogLayout.h"
#include "DialogTest.h"
#include "ModalDriver.h"

#include "forms/AboutFormU.h"
#include "forms/LinkLabel.h"
#include "forms/MessageBox.h"
#include "shared/Version.h"

#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QStringList LinkNames{u"AuthorEmail"_s, u"AuthorWebsite"_s, u"SeeLicense"_s};

QColor textColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}
} // namespace

class TestAboutForm : public DialogTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void replaceWithHTMLSpaces_data();
    void replaceWithHTMLSpaces();

    void layoutAndTexts();
    void links_lookLikeLinks();
    void hover_turnsOnlyThatLinkRed_data();
    void hover_turnsOnlyThatLinkRed();

    void click_opensLink_data();
    void click_opensLink();
    void click_otherButtonOrOutsideDoesNothing();
    void license_missing();

    void keys_close_data();
    void keys_close();

private:
    QWidget m_owner;
    QList<QUrl> m_opened;
    std::unique_ptr<TAboutForm> m_form;
};

void TestAboutForm::initTestCase()
{
    QVERIFY(useProgramFolders(dir()));
    QFont font(u"Noto Sans CJK SC"_s);
    font.setPointSize(11);
    m_owner.setFont(font);
}

void TestAboutForm::init()
{
    forgetShownDialogs();
    QFile::remove(path(u"License.txt"_s));
    m_opened.clear();
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::magenta);
    m_form = std::make_unique<TAboutForm>(&m_owner, QIcon(pixmap));
    m_form->setUrlOpener([this](const QUrl& url) { m_opened.append(url); });
}

void TestAboutForm::cleanup()
{
    closeDialogs(queuesUsed);
    m_form.reset();
}

void TestAboutForm::replaceWithHTMLSpaces_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one and two blanks") << u"a b  c"_s << u"a%20b%20%20c"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("version") << u"1.54"_s << u"1.54"_s;
    QTest::newRow("only a blank") << u" "_s << u"%20"_s;
    QTest::newRow("leading and trailing") << u"  x "_s << u"%20%20x%20"_s;
    QTest::newRow("other white space stays") << u"a\tb\nc"_s << u"a\tb\nc"_s;
    QTest::newRow("Chinese") << u"汉化 版"_s << u"汉化%20版"_s;
    QTest::newRow("already escaped") << u"a%20b"_s << u"a%20b"_s;
}

void TestAboutForm::replaceWithHTMLSpaces()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(TAboutForm::ReplaceWithHTMLSpaces(input), expected);
}

void TestAboutForm::layoutAndTexts()
{
    TAboutForm& form = *m_form;
    verifyFixedDialog(form, u"关于 Quillet"_s, QSize(313, 254), &m_owner);
    QVERIFY(!form.windowIcon().isNull());

    auto* header = form.findChild<QWidget*>(u"Header"_s);
    QVERIFY(header);
    QCOMPARE(header->geometry(), QRect(0, 0, 313, 49));
    QVERIFY(header->autoFillBackground());
    QCOMPARE(header->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(form.QuilletIcon->parentWidget(), header);
    QCOMPARE(form.QuilletIcon->size(), QSize(32, 32));
    QVERIFY(!form.QuilletIcon->pixmap().isNull());
    QCOMPARE(form.ProductName->text(), u"Quillet"_s);
    QVERIFY(form.ProductName->font().bold());
    QCOMPARE(form.ProductName->font().pixelSize(), 14);
    QCOMPARE(form.ProgVer->text(), u"1.54 汉化版 (08.01.2005)"_s);
    QCOMPARE(form.ProgVer->parentWidget(), header);

    QVERIFY(!form.CopyrightAuthor->text().isEmpty());
    QCOMPARE(form.ThanksTo->text().count(QLatin1Char('\n')), 1);
    QCOMPARE(form.AuthorEmail->text(), QString::fromLatin1(Quillet::ContactEmail));
    QCOMPARE(u"http://"_s + form.AuthorWebsite->text(), QString::fromLatin1(Quillet::WebAddress));
    QCOMPARE(form.SeeLicense->text(), u"许可协议"_s);
    QCOMPARE(form.AuthorEmail->toolTip(), u"发送邮件给作者"_s);
    QCOMPARE(form.AuthorWebsite->toolTip(), u"Quillet 的主页"_s);

    QCOMPARE(form.OkBtn->text(), u"确定(&O)"_s);
    QVERIFY(form.OkBtn->isDefault());
    // Everything fits inside the box.
    for (QWidget* child : form.findChildren<QWidget*>())
        QVERIFY2(form.rect().contains(child->mapTo(&form, child->rect().bottomRight())),
                 qPrintable(child->objectName()));
}

void TestAboutForm::links_lookLikeLinks()
{
    for (const QString& name : LinkNames) {
        auto* link = m_form->findChild<QLabel*>(name);
        QVERIFY2(link, qPrintable(name));
        QCOMPARE(textColor(link), Blue);
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    }
    QVERIFY(!m_form->Remark->font().underline());
    QVERIFY(textColor(m_form->Remark) != Blue);
}

void TestAboutForm::hover_turnsOnlyThatLinkRed_data()
{
    QTest::addColumn<QString>("hovered");
    for (const QString& name : LinkNames)
        QTest::newRow(qPrintable(name)) << name;
}

void TestAboutForm::hover_turnsOnlyThatLinkRed()
{
    QFETCH(QString, hovered);
    m_form->show();
    auto* link = m_form->findChild<QLabel*>(hovered);
    QVERIFY(link);

    QEnterEvent enter(QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)), link->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(link, &enter);
    for (const QString& name : LinkNames)
        QCOMPARE(textColor(m_form->findChild<QLabel*>(name)), name == hovered ? Red : Blue);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    for (const QString& name : LinkNames)
        QCOMPARE(textColor(m_form->findChild<QLabel*>(name)), Blue);
}

void TestAboutForm::click_opensLink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("key"); // reached by Tab and opened with this key; 0: clicked
    const QByteArray mail = "mailto:" + QByteArray(Quillet::ContactEmail) + "?subject=Quillet%20v1.54";
    QTest::newRow("mail") << u"AuthorEmail"_s << mail << 0;
    QTest::newRow("web page") << u"AuthorWebsite"_s << QByteArray(Quillet::WebAddress) << 0;
    QTest::newRow("licence") << u"SeeLicense"_s << QByteArray() << 0;
    QTest::newRow("mail, Enter") << u"AuthorEmail"_s << mail << int(Qt::Key_Return);
    QTest::newRow("web page, keypad Enter")
        << u"AuthorWebsite"_s << QByteArray(Quillet::WebAddress) << int(Qt::Key_Enter);
    QTest::newRow("licence, space") << u"SeeLicense"_s << QByteArray() << int(Qt::Key_Space);
}

void TestAboutForm::click_opensLink()
{
    QFETCH(QString, link);
    QFETCH(QByteArray, expected);
    const QString license = path(u"License.txt"_s);
    if (expected.isEmpty()) {
        QFile file(license);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("licence text\n");
        expected = QUrl::fromLocalFile(license).toEncoded();
    }
    QFETCH(int, key);
    m_form->show();
    auto* target = m_form->findChild<QLabel*>(link);
    if (key == 0) {
        QTest::mouseClick(target, Qt::LeftButton);
    } else {
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        // The box opens on OK; Tab goes on to the links, each showing its focus.
        QCOMPARE(QApplication::focusWidget(), m_form->OkBtn);
        const QImage unfocused = target->grab().toImage();
        for (int tab = 0; tab < 4 && QApplication::focusWidget() != target; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), target);
        QVERIFY(target->grab().toImage() != unfocused);
        QTest::keyClick(target, Qt::Key(key));
    }
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].toEncoded(), expected);
    QVERIFY(m_form->isVisible());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestAboutForm::click_otherButtonOrOutsideDoesNothing()
{
    m_form->show();
    QTest::mouseClick(m_form->AuthorEmail, Qt::RightButton);
    // Pressed on the link, released beside it: no click.
    QTest::mousePress(m_form->AuthorWebsite, Qt::LeftButton);
    QTest::mouseRelease(m_form->AuthorWebsite, Qt::LeftButton, {}, QPoint(-5, -5));
    QTest::mouseClick(m_form->Remark, Qt::LeftButton);
    QVERIFY(m_opened.isEmpty());
}

void TestAboutForm::license_missing()
{
    m_form->show();
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::mouseClick(m_form->SeeLicense, Qt::LeftButton);
    takeOneBox(u"错误"_s, u"许可协议不存在。请重新安装软件或与作者取得联系。"_s);
    QVERIFY(m_opened.isEmpty());
    QVERIFY(m_form->isVisible());
}

void TestAboutForm::keys_close_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestAboutForm::keys_close()
{
    QFETCH(int, key);
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_form.get(), Qt::Key(key));
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_opened.isEmpty());
}

QTEST_MAIN(TestAboutForm)
#include "tst_aboutform.moc"
