#include "DialogLayout.h"
#include "TestNotesHost.h"

#include "forms/SortFormU.h"

#include "document/NotesSorter.h"
#include "forms/MnemonicClicks.h"

#include <QApplication>
#include <QGroupBox>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What the sort command does with a confirmed dialog.
void sortAsChosen(TestNotesHost& host, const TSortForm& form)
{
    host.doc.sort(form.NoteText->isChecked() ? NotesSorter::SortBy::Text : NotesSorter::SortBy::Priority,
                  form.Ascending->isChecked());
}

QStringList priorities(const NotesModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row, NotesModel::PriorityColumn).data().toString());
    return result;
}

} // namespace

class TestSortForm : public HostedDialogTest
{
    Q_OBJECT

public:
    TestSortForm()
        : HostedDialogTest({makeNote(u"上海\r\n1", u"低"), makeNote(u"banana\r\n2", u"紧急"),
                            makeNote(u"北京\r\n3", u"最高"), makeNote(u"Apple\r\n4", u"标准"),
                            makeNote(u"安徽\r\n5", u"高")})
    {
        queuesUsed = false;
    }

private Q_SLOTS:
    void initTestCase();

    void layout();
    void radioButtonsExcludeWithinTheirGroup();
    void opensFreshEveryTime();
    void closing_data();
    void closing();

    void sortOrders_data();
    void sortOrders();
    void equalCaptionsKeepTheirOrder();
};

void TestSortForm::initTestCase()
{
    MnemonicClicks::install(); // as the program does at start
    QCOMPARE(QLocale::system().name(), u"zh_CN"_s);
    QVERIFY(useProgramFolders(dir()));
}

void TestSortForm::layout()
{
    TSortForm form(*host);
    verifyFixedDialog(form, u"排列"_s, QSize(202, 206), host.get());
    QCOMPARE(form.windowIcon().cacheKey(), host->images.at(20).cacheKey());
    verifyWidgets(form, {{"GroupBox1", QRect(12, 11, 177, 73), u" 排列 "_s},
                         {"GroupBox2", QRect(12, 94, 177, 73), u" 排列类型 "_s},
                         {"NoteText", QRect(), u"按记事本文本(&N)"_s},
                         {"Priority", QRect(), u"按优先级(&P)"_s},
                         {"Ascending", QRect(), u"向上(&A)"_s},
                         {"Descending", QRect(), u"向下(&D)"_s},
                         {"OkBtn", QRect(12, 176, 85, 25), u"确定(&O)"_s},
                         {"CancelBtn", QRect(104, 176, 84, 25), u"取消(&C)"_s}});
    QCOMPARE(form.NoteText->parentWidget(), form.GroupBox1);
    QCOMPARE(form.Priority->parentWidget(), form.GroupBox1);
    QCOMPARE(form.Ascending->parentWidget(), form.GroupBox2);
    QCOMPARE(form.Descending->parentWidget(), form.GroupBox2);
    QVERIFY(form.OkBtn->isDefault());

    QVERIFY(form.NoteText->isChecked());
    QVERIFY(!form.Priority->isChecked());
    QVERIFY(form.Ascending->isChecked());
    QVERIFY(!form.Descending->isChecked());
}

void TestSortForm::radioButtonsExcludeWithinTheirGroup()
{
    TSortForm form(*host);
    form.show();
    QTest::mouseClick(form.Priority, Qt::LeftButton);
    QVERIFY(form.Priority->isChecked());
    QVERIFY(!form.NoteText->isChecked());
    QVERIFY(form.Ascending->isChecked()); // the other group is not touched
    QTest::mouseClick(form.Descending, Qt::LeftButton);
    QVERIFY(form.Descending->isChecked());
    QVERIFY(!form.Ascending->isChecked());
    QVERIFY(form.Priority->isChecked());
    form.hide();
}

void TestSortForm::opensFreshEveryTime()
{
    {
        TSortForm form(*host);
        whenModalShown([&](QWidget*) {
            form.Priority->click();
            form.Descending->click();
            form.OkBtn->click();
        });
        QCOMPARE(form.exec(), int(QDialog::Accepted));
        QVERIFY(form.Priority->isChecked());
    }
    TSortForm again(*host);
    QVERIFY(again.NoteText->isChecked());
    QVERIFY(again.Ascending->isChecked());
}

void TestSortForm::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OkBtn") << u"OkBtn"_s << int(QDialog::Accepted);
    QTest::newRow("Enter") << u"Enter"_s << int(QDialog::Accepted);
    QTest::newRow("CancelBtn") << u"CancelBtn"_s << int(QDialog::Rejected);
    QTest::newRow("Esc") << u"Esc"_s << int(QDialog::Rejected);
    QTest::newRow("close box") << u"close box"_s << int(QDialog::Rejected);
}

