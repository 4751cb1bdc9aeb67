#include "DialogLayout.h"

#include "forms/AboutFormU.h"
#include "forms/LinkLabel.h"
#include "forms/MessageBox.h"
#include "shared/Version.h"

#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QStringList LinkNames{QStringLiteral("AuthorEmail"), QStringLiteral("AuthorWebsite"),
                            QStringLiteral("SeeLicense")};

QColor textColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}
} // namespace

class TestAboutForm : public QObject
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
    QTemporaryDir m_dir;
    QWidget m_owner;
    QList<QUrl> m_opened;
    std::unique_ptr<TAboutForm> m_form;
};

void TestAboutForm::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir.path()));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(11);
    m_owner.setFont(font);
}

void TestAboutForm::init()
{
    QFile::remove(m_dir.filePath(QStringLiteral("License.txt")));
    MessageBox::takeShown();
    m_opened.clear();
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::magenta);
    m_form = std::make_unique<TAboutForm>(&m_owner, QIcon(pixmap));
    m_form->setUrlOpener([this](const QUrl& url) { m_opened.append(url); });
}

void TestAboutForm::cleanup()
{
    QVERIFY(!MessageBox::hasPendingAnswers());
    MessageBox::setNextAnswers({});
    m_form.reset();
}

void TestAboutForm::replaceWithHTMLSpaces_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one and two blanks") << QStringLiteral("a b  c") << QStringLiteral("a%20b%20%20c");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("version") << QStringLiteral("1.54") << QStringLiteral("1.54");
    QTest::newRow("only a blank") << QStringLiteral(" ") << QStringLiteral("%20");
    QTest::newRow("leading and trailing") << QStringLiteral("  x ") << QStringLiteral("%20%20x%20");
    QTest::newRow("other white space stays") << QStringLiteral("a\tb\nc") << QStringLiteral("a\tb\nc");
    QTest::newRow("Chinese") << QStringLiteral("汉化 版") << QStringLiteral("汉化%20版");
    QTest::newRow("already escaped") << QStringLiteral("a%20b") << QStringLiteral("a%20b");
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
    verifyFixedDialog(form, QStringLiteral("关于 Quillet"), QSize(313, 254), &m_owner);
    QVERIFY(!form.windowIcon().isNull());

    auto* header = form.findChild<QWidget*>(QStringLiteral("Header"));
    QVERIFY(header);
    QCOMPARE(header->geometry(), QRect(0, 0, 313, 49));
    QVERIFY(header->autoFillBackground());
    QCOMPARE(header->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(form.QuilletIcon->parentWidget(), header);
    QCOMPARE(form.QuilletIcon->size(), QSize(32, 32));
    QVERIFY(!form.QuilletIcon->pixmap().isNull());
    QCOMPARE(form.ProductName->text(), QStringLiteral("Quillet"));
    QVERIFY(form.ProductName->font().bold());
    QCOMPARE(form.ProductName->font().pixelSize(), 14);
    QCOMPARE(form.ProgVer->text(), QStringLiteral("1.54 汉化版 (08.01.2005)"));
    QCOMPARE(form.ProgVer->parentWidget(), header);

    QVERIFY(!form.CopyrightAuthor->text().isEmpty());
    QCOMPARE(form.ThanksTo->text().count(QLatin1Char('\n')), 1);
    QCOMPARE(form.AuthorEmail->text(), QString::fromLatin1(Quillet::ContactEmail));
    QCOMPARE(QStringLiteral("http://") + form.AuthorWebsite->text(),
             QString::fromLatin1(Quillet::WebAddress));
    QCOMPARE(form.SeeLicense->text(), QStringLiteral("许可协议"));
    QCOMPARE(form.AuthorEmail->toolTip(), QStringLiteral("发送邮件给作者"));
    QCOMPARE(form.AuthorWebsite->toolTip(), QStringLiteral("Quillet 的主页"));

    QCOMPARE(form.OkBtn->text(), QStringLiteral("确定(&O)"));
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
    QTest::newRow("mail") << QStringLiteral("AuthorEmail")
                          << ("mailto:" + QByteArray(Quillet::ContactEmail) + "?subject=Quillet%20v1.54");
    QTest::newRow("web page") << QStringLiteral("AuthorWebsite") << QByteArray(Quillet::WebAddress);
    QTest::newRow("licence") << QStringLiteral("SeeLicense") << QByteArray();
}

void TestAboutForm::click_opensLink()
{
    QFETCH(QString, link);
    QFETCH(QByteArray, expected);
    const QString license = m_dir.filePath(QStringLiteral("License.txt"));
    if (expected.isEmpty()) {
        QFile file(license);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("licence text\n");
        expected = QUrl::fromLocalFile(license).toEncoded();
    }
    m_form->show();
    QTest::mouseClick(m_form->findChild<QLabel*>(link), Qt::LeftButton);
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
    takeOneBox(QStringLiteral("错误"), QStringLiteral("许可协议不存在。请重新安装软件或与作者取得联系。"));
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
