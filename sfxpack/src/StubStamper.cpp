#include "StubStamper.h"

#include <algorithm>
#include <utility>

#include "ByteOrder.h"
#include "PackError.h"
#include "riviru/text/Utf.h"

namespace sfxpack {

namespace {

std::wstring Upper(std::wstring_view text) {
    std::wstring upper(text);
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper;
}

}  // namespace

StubStamper::StubStamper(std::vector<std::uint8_t>& stub, std::filesystem::path file)
    : stub_(stub), file_(std::move(file)), resources_(PeResources::Read(stub.data(), stub.size(), file_)) {
    const PeResource* verify = resources_.Find(kPackageSizeResource);
    if (!verify) {
        throw PackError(file_,
                        "has no RCDATA resource _KVR_VERIFY to receive the package size "
                        "(is it the sfxstub executable?)");
    }
    if (verify->size != kPackageSizeResourceSize) {
        throw PackError(file_, "its RCDATA resource _KVR_VERIFY has " + std::to_string(verify->size) +
                                   " bytes; the stub reads the package size only from 8");
    }
}

void StubStamper::StampValue(const std::string& name, const std::string& value) {
    const std::string option = "--stamp " + name + ": ";
    const auto wideName = riviru::DecodeUtf8(name);
    if (!wideName) throw PackError(file_, option + "the name is not valid UTF-8");
    if (*wideName == kPackageSizeResource) {
        throw PackError(file_, option + "holds the package size, which sfxpack stamps itself");
    }
    if (!IsForwardedResourceName(*wideName)) {
        throw PackError(
            file_, option + "the stub forwards only resources whose names begin with \"KVR\" or \"KV_\"");
    }
    const PeResource* resource = resources_.Find(*wideName);
    if (!resource) {
        std::string problem = option + "the stub has no RCDATA resource of that name";
        for (const PeResource& other : resources_.NamedRcData()) {
            if (Upper(other.name) == Upper(*wideName)) {
                problem += " (names are case-sensitive; it has " + riviru::EncodeUtf8(other.name) + ")";
                break;
            }
        }
        throw PackError(file_, problem);
    }
    if (stamped_.count(*wideName) != 0) throw PackError(file_, option + "stamped twice");
    if (!riviru::DecodeUtf8(value)) throw PackError(file_, option + "the value is not valid UTF-8");
    if (value.find('\0') != std::string::npos) {
        throw PackError(file_, option + "the value holds a zero byte, where the stub would cut it");
    }
    if (value.find_first_of("\r\n") != std::string::npos) {
        throw PackError(file_,
                        option + "the value holds a line break, which would break the setup's values file");
    }
    if (value.size() > resource->size) {
        throw PackError(file_, option + "the value has " + std::to_string(value.size()) +
                                   " bytes of UTF-8; the resource holds " + std::to_string(resource->size));
    }
    const auto at = stub_.begin() + static_cast<std::ptrdiff_t>(resource->offset);
    std::fill(at, at + resource->size, std::uint8_t{0});
    std::copy(value.begin(), value.end(), at);
    stamped_.insert(*wideName);
}

void StubStamper::StampPackageSize(std::uint64_t size) {
    WriteU64(stub_.data() + resources_.Find(kPackageSizeResource)->offset, size);
}

std::vector<std::wstring> StubStamper::ForwardedResourceNames() const {
    std::vector<std::wstring> names;
    for (const PeResource& resource : resources_.NamedRcData()) {
        if (IsForwardedResourceName(resource.name)) names.push_back(resource.name);
    }
    return names;
}

}  // namespace sfxpack
