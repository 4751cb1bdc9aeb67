#include "DialogLayout.h"
#include "DialogTest.h"
#include "ModalDriver.h"
#include "TypeText.h"

#include "document/NotesDocument.h"
#include "forms/DocumentHost.h"
#include "forms/EnterPassFormU.h"
#include "forms/MessageBox.h"
#include "forms/SettPassFormU.h"
#include "shared/AnsiText.h"
#include "shared/Cipher.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString WrongOld = u"旧密码不正确。"_s;
const QString Mismatch = u"密码不匹配。"_s;
const QString TooLong = u"密码长度不能大于 100 位。"_s;
const QString WrongPassword = u"密码不正确。"_s;

// The main window as the set-password dialog sees it, noting what the document tells it.
class RecordingHost : public DocumentHost
{
public:
    explicit RecordingHost(const QByteArray& password = {}, Protection::Kind kind = Protection::Kind::Classic)
    {
        m_document.changePassword({}, password, password, kind, KeyDerivation::Lowest);
        m_document.setModified(false);
        QObject::connect(&m_document, &NotesDocument::protectionChanged,
                         [this] { calls << u"protectionChanged"_s; });
        QFont font(u"Noto Sans CJK SC"_s);
        font.setPointSize(13);
        window.setFont(font);
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::darkYellow);
        icon = QIcon(pixmap);
    }

    QWidget* hostWindow() override { return &window; }
    QIcon image(int index) const override
    {
        imagesAsked.append(index);
        return icon;
    }
    NotesDocument& document() override { return m_document; }

    QWidget window;
    QIcon icon;
    QStringList calls;
    mutable QList<int> imagesAsked;

private:
    NotesDocument m_document;
};

// The test a file protected by `password` gives the dialog.
NotesDocument::PasswordTest opensWith(const QByteArray& password)
{
    const QByteArray check = SharedSrc::CreateDecryptCheck(password);
    return [check](const QByteArray& typed) {
        return NotesDocument::passwordOpens(check, typed) ? NotesDocument::PasswordFit::Opens
                                                          : NotesDocument::PasswordFit::Wrong;
    };
}

QString repeated(const QString& text, int count)
{
    return text.repeated(count);
}

} // namespace

class TestPasswordForms : public DialogTest
{
    Q_OBJECT

private Q_SLOTS:
    // set password
    void setPass_layout();
    void setPass_accessKeysAndTabOrder();
    void setPass_checks_data();
    void setPass_checks();
    void setPass_protectionChoice_data();
    void setPass_protectionChoice();
    void setPass_enterConfirms();
    void setPass_cancelChangesNothing_data();
    void setPass_cancelChangesNothing();

    // enter password
    void enterPass_layout();
    void enterPass_check_data();
    void enterPass_check();
    void enterPass_unlimitedTries();
    void enterPass_prefillAndBytes();
    void enterPass_cancel();
    void enterPass_placement();
};

void TestPasswordForms::setPass_layout()
{
    RecordingHost host;
    TSetPassForm form(host);
    verifyFixedDialog(form, u"设置密码"_s, QSize(273, 198), &host.window);
    QCOMPARE(host.imagesAsked, QList<int>{6});
    QCOMPARE(form.windowIcon().cacheKey(), host.icon.cacheKey());
    verifyWidgets(form, {{"Label3", QRect(), u"旧密码(&P)"_s},
                         {"Label1", QRect(), u"新密码(&N)"_s},
                         {"Label2", QRect(), u"再次输入新密码(&R)"_s},
                         {"OldPass", QRect(64, 32, 0, 0)},
                         {"NewPass", QRect(64, 80, 0, 0)},
                         {"RePass", QRect(64, 128, 193, 0)},
                         {"Image1", QRect(8, 16, 48, 48)},
                         {"OkBtn", QRect(102, 168, 75, 25), u"确定(&O)"_s},
                         {"CancelBtn", QRect(182, 168, 75, 25), u"取消(&C)"_s},
                         {"ProtectionBox", QRect(15, 168, 82, 25)},
                         {"ClassicNote", QRect(8, 72, 52, 78), u"旧版本也能打开, 但挡不住拿到文件的人。"_s}});
    QCOMPARE(form.ProtectionBox->itemText(0), u"强保护"_s);
    QCOMPARE(form.ProtectionBox->itemText(1), u"经典保护"_s);
    QCOMPARE(form.Label3->buddy(), form.OldPass);
    QCOMPARE(form.Label1->buddy(), form.NewPass);
    QCOMPARE(form.Label2->buddy(), form.RePass);
    QCOMPARE(form.Bevel1->frameShape(), QFrame::HLine);
    QVERIFY(form.OkBtn->isDefault());

    for (QLineEdit* box : {form.OldPass, form.NewPass, form.RePass}) {
        QVERIFY(box->text().isEmpty());
        QCOMPARE(box->echoMode(), QLineEdit::Password);
    }
    form.show();
    form.NewPass->setText(u"ab汉"_s);
    QCOMPARE(form.NewPass->displayText(), u"***"_s);
}

