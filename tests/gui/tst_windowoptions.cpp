#include "WindowHarness.h"

#include "app/StatusPanel.h"
#include "app/Themes.h"
#include "app/WindowPlacement.h"
#include "document/NotesModel.h"
#include "forms/AddEditFormU.h"
#include "forms/NoteTextBlocks.h"
#include "forms/OptionsFormU.h"
#include "shared/IniFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString General = u"General"_s;

QRect inWindow(const QWidget* widget, const QWidget* window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How a cell's text is drawn: the ink that stands out most from the background, and how many pixels
// differ from it.
struct Ink
{
    QColor color;
    int pixels = 0;
};

Ink inkIn(const QImage& image, const QRect& cell, const QColor& background)
{
    Ink ink;
    double best = 1.0;
    for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
        for (int x = cell.left() + 1; x < cell.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.rgb() == background.rgb())
                continue;
            ++ink.pixels;
            if (const double c = contrast(pixel, background); c > best) {
                best = c;
                ink.color = pixel;
            }
        }
    }
    return ink;
}

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    const QColor text(230, 230, 230);
    for (const auto& [role, color] : {std::pair{QPalette::Window, window},
                                      {QPalette::WindowText, text},
                                      {QPalette::Base, base},
                                      {QPalette::AlternateBase, window},
                                      {QPalette::Text, text},
                                      {QPalette::Button, window},
                                      {QPalette::ButtonText, text},
                                      {QPalette::Highlight, QColor(42, 130, 218)},
                                      {QPalette::HighlightedText, QColor(Qt::black)}})
        palette.setColor(role, color);
    return palette;
}

} // namespace

class TestWindowOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void growingWindow_data();
    void growingWindow();
    void placement_data();
    void placement();
    void switchedThroughOptions();
    void wrappedLinesKeepTheirBytes_data();
    void wrappedLinesKeepTheirBytes();
    void priorityColors_data();
    void priorityColors();

private:
    void applyThroughOptions(bool resizable);

    WindowHarness w;
};

void TestWindowOptions::initTestCase()
{
    w.initTestCase();
}

void TestWindowOptions::init()
{
    w.init();
}

void TestWindowOptions::cleanup()
{
    w.cleanup();
    QApplication::setPalette(QPalette());
}

void TestWindowOptions::applyThroughOptions(bool resizable)
{
    TOptionsForm dialog(w.form());
    dialog.show();
    dialog.ResizableWindow->setChecked(resizable);
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
}

// ---------------------------------------------------------------------------------------------------------
// A window that grows

void TestWindowOptions::growingWindow_data()
{
    QTest::addColumn<QString>("stored"); // "<missing>": no key
    QTest::addColumn<bool>("grows");
    QTest::newRow("1") << u"1"_s << true;
    QTest::newRow("0") << u"0"_s << false;
    QTest::newRow("true") << u"true"_s << false;
    QTest::newRow("missing") << u"<missing>"_s << false;
}

void TestWindowOptions::growingWindow()
{
    QFETCH(QString, stored);
    QFETCH(bool, grows);
    if (stored != u"<missing>")
        w.writeIni(General, u"ResizableWindow"_s, stored);
    w.createForm();
    TMainForm& form = w.form();
    const QSize design(TMainForm::ClientWidth, TMainForm::ClientHeight);
    QCOMPARE(form.size(), design);
    QCOMPARE(form.minimumSize(), design);
    QCOMPARE(form.maximumSize() != design, grows);
    QCOMPARE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint), grows);

    auto* listPanel = form.findChild<QFrame*>(u"NotesListPanel"_s);
    auto* textPanel = form.findChild<QFrame*>(u"NotesTextPanel"_s);
    QTableView* list = form.notesList();
    auto* status = form.findChild<QStatusBar*>(u"StatusBar"_s);
    const QRect listBefore = inWindow(listPanel, &form);
    const QRect textBefore = inWindow(textPanel, &form);

    // Somewhere else, and as large as the screen allows.
    const QRect screen = form.screen()->availableGeometry();
    const QPoint place = screen.topLeft() + QPoint(5, 5);
    const QSize larger = design.expandedTo(screen.size() - QSize(10, 10));
    QVERIFY(larger != design);
    form.move(place);
    form.resize(larger);
    QTRY_COMPARE(form.size(), grows ? larger : design);
    QTRY_COMPARE(form.pos(), place);
    const QSize extra = form.size() - design;
    // Both take the whole width and half the height each.
    const QRect text = inWindow(textPanel, &form);
    const QRect listRect = inWindow(listPanel, &form);
    QCOMPARE(text, textBefore.adjusted(0, extra.height() / 2, extra.width(), extra.height()));
    QCOMPARE(listRect, listBefore.adjusted(0, 0, extra.width(), extra.height() / 2));
    QCOMPARE(list->width(), listPanel->width() - 3);
    QCOMPARE(list->height(), listPanel->height() - 3);
    QCOMPARE(list->horizontalHeader()->sectionSize(0) + 86, list->viewport()->width());
    QCOMPARE(form.statusPanel(TMainForm::PanelFolder)->geometry().right() + 1, status->width());
    QCOMPARE(status->width(), form.width());

    QVERIFY(form.close());
    const IniFile ini(w.iniPath());
    const QString width = ini.ReadString(General, u"WindowWidth"_s, u"<missing>"_s);
    QCOMPARE(width, grows ? QString::number(larger.width()) : u"<missing>"_s);
    if (!grows)
        return;
    QCOMPARE(ini.ReadString(General, u"WindowHeight"_s, {}), QString::number(larger.height()));
    QCOMPARE(ini.ReadString(General, u"WindowLeft"_s, {}), QString::number(place.x()));
    QCOMPARE(ini.ReadString(General, u"WindowTop"_s, {}), QString::number(place.y()));

    // The next start comes back in the same place, with the panes laid out for it.
    w.createForm();
    QCOMPARE(w.form().size(), larger);
    QCOMPARE(w.form().pos(), place);
    QCOMPARE(inWindow(w.form().findChild<QFrame*>(u"NotesTextPanel"_s), &w.form()), text);

    // Saved on a screen that is no longer there: back on this one, whole.
    w.form().close();
    w.writeIni(General, u"WindowLeft"_s, u"6000"_s);
    w.writeIni(General, u"WindowTop"_s, u"-4000"_s);
    w.writeIni(General, u"WindowWidth"_s, u"5000"_s);
    w.createForm();
    QVERIFY(screen.contains(QRect(w.form().pos(), w.form().size())));
    QCOMPARE(w.form().width(), std::max(screen.width(), TMainForm::ClientWidth));
}

