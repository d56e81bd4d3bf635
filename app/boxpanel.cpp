#include "boxpanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QToolBar>

namespace {
const char* const kCaption = "Что сказал абонент";
}

TBoxPanel::TBoxPanel(QMainWindow& window, QToolBar* before)
    : QObject(&window), bar_(new QToolBar(QString::fromUtf8(kCaption), &window)), field_(new QLineEdit) {
    bar_->setObjectName(QStringLiteral("TbBox"));
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QString::fromUtf8(kCaption) + QLatin1Char(':'));
    label->setBuddy(field_);
    field_->setObjectName(QStringLiteral("edBox"));
    field_->setAccessibleName(QString::fromUtf8(kCaption));
    field_->setPlaceholderText(QStringLiteral("фамилия, улица, дом, квартира или номер — в любом порядке"));
    field_->setClearButtonEnabled(true);
    field_->setMaxLength(200);
    field_->setMinimumWidth(420);
    QFont larger = field_->font();
    larger.setPixelSize(14);
    field_->setFont(larger);
    layout->addWidget(label);
    layout->addWidget(field_, 1);
    bar_->addWidget(panel);
    window.insertToolBar(before, bar_);
    window.insertToolBarBreak(bar_);
    connect(field_, &QLineEdit::textEdited, this, [this] {
        if (!putting_) emit Edited();
    });
    connect(field_, &QLineEdit::returnPressed, this, &TBoxPanel::SearchRequested);
}

QString TBoxPanel::Text() const {
    return field_->text();
}

void TBoxPanel::Put(const QString& text) {
    putting_ = true;
    field_->setText(text);
    putting_ = false;
}

void TBoxPanel::Focus() {
    field_->activateWindow(); // its toolbar may float in a window of its own, or the key come from one
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

bool TBoxPanel::HasFocus() const {
    return field_->hasFocus();
}

void TBoxPanel::SetKeyName(const QString& key) {
    field_->setToolTip(QStringLiteral("%1: слова в любом порядке, Enter — искать (%2)\n"
                                      "Alt+Вверх, Alt+Вниз — прежние поиски; Ctrl+Z сразу после F8 — вернуть поля")
                           .arg(QString::fromUtf8(kCaption), key));
}
