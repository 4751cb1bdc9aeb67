#include "document/RecentFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRecentFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void addPutsNewestFirstKeepsFourAndMovesSameFileToTop();
    void addTakesNewSpelling();
    void letterCaseOnThisPlatform();
    void addExpandsRelativePaths();
    void emptyPathIsNotEntered();
    void moveToTop_data();
    void moveToTop();
    void fromSettingsClosesGaps();
    void menuCaption_data();
    void menuCaption();

private:
    QString path(const QString& name) const
    {
        return QDir::toNativeSeparators(QDir(m_dir.path()).filePath(name));
    }

    QTemporaryDir m_dir;
};

void TestRecentFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestRecentFiles::addPutsNewestFirstKeepsFourAndMovesSameFileToTop()
{
    QStringList list;
    for (const char* name : {"a.qlt", "b.qlt", "c.qlt", "d.qlt", "e.qlt"})
        RecentFiles::add(list, path(QLatin1String(name)));
    QCOMPARE(list, (QStringList{path("e.qlt"), path("d.qlt"), path("c.qlt"), path("b.qlt")}));
    RecentFiles::add(list, path("c.qlt"));
    QCOMPARE(list, (QStringList{path("c.qlt"), path("e.qlt"), path("d.qlt"), path("b.qlt")}));
    // Moving an entry that is already there drops nothing off the end.
    RecentFiles::add(list, path("b.qlt"));
    QCOMPARE(list, (QStringList{path("b.qlt"), path("c.qlt"), path("e.qlt"), path("d.qlt")}));
}

void TestRecentFiles::addTakesNewSpelling()
{
    QStringList list;
    RecentFiles::add(list, path("a.qlt"));
    RecentFiles::add(list, path("x.qlt"));
    // Other spellings of one path are cleaned first, so they find the entry instead of adding a second.
    RecentFiles::add(list, path("sub/../a.qlt"));
    QCOMPARE(list, (QStringList{path("a.qlt"), path("x.qlt")}));
    RecentFiles::add(list, path("./x.qlt"));
    QCOMPARE(list, (QStringList{path("x.qlt"), path("a.qlt")}));
#ifdef Q_OS_WIN
    RecentFiles::add(list, path("A.QLT"));
    QCOMPARE(list, (QStringList{path("A.QLT"), path("x.qlt")}));
#endif
}

void TestRecentFiles::letterCaseOnThisPlatform()
{
    QStringList list;
    RecentFiles::add(list, path("Notes.qlt"));
    RecentFiles::add(list, path("notes.qlt"));
#ifdef Q_OS_WIN
    QCOMPARE(list, QStringList{path("notes.qlt")});
    QVERIFY(RecentFiles::sameFile(path("Notes.qlt"), path("NOTES.QLT")));
#else
    // Two names that differ only in case are two files here.
    QCOMPARE(list, (QStringList{path("notes.qlt"), path("Notes.qlt")}));
    QVERIFY(!RecentFiles::sameFile(path("Notes.qlt"), path("NOTES.QLT")));
#endif
    QVERIFY(RecentFiles::sameFile(path("Notes.qlt"), path("Notes.qlt")));
}

void TestRecentFiles::addExpandsRelativePaths()
{
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QStringList list;
    RecentFiles::add(list, u"rel.qlt"_s);
    QVERIFY(QDir::setCurrent(old));
    QCOMPARE(list, QStringList{path("rel.qlt")});
    QVERIFY(QDir::isAbsolutePath(list.first()));
}

void TestRecentFiles::emptyPathIsNotEntered()
{
    QStringList list{path("a.qlt")};
    RecentFiles::add(list, QString());
    QCOMPARE(list, QStringList{path("a.qlt")});
    QCOMPARE(RecentFiles::fullPath(QString()), QString());
}

void TestRecentFiles::moveToTop_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("first") << 0 << QStringList{"a", "b", "c"};
    QTest::newRow("middle") << 1 << QStringList{"b", "a", "c"};
    QTest::newRow("last") << 2 << QStringList{"c", "a", "b"};
    QTest::newRow("past the end") << 3 << QStringList{"a", "b", "c"};
    QTest::newRow("negative") << -1 << QStringList{"a", "b", "c"};
}

void TestRecentFiles::moveToTop()
{
    QFETCH(int, index);
    QFETCH(QStringList, expected);
    QStringList list{"a", "b", "c"};
    RecentFiles::moveToTop(list, index);
    QCOMPARE(list, expected);
}

void TestRecentFiles::fromSettingsClosesGaps()
{
    QCOMPARE(RecentFiles::fromSettings({"", "/x/one.qlt", "", "/x/two.qlt"}),
             (QStringList{"/x/one.qlt", "/x/two.qlt"}));
    QCOMPARE(RecentFiles::fromSettings({"", "", "", ""}), QStringList());
    QCOMPARE(RecentFiles::fromSettings({"1", "2", "3", "4", "5"}), (QStringList{"1", "2", "3", "4"}));
}

void TestRecentFiles::menuCaption_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::newRow("first") << 0 << u"/home/u/notes.qlt"_s << u"&1 notes.qlt"_s;
    QTest::newRow("fourth") << 3 << u"/home/u/list"_s << u"&4 list"_s;
    QTest::newRow("ampersand") << 1 << u"/a&b/R&D & more.qlt"_s << u"&2 R&&D && more.qlt"_s;
    QTest::newRow("chinese") << 2 << u"/文档/记事本.qlt"_s << u"&3 记事本.qlt"_s;
    QTest::newRow("no file part") << 0 << u"/"_s << u"&1 /"_s;
}

void TestRecentFiles::menuCaption()
{
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(QString, caption);
    QCOMPARE(RecentFiles::menuCaption(index, path), caption);
}

QTEST_GUILESS_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
