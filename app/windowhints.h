#pragma once

#include "widgets/newhw.h"

#include <memory>

class QLabel;

// The window's hints: every tool-tip of the program shown in the blue hint window, with the tip icon of `tip`
// at its left and white bold text with a black shadow.
class TWindowHints {
public:
    // `tip` carries the hint icon; it must outlive the hints.
    explicit TWindowHints(const QLabel& tip);
    ~TWindowHints();
    TWindowHints(const TWindowHints&) = delete;
    TWindowHints& operator=(const TWindowHints&) = delete;

    THintManager* Manager() const { return manager_.get(); }

private:
    // Fills the hint data of a hint about to show: the control's own hint, or else the proposed text.
    void AppEventsShowHint(THintData& data, const QString& proposed, const THintInfo& info);
    void OnHintInit(TNewHW* window, THintData& data);
    void OnHintPaint(TNewHW* window, QPainter& canvas, const QRect& rect, const THintData& data);

    const QLabel& tip_;
    std::unique_ptr<THintManager> manager_;
};
