// The window's font, Tahoma, comes from Debian's fonts-wine, which keeps it outside the system's font list.

#include "app/application.h"

#include <QFontInfo>
#include <QRawFont>
#include <QtTest>

class FontTest : public QObject {
    Q_OBJECT

private slots:
    void faces_data() {
        QTest::addColumn<bool>("bold");
        QTest::newRow("regular") << false;
        QTest::newRow("bold") << true;
    }

    void faces() {
        QFETCH(bool, bold);
        QFont font = QApplication::font();
        font.setBold(bold);
        const QFontInfo info(font);
        QCOMPARE(info.family(), QStringLiteral("Tahoma"));
        QCOMPARE(info.bold(), bold);
        QCOMPARE(info.pixelSize(), 12);
        // The face drawn is the one designed for the weight, not the regular one thickened.
        const QRawFont drawn = QRawFont::fromFont(font);
        QCOMPARE(drawn.familyName(), QStringLiteral("Tahoma"));
        QCOMPARE(drawn.styleName(), bold ? QStringLiteral("Bold") : QStringLiteral("Regular"));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    FontTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "font_test.moc"
