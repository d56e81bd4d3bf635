#include "app/application.h"
#include "widgets/bestpanel.h"
#include "widgets/comboboxlabel.h"
#include "widgets/glprogress.h"
#include "widgets/newhw.h"

#include <QtTest>

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void comboLabelFollowsTheCombo() {
        QWidget panel;
        panel.resize(200, 65);
        auto* combo = new TComboBoxLabel(&panel);
        combo->SetCaption(QStringLiteral("Улица"));
        combo->setGeometry(2, 17, 195, 21);
        panel.show();
        QLabel* label = combo->ComboLabel();
        QVERIFY(label);
        QCOMPARE(label->objectName(), QStringLiteral("SubLabel"));
        QCOMPARE(label->parentWidget(), &panel);
        QCOMPARE(label->x(), 2);
        QCOMPARE(label->y(), 17 - label->height() - 3);

        combo->move(10, 30);
        QCOMPARE(label->pos(), QPoint(10, 30 - label->height() - 3));
        combo->SetLabelPosition(TComboBoxLabel::lpBelow);
        QCOMPARE(label->pos(), QPoint(10, 30 + 21 + 3));
        combo->SetLabelSpacing(7);
        QCOMPARE(label->pos(), QPoint(10, 30 + 21 + 7));
        combo->SetLabelPosition(TComboBoxLabel::lpRight);
        QCOMPARE(label->pos(), QPoint(10 + 195 + 7, 30 + (21 - label->height()) / 2));

        // With the label on the left, a longer caption keeps the label's left edge until the next placement.
        combo->SetLabelPosition(TComboBoxLabel::lpLeft);
        const int left = label->x();
        combo->SetCaption(QStringLiteral("Гораздо более длинная подпись"));
        QCOMPARE(label->x(), left);
        combo->move(11, 30);
        QCOMPARE(label->x() + label->width() + 7, 11);

        combo->setEnabled(false);
        QVERIFY(!label->isEnabled());
        combo->setEnabled(true);
        QVERIFY(label->isEnabled());
        combo->hide();
        QVERIFY(!label->isVisible());
        combo->show();
        QVERIFY(label->isVisible());
    }

    void comboLabelDestroyedOnItsOwn() {
        QWidget panel;
        auto* combo = new TComboBoxLabel(&panel);
        combo->SetCaption(QStringLiteral("Здание"));
        delete combo->ComboLabel();
        QVERIFY(!combo->ComboLabel());
        combo->SetCaption(QStringLiteral("x"));
        combo->SetLabelPosition(TComboBoxLabel::lpBelow);
        QCOMPARE(combo->LabelPosition(), TComboBoxLabel::lpAbove); // not stored without a label
        combo->setGeometry(1, 2, 30, 20);
        QCOMPARE(combo->Caption(), QString());
    }

    void panelRefusesChainsThatLeadBack() {
        TBestPanel a, b, c;
        QPixmap tile(8, 8);
        tile.fill(Qt::red);
        a.SetWallpaper(tile);
        QVERIFY(!a.SetWallsPanel(&a));
        QVERIFY(b.SetWallsPanel(&a));
        QVERIFY(c.SetWallsPanel(&b));
        QCOMPARE(c.CurrentWallpaper().toImage(), tile.toImage());
        // a -> c -> b -> a would be a circle: refused, and a keeps its own wallpaper.
        QVERIFY(!a.SetWallsPanel(&c));
        QCOMPARE(a.WallsSrc(), TBestPanel::wfOwnWalls);
        QCOMPARE(a.Wallpaper().toImage(), tile.toImage());
        QVERIFY(c.SetWallsPanel(nullptr));
        QCOMPARE(c.WallsSrc(), TBestPanel::wfBestPanel);
        QVERIFY(c.CurrentWallpaper().isNull());
    }

    void panelFallsBackWhenTheSourceGoes() {
        TBestPanel borrower;
        auto* source = new TBestPanel;
        QPixmap tile(4, 4);
        tile.fill(Qt::blue);
        source->SetWallpaper(tile);
        QVERIFY(borrower.SetWallsPanel(source));
        QVERIFY(!borrower.CurrentWallpaper().isNull());
        delete source;
        QVERIFY(borrower.CurrentWallpaper().isNull());
        QCOMPARE(borrower.WallsSrc(), TBestPanel::wfBestPanel);

        QLabel empty;
        QVERIFY(!borrower.SetWallsImage(&empty)); // no bitmap in it
        QCOMPARE(borrower.WallsSrc(), TBestPanel::wfBestPanel);
        auto* image = new QLabel;
        image->setPixmap(tile);
        QVERIFY(borrower.SetWallsImage(image));
        QCOMPARE(borrower.CurrentWallpaper().toImage(), tile.toImage());
        delete image;
        QVERIFY(borrower.CurrentWallpaper().isNull());
    }

    void borrowedWallpaperTilesFromTheBorrowersCorner() {
        TBestPanel source, borrower;
        QImage tile(4, 4, QImage::Format_RGB32);
        tile.fill(Qt::white);
        tile.setPixel(0, 0, qRgb(255, 0, 0));
        source.SetWallpaper(QPixmap::fromImage(tile));
        borrower.SetWallsPanel(&source);
        borrower.SetUseWallpaper(true);
        borrower.SetBevelOuter(TBestPanel::bvNone);
        borrower.resize(12, 12);
        const QImage painted = borrower.grab().toImage();
        QCOMPARE(painted.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(painted.pixel(4, 8), qRgb(255, 0, 0));
        QCOMPARE(painted.pixel(1, 1), qRgb(255, 255, 255));
    }

    void hintMeasuresAndChecksTheSignatures() {
        TNewHW hint;
        QVERIFY(hint.CalcHintRect(400, QString(), nullptr).isEmpty());
        QVERIFY(hint.CalcHintRect(400, QStringLiteral(" "), nullptr).isEmpty());

        // Without the signatures the data is ignored: the hint's own text and settings stand.
        THintData forged;
        forged.Signature2 = 0;
        forged.Text = QStringLiteral("подложный");
        bool initCalled = false;
        forged.OnHintInit = [&](TNewHW*, THintData&) { initCalled = true; };
        QRect plain = hint.CalcHintRect(400, QStringLiteral("Короткий|длинный"), &forged);
        QVERIFY(!plain.isEmpty());
        QCOMPARE(hint.Text(), QStringLiteral("Короткий"));
        QVERIFY(!initCalled);

        THintData good;
        good.Text = QStringLiteral("Провести поиск в справочнике");
        good.OnHintInit = [&](TNewHW* w, THintData&) {
            initCalled = true;
            w->PaintMode = 2;
            w->TipOn = true;
            w->TipBitmap = QPixmap(16, 18);
        };
        QRect measured = hint.CalcHintRect(400, QStringLiteral("other"), &good);
        QVERIFY(initCalled);
        QCOMPARE(hint.Text(), good.Text);
        const QRect text = QFontMetrics(hint.font()).boundingRect(QRect(0, 0, 10000, 0), hint.TextFormat, good.Text);
        QCOMPARE(measured.width(), text.width() + 6 + 16 + 3);
        QVERIFY(measured.height() >= 18 + 3);

        // A fault in a callback is ignored.
        THintData faulty;
        faulty.Text = QStringLiteral("x");
        faulty.OnHintInit = [](TNewHW*, THintData&) { throw std::runtime_error("init"); };
        QVERIFY(!hint.CalcHintRect(400, QStringLiteral("x"), &faulty).isEmpty());
        QCOMPARE(TNewHW::kOpacity, 200.0 / 255.0);
        QCOMPARE(hint.windowOpacity(), 200.0 / 255.0);
    }

    void barRepaintsWhenThePercentageChangesAtMostOnceAFrameAndTheEndAtOnce() {
        TglProgress bar;
        bar.resize(333, 17);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QTest::qWait(TglProgress::kFrameMs + 2);
        int before = bar.PaintCount();
        bar.SetPercent(42);
        QCOMPARE(bar.PaintCount(), before + 1); // at once, not later
        bar.SetPercent(42);
        QCOMPARE(bar.PaintCount(), before + 1);
        QCOMPARE(bar.CaptionText(), QStringLiteral(" 42%"));
        bar.SetPercent(150);
        QCOMPARE(bar.Percent(), 100);

        // A run faster than the screen: the first change after a pause at once, then at most once a frame.
        bar.SetPercent(0);
        QTest::qWait(TglProgress::kFrameMs + 2);
        before = bar.PaintCount();
        QElapsedTimer run;
        run.start();
        bar.SetPercent(1);
        QCOMPARE(bar.PaintedPercent(), 1);
        for (int p = 2; p < 100; ++p)
            bar.SetPercent(p);
        const qint64 took = run.elapsed();
        QVERIFY(bar.PaintCount() - before <= took / TglProgress::kFrameMs + 1);
        QTRY_COMPARE(bar.PaintedPercent(), 99); // the last change, once the event loop runs
        bar.SetPercent(98);
        bar.SetPercent(100);
        QCOMPARE(bar.PaintedPercent(), 100); // the end, at once however soon it comes
    }

    void barShowsWhatAFreshBarShowsAfterRunsAndResizes() {
        // A bar reuses what it drew before; what it shows must still be what a bar painting anew shows.
        QWidget parent;
        parent.resize(400, 60);
        parent.setStyleSheet(QStringLiteral("background: #808000"));
        TglProgress bar(&parent);
        bar.setGeometry(6, 20, 325, 17);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        for (int run = 0; run < 2; ++run)
            for (int p = 0; p <= 100; ++p)
                bar.SetPercent(p);
        auto fresh = [&parent](QRect geometry, int percent) {
            TglProgress other(&parent);
            other.setGeometry(geometry);
            other.SetPercent(percent);
            other.show();
            QImage image = other.grab().toImage();
            return image;
        };
        for (int p : {0, 1, 37, 100}) {
            bar.SetPercent(p);
            QCOMPARE(bar.grab().toImage(), fresh(bar.geometry(), p));
        }
        bar.setGeometry(6, 20, 200, 17); // a new size: nothing drawn for the old one may show
        bar.SetPercent(40);
        QCOMPARE(bar.grab().toImage(), fresh(bar.geometry(), 40));
        QFont bigger = bar.font();
        bigger.setPixelSize(14);
        bar.setFont(bigger);
        bar.SetPercent(41);
        QImage withFont = bar.grab().toImage();
        TglProgress other(&parent);
        other.setGeometry(bar.geometry());
        other.setFont(bigger);
        other.SetPercent(41);
        QCOMPARE(withFont, other.grab().toImage());
    }

    void barBandsFollowTheGradientArithmetic() {
        QVERIFY(TglProgress::Bands(331, 0).isEmpty());
        auto full = TglProgress::Bands(331, 100);
        QCOMPARE(full.size(), 255);
        QCOMPARE(full.first().color, QColor(0x52A5BD));
        QCOMPARE(full.last().color, QColor(0xA5DDEA));
        QCOMPARE(full.last().right, 331);
        QCOMPARE(full[1].left, 331 / 255);
        auto half = TglProgress::Bands(331, 50);
        // The first band past 50 % is drawn, then the drawing stops.
        const int i = half.size() - 1;
        QVERIFY(static_cast<double>(i) / 255 * 100 > 50);
        QVERIFY(static_cast<double>(i - 1) / 255 * 100 <= 50);
        // Middle band colour: rounded per channel.
        const int mid = 127;
        QCOMPARE(full[mid].color.red(), 0x52 + qRound((0xA5 - 0x52) * mid / 254.0));
        auto narrow = TglProgress::Bands(100, 100);
        QCOMPARE(narrow.size(), 100); // one band per pixel column
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    WidgetsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "widgets_test.moc"
