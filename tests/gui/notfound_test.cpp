// When nothing is found: the strip under the criteria with each criterion's count and the suggestions, taken
// by a click or by Ctrl+Enter; and the list following the criteria as they are typed.

#include "app/application.h"
#include "app/fmmain.h"
#include "app/fmsplash.h"
#include "app/settings.h"
#include "app/startup.h"
#include "guitest.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QAccessible>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using vg::test::CloseMessages;
using vg::test::Type;

class NotFoundTest : public QObject {
    Q_OBJECT

private:
    vg::test::RecordingPlayer sound;
    std::unique_ptr<TProgram> program;
    TFmMain* window = nullptr;
    Ui::FmMain* ui = nullptr;
    int progressShown = 0;

    int Counter() const { return ui->lbCnt->text().remove(QLatin1Char(',')).toInt(); }
    QPushButton* Suggestion(int i) const {
        return ui->pnNotFound->findChild<QPushButton*>(QStringLiteral("Suggestion%1").arg(i));
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++progressShown;
        return false;
    }

private slots:
    void initTestCase() {
        program = std::make_unique<TProgram>(&sound);
        window = vg::test::StartShown(*program);
        QVERIFY(window);
        ui = window->Form();
        program->FmSplash()->installEventFilter(this);
    }

    void cleanupTestCase() { program.reset(); }

    void Settle() { QVERIFY(vg::test::Reactivate(window)); }

    void init() {
        Settle();
        ui->mnSearchAsYouType->setChecked(false);
        ui->mnClearFilters->trigger();
        ui->mnClear->trigger();
        Settle();
        sound.played.clear();
        progressShown = 0;
    }

    void anEmptySearchTellsEachCriterionsCountAndWhatWouldFind() {
        Type(ui->edStreet, QStringLiteral("ЛЕН"));
        ui->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
        Type(ui->edUser, QStringLiteral("bdfyjd")); // ИВАНОВ typed with the Latin layout
        ui->edUser->setFocus();
        QTest::keyClick(ui->edUser, Qt::Key_Return);
        QCOMPARE(Counter(), 0);
        QVERIFY(ui->pnNotFound->isVisible());
        const QString why = ui->lbWhy->text();
        QVERIFY2(why.contains(QStringLiteral("Улица начинается с «ЛЕН»: 728")), qPrintable(why));
        QVERIFY2(why.contains(QStringLiteral("Абонент содержит «BDFYJD»: 0")), qPrintable(why));
        QVERIFY(why.endsWith(QStringLiteral("вместе: 0")));
        QPushButton* first = Suggestion(0);
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QVERIFY(first->text().startsWith(QStringLiteral("Ctrl+Enter: ")));
        QVERIFY2(first->text().contains(QStringLiteral("ИВАНОВ")), qPrintable(first->text()));
        QVERIFY(!Suggestion(5));
        // The strip stands out in its pale yellow, its suggestions read from the left like the text above them.
        const QImage strip = ui->pnNotFound->grab().toImage();
        QCOMPARE(strip.pixelColor(strip.width() / 2, strip.height() - 3), QColor(0xFFF8D6));
        QVERIFY(first->style()->inherits("QStyleSheetStyle"));
        // Nothing was changed by itself, and a screen reader hears the whole strip.
        QCOMPARE(ui->edUser->text(), QStringLiteral("bdfyjd"));
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(ui->pnNotFound);
        QCOMPARE(spoken->text(QAccessible::Name), QStringLiteral("Почему ничего не найдено"));
        QVERIFY(spoken->text(QAccessible::Description).contains(why));
        QVERIFY(spoken->text(QAccessible::Description).contains(first->text()));
        QCOMPARE(QAccessible::queryAccessibleInterface(first)->text(QAccessible::Name), first->text());
    }

