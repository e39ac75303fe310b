#include "ui/mainmenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus(QMenuBar* bar) : QObject(bar)
{
    m_bookmarks = bar->addMenu(QStringLiteral("&Bookmarks"));
    m_bookmarks->setObjectName(QStringLiteral("Mbookmarks"));
    m_newBookmark =
        addItem(m_bookmarks, "MnewBookmark", QStringLiteral("New bookmark database"), false);
    m_newBookmark->setCheckable(false);
    m_bookmarks->addSeparator()->setObjectName(QStringLiteral("Mseparator"));
    addBookAction(QStringLiteral("Default"))->setChecked(true);

    m_sort = bar->addMenu(QStringLiteral("Mem &Sort"));
    m_sort->setObjectName(QStringLiteral("Msort"));
    m_sortNone = addItem(m_sort, "Msort_none", QStringLiteral("None"), false);
    m_sortName = addItem(m_sort, "Msort_name", QStringLiteral("By name"), true);
    m_sortFreq = addItem(m_sort, "Msort_freq", QStringLiteral("By main freq"), false);
    m_sort->addSeparator()->setObjectName(QStringLiteral("Mseparator2"));
    m_sortScan = addItem(m_sort, "Msort_scan", QStringLiteral("Only scan mem"), false);
    m_sort->addSeparator();
    m_find = m_sort->addAction(QStringLiteral("Find memory…"));
    m_find->setObjectName(QStringLiteral("Mfind"));
    m_find->setShortcut(QKeySequence::Find);
    m_find->setShortcutContext(Qt::WindowShortcut);

    m_comPort = bar->addMenu(QStringLiteral("Com Port"));
    m_comPort->setObjectName(QStringLiteral("MComPort"));
    m_comPort->setToolTipsVisible(true);
    for (int n = 1; n <= kComCount; ++n) {
        const QByteArray name = "Mcom_" + QByteArray::number(n);
        m_com[n - 1] = addItem(m_comPort, name.constData(), QStringLiteral("COM %1").arg(n),
                               n == kDefaultPortNumber);
    }
    m_comPort->addSeparator()->setObjectName(QStringLiteral("Mseparator3"));
    m_radioSettings =
        addItem(m_comPort, "MradioSettings", QStringLiteral("Radio settings…"), false);
    m_radioSettings->setCheckable(false);
}

QAction* MainMenus::addItem(QMenu* menu, const char* name, const QString& caption, bool ticked)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(ticked);
    return action;
}

QAction* MainMenus::addBookAction(const QString& caption)
{
    const QByteArray name = "Mbook_" + QByteArray::number(m_books.size());
    QAction* action = addItem(m_bookmarks, name.constData(), caption, false);
    m_books.append(action);
    return action;
}

QAction* MainMenus::comAction(int portNumber) const
{
    return (portNumber >= 1 && portNumber <= kComCount) ? m_com[portNumber - 1] : nullptr;
}

void MainMenus::tickCom(int portNumber)
{
    for (int n = 1; n <= kComCount; ++n)
        m_com[n - 1]->setChecked(n == portNumber);
}

void MainMenus::setComDevice(int portNumber, const QString& device)
{
    if (QAction* action = comAction(portNumber)) {
        action->setToolTip(device);
        action->setStatusTip(device);
    }
}
