#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

// Writes a setting at once. When the settings cannot be written, says so on stderr, once in a run: what the
// operator chose then lasts only until the program ends.
void WriteSetting(const char* key, const QVariant& value);

// One thing the program remembers between runs: its key, its type and its value until the operator sets one.
// Every setting is declared once, below, and read and written only through its declaration, so that a key is
// spelt in one place and read as the type it was written as.
template <typename T> class TSetting {
public:
    constexpr TSetting(const char* key, T fallback) : key_(key), fallback_(fallback) {}

    const char* Key() const { return key_; }
    const T& Default() const { return fallback_; }
    // The stored value; the default when none is stored or what is stored cannot be read as this type.
    T Read() const {
        const QVariant stored = QSettings().value(QLatin1String(key_));
        if (!stored.isValid()) return fallback_;
        QVariant converted = stored;
        return converted.convert(QMetaType::fromType<T>()) ? converted.value<T>() : fallback_;
    }
    void Write(const T& value) const { WriteSetting(key_, QVariant::fromValue(value)); }

private:
    const char* key_;
    T fallback_;
};

namespace settings {

// Whether the list follows the criteria as they are typed.
inline constexpr TSetting<bool> SearchAsYouType{"SearchAsYouType", false};
// The criterion toolbars stay where they are; unlocked, they can be dragged and floated.
inline constexpr TSetting<bool> ToolbarsLocked{"ToolbarsLocked", true};
// The main window's place, size and maximised state (QWidget::saveGeometry); none: maximised on the first screen.
inline const TSetting<QByteArray> WindowGeometry{"WindowGeometry", QByteArray()};
// The widths the operator gave the columns, comma-separated, 0 for a column he left alone.
inline const TSetting<QString> ColumnWidths{"ColumnWidths", QString()};
// The column the operator last sorted by, and which way.
inline constexpr TSetting<int> SortColumn{"SortColumn", 0};
inline constexpr TSetting<bool> SortAscending{"SortAscending", true};
// The directory file opened last, opened again at the next start; empty for the built-in directory.
inline const TSetting<QString> Edition{"Edition", QString()};
// The last searches, newest first, each one line (TSearchRecall::Encode).
inline const TSetting<QStringList> RecentSearches{"RecentSearches", {}};

} // namespace settings
