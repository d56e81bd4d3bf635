#include "database.h"

#include "directory/loader.h"
#include "fmsplash.h"

#include <QResource>

vg::TStrContainer* Directory = nullptr;
std::int32_t ResultCount = 0;
TFmSplash* FmSplash = nullptr;
TFmMain* FmMain = nullptr;

namespace {

DirectorySource& Source() {
    static DirectorySource source = BuiltinDirectoryResource;
    return source;
}

} // namespace

EDirectoryMissing::EDirectoryMissing()
    : vg::Exception("The program carries no telephone directory: its resource \"RCD\" is missing from this build.") {}

void SetDirectorySource(DirectorySource source) {
    Source() = source ? std::move(source) : BuiltinDirectoryResource;
}

std::optional<std::string_view> BuiltinDirectoryResource() {
    QResource resource(QStringLiteral(":/RCD"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(resource.data()), static_cast<std::size_t>(resource.size()));
}

QString LoadingText() {
    return QStringLiteral("Загрузка базы данных в память ...");
}

void LoadDatabase(bool Quiet) {
    std::optional<std::string_view> bytes = Source()();
    if (!bytes) throw EDirectoryMissing();
    if (FmSplash) FmSplash->SetInfoText(LoadingText());
    if (!Quiet && FmSplash) FmSplash->ShowNow();
    try {
        vg::ProgressCallback progress;
        if (FmSplash) progress = [](std::int32_t pos, std::int32_t max) { FmSplash->ProgressCallback(pos, max); };
        if (Directory) vg::LoadDirectory(*Directory, *bytes, progress);
    } catch (...) {
        // An always-on-top window must not stay over the desktop after a failed load.
        if (!Quiet && FmSplash) FmSplash->hide();
        throw;
    }
    if (Directory) ResultCount = Directory->Count();
    if (!Quiet && FmSplash) FmSplash->hide();
}
