// What the operator sees before any event: names, captions, tooltips, menus; the window's
// first size and how the lower part follows a resize; the colours on screen.
#include "ui/f706.h"
#include "ui/mainmenus.h"
#include "ui/memorygrid.h"
#include "ui/navigationbar.h"
#include "ui/uilook.h"

#include <QAbstractButton>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void menus();
    void firstSizeShowsEveryControl();
    void lowerPartFollowsHeight_data();
    void lowerPartFollowsHeight();
    void screenColours();

private:
    QWidget* client() const { return m_window->centralWidget(); }
    QRect twipsRect(int left, int top, int width, int height) const;

    QTemporaryDir m_dir;
    std::unique_ptr<F706> m_window;
};

void TestWindowLayout::init()
{
    m_window = std::make_unique<F706>(m_dir.path() + QLatin1Char('/'));
}

void TestWindowLayout::cleanup()
{
    m_window.reset();
}

QRect TestWindowLayout::twipsRect(int left, int top, int width, int height) const
{
    const QWidget* w = m_window.get();
    return {look::px(w, left), look::px(w, top), look::px(w, width), look::px(w, height)};
}

void TestWindowLayout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QRect>("twips");  // relative to the parent; empty: not checked

    QTest::newRow("Cstep_6") << "Cstep_6"
                             << "12.5 KHz"
                             << "" << QRect(5535, 270, 825, 375);
    QTest::newRow("Cwfm") << "Cwfm"
                          << "WFM"
                          << "" << QRect(4680, 270, 690, 375);
    QTest::newRow("Cscan") << "Cscan"
                           << "SCAN START"
                           << "Start scan with current step" << QRect(90, 270, 1230, 375);
    QTest::newRow("Csplit") << "Csplit"
                            << "SPLIT"
                            << "Enable split" << QRect();
    QTest::newRow("Cquit") << "Cquit"
                           << "QUIT"
                           << "" << QRect();
    QTest::newRow("Freq") << "Freq"
                          << ""
                          << "Current main frequency" << QRect(300, 480, 3120, 600);
    QTest::newRow("Lsplit") << "Lsplit"
                            << "SPL"
                            << "" << QRect(3030, 495, 330, 195);
    QTest::newRow("Lmode") << "Lmode"
                           << "FM"
                           << "" << QRect();
    QTest::newRow("CaddCurrMem") << "CaddCurrMem"
                                 << "ADD MEM"
                                 << "Add display frequency to Mem database" << QRect();
    QTest::newRow("CstopScan") << "CstopScan"
                               << "STOP"
                               << "Stop database scan" << QRect();
    QTest::newRow("OptSpeed_2") << "OptSpeed_2"
                                << "SLOW"
                                << "Slow scan speed" << QRect(180, 1860, 1155, 195);
    QTest::newRow("NewFreq_8") << "NewFreq_8"
                               << "0"
                               << "" << QRect(2340, 390, 240, 240);
    QTest::newRow("Tasto_0") << "Tasto_0"
                             << "0"
                             << "" << QRect(1125, 2160, 600, 375);
    QTest::newRow("Tasto_7") << "Tasto_7"
                             << "7"
                             << "" << QRect(450, 1710, 600, 375);
    QTest::newRow("Csend") << "Csend"
                           << "SEND"
                           << "Set IC-706 with the above frequency " << QRect();
    QTest::newRow("CaddMain") << "CaddMain"
                              << "ADD MEM"
                              << "Add above frequency to Mem database" << QRect();
    QTest::newRow("LabelMem_1") << "LabelMem_1"
                                << "SPLIT FREQ:"
                                << "" << QRect();
    QTest::newRow("MemMode") << "MemMode"
                             << "A"
                             << "" << QRect(1395, 765, 1770, 330);
    QTest::newRow("NomeDB") << "NomeDB"
                            << ""
                            << "Current Mem database" << QRect();
    QTest::newRow("Crecall") << "Crecall"
                             << "RECALL"
                             << "Set IC-706 to current memory" << QRect();
    QTest::newRow("DataFreqCaption") << "DataFreqCaption"
                                     << "Memoria"
                                     << "" << QRect();
}

void TestWindowLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    QFETCH(QRect, twips);
    QWidget* widget = m_window->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(button->text(), text);
    else
        QCOMPARE(qobject_cast<QLabel*>(widget)->text(), text);
    QCOMPARE(widget->toolTip(), tooltip);
    if (!twips.isNull())
        QCOMPARE(widget->geometry(),
                 twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
}

void TestWindowLayout::menus()
{
    QStringList titles;
    for (QAction* action : m_window->menuBar()->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{"&Bookmarks", "Mem &Sort", "Com Port"}));

    const auto items = [](QMenu* menu) {
        QStringList result;
        for (QAction* action : menu->actions()) {
            result << (action->isSeparator() ? QStringLiteral("-")
                                             : action->text() + (action->isChecked() ? "*" : ""));
        }
        return result;
    };
    MainMenus* m = m_window->menus();
    QCOMPARE(items(m->bookmarksMenu()), (QStringList{"New bookmark database", "Import memories…",
                                                     "Export memories…", "-", "Default*"}));
    QCOMPARE(items(m->sortMenu()),
             (QStringList{"None", "By name*", "By main freq", "-", "Only scan mem"}));
    QCOMPARE(items(m->comPortMenu()),
             (QStringList{"COM 1", "COM 2*", "COM 3", "COM 4", "-", "Radio settings…"}));
    QCOMPARE(m->comAction(1)->toolTip(), QStringLiteral("/dev/ttyS0"));

    QAction* added = m->addBookAction(QStringLiteral("Contest"));
    QCOMPARE(added->objectName(), QStringLiteral("Mbook_1"));
    QCOMPARE(m->bookmarksMenu()->actions().last(), added);
    QVERIFY(!added->isChecked());
}

void TestWindowLayout::firstSizeShowsEveryControl()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QRect area = client()->rect();
    for (QWidget* child : client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(area.contains(child->geometry()), qPrintable(child->objectName()));
    QCOMPARE(m_window->navigationBar()->geometry().bottom(), area.bottom());
    QCOMPARE(m_window->memoryGrid()->height(), look::px(m_window.get(), 1935));
}

void TestWindowLayout::lowerPartFollowsHeight_data()
{
    QTest::addColumn<int>("clientTwips");
    QTest::addColumn<int>("gridTwips");
    QTest::newRow("taller") << 10005 << 3975;
    QTest::newRow("first size") << 7965 << 1935;
    QTest::newRow("smallest allowed") << 6630 << 600;
    QTest::newRow("below the smallest") << 3000 << 600;
}

void TestWindowLayout::lowerPartFollowsHeight()
{
    QFETCH(int, clientTwips);
    QFETCH(int, gridTwips);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const int extra = m_window->height() - client()->height();
    m_window->resize(m_window->width(), look::px(m_window.get(), clientTwips) + extra);

    const QWidget* grid = m_window->memoryGrid();
    const QWidget* bar = m_window->navigationBar();
    QTRY_COMPARE(bar->geometry().bottom(), client()->rect().bottom());
    QCOMPARE(grid->y(), look::px(m_window.get(), 5640));
    QVERIFY(qAbs(grid->height() - look::px(m_window.get(), gridTwips)) <= 1);
    QVERIFY(grid->geometry().bottom() < bar->y());
    QCOMPARE(m_window->findChild<QWidget*>("FrameMem")->y(), look::px(m_window.get(), 4020));
}

void TestWindowLayout::screenColours()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QString file = m_dir.filePath(QStringLiteral("window.png"));
    QVERIFY(m_window->grab().save(file, "PNG"));
    const QImage image(file);
    QVERIFY(!image.isNull());

    const auto at = [&](const QWidget* widget, QPoint point) {
        const QPoint p = widget->mapTo(m_window.get(), point) * image.devicePixelRatio();
        return QColor(image.pixel(p));
    };
    // Between the display frame and the memory panel: window background.
    QCOMPARE(at(client(), QPoint(look::px(client(), 60), look::px(client(), 3990))),
             QColor(0, 0, 128));
    const QLabel* freq = m_window->findChild<QLabel*>("Freq");
    QCOMPARE(at(freq, QPoint(2, freq->height() - 3)), QColor(128, 255, 128));
    const QLabel* nomeDB = m_window->findChild<QLabel*>("NomeDB");
    QCOMPARE(at(nomeDB, QPoint(nomeDB->width() - 3, 2)), QColor(255, 255, 128));
}

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