void TestWindowOptions::placement_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QList<QRect>>("screens"); // primary first
    QTest::addColumn<QRect>("placed");
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1920, 1080);
    QTest::newRow("fits") << QRect(100, 50, 900, 700) << QList{left} << QRect(100, 50, 900, 700);
    QTest::newRow("on the second screen")
        << QRect(1500, 100, 800, 600) << QList{left, right} << QRect(1500, 100, 800, 600);
    QTest::newRow("second screen gone")
        << QRect(1500, 100, 800, 600) << QList{left} << QRect(480, 100, 800, 600);
    QTest::newRow("over the right edge")
        << QRect(1000, 100, 800, 600) << QList{left} << QRect(480, 100, 800, 600);
    QTest::newRow("over the top left") << QRect(-500, -300, 800, 600) << QList{left} << QRect(0, 0, 800, 600);
    QTest::newRow("larger than the screen") << QRect(10, 10, 3000, 2000) << QList{left} << left;
    QTest::newRow("smaller than the design")
        << QRect(10, 10, 100, 100) << QList{left} << QRect(10, 10, 518, 408);
    QTest::newRow("across two screens, more on the second")
        << QRect(1200, 100, 800, 600) << QList{left, right} << QRect(1280, 100, 800, 600);
    QTest::newRow("screen smaller than the design")
        << QRect(0, 0, 600, 500) << QList{QRect(0, 0, 400, 300)} << QRect(0, 0, 518, 408);
}

void TestWindowOptions::placement()
{
    QFETCH(QRect, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, placed);
    QCOMPARE(WindowPlacement::fit(saved, QSize(518, 408), screens), placed);
}

