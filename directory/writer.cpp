#include "writer.h"

#include "errors.h"
#include "strcontainer.h"

#include <algorithm>
#include <string_view>
#include <zlib.h>

namespace vg {
namespace {

void PutInt32(std::string& out, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

} // namespace

DirectoryRecord ToRecord(const TString& record) {
    const TLineList lines = record.Lines();
    return {std::string(record.Key()), std::string(lines.Get(0)), std::string(lines.Get(1)), std::string(lines.Get(2)),
            std::string(lines.Get(3))};
}

std::string SerializeDirectory(const std::vector<DirectoryRecord>& records) {
    std::string out;
    PutInt32(out, static_cast<std::int32_t>(records.size()));
    PutInt32(out, 0);
    for (const auto& r : records) {
        std::string text = r.street + "\r\n" + r.house + "\r\n" + r.flat + "\r\n" + r.user + "\r\n";
        PutInt32(out, static_cast<std::int32_t>(r.phone.size()));
        PutInt32(out, static_cast<std::int32_t>(text.size()));
        PutInt32(out, 0);
        out += r.phone;
        out += text;
    }
    PutInt32(out, 0);
    return out;
}

std::string CompressDirectory(std::string_view inflated) {
    uLongf size = compressBound(static_cast<uLong>(inflated.size()));
    std::string out(size, '\0');
    int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(inflated.data()),
                       static_cast<uLong>(inflated.size()), Z_BEST_COMPRESSION);
    if (rc != Z_OK) throw Exception("zlib could not compress the directory");
    out.resize(size);
    out.append(2, '\0');
    return out;
}

void SortByKey(std::vector<DirectoryRecord>& records) {
    std::stable_sort(records.begin(), records.end(), [](const DirectoryRecord& a, const DirectoryRecord& b) {
        return std::lexicographical_compare(
            a.phone.begin(), a.phone.end(), b.phone.begin(), b.phone.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
}

} // namespace vg

namespace vg {

void TDirectoryPacker::Add(const DirectoryRecord& r) {
    const std::size_t textSize = r.street.size() + r.house.size() + r.flat.size() + r.user.size() + 8;
    const std::size_t size = 12 + r.phone.size() + textSize;
    if (blocks_.empty() || blocks_.back().size() + size > blocks_.back().capacity()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, size));
    }
    std::string& out = blocks_.back();
    starts_.push_back((std::uint64_t{blocks_.size() - 1} << 32) | out.size());
    PutInt32(out, static_cast<std::int32_t>(r.phone.size()));
    PutInt32(out, static_cast<std::int32_t>(textSize));
    PutInt32(out, 0);
    out += r.phone;
    for (const std::string* line : {&r.street, &r.house, &r.flat, &r.user})
        out.append(*line).append("\r\n");
}

std::string TDirectoryPacker::Finish() {
    auto at = [this](std::uint64_t start) { return blocks_[start >> 32].data() + (start & 0xFFFFFFFFu); };
    auto int32At = [](const char* p) {
        std::uint32_t v = 0;
        for (int k = 3; k >= 0; --k)
            v = (v << 8) | static_cast<unsigned char>(p[k]);
        return v;
    };
    auto key = [&](std::uint64_t start) { return std::string_view(at(start) + 12, int32At(at(start))); };
    std::stable_sort(starts_.begin(), starts_.end(), [&](std::uint64_t a, std::uint64_t b) {
        const std::string_view x = key(a), y = key(b);
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
            return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
        });
    });

    z_stream zs{};
    if (deflateInit(&zs, Z_BEST_COMPRESSION) != Z_OK) throw Exception("zlib could not compress the directory");
    std::string out;
    // Pieces gathered to a good size before they go to zlib, which produces the same stream however its input
    // is cut.
    std::string piece;
    auto deflatePiece = [&](int flush) {
        zs.next_in = reinterpret_cast<Bytef*>(piece.data());
        zs.avail_in = static_cast<uInt>(piece.size());
        char buffer[64 * 1024];
        int rc = Z_OK;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer);
            zs.avail_out = sizeof buffer;
            rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR) {
                deflateEnd(&zs);
                throw Exception("zlib could not compress the directory");
            }
            out.append(buffer, sizeof buffer - zs.avail_out);
        } while (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
        piece.clear();
    };
    PutInt32(piece, Count());
    PutInt32(piece, 0);
    for (std::uint64_t start : starts_) {
        const char* record = at(start);
        piece.append(record, 12 + int32At(record) + int32At(record + 4));
        if (piece.size() >= 64 * 1024) deflatePiece(Z_NO_FLUSH);
    }
    PutInt32(piece, 0);
    deflatePiece(Z_FINISH);
    deflateEnd(&zs);
    blocks_ = {};
    starts_ = {};
    out.append(2, '\0');
    return out;
}

std::string PackDirectory(const std::vector<DirectoryRecord>& records) {
    TDirectoryPacker packer;
    for (const DirectoryRecord& r : records)
        packer.Add(r);
    return packer.Finish();
}

} // namespace vg