void TestPasswordForms::setPass_accessKeysAndTabOrder()
{
    RecordingHost host;
    TSetPassForm form(host);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    form.OkBtn->setFocus();
    QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), form.RePass);
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), form.NewPass);
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), form.OldPass);

    const QList<QWidget*> order{form.NewPass, form.RePass,    form.ProtectionBox,
                                form.OkBtn,   form.CancelBtn, form.OldPass};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

// The rules themselves are the document's; the dialog shows each refusal and keeps what was typed.
void TestPasswordForms::setPass_checks_data()
{
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QString>("oldPass");
    QTest::addColumn<QString>("newPass");
    QTest::addColumn<QString>("rePass");
    QTest::addColumn<QString>("refusal"); // empty: accepted

    const QString a101 = repeated(u"a"_s, 101);
    QTest::newRow("first password") << QByteArray() << QString() << u"abc"_s << u"abc"_s << QString();
    QTest::newRow("wrong old") << QByteArray("secret") << u"Secret"_s << u"n"_s << u"n"_s << WrongOld;
    QTest::newRow("mismatch") << QByteArray() << QString() << u"abc"_s << u"abc "_s << Mismatch;
    QTest::newRow("too long") << QByteArray() << QString() << a101 << a101 << TooLong;
    QTest::newRow("Chinese old password")
        << AnsiText::fromUnicode(u"密码"_s) << u"密码"_s << u"新"_s << u"新"_s << QString();
}

void TestPasswordForms::setPass_checks()
{
    QFETCH(QByteArray, current);
    QFETCH(QString, oldPass);
    QFETCH(QString, newPass);
    QFETCH(QString, rePass);
    QFETCH(QString, refusal);

    RecordingHost host(current);
    TSetPassForm form(host);
    form.show();
    form.OldPass->setText(oldPass);
    form.NewPass->setText(newPass);
    form.RePass->setText(rePass);
    if (!refusal.isEmpty())
        MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::mouseClick(form.OkBtn, Qt::LeftButton);

    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    if (refusal.isEmpty()) {
        QVERIFY(shown.isEmpty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
        QCOMPARE(host.document().password(), AnsiText::fromUnicode(newPass));
        QVERIFY(host.document().isModified());
        QCOMPARE(host.calls, QStringList{u"protectionChanged"_s});
        return;
    }
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, u"错误"_s);
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].text, refusal);
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(host.document().password(), current);
    QVERIFY(!host.document().isModified());
    // Everything typed is still there for another try.
    QCOMPARE(form.OldPass->text(), oldPass);
    QCOMPARE(form.NewPass->text(), newPass);
    QCOMPARE(form.RePass->text(), rePass);
}

Q_DECLARE_METATYPE(Protection::Kind)

