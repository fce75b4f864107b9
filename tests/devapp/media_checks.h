// Whether a file really is the picture or video it claims to be: PNG chunks
// with their checksums, Y4M frames of the size the header announces.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace devapptest {

inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct MediaShape {
    std::string problem;  // empty when the file is sound
    int width = 0;
    int height = 0;
    int frames = 0;
};

inline std::uint32_t crc32_of(const std::string& bytes, std::size_t from, std::size_t length) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xffffffffu;
    for (std::size_t i = from; i < from + length; ++i) c = table[(c ^ static_cast<unsigned char>(bytes[i])) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

inline std::uint32_t big_endian(const std::string& b, std::size_t at) {
    return (std::uint32_t(static_cast<unsigned char>(b[at])) << 24) | (std::uint32_t(static_cast<unsigned char>(b[at + 1])) << 16) |
           (std::uint32_t(static_cast<unsigned char>(b[at + 2])) << 8) | std::uint32_t(static_cast<unsigned char>(b[at + 3]));
}

inline MediaShape png_shape(const std::string& b) {
    MediaShape s;
    if (b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {"no PNG signature"};
    std::size_t at = 8;
    bool idat = false;
    std::string last;
    while (at + 12 <= b.size()) {
        const std::uint32_t length = big_endian(b, at);
        const std::string type = b.substr(at + 4, 4);
        if (at + 12 + length > b.size()) return {"chunk " + type + " runs past the end"};
        if (crc32_of(b, at + 4, 4 + length) != big_endian(b, at + 8 + length)) return {"bad checksum in " + type};
        if (at == 8) {
            if (type != "IHDR" || length != 13) return {"the first chunk is not IHDR"};
            s.width = static_cast<int>(big_endian(b, at + 8));
            s.height = static_cast<int>(big_endian(b, at + 12));
        }
        idat = idat || type == "IDAT";
        last = type;
        at += 12 + length;
    }
    if (at != b.size() || last != "IEND") return {"no IEND at the end"};
    if (!idat) return {"no IDAT"};
    s.frames = 1;
    return s;
}

inline MediaShape y4m_shape(const std::string& b) {
    MediaShape s;
    if (b.compare(0, 10, "YUV4MPEG2 ") != 0) return {"no YUV4MPEG2 header"};
    const std::size_t eol = b.find('\n');
    if (eol == std::string::npos) return {"the header has no end"};
    std::istringstream header(b.substr(10, eol - 10));
    std::string field;
    bool c420 = true;
    while (header >> field) {
        if (field[0] == 'W') s.width = std::stoi(field.substr(1));
        if (field[0] == 'H') s.height = std::stoi(field.substr(1));
        if (field[0] == 'C') c420 = field.compare(0, 4, "C420") == 0;
    }
    if (s.width <= 0 || s.height <= 0 || !c420) return {"the header lacks W, H or a 4:2:0 colour space"};
    const std::size_t frame = static_cast<std::size_t>(s.width * s.height + 2 * ((s.width + 1) / 2) * ((s.height + 1) / 2));
    std::size_t at = eol + 1;
    while (at < b.size()) {
        if (b.compare(at, 5, "FRAME") != 0) return {"no FRAME marker where frame " + std::to_string(s.frames + 1) + " begins"};
        const std::size_t data = b.find('\n', at) + 1;
        if (data == 0 || data + frame > b.size()) return {"frame " + std::to_string(s.frames + 1) + " is cut short"};
        at = data + frame;
        ++s.frames;
    }
    if (s.frames == 0) return {"no FRAME"};
    return s;
}

}  // namespace devapptest
