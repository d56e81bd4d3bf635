#include "fmsplash.h"

#include "directory/progress.h"
#include "ui_fmsplash.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

TFmSplash::TFmSplash(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      ui(new Ui::FmSplash) {
    ui->setupUi(this);
    setAttribute(Qt::WA_ShowWithoutActivating); // the operator's window keeps the keyboard
    QFont base(QStringLiteral("Tahoma"));
    base.setPixelSize(12);
    setFont(base);
    QFont title(QStringLiteral("Tahoma"));
    title.setPixelSize(20);
    ui->lbVersion->setFont(title);
    title.setPixelSize(19);
    ui->EsLabel1->setFont(title);
    QPalette blue = ui->lbVersion->palette();
    blue.setColor(QPalette::WindowText, QColor(0x004080));
    ui->lbVersion->setPalette(blue);
    ui->EsLabel1->setPalette(blue);
    ui->LbInf->setAttribute(Qt::WA_TranslucentBackground);
    NameByInfo();
}

void TFmSplash::NameByInfo() {
    // A screen reader names the window by what it says the program is doing.
    setWindowTitle(ui->LbInf->text());
    setAccessibleName(ui->LbInf->text());
}

TFmSplash::~TFmSplash() = default;

QString TFmSplash::InfoText() const {
    return ui->LbInf->text();
}
TglProgress* TFmSplash::Bar() const {
    return ui->Bar;
}
QLabel* TFmSplash::InfoLabel() const {
    return ui->LbInf;
}

void TFmSplash::SetInfoText(const QString& text) {
    if (ui->LbInf->text() == text) return;
    ui->LbInf->setText(text);
    NameByInfo();
    ui->LbInf->adjustSize();
    ui->LbInf->repaint();
    Advance();
}

void TFmSplash::ProgressCallback(int position, int maximum) {
    const int percent = vg::ProgressPercent(position, maximum);
    if (percent != ui->Bar->Percent()) SetPercent(percent);
}

int TFmSplash::Percent() const {
    return ui->Bar->Percent();
}
void TFmSplash::SetPercent(int percent) {
    ui->Bar->SetPercent(percent);
    Advance();
}

void TFmSplash::ShowNow() {
    if (isVisible()) return;
    if (showDelay_ > 0) {
        pending_ = true;
        clock_.start();
        return;
    }
    Reveal();
}

void TFmSplash::setVisible(bool visible) {
    if (!visible) pending_ = false;
    QWidget::setVisible(visible);
}

void TFmSplash::Advance() {
    // Called only when the text or the percentage changed: at most about a hundred times in an operation.
    if (pending_) {
        if (clock_.elapsed() >= showDelay_) Reveal();
    } else if (isVisible() && !(windowHandle() && windowHandle()->isExposed())) {
        TakeWindowEvents();
    }
}

void TFmSplash::Reveal() {
    pending_ = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    show();
    TakeWindowEvents();
    repaint();
}

namespace {

// Holds timer events back while the window system's events are taken in the middle of an operation: a timer's
// handler (a search as the operator types, for one) must not run inside the operation. A timer whose event is
// held back fires again after its interval.
class THoldTimers : public QObject {
public:
    THoldTimers() { QCoreApplication::instance()->installEventFilter(this); }
    ~THoldTimers() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

} // namespace

void TFmSplash::TakeWindowEvents() {
    // Once, without waiting: the thread is busy, and the window comes up at a later report if the window
    // manager has not mapped it yet. The operator's input waits for the operation's end.
    THoldTimers hold;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}