void TestPasswordForms::setPass_protectionChoice_data()
{
    QTest::addColumn<Protection::Kind>("current");
    QTest::addColumn<int>("choice"); // -1: as preselected
    QTest::addColumn<Protection::Kind>("expected");

    using K = Protection::Kind;
    QTest::newRow("new password: strong preselected") << K::None << -1 << K::Strong;
    QTest::newRow("new password, classic chosen") << K::None << 1 << K::Classic;
    QTest::newRow("classic file stays classic") << K::Classic << -1 << K::Classic;
    QTest::newRow("classic file made strong") << K::Classic << 0 << K::Strong;
    QTest::newRow("strong file stays strong") << K::Strong << -1 << K::Strong;
}

void TestPasswordForms::setPass_protectionChoice()
{
    QFETCH(Protection::Kind, current);
    QFETCH(int, choice);
    QFETCH(Protection::Kind, expected);
    const QByteArray old = current == Protection::Kind::None ? QByteArray() : QByteArray("alt");
    RecordingHost host(old, current);
    QCOMPARE(host.document().protection(), current);
    TSetPassForm form(host);
    form.show();
    const int preselected = current == Protection::Kind::Classic ? 1 : 0;
    QCOMPARE(form.ProtectionBox->currentIndex(), preselected);
    QCOMPARE(form.ClassicNote->isVisible(), preselected == 1);
    if (choice >= 0)
        form.ProtectionBox->setCurrentIndex(choice);
    QCOMPARE(form.ClassicNote->isVisible(), form.ProtectionBox->currentIndex() == 1);
    form.OldPass->setText(QString::fromLatin1(old));
    form.NewPass->setText(u"neu"_s);
    form.RePass->setText(u"neu"_s);
    QTest::mouseClick(form.OkBtn, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(host.document().password(), QByteArray("neu"));
    QCOMPARE(host.document().protection(), expected);
}

void TestPasswordForms::setPass_enterConfirms()
{
    RecordingHost host;
    TSetPassForm form(host);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.NewPass->setFocus();
    QTest::keyClicks(form.NewPass, u"key"_s);
    form.RePass->setFocus();
    QTest::keyClicks(form.RePass, u"key"_s);
    QTest::keyClick(form.RePass, Qt::Key_Return);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(host.document().password(), QByteArray("key"));
}

void TestPasswordForms::setPass_cancelChangesNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("close box") << 2;
}

void TestPasswordForms::setPass_cancelChangesNothing()
{
    QFETCH(int, how);
    RecordingHost host("secret");
    TSetPassForm form(host);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.OldPass->setText(u"secret"_s);
    form.NewPass->setText(u"new"_s);
    form.RePass->setText(u"new"_s);
    if (how == 0)
        QTest::mouseClick(form.CancelBtn, Qt::LeftButton);
    else if (how == 1)
        QTest::keyClick(form.RePass, Qt::Key_Escape);
    else
        form.close();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(host.document().password(), QByteArray("secret"));
    QVERIFY(!host.document().isModified());
}

void TestPasswordForms::enterPass_layout()
{
    QWidget owner;
    QFont font(u"Noto Sans CJK SC"_s);
    font.setPointSize(15);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::cyan);
    const QIcon icon(pixmap);

    TEnterPassForm form(&owner, font, icon);
    verifyFixedDialog(form, u"输入密码"_s, QSize(305, 142), &owner, &font);
    QCOMPARE(form.windowIcon().cacheKey(), icon.cacheKey());
    verifyWidgets(form, {{"Label2", QRect(), u"该文件有密码保护，请输入密码。"_s},
                         {"Label1", QRect(), u"密码(&P)"_s},
                         {"Pass", QRect(64, 56, 225, 0)},
                         {"Image1", QRect(8, 40, 48, 48)},
                         {"OkBtn", QRect(134, 112, 75, 25)},
                         {"CancelBtn", QRect(214, 112, 75, 25), u"取消(&C)"_s}});
    QCOMPARE(form.Label1->buddy(), form.Pass);
    QCOMPARE(form.Pass->echoMode(), QLineEdit::Password);
    QVERIFY(form.OkBtn->isDefault());
    form.show();
    form.Pass->setText(u"pw"_s);
    QCOMPARE(form.Pass->displayText(), u"**"_s);
}

