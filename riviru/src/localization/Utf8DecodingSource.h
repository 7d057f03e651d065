// A Boost.Iostreams source of UTF-16 code units decoded on the fly from a
// UTF-8 byte stream, for the wide XML reader. A byte-order mark at the start
// is consumed; characters above U+FFFF become surrogate pairs (also where
// wchar_t is 32 bits wide). Each ill-formed sequence becomes one U+FFFD, so a
// stray byte cannot break the document's markup.
#pragma once
#include <cstddef>
#include <ios>
#include <istream>
#include <string>

#include <boost/iostreams/categories.hpp>

namespace riviru {

class Utf8DecodingSource {
public:
    typedef wchar_t char_type;
    typedef boost::iostreams::source_tag category;

    explicit Utf8DecodingSource(std::istream& bytes) : bytes_(&bytes) {}

    // Returns -1 at the end of the bytes.
    std::streamsize read(wchar_t* buffer, std::streamsize count);

private:
    // Decodes the next chunk of bytes; false at the end.
    bool Decode();

    std::istream* bytes_;
    std::string pending_;  // the start of a sequence cut at the end of a chunk
    std::wstring units_;
    std::size_t next_ = 0;
    bool atStart_ = true;
    bool ended_ = false;
};

}  // namespace riviru
