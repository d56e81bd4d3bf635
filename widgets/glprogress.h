#pragma once

#include <QColor>
#include <QString>
#include <QVector>
#include <QWidget>

// A percentage bar: a gradient fill from #52A5BD to #A5DDEA, the caption " %d%%" in white bold with a black
// outline, a lowered bevel. Setting a new percentage repaints at once; setting the same one does nothing.
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

    // The bands that fill an area `width` pixels wide at `percent`.
    static QVector<Band> Bands(int width, int percent);

    static constexpr QRgb kFrom = 0x52A5BD;
    static constexpr QRgb kTo = 0xA5DDEA;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percent_ = 0;
    int paints_ = 0;
};
