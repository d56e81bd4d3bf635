// Draws the program's pictures and synthesises its two sounds into resources/.
//   QT_QPA_PLATFORM=offscreen mkassets DIR
// The results are committed; run it again only to change them.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

QString g_dir;

void Save(const QImage& image, const char* name) {
    const QString path = g_dir + QLatin1Char('/') + QLatin1String(name);
    if (!image.save(path)) std::fprintf(stderr, "mkassets: cannot write %s\n", qPrintable(path));
}

QImage Canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// A calm blue-grey texture for the status panel, the docks and the splash.
QImage Wallpaper() {
    QImage img(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            double wave = std::sin((x + y) * 0.19634954) * 0.5 + std::sin((x - y) * 0.0981747704) * 0.5;
            int grain = ((x * 73 + y * 151) ^ (x * y)) % 7 - 3;
            int base = 212 + static_cast<int>(wave * 6) + grain;
            img.setPixel(x, y, qRgb(base - 14, base - 4, std::min(255, base + 14)));
        }
    return img;
}

// Deep navy with a faint diagonal sheen, behind the hints.
QImage Navy() {
    QImage img(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int sheen = ((x + y) % 16 < 2) ? 10 : 0;
            img.setPixel(x, y, qRgb(0 + sheen, 48 + sheen, 112 + sheen));
        }
    return img;
}

// A light bulb for the hint's tip.
QImage Tip() {
    QImage img = Canvas(16, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(8, 6, 7, 6, 4);
    glow.setColorAt(0, QColor(255, 255, 210));
    glow.setColorAt(1, QColor(250, 200, 40));
    p.setPen(QPen(QColor(120, 80, 0), 1));
    p.setBrush(glow);
    p.drawEllipse(QRectF(2.5, 0.5, 11, 11));
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(QRectF(5, 11, 6, 5), 1.5, 1.5);
    p.setPen(QPen(QColor(90, 90, 100), 1));
    p.drawLine(QPointF(5.5, 13), QPointF(10.5, 13));
    return img;
}

QImage Search() {
    QImage img = Canvas(18, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient lens(6.5, 6.5, 6);
    lens.setColorAt(0, QColor(235, 248, 255));
    lens.setColorAt(1, QColor(150, 200, 235));
    p.setPen(QPen(QColor(30, 70, 130), 2));
    p.setBrush(lens);
    p.drawEllipse(QRectF(2, 2, 10, 10));
    p.setPen(QPen(QColor(120, 70, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11.5, 11.5), QPointF(16, 16));
    return img;
}

QImage ClearResults() {
    QImage img = Canvas(18, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 100, 120), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 12, 15));
    p.setPen(QPen(QColor(120, 150, 190), 1));
    for (int y = 5; y <= 14; y += 3)
        p.drawLine(QPointF(4, y + 0.5), QPointF(11, y + 0.5));
    // A green circular arrow: everything back.
    p.setPen(QPen(QColor(20, 140, 50), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(8, 8, 9, 9), 30 * 16, 270 * 16);
    QPainterPath head;
    head.moveTo(16.8, 8.2);
    head.lineTo(17.5, 12.5);
    head.lineTo(13.4, 11.2);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 140, 50));
    p.drawPath(head);
    return img;
}

QImage ClearCriteria() {
    QImage img = Canvas(18, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // An eraser over a text field.
    p.setPen(QPen(QColor(110, 120, 140), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.5, 9.5, 17, 7));
    p.translate(9, 7);
    p.rotate(-35);
    p.setPen(QPen(QColor(120, 40, 50), 1));
    p.setBrush(QColor(235, 110, 120));
    p.drawRoundedRect(QRectF(-7, -3.5, 9, 7), 1.5, 1.5);
    p.setBrush(QColor(90, 140, 220));
    p.drawRoundedRect(QRectF(2, -3.5, 5, 7), 1.5, 1.5);
    return img;
}

QImage Open() {
    QImage img = Canvas(18, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A directory's page rising out of an open yellow folder.
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(230, 185, 70));
    p.drawPolygon(QPolygonF{{0.5, 4.5}, {5.5, 4.5}, {7, 6.5}, {15.5, 6.5}, {15.5, 16.5}, {0.5, 16.5}});
    p.setPen(QPen(QColor(110, 120, 140), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 10, 11));
    p.setPen(QPen(QColor(120, 150, 190), 1));
    for (int y = 4; y <= 10; y += 3)
        p.drawLine(QPointF(6.5, y + 0.5), QPointF(12.5, y + 0.5));
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(250, 210, 100));
    p.drawPolygon(QPolygonF{{2.5, 9.5}, {17.5, 9.5}, {15.5, 16.5}, {0.5, 16.5}});
    return img;
}

