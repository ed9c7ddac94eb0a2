// What the detail columns show of an entry's file beside its path: its size, when it was last
// written, whether it is a folder or missing. The values are read off the window's thread and
// kept with the entry, 16 bytes each; the name, folder and type come from the path itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace filelist {

// The columns the list can show. The path is always shown, first; the others as the user
// chooses them from the header's menu.
enum class DetailColumn : uint8_t { Path, Name, Folder, Size, Modified, Type };
constexpr int kDetailColumnCount = 6;

class FileDetails {
public:
    // A size needs far fewer than 56 bits; the top byte says what is known.
    static constexpr uint64_t kSizeMask = (uint64_t{1} << 56) - 1;

    static FileDetails Read(uint64_t size, uint64_t modified, bool folder) {
        FileDetails d;
        d.sizeAndFlags_ = (size & kSizeMask) | Flag(kRead | kCurrent | (folder ? kFolder : 0));
        d.modified_ = modified;
        return d;
    }
    static FileDetails Missing() {
        FileDetails d;
        d.sizeAndFlags_ = Flag(kRead | kCurrent | kMissing);
        return d;
    }

    // Values from a read, kept through a refresh until the next read replaces them.
    bool IsRead() const noexcept { return Flags() & kRead; }
    // Read since the last refresh: not to be asked about again.
    bool IsCurrent() const noexcept { return Flags() & kCurrent; }
    bool IsAsked() const noexcept { return Flags() & kAsked; }
    bool IsMissing() const noexcept { return Flags() & kMissing; }
    bool IsFolder() const noexcept { return Flags() & kFolder; }
    // A file's size in bytes; nothing for a folder, a missing file or one not read yet.
    std::optional<uint64_t> Size() const noexcept {
        if (!IsRead() || IsMissing() || IsFolder())
            return std::nullopt;
        return sizeAndFlags_ & kSizeMask;
    }
    // When the file was last written, in 100-nanosecond steps since 1601 (UTC); nothing for a
    // missing file or one not read yet.
    std::optional<uint64_t> Modified() const noexcept {
        if (!IsRead() || IsMissing())
            return std::nullopt;
        return modified_;
    }

    // True when it had to be asked about, which it now is.
    bool StartAsking() noexcept {
        if (Flags() & (kCurrent | kAsked))
            return false;
        SetFlags(Flags() | kAsked);
        return true;
    }
    void ForgetQuestion() noexcept { SetFlags(Flags() & ~kAsked); }
    void ForgetRead() noexcept { SetFlags(Flags() & ~(kAsked | kCurrent)); }

private:
    enum : uint8_t { kRead = 1, kCurrent = 2, kAsked = 4, kFolder = 8, kMissing = 16 };
    static constexpr uint64_t Flag(unsigned flags) { return uint64_t{flags} << 56; }
    uint8_t Flags() const noexcept { return static_cast<uint8_t>(sizeAndFlags_ >> 56); }
    void SetFlags(unsigned flags) noexcept {
        sizeAndFlags_ = (sizeAndFlags_ & kSizeMask) | Flag(flags & 0xFF);
    }

    uint64_t sizeAndFlags_ = 0;
    uint64_t modified_ = 0;
};

// One shown column and its width in 96-DPI units.
struct ShownColumn {
    DetailColumn column;
    int width;
    bool operator==(const ShownColumn&) const = default;
};

// The columns the list starts with: the path alone.
std::vector<ShownColumn> DefaultColumns();
int DefaultWidth(DetailColumn column);

// The shown columns as the settings file keeps them ("path:300,size:80", in display order),
// and back. Reading is forgiving: unknown names, repeats and bad widths are passed over, and
// the path column is always there, first.
std::wstring FormatColumns(const std::vector<ShownColumn>& columns);
std::vector<ShownColumn> ParseColumns(std::wstring_view text);

// The order of entries by a detail's value (size or date) times sign, as SortOrder gives it;
// entries without a value (missing, a folder's size, not read) go at the end in their order,
// whichever way the sort goes.
std::optional<std::vector<uint32_t>> DetailSortOrder(const std::vector<FileDetails>& details,
                                                     DetailColumn column, int32_t sign,
                                                     const std::function<bool()>& keepGoing);

// One question and, once answered, its answer. The stamp and index say which entry was meant,
// so that the answer can be dropped when the entry has since changed or moved.
struct DetailQuestion {
    uint32_t stamp = 0;
    size_t index = 0;
    std::wstring path;
    FileDetails details;
};

} // namespace filelist
