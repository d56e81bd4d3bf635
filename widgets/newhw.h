#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

class TNewHW;

// The platform's description of a hint about to show.
struct THintInfo {
    QPointer<QWidget> HintControl;
    QPoint CursorPos;
    int HintMaxWidth = 0;
};

// What a window hands to TNewHW with a hint. Accepted only with its three signatures.
struct THintData {
    static constexpr std::uint32_t kSignature1 = 0x1998ABAB;
    static constexpr std::uint32_t kSignature2 = 0xAAAABBBB;
    static constexpr std::uint32_t kSignature3 = 0x01234567;

    std::uint32_t Signature1 = kSignature1;
    std::uint32_t Signature2 = kSignature2;
    std::uint32_t Signature3 = kSignature3;
    QString Text;
    QPointer<QWidget> HintControl;
    std::function<void(TNewHW*, int, const QString&, const THintData*, QRect&)> OnHintCalcRect;
    std::function<void(TNewHW*, QPainter&, const QRect&, const THintData&)> OnHintPaint;
    std::function<void(TNewHW*, THintData&)> OnHintInit;
    THintInfo HintInfo;

    bool Accepted() const {
        return Signature1 == kSignature1 && Signature2 == kSignature2 && Signature3 == kSignature3;
    }
};

// The application's hint window: semi-transparent (200 of 255), with an optional wallpaper and tip icon,
// measured and painted through callbacks that come with each hint.
class TNewHW : public QWidget {
    Q_OBJECT

public:
    explicit TNewHW(QWidget* parent = nullptr);

    // The rectangle the hint needs for `hint`, its text wrapped at half the screen's width; empty for an empty
    // or one-blank text. `maxWidth`, the width the caller would allow, is not used: the hint keeps its one wrap.
    QRect CalcHintRect(int maxWidth, const QString& hint, const THintData* data);
    // Shows the hint measured last at `topLeft`.
    void ActivateHint(const QPoint& topLeft, const QRect& rect);

    // Settings the init callback may change.
    int TextFormat = Qt::TextWordWrap; // word-break, no prefix
    bool FrameFlag = true;
    int PaintMode = 3;
    QPixmap WallpaperBitmap;
    bool WallpaperOn = false;
    QColor WallpaperKeyColor = Qt::white;
    QPixmap TipBitmap;
    bool TipOn = false;
    QColor TipKeyColor;
    QColor HintColor = QColor(0x0080C0);

    const QString& Text() const { return data_.Text; }
    const THintData& Data() const { return data_; }
    static constexpr double kOpacity = 200.0 / 255.0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintContent(QPainter& p, int textLeftShift);
    THintData data_;
};

// Catches the tool-tip events of the whole application and shows a TNewHW instead. `fill` prepares the
// hint data for the widget under the mouse, as a window's show-hint handler does.
class THintManager : public QObject {
    Q_OBJECT

public:
    using Filler = std::function<void(THintData& data, const QString& proposed, const THintInfo& info)>;
    explicit THintManager(Filler fill, QObject* parent = nullptr);
    ~THintManager() override;
    TNewHW* Window() const { return window_; }
    // Shows the hint of `widget` at `globalPos`, as a tool-tip event would.
    bool ShowHintFor(QWidget* widget, const QPoint& globalPos);
    void HideHint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Filler fill_;
    QPointer<TNewHW> window_;
    int hidePauseMs_ = 50000;
    int hideTimer_ = 0;
    void timerEvent(QTimerEvent* event) override;
};
