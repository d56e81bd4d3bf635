#pragma once

#include <QWidget>

// Says a text to a screen reader without moving the focus: an undrawn notification that is shown anew with each
// text. A reader speaks a notification as it appears, wherever its own focus is (Orca: "object:state-changed:
// showing" of a notification), while a changed name or text is spoken only for the object with the focus.
class TAnnouncer : public QWidget {
    Q_OBJECT

public:
    explicit TAnnouncer(QWidget* parent = nullptr);

    // Shows `text` to the screen reader, also when it is the same as the last one.
    void Announce(const QString& text);
    QString Text() const { return accessibleName(); }
};
