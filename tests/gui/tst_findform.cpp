#include "DialogLayout.h"
#include "TestNotesHost.h"

#include "forms/FindFormU.h"

#include "forms/MessageBox.h"
#include "shared/AnsiText.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFindForm : public HostedDialogTest
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void stepsOverTwoHitsThenMisses();
    void missDoesNotRestartTheSearch();
    void startsAtTheFirstRowWhateverIsSelected();
    void matchCase_data();
    void matchCase();
    void notFound_data();
    void notFound();
    void chineseTrailByteIsNoHit();
    void enterFindsAndEscCloses();
    void realMessageBoxIsOwnedByTheDialog();

private:
    void setTexts(const QList<QByteArray>& texts);
    // Runs the dialog; `steps` acts on it while it is open, then it is closed.
    void runDialog(TFindForm& form, const std::function<void()>& steps);
    void expectNotFoundBoxes(int count);
};

void TestFindForm::setTexts(const QList<QByteArray>& texts)
{
    QList<Note> notes;
    for (const QByteArray& text : texts) {
        Note note;
        note.text = text;
        note.priority = gb(u"高");
        notes.append(note);
    }
    host->seed(notes);
}

void TestFindForm::runDialog(TFindForm& form, const std::function<void()>& steps)
{
    bool ran = false;
    whenModalShown([&](QWidget* dialog) {
        QCOMPARE(dialog, &form);
        steps();
        ran = true;
        form.CloseBtn->click();
    });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QVERIFY(ran);
}

void TestFindForm::expectNotFoundBoxes(int count)
{
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), count);
    for (const MessageBox::Shown& box : shown) {
        QCOMPARE(box.caption, u"信息"_s);
        QCOMPARE(box.text, u"未找到文本。"_s);
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

void TestFindForm::layout()
{
    TFindForm form(*host);
    verifyFixedDialog(form, u"查找"_s, QSize(282, 117), host.get());
    QCOMPARE(form.windowIcon().cacheKey(), host->images.at(22).cacheKey());
    QCOMPARE(form.LastFoundIndex, -1);
    verifyWidgets(form, {{"Image1", QRect(9, 20, 48, 48)},
                         {"Label1", QRect(62, 11, 0, 0), u"查找内容(&N)"_s},
                         {"FindText", QRect(62, 27, 209, 0)},
                         {"MatchCase", QRect(), u"匹配大小写(&M)"_s},
                         {"Bevel1", QRect(8, 78, 265, 0)},
                         {"FindBtn", QRect(119, 88, 75, 25), u"查找(&F)"_s},
                         {"CloseBtn", QRect(198, 88, 75, 25), u"关闭(&C)"_s}});
    QVERIFY(!form.Image1->pixmap().isNull()); // this test links the program's pictures
    verifyAccessKeysOnce(
        {form.Label1->text(), form.MatchCase->text(), form.FindBtn->text(), form.CloseBtn->text()});
    QCOMPARE(form.Label1->buddy(), form.FindText);
    QVERIFY(form.FindText->text().isEmpty());
    QVERIFY(!form.MatchCase->isChecked());
    QVERIFY(form.FindBtn->isDefault());
    QCOMPARE(form.Bevel1->frameShape(), QFrame::HLine);

    QList<QWidget*> chain;
    QWidget* widget = form.FindText;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form.FindText);
    QCOMPARE(chain, (QList<QWidget*>{form.FindText, form.MatchCase, form.FindBtn, form.CloseBtn}));
}

void TestFindForm::stepsOverTwoHitsThenMisses()
{
    setTexts({"one", "two", gb(u"第三 needle"), "four", "five", "needle\r\nand needle again", "seven"});
    TFindForm form(*host);
    runDialog(form, [&] {
        QTest::keyClicks(form.FindText, u"needle"_s);
        QTest::mouseClick(form.FindBtn, Qt::LeftButton);
        QCOMPARE(host->selectedRow(), 2);
        QCOMPARE(host->list->currentIndex().row(), 2);
        QCOMPARE(form.LastFoundIndex, 2);
        QCOMPARE(form.FindBtn->text(), u"查找下一个"_s);
        expectNotFoundBoxes(0);

        QTest::mouseClick(form.FindBtn, Qt::LeftButton);
        QCOMPARE(host->selectedRow(), 5);
        QCOMPARE(form.LastFoundIndex, 5);

        MessageBox::setNextAnswers({QMessageBox::Ok, QMessageBox::Ok});
        QTest::mouseClick(form.FindBtn, Qt::LeftButton);
        QTest::mouseClick(form.FindBtn, Qt::LeftButton);
        expectNotFoundBoxes(2);
        QCOMPARE(host->selectedRow(), 5);
        QCOMPARE(form.LastFoundIndex, 5);
        QCOMPARE(form.FindBtn->text(), u"查找下一个"_s);
        QVERIFY(form.isVisible());
    });
    // The selection stays after the dialog closes; finding changes nothing else.
    QCOMPARE(host->selectedRow(), 5);
    QVERIFY(!host->modified);
    QCOMPARE(host->setModifiedCalls, 0);
    QCOMPARE(host->countNotesCalls, 0);
    QCOMPARE(host->model.rowCount(), 7);
}

