#include "TypeText.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QStringList>
#include <QTest>

void typeText(QWidget* box, const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(box, Qt::Key_Return);
        bool latin = true;
        for (QChar c : lines.at(i))
            latin = latin && c.unicode() < 128;
        if (latin) {
            QTest::keyClicks(box, lines.at(i));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(lines.at(i));
            QApplication::sendEvent(box, &commit);
        }
    }
}
