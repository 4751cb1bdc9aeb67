#include "TestNotes.h"

#include "document/NotesModel.h"

#include "shared/AnsiText.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QList<QByteArray> textsOf(const NotesModel& model)
{
    QList<QByteArray> texts;
    for (const Note& n : model.notes())
        texts.append(n.text);
    return texts;
}

// Resident memory of this process in KiB, from /proc; -1 where that is not available.
qint64 residentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

class TestNotesModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shape();
    void displayText_data();
    void displayText();
    void customRoles();
    void decorationFromIconProvider();
    void counts_data();
    void counts();

    void insertNote();
    void changeRowContents();
    void changesOutOfRangeAreIgnored();
    void removeNote();
    void swapNotes();
    void appendNotes();
    void clear();
    void sortIsStableAndMovesPersistentIndexes();

    void millionNotesStayLean();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<NotesModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestNotesModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", m_dir.path().toLocal8Bit());
}

void TestNotesModel::init()
{
    m_model = std::make_unique<NotesModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestNotesModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
}

void TestNotesModel::shape()
{
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(m_model->columnCount(), 2);
    m_model->appendNotes({makeNote(u"a"), makeNote(u"b")});
    QCOMPARE(m_model->rowCount(), 2);
    const QModelIndex first = m_model->index(0, 0);
    QCOMPARE(m_model->rowCount(first), 0);
    QCOMPARE(m_model->columnCount(first), 0);
    QVERIFY(!m_model->index(2, 0).isValid());
    QVERIFY(!m_model->data(QModelIndex()).isValid());
    QCOMPARE(m_model->headerData(NotesModel::CaptionColumn, Qt::Horizontal).toString(), u"记事本"_s);
    QCOMPARE(m_model->headerData(NotesModel::PriorityColumn, Qt::Horizontal).toString(), u"优先级"_s);
}

void TestNotesModel::displayText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("priority");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("priorityShown");
    QTest::newRow("two lines") << gb(u"购物\r\n牛奶") << gb(u"高") << u"购物"_s << u"高"_s;
    QTest::newRow("leading break") << QByteArray("\r\nbody") << gb(u"低") << QString() << u"低"_s;
    QTest::newRow("lf only") << QByteArray("a\nb") << gb(u"最高") << u"a\nb"_s << u"最高"_s;
    QTest::newRow("empty") << QByteArray() << gb(u"标准") << QString() << u"标准"_s;
    QTest::newRow("outside gbk") << gb(u"😀 ok\r\nx") << QByteArray("odd") << u"😀 ok"_s << u"odd"_s;
    QTest::newRow("invalid bytes") << QByteArray("a\xff") << gb(u"低") << u"a\uFFFD"_s << u"低"_s;
}

void TestNotesModel::displayText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, priority);
    QFETCH(QString, caption);
    QFETCH(QString, priorityShown);
    Note note;
    note.text = text;
    note.priority = priority;
    m_model->insertNote(0, note);
    QCOMPARE(m_model->index(0, NotesModel::CaptionColumn).data().toString(), caption);
    QCOMPARE(m_model->index(0, NotesModel::PriorityColumn).data().toString(), priorityShown);
    // The bytes themselves are never rewritten by showing them.
    QCOMPARE(m_model->note(0).text, text);
}

void TestNotesModel::customRoles()
{
    const QByteArray text("\x81\x30 raw\r\nmore", 13);
    m_model->insertNote(0, Note{text, gb(u"最高"), Note::ImageDone});
    for (int column : {0, 1}) {
        const QModelIndex index = m_model->index(0, column);
        QCOMPARE(index.data(NotesModel::TextRole).toByteArray(), text);
        QCOMPARE(index.data(NotesModel::PriorityNameRole).toByteArray(), gb(u"最高"));
        QCOMPARE(index.data(NotesModel::ImageIndexRole).toInt(), int(Note::ImageDone));
    }
}

