#pragma once

// What the window tests share: a player that remembers, typing as the operator does, and closing the boxes a
// step opens.

#include "app/fmmain.h"
#include "app/sound.h"
#include "app/startup.h"
#include "directory/cp1251.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>

#include <string>
#include <vector>

namespace vg::test {

// Remembers what was played.
class RecordingPlayer : public ISoundPlayer {
public:
    void Play(const QByteArray& wave) override { played.push_back(wave); }
    std::vector<QByteArray> played;
};

inline std::string W(const char* utf8) {
    std::string out;
    cp1251::FromUtf8(utf8, out);
    return out;
}

// Types as the operator does, character by character; also letters that QTest has no key code for.
inline void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

// Closes the message boxes that a step opens, and says what they said.
inline QStringList CloseMessages() {
    QStringList texts;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
            texts << box->text();
            box->close();
        }
    return texts;
}

// The headless platform hands the keyboard to every window it shows and to none when a box closes; on a desktop
// the main window has it back at once. Activates the window again and says whether it is active.
inline bool Reactivate(QWidget* window) {
    if (!window->isActiveWindow()) {
        // It may keep the focus on a window shown again that counts as inactive: another window moves it away.
        QWidget other;
        other.show();
        (void)QTest::qWaitForWindowExposed(&other);
        other.close();
        window->activateWindow();
    }
    return QTest::qWaitFor([window] { return window->isActiveWindow(); }, 2000);
}

// Starts the program and shows its main window, active, as the operator finds it; none when it cannot.
inline TFmMain* StartShown(TProgram& program) {
    int status = -1;
    if (!program.StartUp(status)) return nullptr;
    TFmMain* window = program.FmMain();
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window) ? window : nullptr;
}

} // namespace vg::test
