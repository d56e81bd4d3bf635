// Scales the program's icon to the sizes of the desktop's icon theme.
//   mkicons ICON.png DIR SIZE...   writes DIR/<SIZE>x<SIZE>/apps/<name of ICON>
// Nothing is written unless every size can be.

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: mkicons ICON.png DIR SIZE...\n", stderr);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QImage icon(source);
    if (icon.isNull()) {
        std::fprintf(stderr, "mkicons: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || size < 1 || size > icon.width() || size > icon.height()) {
            std::fprintf(stderr, "mkicons: size '%s' is not between 1 and the icon's own\n", argv[i]);
            return 2;
        }
    }
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QString path = dir + QLatin1Char('/') + QFileInfo(source).fileName();
        const QImage scaled = icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(dir) || !scaled.save(path)) {
            std::fprintf(stderr, "mkicons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