void TestNotesModel::decorationFromIconProvider()
{
    m_model->appendNotes({makeNote(u"done", u"低", true), makeNote(u"open", u"低", false)});
    QVERIFY(!m_model->index(0, 0).data(Qt::DecorationRole).isValid());

    QMap<int, QIcon> icons;
    for (int i : {Note::ImageDone, Note::ImageNotDone}) {
        QPixmap pixmap(16, 16);
        pixmap.fill(i == Note::ImageDone ? Qt::green : Qt::red);
        icons.insert(i, QIcon(pixmap));
    }
    QList<int> asked;
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_model->setIconProvider([&](int imageIndex) {
        asked.append(imageIndex);
        return icons.value(imageIndex);
    });
    QCOMPARE(changed.count(), 1); // views must fetch the new icons
    QCOMPARE(m_model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
             icons[Note::ImageDone].cacheKey());
    QCOMPARE(m_model->index(1, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
             icons[Note::ImageNotDone].cacheKey());
    QVERIFY(asked.contains(Note::ImageDone));
    QVERIFY(asked.contains(Note::ImageNotDone));
    // Only the caption column has an icon.
    QVERIFY(!m_model->index(0, 1).data(Qt::DecorationRole).isValid());
}

void TestNotesModel::counts_data()
{
    QTest::addColumn<QList<int>>("images");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("notDone");
    QTest::newRow("empty") << QList<int>{} << 0 << 0;
    QTest::newRow("mixed") << QList<int>{12, 13, 12} << 2 << 1;
    QTest::newRow("only 12 is done") << QList<int>{0, 11, 14, -1, 12, 13} << 1 << 5;
}

void TestNotesModel::counts()
{
    QFETCH(QList<int>, images);
    QFETCH(int, done);
    QFETCH(int, notDone);
    QList<Note> notes;
    for (int image : images)
        notes.append(Note{"n", gb(u"低"), image});
    m_model->appendNotes(notes);
    const NoteCounts c = m_model->counts();
    QCOMPARE(c.total, images.size());
    QCOMPARE(c.done, done);
    QCOMPARE(c.notDone, notDone);
}

void TestNotesModel::insertNote()
{
    QSignalSpy about(m_model.get(), &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    m_model->insertNote(0, makeNote(u"b"));
    m_model->insertNote(0, makeNote(u"a"));
    m_model->insertNote(2, makeNote(u"d"));
    m_model->insertNote(2, makeNote(u"c"));
    QCOMPARE(textsOf(*m_model), (QList<QByteArray>{"a", "b", "c", "d"}));
    QCOMPARE(about.count(), 4);
    QCOMPARE(inserted.count(), 4);
    QCOMPARE(inserted.at(3).at(1).toInt(), 2);
    QCOMPARE(inserted.at(3).at(2).toInt(), 2);

    // Out of range: appended or prepended.
    m_model->insertNote(99, makeNote(u"end"));
    m_model->insertNote(-5, makeNote(u"start"));
    QCOMPARE(textsOf(*m_model), (QList<QByteArray>{"start", "a", "b", "c", "d", "end"}));
}

void TestNotesModel::changeRowContents()
{
    m_model->appendNotes({makeNote(u"a"), makeNote(u"b"), makeNote(u"c")});
    QPersistentModelIndex held(m_model->index(1, 0));
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    m_model->setNote(1, makeNote(u"新\r\n内容", u"高", true));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), m_model->index(1, 0));
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), m_model->index(1, 1));
    QCOMPARE(held.data().toString(), u"新"_s);

    m_model->setPriority(1, gb(u"低"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).value<QModelIndex>().row(), 1);
    QCOMPARE(changed.at(1).at(1).value<QModelIndex>(), m_model->index(1, 1));
    QCOMPARE(m_model->index(1, 1).data().toString(), u"低"_s);

    m_model->setImageIndex(1, Note::ImageNotDone);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(changed.at(2).at(0).value<QModelIndex>(), m_model->index(1, 0));
    QCOMPARE(m_model->note(1), makeNote(u"新\r\n内容", u"低", false));
    QCOMPARE(textsOf(*m_model).first(), QByteArray("a"));
    QCOMPARE(textsOf(*m_model).last(), QByteArray("c"));
}

void TestNotesModel::changesOutOfRangeAreIgnored()
{
    m_model->appendNotes({makeNote(u"a")});
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    m_model->setNote(1, makeNote(u"x"));
    m_model->setPriority(-1, "x");
    m_model->setImageIndex(5, 12);
    m_model->removeNote(1);
    m_model->swapNotes(0, 1);
    m_model->swapNotes(0, 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(m_model->notes(), QList<Note>{makeNote(u"a")});
}

void TestNotesModel::removeNote()
{
    m_model->appendNotes({makeNote(u"a"), makeNote(u"b"), makeNote(u"c")});
    QPersistentModelIndex last(m_model->index(2, 0));
    QPersistentModelIndex gone(m_model->index(1, 0));
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    m_model->removeNote(1);
    QCOMPARE(textsOf(*m_model), (QList<QByteArray>{"a", "c"}));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(1).toInt(), 1);
    QCOMPARE(removed.at(0).at(2).toInt(), 1);
    QVERIFY(!gone.isValid());
    QCOMPARE(last.row(), 1);
    m_model->removeNote(0);
    m_model->removeNote(0);
    QCOMPARE(m_model->rowCount(), 0);
}