// Switched on and off while the window is up: it stays up, and off brings back the design layout.
void TestWindowOptions::switchedThroughOptions()
{
    w.createForm();
    TMainForm& form = w.form();
    auto* textPanel = form.findChild<QFrame*>(u"NotesTextPanel"_s);
    auto* listPanel = form.findChild<QFrame*>(u"NotesListPanel"_s);
    const QRect textDesign = inWindow(textPanel, &form);
    const QRect listDesign = inWindow(listPanel, &form);
    const int listHeight = form.notesList()->height();

    applyThroughOptions(true);
    QVERIFY(form.isVisible());
    QVERIFY(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    form.resize(900, 700);
    QTRY_COMPARE(form.size(), QSize(900, 700));
    QVERIFY(inWindow(textPanel, &form) != textDesign);

    applyThroughOptions(false);
    QVERIFY(form.isVisible());
    QTRY_COMPARE(form.size(), QSize(518, 408));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(inWindow(textPanel, &form), textDesign);
    QCOMPARE(inWindow(listPanel, &form), listDesign);
    QCOMPARE(form.notesList()->height(), listHeight);
    QCOMPARE(IniFile(w.iniPath()).ReadString(General, u"ResizableWindow"_s, {}), u"0"_s);
}

// ---------------------------------------------------------------------------------------------------------
// Wrapped lines

void TestWindowOptions::wrappedLinesKeepTheirBytes_data()
{
    QTest::addColumn<bool>("wrap");
    QTest::newRow("wrapped") << true;
    QTest::newRow("whole") << false;
}

// Wrapping only shows the lines: an edit confirmed without a change gives the note back byte for byte,
// its long lines (kept in pieces by the box) included.
void TestWindowOptions::wrappedLinesKeepTheirBytes()
{
    QFETCH(bool, wrap);
    if (wrap)
        w.writeIni(General, u"WordWrap"_s, u"1"_s);
    w.createForm();
    QString words;
    for (int i = 0; i < 400; ++i)
        words += u"word%1 "_s.arg(i);
    const QString text =
        u"caption\r\n"_s + words + u"\r\n"_s + QString(1500, QChar(0x8BB0)) + u"\r\n\r\nend"_s;
    w.seed({makeNote(text)});
    const QByteArray bytes = w.model().notes().at(0).text;
    w.form().selectRow(0);

    auto* pane = w.form().findChild<QPlainTextEdit*>(u"NoteText"_s);
    QCOMPARE(pane->lineWrapMode(), wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    QCOMPARE(pane->horizontalScrollBarPolicy(), wrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
    QTRY_COMPARE(pane->horizontalScrollBar()->maximum() == 0, wrap);
    QCOMPARE(NoteTextBlocks::text(*pane->document()), text);

    bool boxWrapped = !wrap;
    w.driver.onNext<TAddEditForm>([&](TAddEditForm* dialog) {
        boxWrapped = dialog->NoteText->lineWrapMode() == QPlainTextEdit::WidgetWidth &&
                     dialog->NoteText->horizontalScrollBar()->maximum() == 0;
        QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    });
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(w.form().notesList(), Qt::Key_Return);
    QVERIFY(w.driver.seen());
    QCOMPARE(boxWrapped, wrap);
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.model().notes().at(0).text, bytes);
}

// ---------------------------------------------------------------------------------------------------------
// Priorities at a glance

void TestWindowOptions::priorityColors_data()
{
    QTest::addColumn<QString>("theme");
    QTest::addColumn<bool>("darkDesktop");
    QTest::addColumn<QString>("listBackground"); // as stored; empty: none stored (white)
    QTest::addColumn<bool>("rowTextReadable");   // the list's own text colour reads well over it
    for (const Themes::Theme& theme : Themes::All)
        QTest::newRow(theme.name) << QString::fromLatin1(theme.name) << false << QString() << true;
    // The system's window colour: the list takes the dark desktop's own background.
    QTest::newRow("dark desktop, dark list") << u"Office11XP"_s << true << u"-16777211"_s << true;
    // The window-text colour of a dark desktop over the list's white, black over a dark list: the
    // standard priority reads well all the same.
    QTest::newRow("dark desktop, white list") << u"Office11XP"_s << true << QString() << false;
    QTest::newRow("dark list colour") << u"Default"_s << false << u"0x202020"_s << false;
}

// Each priority draws its name in its own colour, readable over the list, the two high ones bolder;
// without the option all four look as the rest of the list.
void TestWindowOptions::priorityColors()
{
    QFETCH(QString, theme);
    QFETCH(bool, darkDesktop);
    QFETCH(QString, listBackground);
    QFETCH(bool, rowTextReadable);
    if (darkDesktop)
        QApplication::setPalette(darkPalette());
    w.writeIni(General, u"Theme"_s, theme);
    if (!listBackground.isEmpty())
        w.writeIni(u"NotesListText"_s, u"ForeColor"_s, listBackground);
    w.createForm();
    w.seed({makeNote(u"a", u"低"), makeNote(u"b", u"标准"), makeNote(u"c", u"高"), makeNote(u"d", u"最高")});
    QTableView* list = w.form().notesList();
    const QColor background = list->palette().color(QPalette::Base);

    const auto inks = [&] {
        const QImage image = list->viewport()->grab().toImage();
        QList<Ink> result;
        for (int row = 0; row < 4; ++row)
            result.append(inkIn(
                image, list->visualRect(list->model()->index(row, NotesModel::PriorityColumn)), background));
        return result;
    };
    const QList<Ink> plain = inks();
    for (const Ink& ink : plain)
        QCOMPARE(ink.color, plain.at(1).color);

    w.form().setPriorityColors(true);
    const QList<Ink> shown = inks();
    for (int row = 0; row < 4; ++row) {
        QVERIFY2(
            contrast(shown.at(row).color, background) >= 4.5,
            qPrintable(u"row %1: %2 over %3"_s.arg(row).arg(shown.at(row).color.name(), background.name())));
    }
    QCOMPARE(contrast(plain.at(1).color, background) >= 4.5, rowTextReadable);
    QCOMPARE(shown.at(1).color == plain.at(1).color, rowTextReadable);
    QVERIFY(shown.at(0).color != shown.at(1).color);
    QVERIFY(shown.at(2).color != shown.at(1).color);
    QVERIFY(shown.at(3).color != shown.at(1).color);
    QVERIFY(shown.at(3).color != shown.at(2).color);
    QVERIFY(shown.at(2).pixels > plain.at(2).pixels);
    QVERIFY(shown.at(3).pixels > plain.at(3).pixels);
}

QTEST_MAIN(TestWindowOptions)
#include "tst_windowoptions.moc"
