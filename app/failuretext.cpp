#include "failuretext.h"

#include "directory/filestream.h"
#include "directory/limits.h"
#include "results/rowlogic.h"
#include "results/view/qtext.h"
#include "search/criteria.h"

#include <cerrno>

namespace {

QString FileFailure(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("такого файла нет");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на чтение файла");
    case EISDIR:
        return QStringLiteral("это папка, а не файл справочника");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода при чтении с диска");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    case ENOTDIR:
        return QStringLiteral("в пути к файлу есть не папка");
    case ELOOP:
        return QStringLiteral("в пути к файлу ссылки замкнуты в круг");
    case ENOMEM:
        return QStringLiteral("не хватило памяти");
    default:
        return QStringLiteral("файл не удалось прочитать (код ошибки системы %1)").arg(error);
    }
}

} // namespace

QString LoadFailureReason(const std::exception& e) {
    if (const auto* file = dynamic_cast<const vg::EFileError*>(&e)) return FileFailure(file->Errno());
    if (dynamic_cast<const vg::ELimitError*>(&e))
        return QStringLiteral("данные выходят за пределы, допустимые для справочника (слишком большой файл, "
                              "слишком много или слишком длинные записи)");
    if (dynamic_cast<const vg::EReadError*>(&e))
        return QStringLiteral("данные обрываются раньше, чем кончается справочник: файл не дописан или обрезан");
    if (dynamic_cast<const std::bad_alloc*>(&e)) return QStringLiteral("не хватило памяти");
    return QStringLiteral("данные повреждены");
}

QString DamagedRecordReason(const std::exception& e) {
    const auto* record = dynamic_cast<const vg::ERecordError*>(&e);
    if (!record) return QStringLiteral("данные справочника повреждены");
    QString text = QStringLiteral("повреждена запись %1")
                       .arg(vg::ToQString(vg::GroupedNumber(std::int64_t{record->Position()} + 1)));
    const std::string& phone = record->Phone();
    // A phone is digits; a damaged key is not quoted.
    if (!phone.empty() && phone.size() <= 16 && phone.find_first_not_of("0123456789") == std::string::npos)
        text += QStringLiteral(" (телефон %1)")
                    .arg(QString::fromLatin1(phone.data(), static_cast<qsizetype>(phone.size())));
    const int field = record->MissingLine() + 1; // the lines are the fields after the phone
    if (field >= 1 && field < vg::kCriterionCount)
        text += QStringLiteral(": в ней нет поля «%1»")
                    .arg(QString::fromUtf8(
                        vg::kCriteria[static_cast<std::size_t>(field)].caption.data(),
                        static_cast<qsizetype>(vg::kCriteria[static_cast<std::size_t>(field)].caption.size())));
    return text;
}