// Changing the text after a hit searches on below the last hit; rows above it are not searched again.
void TestFindForm::missDoesNotRestartTheSearch()
{
    setTexts({"alpha", "beta", "gamma"});
    TFindForm form(*host);
    runDialog(form, [&] {
        form.FindText->setText(u"beta"_s);
        form.FindBtn->click();
        QCOMPARE(form.LastFoundIndex, 1);
        form.FindText->setText(u"alpha"_s);
        MessageBox::setNextAnswers({QMessageBox::Ok});
        form.FindBtn->click();
        expectNotFoundBoxes(1);
        QCOMPARE(form.LastFoundIndex, 1);
        form.FindText->setText(u"GAMMA"_s);
        form.FindBtn->click();
        QCOMPARE(form.LastFoundIndex, 2);
    });

    // A new dialog starts at the top again.
    TFindForm again(*host);
    QCOMPARE(again.LastFoundIndex, -1);
    QCOMPARE(again.FindBtn->text(), u"查找(&F)"_s);
    runDialog(again, [&] {
        again.FindText->setText(u"alpha"_s);
        again.FindBtn->click();
        QCOMPARE(host->selectedRow(), 0);
    });
}

void TestFindForm::startsAtTheFirstRowWhateverIsSelected()
{
    setTexts({"x", "hit", "y", "z", "hit"});
    host->selectRow(3);
    TFindForm form(*host);
    runDialog(form, [&] {
        form.FindText->setText(u"hit"_s);
        form.FindBtn->click();
        QCOMPARE(host->selectedRow(), 1);
    });
}

void TestFindForm::matchCase_data()
{
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QList<int>>("hits");

    // Rows: "ABC", "xaBcx", "abc", "ÀBC".
    QTest::newRow("off: abc finds ABC and aBc") << false << QList<int>{0, 1, 2};
    QTest::newRow("on: only abc") << true << QList<int>{2};
}

void TestFindForm::matchCase()
{
    QFETCH(bool, matchCase);
    QFETCH(QList<int>, hits);

    setTexts({"ABC", "xaBcx", "abc", gb(u"ÀBC")});
    TFindForm form(*host);
    runDialog(form, [&] {
        form.FindText->setText(u"abc"_s);
        form.MatchCase->setChecked(matchCase);
        QList<int> found;
        for (int i = 0; i < hits.size(); ++i) {
            form.FindBtn->click();
            found.append(form.LastFoundIndex);
        }
        QCOMPARE(found, hits);
        MessageBox::setNextAnswers({QMessageBox::Ok});
        form.FindBtn->click();
        expectNotFoundBoxes(1);
    });
}

void TestFindForm::notFound_data()
{
    QTest::addColumn<QList<QByteArray>>("texts");
    QTest::addColumn<QString>("needle");

    QTest::newRow("empty list") << QList<QByteArray>{} << u"a"_s;
    QTest::newRow("empty needle") << QList<QByteArray>{"a", ""} << QString();
    QTest::newRow("only in the priority column") << QList<QByteArray>{"a", "b"} << u"高"_s;
    QTest::newRow("accent not folded") << QList<QByteArray>{gb(u"café")} << u"CAFÉ"_s;
}

void TestFindForm::notFound()
{
    QFETCH(QList<QByteArray>, texts);
    QFETCH(QString, needle);

    setTexts(texts);
    TFindForm form(*host);
    runDialog(form, [&] {
        form.FindText->setText(needle);
        MessageBox::setNextAnswers({QMessageBox::Ok});
        form.FindBtn->click();
        expectNotFoundBoxes(1);
        QCOMPARE(form.LastFoundIndex, -1);
        QCOMPARE(form.FindBtn->text(), u"查找(&F)"_s);
        QCOMPARE(host->selectedRow(), -1);
    });
}

// 0x81 0x61 is one Chinese character whose second byte is the code of "a".
void TestFindForm::chineseTrailByteIsNoHit()
{
    const QByteArray chinese = bytes({0x81, 0x61}) + gb(u"中文") + bytes({0x81, 0x41});
    QVERIFY(AnsiText::toUnicode(chinese).size() == 4);
    setTexts({chinese, "plain a"});
    for (bool matchCase : {false, true}) {
        TFindForm form(*host);
        runDialog(form, [&] {
            form.FindText->setText(u"a"_s);
            form.MatchCase->setChecked(matchCase);
            form.FindBtn->click();
            QCOMPARE(form.LastFoundIndex, 1);
        });
    }
    // The character itself is found.
    TFindForm form(*host);
    runDialog(form, [&] {
        form.FindText->setText(AnsiText::toUnicode(bytes({0x81, 0x61})));
        form.FindBtn->click();
        QCOMPARE(form.LastFoundIndex, 0);
    });
}

void TestFindForm::enterFindsAndEscCloses()
{
    setTexts({"a", "find me"});
    TFindForm form(*host);
    whenModalShown([&](QWidget*) {
        QTest::keyClicks(form.FindText, u"find"_s);
        QTest::keyClick(form.FindText, Qt::Key_Return);
        QCOMPARE(form.LastFoundIndex, 1);
        QVERIFY(form.isVisible());
        QTest::keyClick(form.FindText, Qt::Key_Escape);
    });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QCOMPARE(host->selectedRow(), 1);
}

void TestFindForm::realMessageBoxIsOwnedByTheDialog()
{
    setTexts({"a"});
    TFindForm form(*host);
    bool shown = false;
    runDialog(form, [&] {
        form.FindText->setText(u"zzz"_s);
        whenModalShown(
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box);
                QCOMPARE(box->parentWidget(), &form);
                QCOMPARE(box->windowTitle(), u"信息"_s);
                QCOMPARE(box->text(), u"未找到文本。"_s);
                QCOMPARE(box->icon(), QMessageBox::Information);
                QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
                shown = true;
                box->button(QMessageBox::Ok)->click();
            },
            &form, QMessageBox::staticMetaObject);
        form.FindBtn->click();
        QVERIFY(form.isVisible());
    });
    QVERIFY(shown);
}

QTEST_MAIN(TestFindForm)

#include "tst_findform.moc"