void TestPasswordForms::enterPass_check_data()
{
    QTest::addColumn<QByteArray>("filePassword");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("right") << QByteArray("secret") << u"secret"_s << true;
    QTest::newRow("other case") << QByteArray("secret") << u"Secret"_s << false;
    QTest::newRow("prefix") << QByteArray("secret") << u"secre"_s << false;
    QTest::newRow("longer") << QByteArray("secret") << u"secret1"_s << false;
    QTest::newRow("empty") << QByteArray("secret") << QString() << false;
    QTest::newRow("empty for an empty check") << QByteArray() << QString() << false;
    QTest::newRow("Chinese") << AnsiText::fromUnicode(u"密码"_s) << u"密码"_s << true;
    QTest::newRow("100 bytes") << QByteArray(100, 'z') << u"z"_s.repeated(100) << true;
}

void TestPasswordForms::enterPass_check()
{
    QFETCH(QByteArray, filePassword);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    QWidget owner;
    TEnterPassForm form(&owner, owner.font(), QIcon());
    form.setPasswordTest(opensWith(filePassword));
    form.show();
    form.Pass->setText(typed);
    if (!accepted)
        MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::mouseClick(form.OkBtn, Qt::LeftButton);

    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    if (accepted) {
        QVERIFY(shown.isEmpty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.password(), filePassword);
        return;
    }
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, u"错误"_s);
    QCOMPARE(shown[0].text, WrongPassword);
    QVERIFY(form.isVisible());
    QCOMPARE(form.Pass->text(), typed);
}

void TestPasswordForms::enterPass_unlimitedTries()
{
    QWidget owner;
    TEnterPassForm form(&owner, owner.font(), QIcon());
    form.setPasswordTest(opensWith("open sesame"));
    form.show();
    const int tries = 12;
    for (int i = 0; i < tries; ++i) {
        MessageBox::setNextAnswers({QMessageBox::Ok});
        form.Pass->setText(u"guess %1"_s.arg(i));
        QTest::mouseClick(form.OkBtn, Qt::LeftButton);
        QVERIFY(form.isVisible());
    }
    QCOMPARE(MessageBox::takeShown().size(), tries);
    // The wrong text is selected: what is typed next replaces it.
    typeText(form.Pass, u"open sesame"_s);
    QTest::mouseClick(form.OkBtn, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestPasswordForms::enterPass_prefillAndBytes()
{
    QWidget owner;
    TEnterPassForm form(&owner, owner.font(), QIcon());
    const QByteArray bytes = AnsiText::fromUnicode(u"口令€"_s);
    form.setPassword(bytes);
    QCOMPARE(form.Pass->text(), u"口令€"_s);
    QCOMPARE(form.password(), bytes);

    // A pre-filled right password is accepted as it stands.
    form.setPasswordTest(opensWith(bytes));
    form.show();
    QTest::mouseClick(form.OkBtn, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestPasswordForms::enterPass_cancel()
{
    QWidget owner;
    TEnterPassForm form(&owner, owner.font(), QIcon());
    form.setPasswordTest(opensWith("pw"));
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.Pass->setText(u"pw"_s);
    QTest::mouseClick(form.CancelBtn, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Rejected));

    form.show();
    QTest::keyClick(form.Pass, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
}

void TestPasswordForms::enterPass_placement()
{
    QWidget owner;
    owner.setGeometry(40, 30, 500, 400);
    owner.show();

    TEnterPassForm over(&owner, owner.font(), QIcon());
    over.show();
    // Centring rounds halves either way.
    QVERIFY((over.geometry().center() - owner.geometry().center()).manhattanLength() <= 1);

    TEnterPassForm centred(&owner, owner.font(), QIcon());
    centred.centerOnScreen();
    centred.show();
    const QRect screen = owner.screen()->availableGeometry();
    QVERIFY(screen.center() != owner.geometry().center());
    QVERIFY((centred.frameGeometry().center() - screen.center()).manhattanLength() <= 1);
}

QTEST_MAIN(TestPasswordForms)
#include "tst_passwordforms.moc"