void TestNotesModel::swapNotes()
{
    m_model->appendNotes({makeNote(u"a"), makeNote(u"b"), makeNote(u"c"), makeNote(u"d")});
    QPersistentModelIndex selected(m_model->index(0, 0));
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy layout(m_model.get(), &QAbstractItemModel::layoutChanged);
    m_model->swapNotes(0, 3);
    QCOMPARE(textsOf(*m_model), (QList<QByteArray>{"d", "b", "c", "a"}));
    QCOMPARE(layout.count(), 0);
    QCOMPARE(changed.count(), 2);
    QList<int> rows;
    for (const auto& args : changed) {
        const QModelIndex from = args.at(0).value<QModelIndex>();
        const QModelIndex to = args.at(1).value<QModelIndex>();
        QCOMPARE(from.row(), to.row());
        QCOMPARE(from.column(), 0);
        QCOMPARE(to.column(), 1);
        rows.append(from.row());
    }
    std::sort(rows.begin(), rows.end());
    QCOMPARE(rows, (QList<int>{0, 3}));
    // The row stays where it is; its contents changed.
    QCOMPARE(selected.row(), 0);
    QCOMPARE(selected.data().toString(), u"d"_s);
}

void TestNotesModel::appendNotes()
{
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    m_model->appendNotes({});
    QCOMPARE(inserted.count(), 0);
    m_model->appendNotes({makeNote(u"a"), makeNote(u"b")});
    m_model->appendNotes({makeNote(u"c"), makeNote(u"d"), makeNote(u"e")});
    QCOMPARE(textsOf(*m_model), (QList<QByteArray>{"a", "b", "c", "d", "e"}));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 2);
    QCOMPARE(inserted.at(1).at(2).toInt(), 4);
}

void TestNotesModel::clear()
{
    m_model->appendNotes({makeNote(u"a"), makeNote(u"b")});
    QPersistentModelIndex held(m_model->index(1, 0));
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 0);
    QVERIFY(!held.isValid());
    QCOMPARE(m_model->counts().total, 0);
    m_model->appendNotes({makeNote(u"c")});
    QCOMPARE(textsOf(*m_model), QList<QByteArray>{"c"});
}

void TestNotesModel::sortIsStableAndMovesPersistentIndexes()
{
    QSignalSpy aboutToChange(m_model.get(), &QAbstractItemModel::layoutAboutToBeChanged);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::layoutChanged);
    m_model->sortNotes([](const Note& a, const Note& b) { return a.text < b.text; });
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(changed.count(), 1);

    // Sorted by priority name length: equal keys must keep their order.
    m_model->appendNotes({makeNote(u"1", u"最高"), makeNote(u"2", u"低"), makeNote(u"3", u"最高"),
                          makeNote(u"4", u"低"), makeNote(u"5", u"最高")});
    QList<QPersistentModelIndex> held;
    for (int row = 0; row < 5; ++row)
        held.append(QPersistentModelIndex(m_model->index(row, row % 2)));

    m_model->sortNotes([](const Note& a, const Note& b) { return a.priority.size() < b.priority.size(); });

    QCOMPARE(textsOf(*m_model), (QList<QByteArray>{"2", "4", "1", "3", "5"}));
    QCOMPARE(aboutToChange.count(), 2);
    QCOMPARE(changed.count(), 2);
    const QList<int> newRows = {2, 0, 3, 1, 4};
    for (int old = 0; old < 5; ++old) {
        QCOMPARE(held[old].row(), newRows[old]);
        QCOMPARE(held[old].column(), old % 2);
        QCOMPARE(held[old].data(NotesModel::TextRole).toByteArray(), QByteArray::number(old + 1));
    }
}

void TestNotesModel::millionNotesStayLean()
{
    m_tester.reset(); // the tester walks every row on each change; not what this test measures
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer's red zones and freed-memory quarantine multiply the footprint of every allocation.
    QSKIP("resident size means nothing under AddressSanitizer");
#endif
    const qint64 before = residentKiB();
    if (before < 0)
        QSKIP("no /proc/self/status here");
    constexpr int Count = 1000000;
    const QByteArray priority = gb(u"高");
    QList<Note> notes;
    notes.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        Note note;
        note.text = "Note number " + QByteArray::number(i) + "\r\nsecond line";
        note.priority = priority;
        note.imageIndex = i % 3 == 0 ? Note::ImageDone : Note::ImageNotDone;
        notes.append(std::move(note));
    }
    m_model->appendNotes(std::move(notes));
    m_model->sortNotes([](const Note& a, const Note& b) { return a.text.size() > b.text.size(); });
    const qint64 grown = residentKiB() - before;
    QCOMPARE(m_model->rowCount(), Count);
    QCOMPARE(m_model->counts().done, (Count + 2) / 3);
    QVERIFY2(grown < 250 * 1024, qPrintable(u"grew by %1 MiB"_s.arg(grown / 1024)));
}

QTEST_MAIN(TestNotesModel)
#include "tst_notesmodel.moc"
