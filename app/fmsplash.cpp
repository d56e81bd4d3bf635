#include "fmsplash.h"

#include "directory/progress.h"
#include "ui_fmsplash.h"

#include <QElapsedTimer>
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
}

void TFmSplash::ProgressCallback(int position, int maximum) {
    const int percent = vg::ProgressPercent(position, maximum);
    if (percent != ui->Bar->Percent()) ui->Bar->SetPercent(percent);
}

int TFmSplash::Percent() const {
    return ui->Bar->Percent();
}
void TFmSplash::SetPercent(int percent) {
    ui->Bar->SetPercent(percent);
}

void TFmSplash::ShowNow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    show();
    // The thread is about to be busy: let the window system map the window before painting it, or every
    // paint until the thread is free again would go nowhere. Mapped is the widget's own word for it: the
    // platform window of a window shown before may still say "exposed" from then. Only window-system events
    // are handled; the operator's input waits.
    QElapsedTimer waited;
    waited.start();
    while (!testAttribute(Qt::WA_Mapped) && waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    repaint();
}
