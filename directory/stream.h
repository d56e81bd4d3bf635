#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vg {

// A forward-reading byte stream. Read delivers fewer bytes than asked only at the end of the data or just
// before a failure: a failure is raised by the first Read that has no good byte left to deliver, and by every
// Read after it, so that whoever reads gets every byte before the damage.
class TStream {
public:
    virtual ~TStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    // The total length; a stream that cannot tell fails with "Invalid stream operation".
    virtual std::int64_t Size() const;
    // Whether at least `count` more bytes can be read; works on every stream, also one without a length. A
    // failure lying within those bytes is raised.
    virtual bool HasAtLeast(std::size_t count);

    // The next `count` bytes without copying them, read past, when the stream holds them in memory and nothing
    // can fail within them; otherwise nothing is read and the view is empty, and Read takes them as it would.
    virtual std::string_view ReadInPlace(std::size_t /*count*/) { return {}; }
    // How many more bytes ReadInPlace can hand out at most; 0 for a stream that does not hold them in memory.
    virtual std::size_t InPlaceLeft() const { return 0; }

    // Reads exactly `count` bytes or fails with EReadError naming `what`.
    void ReadBuffer(void* buffer, std::size_t count, const char* what);
    std::int32_t ReadInt32(const char* what);
    // Reads `count` bytes in bounded pieces, so a length word never allocates more than the data holds.
    std::string ReadString(std::size_t count, const char* what);
};

// A stream over bytes that someone else keeps alive.
class TMemoryStream : public TStream {
public:
    explicit TMemoryStream(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return static_cast<std::int64_t>(pos_); }
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    bool HasAtLeast(std::size_t count) override { return bytes_.size() - pos_ >= count; }
    std::string_view ReadInPlace(std::size_t count) override {
        if (bytes_.size() - pos_ < count) return {};
        pos_ += count;
        return bytes_.substr(pos_ - count, count);
    }
    std::size_t InPlaceLeft() const override { return bytes_.size() - pos_; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

} // namespace vg
