// What the operator sees before any event: names, captions, tooltips, menus; the window's
// first size and how the lower part follows a resize; the colours on screen.
#include "ui/displayframe.h"
#include "ui/f706.h"
#include "ui/firststartdialog.h"
#include "ui/mainmenus.h"
#include "ui/memorygrid.h"
#include "ui/navigationbar.h"
#include "ui/uilook.h"
#include "ui/windowplace.h"

#include "settings/inifile.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
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
    void accessibleNames_data();
    void accessibleNames();
    void readableUnderDarkPalette();
    void placeOnScreens_data();
    void placeOnScreens();
    void placeKeptBetweenRuns();

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
    QCOMPARE(titles, (QStringList{"&Bookmarks", "Mem &Sort", "Com Port", "&Help"}));

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
    QCOMPARE(items(m->sortMenu()), (QStringList{"None", "By name*", "By main freq", "-",
                                                "Only scan mem", "-", "Find memory…"}));
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

void TestWindowLayout::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");  // exact
    QTest::addColumn<QString>("told");  // in the description

    QTest::newRow("pad's value") << "Shape1"
                                 << "Frequency to send"
                                 << "145.400.000 Hz";
    QTest::newRow("SEND") << "Csend"
                          << "SEND"
                          << "Set IC-706 with the above frequency: 145.400.000 Hz";
    QTest::newRow("pad key") << "Tasto_7"
                             << "7"
                             << "digit 7";
    QTest::newRow("typed frequency") << "TypedFreq"
                                     << "Typed frequency"
                                     << "point or comma it is MHz";
    QTest::newRow("display") << "FrameDispl"
                             << "Radio display"
                             << "";
    QTest::newRow("radio frequency") << "Freq"
                                     << "Radio frequency: not told yet"
                                     << "Current main frequency";
    QTest::newRow("radio mode") << "Lmode"
                                << "Radio mode: FM"
                                << "operating mode";
    QTest::newRow("status line") << "InStringa"
                                 << "Status line"
                                 << "answer to the last command";
    QTest::newRow("step") << "Cstep_6"
                          << "12.5 KHz"
                          << "Change frequency step";
    QTest::newRow("mode") << "Cusb"
                          << "USB"
                          << "Change operating mode";
    QTest::newRow("QUIT") << "Cquit"
                          << "QUIT"
                          << "end Corvane";
    QTest::newRow("speed") << "OptSpeed_0"
                           << "FAST"
                           << "Fast scan speed";
    QTest::newRow("RECALL") << "Crecall"
                            << "RECALL"
                            << "Set IC-706 to current memory";
    QTest::newRow("database") << "NomeDB"
                              << "Memory database"
                              << "Current Mem database";
    QTest::newRow("grid") << "DBGrid1"
                          << "Memories"
                          << "Tab leaves the grid";
    QTest::newRow("first memory") << "DataFreqFirst"
                                  << "First memory"
                                  << "first memory";
    QTest::newRow("last memory") << "DataFreqLast"
                                 << "Last memory"
                                 << "last memory";
}

void TestWindowLayout::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, told);
    QWidget* widget = m_window->findChild<QWidget*>(control);
    QVERIFY2(widget, qPrintable(control));
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(access);
    QCOMPARE(access->text(QAccessible::Name), name);
    QVERIFY2(access->text(QAccessible::Description).contains(told),
             qPrintable(access->text(QAccessible::Description)));

    // And every control the keyboard reaches has a name in words and a description.
    if (QTest::currentDataTag() != QByteArray("pad's value"))
        return;
    for (QWidget* other : client()->findChildren<QWidget*>()) {
        if (!(other->focusPolicy() & Qt::TabFocus) || m_window->memoryGrid()->isAncestorOf(other))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(other);
        const QString otherName = a->text(QAccessible::Name);
        QVERIFY2(otherName.contains(QRegularExpression(QStringLiteral("[A-Za-z0-9]"))) &&
                     !otherName.contains(QChar(0x25C0)) && !otherName.contains(QChar(0x25B6)),
                 qPrintable(other->objectName() + ": " + otherName));
        QVERIFY2(!a->text(QAccessible::Description).isEmpty(), qPrintable(other->objectName()));
    }
}