void TestSortForm::closing()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    TSortForm form(*host);
    whenModalShown([&](QWidget*) {
        if (how == u"OkBtn")
            QTest::mouseClick(form.OkBtn, Qt::LeftButton);
        else if (how == u"Enter")
            QTest::keyClick(form.Priority, Qt::Key_Return);
        else if (how == u"CancelBtn")
            QTest::mouseClick(form.CancelBtn, Qt::LeftButton);
        else if (how == u"Esc")
            QTest::keyClick(form.NoteText, Qt::Key_Escape);
        else
            form.close();
    });
    QCOMPARE(form.exec(), result);
}

void TestSortForm::sortOrders_data()
{
    QTest::addColumn<bool>("byText");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("priorities");
    QTest::addColumn<bool>("byKeys");  // access keys, Enter at once after them
    QTest::addColumn<int>("selected"); // where the selected note, "banana", goes

    // The user locale's collation: Chinese in pinyin order (an, bei, shang) and before Latin letters,
    // whose case is not folded. Code point order would give "Apple", "banana", "上", "北", "安".
    QTest::newRow("text, ascending") << true << true
                                     << QStringList{u"安徽"_s, u"北京"_s, u"上海"_s, u"Apple"_s, u"banana"_s}
                                     << QStringList{u"高"_s, u"最高"_s, u"低"_s, u"标准"_s, u"紧急"_s}
                                     << false << 4;
    QTest::newRow("text, descending")
        << true << false << QStringList{u"banana"_s, u"Apple"_s, u"上海"_s, u"北京"_s, u"安徽"_s}
        << QStringList{u"紧急"_s, u"标准"_s, u"低"_s, u"最高"_s, u"高"_s} << false << 0;
    QTest::newRow("priority, ascending")
        << false << true << QStringList{u"北京"_s, u"安徽"_s, u"Apple"_s, u"上海"_s, u"banana"_s}
        << QStringList{u"最高"_s, u"高"_s, u"标准"_s, u"低"_s, u"紧急"_s} << false << 4;
    QTest::newRow("priority, descending")
        << false << false << QStringList{u"banana"_s, u"上海"_s, u"Apple"_s, u"安徽"_s, u"北京"_s}
        << QStringList{u"紧急"_s, u"低"_s, u"标准"_s, u"高"_s, u"最高"_s} << false << 0;
    QTest::newRow("priority, descending, by access keys")
        << false << false << QStringList{u"banana"_s, u"上海"_s, u"Apple"_s, u"安徽"_s, u"北京"_s}
        << QStringList{u"紧急"_s, u"低"_s, u"标准"_s, u"高"_s, u"最高"_s} << true << 0;
}

void TestSortForm::sortOrders()
{
    QFETCH(bool, byText);
    QFETCH(bool, ascending);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, priorities);
    QFETCH(bool, byKeys);
    QFETCH(int, selected);

    host->selectRow(1);
    TSortForm form(*host);
    whenModalShown([&](QWidget*) {
        if (byKeys) {
            // Each choice holds the moment its key is pressed, not once Qt's pressed look is over.
            QTest::keyClick(&form, byText ? Qt::Key_N : Qt::Key_P, Qt::AltModifier);
            QTest::keyClick(&form, ascending ? Qt::Key_A : Qt::Key_D, Qt::AltModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            return;
        }
        QTest::mouseClick(byText ? form.NoteText : form.Priority, Qt::LeftButton);
        QTest::mouseClick(ascending ? form.Ascending : form.Descending, Qt::LeftButton);
        QTest::mouseClick(form.OkBtn, Qt::LeftButton);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    sortAsChosen(*host, form);

    QStringList shown;
    for (int row = 0; row < host->model.rowCount(); ++row)
        shown.append(host->model.index(row, NotesModel::CaptionColumn).data().toString());
    QCOMPARE(shown, captions);
    QCOMPARE(::priorities(host->model), priorities);
    // The sort moves whole rows: the selected note stays selected wherever it goes.
    QCOMPARE(host->selectedRow(), selected);
    QCOMPARE(host->list->currentIndex().row(), selected);
    QCOMPARE(host->model.note(selected).text, gb(u"banana\r\n2"));
}

void TestSortForm::equalCaptionsKeepTheirOrder()
{
    host->seed({makeNote(u"same\r\nfirst"), makeNote(u"other"), makeNote(u"same\r\nsecond"),
                makeNote(u"same\r\nthird", u"高")});
    for (bool ascending : {true, false}) {
        TSortForm form(*host);
        whenModalShown([&](QWidget*) {
            (ascending ? form.Ascending : form.Descending)->click();
            form.OkBtn->click();
        });
        QCOMPARE(form.exec(), int(QDialog::Accepted));
        sortAsChosen(*host, form);
        const QStringList expectedSame{u"same\r\nfirst"_s, u"same\r\nsecond"_s, u"same\r\nthird"_s};
        QStringList texts = host->texts();
        texts.removeAll(u"other"_s);
        QCOMPARE(texts, expectedSame);
        QCOMPARE(host->texts().indexOf(u"other"_s), ascending ? 0 : 3);
    }
}

int main(int argc, char** argv)
{
    // The user locale decides the collation; fix it before Qt first reads it.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    QApplication app(argc, argv);
    TestSortForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sortform.moc"
