#pragma once

#include <QString>

// A long operation's window as the operations see it: an info text, a bar, shown at once and hidden again. The
// splash and progress window is one; whatever runs a load needs no more of it than this.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetInfoText(const QString& text) = 0;
    virtual void ProgressCallback(int position, int maximum) = 0;
    // Shown, and painted before the thread is busy.
    virtual void ShowNow() = 0;
    virtual void HideNow() = 0;
};