void TestWindowLayout::readableUnderDarkPalette()
{
    // A dark desktop theme, as Adwaita-dark gives it through the platform theme.
    const QPalette system = QApplication::palette();
    const auto restore = qScopeGuard([&system] { QApplication::setPalette(system); });
    QPalette dark(QColor(0x3c, 0x3c, 0x3c), QColor(0x32, 0x32, 0x32));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    QApplication::setPalette(dark);
    m_window = std::make_unique<F706>(m_dir.path() + QLatin1Char('/'));

    struct FixedColours {
        const char* control;
        QPalette::ColorRole background;
        QPalette::ColorRole text;
    };
    const FixedColours fixed[] = {
        {"F706Client", QPalette::Window, QPalette::WindowText},
        {"FrameNewFreq", QPalette::Window, QPalette::Text},  // a frame's title
        {"NewFreq_0", QPalette::Window, QPalette::WindowText},
        {"NewFreq_8", QPalette::Window, QPalette::WindowText},
        {"TypedFreq", QPalette::Window, QPalette::WindowText},
        {"Freq", QPalette::Window, QPalette::WindowText},
        {"Lmode", QPalette::Window, QPalette::WindowText},
        {"Lsplit", QPalette::Window, QPalette::WindowText},
        {"InStringa", QPalette::Base, QPalette::Text},
        {"OptSpeed_1", QPalette::Window, QPalette::WindowText},
        {"MemName", QPalette::Window, QPalette::WindowText},
        {"NomeDB", QPalette::Window, QPalette::WindowText},
        {"Crecall", QPalette::Button, QPalette::ButtonText},
        {"DataFreqCaption", QPalette::Window, QPalette::WindowText},
    };
    for (const bool dimmed : {false, true}) {
        m_window->displayFrame()->setDimmed(dimmed);
        for (const FixedColours& f : fixed) {
            const QWidget* widget = m_window->findChild<QWidget*>(f.control);
            QVERIFY2(widget, f.control);
            const QPalette& p = widget->palette();
            const double ratio = look::contrastRatio(p.color(f.background), p.color(f.text));
            QVERIFY2(ratio >= look::kReadableContrast,
                     qPrintable(QStringLiteral("%1: %2").arg(f.control).arg(ratio)));
        }
    }
    // Every filled control reads, and the pad's digits stand on the white of their backing.
    for (const QWidget* widget : client()->findChildren<QWidget*>()) {
        const QPalette& p = widget->palette();
        if (widget->autoFillBackground())
            QVERIFY2(look::contrastRatio(p.color(QPalette::Window),
                                         p.color(QPalette::WindowText)) >= look::kReadableContrast,
                     qPrintable(widget->objectName()));
    }
    QCOMPARE(m_window->findChild<QWidget*>("NewFreq_4")->palette().color(QPalette::Window),
             QColor(Qt::white));
    // The first start's error text.
    FirstStartDialog first({}, m_dir.filePath(QStringLiteral("IC706.INI")));
    const QPalette& error = first.findChild<QLabel*>("PortError")->palette();
    QVERIFY(look::contrastRatio(error.color(QPalette::Window), error.color(QPalette::WindowText)) >=
            look::kReadableContrast);
    // The measure itself: black on white is 21:1, the window's white on navy well above 4.5.
    QCOMPARE(look::contrastRatio(Qt::black, Qt::white), 21.0);
    QVERIFY(qAbs(look::contrastRatio(look::kNavy, Qt::white) - 16.0) < 0.05);
}

void TestWindowLayout::placeOnScreens_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("placed");
    const QRect primary(0, 0, 1920, 1080), second(1920, 0, 1280, 1024);
    const QList<QRect> two{primary, second};
    QTest::newRow("on the primary screen")
        << QRect(100, 100, 800, 600) << two << QRect(100, 100, 800, 600);
    QTest::newRow("on the second screen")
        << QRect(2000, 50, 800, 600) << two << QRect(2000, 50, 800, 600);
    QTest::newRow("off every screen")
        << QRect(5000, 100, 800, 600) << two << QRect(1120, 100, 800, 600);
    QTest::newRow("partly below") << QRect(100, 900, 800, 600) << two << QRect(100, 480, 800, 600);
    QTest::newRow("above and left") << QRect(-500, -300, 800, 600) << two << QRect(0, 0, 800, 600);
    QTest::newRow("across two screens")
        << QRect(1700, 100, 800, 600) << two << QRect(1920, 100, 800, 600);
    QTest::newRow("larger than the screen")
        << QRect(10, 10, 3000, 2000) << two << QRect(0, 0, 1920, 1080);
    QTest::newRow("screen since removed")
        << QRect(2500, 200, 800, 600) << QList<QRect>{primary} << QRect(1120, 200, 800, 600);
    QTest::newRow("smaller than the minimum")
        << QRect(100, 100, 200, 100) << two << QRect(100, 100, 640, 560);
}

void TestWindowLayout::placeOnScreens()
{
    QFETCH(QRect, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, placed);
    QCOMPARE(::placeOnScreens(saved, screens, QSize(640, 560)), placed);
}

void TestWindowLayout::placeKeptBetweenRuns()
{
    // Closing the window stores its place; the next window takes it, moved onto the screen
    // when the stored place is off it; the grid takes the width it is given.
    const QString settings = m_window->settingsFile();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QRect wide(screen.x() + 10, screen.y() + 5,
                     std::min(m_window->width() + 100, screen.width() - 10),
                     std::min(m_window->height(), screen.height() - 5));
    m_window->setGeometry(wide);
    QTRY_COMPARE(m_window->geometry(), wide);
    const QWidget* grid = m_window->memoryGrid();
    QTRY_VERIFY(
        qAbs(client()->width() - grid->x() - look::px(m_window.get(), 180) - grid->width()) <= 1);
    m_window->close();
    QCOMPARE(readWindowPlace(settings), std::optional<QRect>(wide));

    m_window = std::make_unique<F706>(m_dir.path() + QLatin1Char('/'));
    restoreWindowPlace(m_window.get(), settings);
    QCOMPARE(m_window->geometry(), wide);

    QVERIFY(WriteINI(settings, "SETTINGS", "GEOMETRY",
                     QStringLiteral("%1,-4000,%2,%3")
                         .arg(screen.right() + 5000)
                         .arg(wide.width())
                         .arg(wide.height())));
    m_window = std::make_unique<F706>(m_dir.path() + QLatin1Char('/'));
    restoreWindowPlace(m_window.get(), settings);
    QVERIFY2(screen.contains(m_window->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                   .arg(m_window->x())
                                                                   .arg(m_window->y())
                                                                   .arg(m_window->width())
                                                                   .arg(m_window->height())));
}

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
