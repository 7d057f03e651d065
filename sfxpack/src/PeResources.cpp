#include "PeResources.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "ByteOrder.h"
#include "PackError.h"
#include "PeImage.h"
#include "riviru/text/Utf.h"

namespace sfxpack {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kDirectoryHeaderSize = 16;  // IMAGE_RESOURCE_DIRECTORY
constexpr std::size_t kEntrySize = 8;             // IMAGE_RESOURCE_DIRECTORY_ENTRY
constexpr std::size_t kDataEntrySize = 16;        // IMAGE_RESOURCE_DATA_ENTRY

struct DirectoryEntry {
    std::uint32_t name;    // an ID, or with the high bit the offset of a name string
    std::uint32_t target;  // with the high bit a subdirectory, else a data entry
};

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// The resource directory tree: every offset in it counts from its root and
// must stay within the bytes of the section that holds the root.
class DirectoryTree {
public:
    DirectoryTree(const std::uint8_t* root, std::uint64_t size, const std::filesystem::path& file)
        : root_(root), size_(size), file_(file) {}

    std::vector<DirectoryEntry> Entries(std::uint32_t offset, const char* what) const {
        Require(offset, kDirectoryHeaderSize, what);
        const std::uint8_t* header = root_ + offset;
        const std::size_t count = std::size_t{ReadU16(header + 12)} + ReadU16(header + 14);
        Require(offset + std::uint64_t{kDirectoryHeaderSize}, count * kEntrySize, what);
        std::vector<DirectoryEntry> entries(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = header + kDirectoryHeaderSize + i * kEntrySize;
            entries[i] = {ReadU32(entry), ReadU32(entry + 4)};
        }
        return entries;
    }

    std::wstring Name(std::uint32_t offset) const {
        Require(offset, 2, "a resource name");
        const std::size_t length = ReadU16(root_ + offset);
        Require(offset + std::uint64_t{2}, length * 2, "a resource name");
        std::wstring name(length, L'\0');
        for (std::size_t i = 0; i < length; ++i)
            name[i] = static_cast<wchar_t>(ReadU16(root_ + offset + 2 + 2 * i));
        return name;
    }

    // RVA and size of the data.
    std::pair<std::uint32_t, std::uint32_t> DataEntry(std::uint32_t offset, const std::string& what) const {
        Require(offset, kDataEntrySize, what.c_str());
        return {ReadU32(root_ + offset), ReadU32(root_ + offset + 4)};
    }

    [[noreturn]] void Damaged(const std::string& problem) const {
        throw PackError(file_, "damaged resource directory: " + problem);
    }

private:
    void Require(std::uint64_t offset, std::uint64_t bytes, const char* what) const {
        if (offset > size_ || bytes > size_ - offset) {
            Damaged(std::string(what) + " at offset " + Hex(offset) +
                    " of the directory lies outside its section");
        }
    }

    const std::uint8_t* root_;
    std::uint64_t size_;
    const std::filesystem::path& file_;
};

std::optional<std::uint32_t> SubdirectoryOf(const DirectoryEntry& entry) {
    if ((entry.target & kHighBit) == 0) return std::nullopt;
    return entry.target & ~kHighBit;
}

}  // namespace

PeResources PeResources::Read(const std::uint8_t* data, std::size_t size, const std::filesystem::path& file) {
    std::string problem;
    const auto image = PeImage::Parse(data, size, problem);
    if (!image) throw PackError(file, "not a PE32 executable: " + problem);
    const PeDataDirectory directory = image->DataDirectory(PeImage::kResourceDirectory);
    if (directory.rva == 0) return PeResources({});
    const auto range = image->FileRangeAt(directory.rva, size);
    if (!range) {
        throw PackError(file, "damaged resource directory: its RVA " + Hex(directory.rva) +
                                  " lies in no section's bytes in the file");
    }
    const DirectoryTree tree(data + range->offset, range->available, file);

    std::optional<std::uint32_t> rcData;
    for (const DirectoryEntry& type : tree.Entries(0, "the root directory")) {
        if ((type.name & kHighBit) == 0 && type.name == kRcDataType) {
            rcData = SubdirectoryOf(type);
            if (!rcData) tree.Damaged("the RCDATA entry is no directory");
            break;
        }
    }
    std::vector<PeResource> resources;
    if (!rcData) return PeResources(std::move(resources));

    for (const DirectoryEntry& named : tree.Entries(*rcData, "the RCDATA directory")) {
        if ((named.name & kHighBit) == 0) continue;
        PeResource resource;
        resource.name = tree.Name(named.name & ~kHighBit);
        const std::string what = "resource " + riviru::EncodeUtf8(resource.name);
        const auto languages = SubdirectoryOf(named);
        if (!languages) tree.Damaged(what + " has no language directory");
        const auto entries = tree.Entries(*languages, (what + "'s language directory").c_str());
        if (entries.empty()) tree.Damaged(what + " has no language entry");
        if (entries.front().target & kHighBit) tree.Damaged(what + "'s language entry is no data entry");
        const auto [rva, dataSize] = tree.DataEntry(entries.front().target, what + "'s data entry");
        const auto offset = image->FileOffsetOf(rva, dataSize, size);
        if (!offset) {
            tree.Damaged(what + "'s " + std::to_string(dataSize) + " bytes at RVA " + Hex(rva) +
                         " lie outside the sections' bytes in the file");
        }
        resource.offset = *offset;
        resource.size = dataSize;
        resources.push_back(std::move(resource));
    }
    return PeResources(std::move(resources));
}

const PeResource* PeResources::Find(std::wstring_view name) const noexcept {
    for (const PeResource& resource : resources_) {
        if (resource.name == name) return &resource;
    }
    return nullptr;
}

}  // namespace sfxpack
