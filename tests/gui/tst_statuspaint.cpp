// The status bar during a fast run: its texts and gauges change thousands of
// times a second, and it must not repaint every time.
#include "app/slotgauge.h"
#include "app/statuspanelbar.h"

#include <QApplication>
#include <QTest>

namespace {

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestStatusPaint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changesArePaintedAtAPace()
    {
        StatusPanelBar bar;
        bar.resize(900, 24);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        SlotGauge *gauge = bar.gauge(1);
        gauge->show();
        QTest::qWait(100);
        PaintCounter counter;
        bar.installEventFilter(&counter);
        gauge->installEventFilter(&counter);
        for (int i = 0; i < 1000; ++i) {
            bar.setPanelText(1, QString::number(i));
            gauge->setPercent(i % 101);
            QCoreApplication::processEvents();
        }
        // The text is current at once; painting follows within the pace.
        QCOMPARE(bar.panelText(1), QStringLiteral("999"));
        QCOMPARE(gauge->percent(), 999 % 101);
        QVERIFY2(counter.paints < 200, qPrintable(QString::number(counter.paints)));
        QTest::qWait(100);
        const int before = counter.paints;
        bar.setPanelText(1, QStringLiteral("done"));
        QTRY_VERIFY(counter.paints > before);
    }
};

QTEST_MAIN(TestStatusPaint)
#include "tst_statuspaint.moc"
