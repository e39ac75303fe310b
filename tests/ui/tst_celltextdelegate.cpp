// The grid's cell painter against the plain item delegate: the same view painted both ways
// must come out pixel for pixel the same, whether a cell takes the kept-text way or is left
// to the style (elided, multi-line, selected, disabled, current).

#include "ui/celltextdelegate.h"

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QtTest>

class TestCellTextDelegate : public QObject {
    Q_OBJECT

private slots:
    void paintsAsThePlainDelegate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("rowHeight");
        QTest::addColumn<bool>("wrap");
        // Texts laid out and kept: "x", the row's text, and its elided form when too wide.
        QTest::addColumn<int>("keptTexts");
        const QString wide = QStringLiteral("A broadcast schedule entry far too long to fit");
        QTest::newRow("name") << "Memory 1" << false << true << 20 << false << 2;
        QTest::newRow("frequency part") << "145" << false << true << 20 << true << 2;
        QTest::newRow("empty") << "" << false << true << 20 << false << 1;
        QTest::newRow("selected") << "USB" << true << true << 20 << false << 2;
        QTest::newRow("disabled") << "LSB" << false << false << 20 << false << 2;
        QTest::newRow("disabled selected") << "CW" << true << false << 20 << false << 2;
        QTest::newRow("accents and symbols")
            << QStringLiteral("Réunion ✎ ÄÖ") << false << true << 20 << false << 2;
        QTest::newRow("too wide: elided") << wide << false << true << 20 << false << 3;
        QTest::newRow("too wide, selected") << wide << true << true << 20 << false << 3;
        QTest::newRow("too wide in a wrapping cell") << wide << false << true << 20 << true << 2;
        QTest::newRow("two words in a wrapping cell")
            << "Memory 000123" << false << true << 20 << true << 2;
        QTest::newRow("two lines") << "first\nsecond" << false << true << 40 << false << 1;
        QTest::newRow("tab") << "a\tb" << false << true << 20 << false << 1;
        QTest::newRow("row lower than a line") << "Memory" << false << true << 6 << false << 0;
    }

    void paintsAsThePlainDelegate()
    {
        QFETCH(QString, text);
        QFETCH(bool, selected);
        QFETCH(bool, enabled);
        QFETCH(int, rowHeight);
        QFETCH(bool, wrap);
        QFETCH(int, keptTexts);
        QStandardItemModel model(4, 3);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 3; ++column)
                model.setItem(row, column,
                              new QStandardItem(row == 1 ? text : QStringLiteral("x")));
        }
        QTableView view;
        view.resize(420, 200);
        view.setWordWrap(wrap);
        view.setAlternatingRowColors(true);  // rows 1 and 3 on the alternate colour
        view.setColumnWidth(0, 80);
        view.verticalHeader()->setMinimumSectionSize(1);
        view.verticalHeader()->setDefaultSectionSize(rowHeight);
        view.setModel(&model);
        view.setEnabled(enabled);
        view.setCurrentIndex(model.index(2, 1));
        if (selected)
            view.selectRow(1);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QStyledItemDelegate plain;
        view.setItemDelegate(&plain);
        const QImage expected = view.grab().toImage();
        CellTextDelegate kept;
        view.setItemDelegate(&kept);
        view.grab();  // lays the texts out; the second paint draws the kept ones
        const QImage painted = view.grab().toImage();
        view.setItemDelegate(nullptr);
        QCOMPARE(painted, expected);
        QCOMPARE(kept.keptTexts(), keptTexts);
    }
};

QTEST_MAIN(TestCellTextDelegate)
#include "tst_celltextdelegate.moc"
