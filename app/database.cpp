#include "database.h"

#include "directory/loader.h"
#include "progress.h"
#include "search/boxsearch.h"
#include "search/preparing.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>

EDirectoryMissing::EDirectoryMissing()
    : vg::Exception("The program carries no telephone directory: its resource \"RCD\" is missing from this build.") {}

std::optional<std::string_view> BuiltinDirectoryResource() {
    QResource resource(QStringLiteral(":/RCD"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(resource.data()), static_cast<std::size_t>(resource.size()));
}

QString LoadingText() {
    return QStringLiteral("Загрузка базы данных в память ...");
}

TDatabase::TDatabase(DirectorySource source)
    : source_(source ? std::move(source) : DirectorySource(BuiltinDirectoryResource)) {}

TDatabase::~TDatabase() = default;

void TDatabase::LoadDatabase(IProgress* progress, bool Quiet) {
    Load(progress, Quiet, nullptr);
}

void TDatabase::LoadDatabase(IProgress* progress, bool Quiet, const std::vector<std::uint32_t>& positions) {
    Load(progress, Quiet, &positions);
}

const vg::TPreparedDirectory* TDatabase::Prepared() const {
    if (!prepared_) return nullptr;
    if (!edition_.BuiltIn()) return prepared_.get(); // a file is read once
    std::optional<std::string_view> bytes = source_();
    if (!bytes || bytes->data() != masterBytes_.data() || bytes->size() != masterBytes_.size()) return nullptr;
    return prepared_.get();
}

void TDatabase::Load(IProgress* progress, bool Quiet, const std::vector<std::uint32_t>* positions) {
    if (edition_.BuiltIn()) {
        std::optional<std::string_view> bytes = source_();
        if (!bytes) throw EDirectoryMissing();
        if (!master_ || bytes->data() != masterBytes_.data() || bytes->size() != masterBytes_.size()) {
            directory_.Clear(); // the old directory's records go before the new one is parsed
            advisor_.reset();   // it explains the old directory
            prepared_.reset();
            master_ = std::make_unique<vg::TDirectoryMaster>(*bytes);
            masterBytes_ = *bytes;
        }
    }
    if (progress) progress->SetInfoText(LoadingText());
    if (!Quiet && progress) progress->ShowNow();
    try {
        vg::ProgressCallback report;
        if (progress) report = [progress](std::int32_t pos, std::int32_t max) { progress->ProgressCallback(pos, max); };
        if (positions)
            master_->LoadOnly(directory_, *positions, report);
        else if (!master_->Parsed())
            prepared_ = vg::LoadPrepared(*master_, directory_, report); // prepared while it is parsed
        else
            master_->Load(directory_, report);
        // Prepared once the directory is whole: part of the load at start-up, and never again.
        if (!prepared_ && master_->Whole())
            prepared_ = std::make_shared<const vg::TPreparedDirectory>(master_->WholeShared());
    } catch (...) {
        // An always-on-top window must not stay over the desktop after a failed load.
        if (!Quiet && progress) progress->HideNow();
        throw;
    }
    if (!positions) edition_.records = directory_.Count();
    if (!Quiet && progress) progress->HideNow();
}

void TDatabase::OpenEdition(const QString& path, const vg::ProgressCallback& progress) {
    const QFileInfo info(path);
    const std::string file = QFile::encodeName(info.absoluteFilePath()).toStdString();
    auto master = std::make_unique<vg::TDirectoryMaster>(
        [file](vg::TStrContainer& c, const vg::ProgressCallback& p, vg::IRecordSink* sink) {
            vg::LoadDirectoryFile(c, file, p, sink);
        });
    std::shared_ptr<const vg::TPreparedDirectory> prepared;
    {
        vg::TStrContainer whole(0); // the parse, and any failure, before anything here changes
        prepared = vg::LoadPrepared(*master, whole, progress);
    }
    directory_.Clear(); // the old directory's records go with their master
    advisor_.reset();   // it explains the old directory
    prepared_.reset();
    master_ = std::move(master);
    masterBytes_ = {};
    edition_ = {info.absoluteFilePath(), info.lastModified()};
    master_->Load(directory_);
    edition_.records = directory_.Count();
    prepared_ = std::move(prepared);
}

const vg::TSearchAdvisor& TDatabase::Advisor() {
    if (!advisor_) {
        if (!master_) throw EDirectoryMissing();
        std::shared_ptr<const vg::TPreparedDirectory> prepared = prepared_;
        if (!prepared) {
            // Not parsed whole: the advisor looks at what the master restores, prepared for it alone.
            auto whole = std::make_shared<vg::TStrContainer>();
            master_->Load(*whole);
            prepared = std::make_shared<const vg::TPreparedDirectory>(std::move(whole));
        }
        advisor_ = std::make_unique<vg::TSearchAdvisor>(std::move(prepared));
    }
    return *advisor_;
}

vg::TExplanation TDatabase::ExplainBox(const vg::TBoxQuery& query) {
    const vg::TSearchAdvisor& advisor = Advisor();
    return vg::ExplainBox(advisor.Prepared(), advisor, query);
}
