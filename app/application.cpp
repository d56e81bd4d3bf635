#include "application.h"

#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>

#include <cstdio>
#include <exception>

namespace {

// Hints come up a quarter of a second after the mouse rests and stay up to fifty seconds.
class THintTimingStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 250;
        if (hint == SH_ToolTip_FallAsleepDelay) return 50;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The windows are designed for Tahoma. Debian's fonts-wine carries one with Cyrillic, though it keeps it out of
// the system's font list; where it is missing, a narrow font takes its place so that the design sizes still hold.
// Both faces: a bold made up from the regular one draws some letters apart ("Ы" as "Ь" and "I").
void LoadWindowFont() {
    for (const char* face : {"tahoma.ttf", "tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1StringView(face));
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                                QStringLiteral("DejaVu Sans")});
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Vetlograd"));
    setApplicationName(QStringLiteral("vetlograd09"));
    LoadWindowFont();
    // The application owns the style it is given; the static analyser takes it for lost at the next statement.
    // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
    setStyle(new THintTimingStyle);
    // Every window's icon, read once for all of them, in the sizes a window system asks for; the large ones
    // come from the desktop's icon theme, and decoding them here would cost more than a millisecond of start.
    QIcon icon(QStringLiteral(":/bitmaps/vetlograd09-32.png"));
    // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
    icon.addFile(QStringLiteral(":/bitmaps/vetlograd09-64.png"));
    setWindowIcon(icon);
    // The toolkit's own words (the file dialogs, the buttons of a message) in Russian, as the rest of the window;
    // without the translations installed they stay in English. Its formats too (the file types, sizes and times
    // in the file dialogs), whatever the system's language.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* words = new QTranslator(this);
    if (words->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(words);
    else
        std::fprintf(stderr, "vetlograd09: the toolkit's Russian words are missing (qt6-translations-l10n)\n");
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    setFont(font);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        AppEventsException(e.what());
    } catch (...) {
        AppEventsException("an unknown exception");
    }
    return false;
}

void TApplication::AppEventsException(const char* what) {
    // Discarded, and the operator goes on working; a line on stderr keeps it from vanishing without a trace.
    ++discarded_;
    std::fprintf(stderr, "vetlograd09: discarded: %s\n", what);
}
