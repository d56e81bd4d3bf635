#include "notfoundstrip.h"

#include "ui_fmmain.h"

#include <QPushButton>

TNotFoundStrip::TNotFoundStrip(Ui::FmMain& form, QObject* parent)
    : QObject(parent), strip_(form.pnNotFound), why_(form.lbWhy), suggestions_(form.suggestionsLayout) {}

void TNotFoundStrip::ShowExplanation(vg::TExplanation explanation) {
    HideExplanation();
    explanation_ = std::move(explanation);
    why_->setText(QString::fromStdString(vg::FormatCounts(*explanation_)));
    QStringList spoken{why_->text()};
    for (std::size_t i = 0; i < explanation_->suggestions.size(); ++i) {
        QString text = QString::fromStdString(vg::FormatSuggestion(explanation_->suggestions[i]));
        if (i == 0) text = QStringLiteral("Ctrl+Enter: ") + text;
        auto* button = new QPushButton(text, strip_);
        button->setObjectName(QStringLiteral("Suggestion%1").arg(i));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::TabFocus);
        button->setToolTip(QStringLiteral("Подставить в поле и искать"));
        connect(button, &QPushButton::clicked, this, [this, i] { emit SuggestionChosen(static_cast<int>(i)); });
        suggestions_->addWidget(button);
        spoken << text;
    }
    if (explanation_->suggestions.empty()) spoken << QStringLiteral("Предложений нет");
    strip_->setAccessibleDescription(spoken.join(QStringLiteral(". ")));
    ShowStrip();
}

void TNotFoundStrip::ShowText(const QString& text) {
    HideExplanation();
    why_->setText(text);
    strip_->setAccessibleDescription(text);
    ShowStrip();
}

void TNotFoundStrip::ShowStrip() {
    // Its style sheet is set when it is first needed: a style sheet makes its widgets polish themselves anew,
    // a cost that start-up need not pay for a strip most starts never show.
    if (strip_->styleSheet().isEmpty())
        strip_->setStyleSheet(
            QStringLiteral("#pnNotFound { background: #FFF8D6; } QPushButton { text-align: left; padding: 1px 6px; }"));
    strip_->show();
}

void TNotFoundStrip::HideExplanation() {
    explanation_.reset();
    strip_->hide();
    strip_->setAccessibleDescription(QString());
    why_->clear();
    while (QLayoutItem* item = suggestions_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}
