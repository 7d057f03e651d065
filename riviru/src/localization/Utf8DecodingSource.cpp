#include "Utf8DecodingSource.h"

#include <algorithm>

namespace riviru {

namespace {

constexpr std::size_t kChunkSize = 4096;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kByteOrderMark = 0xFEFF;

enum class Step { Complete, Cut, Invalid };

// One sequence at the start of bytes. used is the number of bytes it covers;
// for an ill-formed one the longest prefix that could still have been valid,
// at least one byte. Overlong forms, surrogates and values above U+10FFFF
// are ill-formed.
Step DecodeOne(const unsigned char* bytes, std::size_t available, char32_t& value, std::size_t& used) {
    const unsigned char lead = bytes[0];
    used = 1;
    if (lead < 0x80) {
        value = lead;
        return Step::Complete;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return Step::Invalid;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i == available) return Step::Cut;
        const unsigned char next = bytes[i];
        if (next < low || next > high) return Step::Invalid;
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (next & 0x3Fu);
        used = i + 1;
    }
    return Step::Complete;
}

void AppendUtf16(std::wstring& units, char32_t value) {
    if (value < 0x10000) {
        units += static_cast<wchar_t>(value);
    } else {
        value -= 0x10000;
        units += static_cast<wchar_t>(0xD800 + (value >> 10));
        units += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
    }
}

}  // namespace

std::streamsize Utf8DecodingSource::read(wchar_t* buffer, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        if (next_ == units_.size() && !Decode()) break;
        const std::size_t take = std::min(units_.size() - next_, static_cast<std::size_t>(count - done));
        std::copy_n(units_.data() + next_, take, buffer + done);
        next_ += take;
        done += static_cast<std::streamsize>(take);
    }
    return done == 0 && count > 0 ? -1 : done;
}

bool Utf8DecodingSource::Decode() {
    units_.clear();
    next_ = 0;
    while (units_.empty()) {
        if (ended_) return false;
        std::string chunk;
        chunk.swap(pending_);
        const std::size_t kept = chunk.size();
        chunk.resize(kept + kChunkSize);
        bytes_->read(&chunk[kept], static_cast<std::streamsize>(kChunkSize));
        const auto got = static_cast<std::size_t>(bytes_->gcount());
        chunk.resize(kept + got);
        if (got == 0) ended_ = true;

        const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data());
        std::size_t position = 0;
        while (position < chunk.size()) {
            char32_t value = 0;
            std::size_t used = 0;
            const Step step = DecodeOne(bytes + position, chunk.size() - position, value, used);
            if (step == Step::Cut && !ended_) {
                pending_.assign(chunk, position, std::string::npos);
                break;
            }
            if (step != Step::Complete) value = kReplacement;
            position += step == Step::Cut ? chunk.size() - position : used;
            const bool first = atStart_;
            atStart_ = false;
            if (first && value == kByteOrderMark) continue;
            AppendUtf16(units_, value);
        }
    }
    return true;
}

}  // namespace riviru
