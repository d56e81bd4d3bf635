#pragma once

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPointer>

// A panel that tiles a wallpaper behind its children: its own bitmap, or one borrowed from another panel or
// from an image label. Keeps the panel's bevels, border and caption.
class TBestPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool UseWallpaper READ UseWallpaper WRITE SetUseWallpaper)
    Q_PROPERTY(QPixmap Wallpaper READ Wallpaper WRITE SetWallpaper)
    Q_PROPERTY(int BevelOuter READ BevelOuterValue WRITE SetBevelOuterValue)
    Q_PROPERTY(int BevelInner READ BevelInnerValue WRITE SetBevelInnerValue)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)

public:
    enum TWallsSource { wfOwnWalls = 0, wfBestPanel, wfImage };
    enum TBevel { bvNone = 0, bvLowered, bvRaised };

    explicit TBestPanel(QWidget* parent = nullptr);

    TWallsSource WallsSrc() const { return source_; }
    void SetWallsSrc(TWallsSource source);
    // The own wallpaper; a null pixmap unless the source is the panel's own.
    QPixmap Wallpaper() const;
    void SetWallpaper(const QPixmap& wallpaper);
    TBestPanel* WallsPanel() const;
    // Refuses (returns false, changes nothing) a panel whose chain of sources leads back here.
    bool SetWallsPanel(TBestPanel* panel);
    QLabel* WallsImage() const;
    // Refuses an image label that holds no bitmap.
    bool SetWallsImage(QLabel* image);
    bool UseWallpaper() const { return useWallpaper_; }
    void SetUseWallpaper(bool use);
    // What is tiled now: the own bitmap, the source panel's current wallpaper, or the image's bitmap.
    QPixmap CurrentWallpaper() const;

    TBevel BevelOuter() const { return outer_; }
    void SetBevelOuter(TBevel bevel);
    TBevel BevelInner() const { return inner_; }
    void SetBevelInner(TBevel bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int BevelOuterValue() const { return outer_; }
    void SetBevelOuterValue(int v) { SetBevelOuter(static_cast<TBevel>(v)); }
    int BevelInnerValue() const { return inner_; }
    void SetBevelInnerValue(int v) { SetBevelInner(static_cast<TBevel>(v)); }
    QPixmap CurrentWallpaper(QList<const TBestPanel*>& seen) const;
    void DrawBevel(QPainter& p, QRect& r, TBevel bevel) const;

    TWallsSource source_ = wfOwnWalls;
    QPixmap own_;
    QPointer<TBestPanel> panel_;
    QPointer<QLabel> image_;
    bool useWallpaper_ = false;
    TBevel outer_ = bvRaised;
    TBevel inner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    QString caption_;
};
