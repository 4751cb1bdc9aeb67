#include "DialogTest.h"

#include "ModalDriver.h"

#include "forms/FileDialog.h"
#include "forms/MessageBox.h"

#include <QFile>
#include <QTest>

void DialogTest::useTemporaryFolders()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir.path()));
    for (const char* kind : {"CONFIG", "DATA"}) {
        const QString name = QString::fromLatin1(kind).toLower();
        qputenv((QByteArray("XDG_") + kind + "_HOME").constData(), QFile::encodeName(path(name)));
    }
}

void DialogTest::startCase()
{
    MessageBox::takeShown();
    FileDialog::takeShownTitles();
}

void DialogTest::endCase()
{
    closeDialogs(queuesUsed);
}