    void ctrlEnterTakesTheFirstSuggestionAndSearches() {
        Type(ui->edStreet, QStringLiteral("ЛЕН"));
        ui->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
        Type(ui->edUser, QStringLiteral("bdfyjd"));
        QTest::keyClick(ui->edUser, Qt::Key_Return);
        QVERIFY(window->Explanation().has_value());
        const vg::TSuggestion first = window->Explanation()->suggestions.at(0);
        sound.played.clear();
        Settle();
        ui->edUser->setFocus();
        QTest::keyClick(ui->edUser, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(Counter(), first.count);
        QVERIFY(Counter() > 0);
        QCOMPARE(ui->edUser->text(), QStringLiteral("ИВАНОВ"));
        QCOMPARE(ui->cbfUser->currentIndex(), vg::ItemOf(first.condition));
        QCOMPARE(ui->edStreet->text(), QStringLiteral("ЛЕН")); // the other criteria stay
        QVERIFY(!ui->pnNotFound->isVisible());
        QCOMPARE(sound.played.size(), std::size_t{1});
        QCOMPARE(sound.played.back(), window->FoundSound());
        // With nothing to take, Ctrl+Enter does nothing.
        QTest::keyClick(ui->edUser, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(Counter(), first.count);
    }

    void aClickTakesAnySuggestion() {
        Type(ui->edStreet, QStringLiteral("ЛЕНЕНА")); // a slip for ЛЕНИНА
        QTest::keyClick(ui->edStreet, Qt::Key_Return);
        QCOMPARE(Counter(), 0);
        QVERIFY(window->Explanation().has_value());
        const auto suggestions = window->Explanation()->suggestions;
        QVERIFY(!suggestions.empty());
        const int last = static_cast<int>(suggestions.size()) - 1;
        QTest::mouseClick(Suggestion(last), Qt::LeftButton);
        QCOMPARE(Counter(), suggestions[static_cast<std::size_t>(last)].count);
        const auto near = std::find_if(suggestions.begin(), suggestions.end(),
                                       [](const vg::TSuggestion& s) { return s.kind == vg::SuggestionKind::NearName; });
        QVERIFY(near != suggestions.end());
    }

    void aFoundSearchShowsNoStrip() {
        Type(ui->edStreet, QStringLiteral("МИРА"));
        ui->mnSearch->trigger();
        QVERIFY(Counter() > 0);
        QVERIFY(!ui->pnNotFound->isVisible());
        QVERIFY(!window->Explanation());
    }

    void theListFollowsTheCriteriaAsTheyAreTyped() {
        ui->mnSearchAsYouType->setChecked(true);
        QVERIFY(settings::SearchAsYouType.Read());
        Type(ui->edStreet, QStringLiteral("МИРА"));
        QTRY_VERIFY(Counter() > 0 && Counter() < 45129);
        const int mira = Counter();
        ui->edHouse->setFocus();
        Type(ui->edHouse, QStringLiteral("1"));
        QTRY_VERIFY(Counter() < mira);
        QVERIFY(sound.played.empty());                                             // quietly
        QCOMPARE(progressShown, 0);                                                // and without the progress window
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui->edHouse)); // the caret stays
        // Enter still runs the whole search, with its sound.
        QTest::keyClick(ui->edHouse, Qt::Key_Return);
        QCOMPARE(sound.played.size(), std::size_t{1});
        QCOMPARE(program->FmSplash()->InfoText(), QStringLiteral("Поиск в базе данных ...")); // too fast to show
        Settle();
        ui->edUser->setFocus();
        const int found = Counter();
        // An unfinished mask is said in the strip, not in a box, and the last result stays in the list.
        Type(ui->edUser, QStringLiteral("*[А-"));
        QTRY_VERIFY(ui->lbWhy->text().contains(QStringLiteral("Маска")));
        QVERIFY(ui->pnNotFound->isVisible());
        QVERIFY(CloseMessages().isEmpty());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui->edUser));
        QCOMPARE(Counter(), found);
        // Once whole, it searches; the strip goes, and with it what it said to a screen reader.
        Type(ui->edUser, QStringLiteral("Я]*"));
        QTRY_VERIFY(!ui->pnNotFound->isVisible());
        QVERIFY(Counter() > 0);
        QVERIFY(ui->pnNotFound->accessibleDescription().isEmpty());
        // Off again: typing changes only the fields.
        ui->mnSearchAsYouType->setChecked(false);
        QVERIFY(!settings::SearchAsYouType.Read());
        ui->mnClearFilters->trigger();
        ui->mnClear->trigger();
        Settle();
        Type(ui->edStreet, QStringLiteral("МИРА"));
        QTest::qWait(400);
        QCOMPARE(Counter(), 45129);
    }

    void theSwitchIsRememberedBetweenRuns() {
        ui->mnSearchAsYouType->setChecked(true);
        {
            TProgram second(nullptr);
            int status = -1;
            QVERIFY(second.StartUp(status));
            QVERIFY(second.FmMain()->Form()->mnSearchAsYouType->isChecked());
        }
        ui->mnSearchAsYouType->setChecked(false);
        TProgram third(nullptr);
        int status = -1;
        QVERIFY(third.StartUp(status));
        QVERIFY(!third.FmMain()->Form()->mnSearchAsYouType->isChecked());
    }
};

int main(int argc, char** argv) {
    // The switch is remembered in the settings of a folder of the test's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    NotFoundTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "notfound_test.moc"
