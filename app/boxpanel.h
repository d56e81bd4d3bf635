#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QMainWindow;
class QToolBar;

// The one box above the criteria: the operator types what the caller says, in any order. It is the one owner
// of its text; the window decides when it is searched and what it replaces.
class TBoxPanel : public QObject {
    Q_OBJECT

public:
    // Puts the box's toolbar on a row of its own in `window`'s top area, before `before` (the first criterion).
    TBoxPanel(QMainWindow& window, QToolBar* before);

    QString Text() const;
    // Sets the text without telling anyone it was edited.
    void Put(const QString& text);
    void Focus();
    bool HasFocus() const;
    QLineEdit* Field() const { return field_; }
    QToolBar* Bar() const { return bar_; }
    // Its hint names the key that reaches it from anywhere.
    void SetKeyName(const QString& key);

signals:
    // The operator changed the text.
    void Edited();
    // Enter in the box.
    void SearchRequested();

private:
    QToolBar* bar_;
    QLineEdit* field_;
    bool putting_ = false;
};
