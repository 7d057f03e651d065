// The RCDATA resources of a PE32 file that are named by a string, found by
// walking the resource directory in the file's own bytes (not a loaded
// image), with the file offset of each one's data so that it can be read or
// overwritten in place.
// Holds: PeResource, PeResources.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sfxpack {

struct PeResource {
    std::wstring name;         // UTF-16, as stored in the file
    std::uint64_t offset = 0;  // of the data in the file
    std::uint32_t size = 0;
};

class PeResources {
public:
    static constexpr std::uint32_t kRcDataType = 10;

    // The named RCDATA resources in directory order; of several languages the
    // first one counts. Resources named by number are left out. PackError
    // naming file when data is not a PE32 image or when the part of the
    // resource directory that leads to RCDATA points outside the data.
    static PeResources Read(const std::uint8_t* data, std::size_t size, const std::filesystem::path& file);

    const std::vector<PeResource>& NamedRcData() const noexcept { return resources_; }

    // Exact, case-sensitive match; nullptr when there is none.
    const PeResource* Find(std::wstring_view name) const noexcept;

private:
    explicit PeResources(std::vector<PeResource> resources) : resources_(std::move(resources)) {}

    std::vector<PeResource> resources_;
};

}  // namespace sfxpack