QImage Exit() {
    QImage img = Canvas(18, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A door ajar and an arrow leaving through it.
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(200, 150, 90));
    p.drawRect(QRectF(1.5, 1.5, 9, 15));
    p.setBrush(QColor(150, 100, 50));
    QPolygonF leaf{{1.5, 1.5}, {7.5, 3.5}, {7.5, 17.5}, {1.5, 16.5}};
    p.drawPolygon(leaf);
    p.setPen(QPen(QColor(200, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9), QPointF(16, 9));
    p.drawLine(QPointF(13, 6), QPointF(16.3, 9));
    p.drawLine(QPointF(13, 12), QPointF(16.3, 9));
    return img;
}

// The program: an old desk telephone in front of "09".
QImage Icon(int size) {
    QImage img = Canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient back(0, 0, 64, 64);
    back.setColorAt(0, QColor(60, 140, 200));
    back.setColorAt(1, QColor(20, 60, 130));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(24);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRectF(0, 4, 64, 26), Qt::AlignCenter, QStringLiteral("09"));
    // Handset.
    QPainterPath handset;
    handset.moveTo(12, 38);
    handset.cubicTo(12, 30, 52, 30, 52, 38);
    handset.lineTo(46, 42);
    handset.lineTo(40, 37);
    handset.cubicTo(36, 35, 28, 35, 24, 37);
    handset.lineTo(18, 42);
    handset.closeSubpath();
    p.setBrush(QColor(245, 245, 245));
    p.drawPath(handset);
    // Body with a dial.
    QPainterPath body;
    body.moveTo(20, 42);
    body.lineTo(44, 42);
    body.lineTo(50, 56);
    body.lineTo(14, 56);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(30, 80, 150));
    p.drawEllipse(QPointF(32, 49), 5, 5);
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(QPointF(32, 49), 1.8, 1.8);
    return img;
}

// 8-bit mono RIFF/WAVE at 11,025 samples per second.
void Wave(const char* name, const std::vector<std::pair<double, double>>& notes, double gap) {
    const int rate = 11025;
    std::vector<unsigned char> samples;
    for (const auto& [freq, seconds] : notes) {
        const int n = static_cast<int>(seconds * rate);
        for (int i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / rate;
            double attack = std::min(1.0, t / 0.01);
            double decay = std::exp(-t * 5.0);
            double v = (std::sin(2 * M_PI * freq * t) + 0.3 * std::sin(4 * M_PI * freq * t)) / 1.3;
            samples.push_back(static_cast<unsigned char>(128 + 100 * attack * decay * v));
        }
        for (int i = 0; i < static_cast<int>(gap * rate); ++i)
            samples.push_back(128);
    }
    auto u32 = [](std::vector<unsigned char>& out, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            out.push_back(static_cast<unsigned char>(v >> (8 * k)));
    };
    auto u16 = [](std::vector<unsigned char>& out, std::uint16_t v) {
        out.push_back(static_cast<unsigned char>(v));
        out.push_back(static_cast<unsigned char>(v >> 8));
    };
    std::vector<unsigned char> file = {'R', 'I', 'F', 'F'};
    u32(file, static_cast<std::uint32_t>(36 + samples.size()));
    for (char c : std::string("WAVEfmt "))
        file.push_back(static_cast<unsigned char>(c));
    u32(file, 16);
    u16(file, 1);    // PCM
    u16(file, 1);    // mono
    u32(file, rate); // samples per second
    u32(file, rate); // bytes per second
    u16(file, 1);    // block align
    u16(file, 8);    // bits per sample
    for (char c : std::string("data"))
        file.push_back(static_cast<unsigned char>(c));
    u32(file, static_cast<std::uint32_t>(samples.size()));
    file.insert(file.end(), samples.begin(), samples.end());
    QFile out(g_dir + QLatin1Char('/') + QLatin1String(name));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size())) !=
            static_cast<qint64>(file.size()))
        std::fprintf(stderr, "mkassets: cannot write %s\n", name);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: mkassets DIR\n");
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_dir);
    Save(Wallpaper(), "wallpaper.png");
    Save(Navy(), "BK_NAVY.png");
    Save(Tip(), "TIPBMP.png");
    Save(Search(), "search.png");
    Save(ClearResults(), "clear-results.png");
    Save(ClearCriteria(), "clear-criteria.png");
    Save(Exit(), "exit.png");
    Save(Open(), "open.png");
    Save(Icon(32), "vetlograd09-32.png");
    Save(Icon(256), "vetlograd09.png");
    Wave("FOUND.wav", {{784, 0.12}, {1047, 0.22}}, 0.01);    // G5, C6: rising, found
    Wave("NOT_FOUND.wav", {{330, 0.16}, {247, 0.26}}, 0.01); // E4, B3: falling, nothing
    return 0;
}
