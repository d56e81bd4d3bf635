#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPointer>

// A combo box with a caption label that it keeps beside itself.
class TComboBoxLabel : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int LabelPosition READ LabelPositionValue WRITE SetLabelPositionValue)
    Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE SetLabelSpacing)

public:
    enum TLabelPosition { lpAbove = 0, lpBelow, lpLeft, lpRight };

    explicit TComboBoxLabel(QWidget* parent = nullptr);
    ~TComboBoxLabel() override;

    // The label, or null once it has been destroyed on its own.
    QLabel* ComboLabel() const { return label_; }
    QString Caption() const;
    void SetCaption(const QString& caption);
    TLabelPosition LabelPosition() const { return position_; }
    void SetLabelPosition(TLabelPosition position);
    int LabelSpacing() const { return spacing_; }
    void SetLabelSpacing(int spacing);

    void setVisible(bool visible) override;

    // The font the closed combo shows `text` in: its own, condensed just enough (to no less than 80 %) for a
    // long item to fit the narrow field whole rather than be cut.
    QFont DisplayFont(const QString& text) const;
    // The width the closed combo draws its text in.
    int TextWidth() const;

    // Where the label goes for a combo at `combo` and a label of `label` size.
    static QPoint LabelPlace(TLabelPosition position, const QRect& combo, const QSize& label, int spacing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int LabelPositionValue() const { return position_; }
    void SetLabelPositionValue(int value) { SetLabelPosition(static_cast<TLabelPosition>(value)); }
    void PlaceLabel(TLabelPosition position);

    QPointer<QLabel> label_;
    TLabelPosition position_ = lpAbove;
    int spacing_ = 3;
};
