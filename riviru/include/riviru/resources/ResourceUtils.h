// Resource streams: a resource of a module as a read-only input byte stream
// over the resource's memory (Windows only). Holds: ResourceId,
// ResourceLocation, AppResourceError, ResourceStream, CreateStreamFromResource.
#pragma once
#include <ios>
#include <memory>

#include <boost/iostreams/device/array.hpp>
#include <boost/iostreams/stream.hpp>

#include "riviru/resources/AppResourceError.h"
#include "riviru/resources/ResourceId.h"
#include "riviru/resources/ResourceLocation.h"

namespace riviru {

// The bytes belong to the module image and stay valid while it is loaded;
// nothing is copied.
using ResourceStream = boost::iostreams::stream<boost::iostreams::array_source>;

// Opens the resource. With a language the resource of exactly that language
// is looked for, without one the system chooses. When exceptionMask holds
// any of eofbit, failbit and badbit, the stream raises an error when one of
// them becomes set (other bits are ignored). Throws AppResourceError
// "Failed to load resource" with the system's code and the description of
// the location attached as path.
std::shared_ptr<ResourceStream> CreateStreamFromResource(const ResourceLocation& location,
                                                         std::ios_base::iostate exceptionMask);

}  // namespace riviru
