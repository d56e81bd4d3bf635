#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QVector>
#include <QWidget>

// A percentage bar: a gradient fill from #52A5BD to #A5DDEA, the caption " %d%%" in white bold with a black
// outline, a lowered bevel. Setting a new percentage repaints at once, at most once a frame (the end always);
// a change within a frame of the last paint is painted a frame later or when the event loop runs. Setting the
// same percentage does nothing.
class TglProgress : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Percent READ Percent WRITE SetPercent)

public:
    struct Band {
        int left, right; // [left, right) in pixels from the fill area's left edge
        QColor color;
    };

    explicit TglProgress(QWidget* parent = nullptr);

    int Percent() const { return percent_; }
    void SetPercent(int percent);
    QString CaptionText() const;
    // How many times the bar has painted itself: a bar that repaints for nothing is a slow bar.
    int PaintCount() const { return paints_; }
    // The percentage the last paint showed.
    int PaintedPercent() const { return painted_; }

    // The bands that fill an area `width` pixels wide at `percent`.
    static QVector<Band> Bands(int width, int percent);

    static constexpr QRgb kFrom = 0x52A5BD;
    static constexpr QRgb kTo = 0xA5DDEA;
    // The shortest time between two paints while the percentage runs, in milliseconds: a frame at 60 Hz.
    static constexpr int kFrameMs = 16;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What a paint needs that only the size (or the font) changes: made once and reused, so that a paint
    // is one copy of a ready pixmap.
    void Prepare();
    void Forget();
    // The whole bar at the current percentage, composed off-screen.
    QPixmap Compose();

    int percent_ = 0;
    int paints_ = 0;
    int painted_ = -1;
    QElapsedTimer lastPaint_;
    QPixmap background_;           // what lies under the bar, captured the first time it paints at this size
    QPixmap gradient_;             // the whole fill, every band drawn
    QVector<Band> bands_;          // the bands at 100 %, for where each percentage stops
    QHash<int, QPixmap> composed_; // the whole bar per percentage: a paint is one copy of it to the screen
};
