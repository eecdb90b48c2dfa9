// Build step: turns the icon's text pixel map into the icon file (for people
// and tools) and the bare image that the executable stores as its icon.
// Usage: make_icon <pixel map> <icon file> <image file>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr int kColourRowBytes = kSize / 2;
constexpr int kMaskRowBytes = kSize / 8;
constexpr int kImageBytes = 40 + 16 * 4 + kSize * kColourRowBytes + kSize * kMaskRowBytes;

using Bytes = std::vector<std::uint8_t>;

void PutLittleEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct PixelMap {
    std::uint32_t palette[16] = {};
    int pixels[kSize][kSize] = {};  // -1 is transparent
    int rows = 0;
};

bool ReadPixelMap(const char* path, PixelMap& map) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr)
        return false;
    char line[256];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        unsigned rgb = 0;
        if (line[0] == '#' || line[0] == '\n')
            continue;
        if (line[1] == ' ' && std::sscanf(line + 2, "%6x", &rgb) == 1 && HexDigit(line[0]) >= 0) {
            map.palette[HexDigit(line[0])] = rgb;
        } else if (map.rows < kSize && std::strlen(line) >= kSize) {
            for (int x = 0; x < kSize; ++x)
                map.pixels[map.rows][x] = HexDigit(line[x]);
            ++map.rows;
        }
    }
    std::fclose(file);
    return map.rows == kSize;
}

// A 4-bit DIB with its AND mask, rows bottom-up, as icon resources hold it.
Bytes IconImage(const PixelMap& map) {
    Bytes image;
    for (const std::uint32_t field : {40u, 32u, 64u})
        PutLittleEndian(image, field, 4);
    PutLittleEndian(image, 1, 2);  // planes
    PutLittleEndian(image, 4, 2);  // bits per pixel
    PutLittleEndian(image, 0, 4);  // uncompressed
    PutLittleEndian(image, kSize * (kColourRowBytes + kMaskRowBytes), 4);
    PutLittleEndian(image, 0, 4);
    PutLittleEndian(image, 0, 4);
    PutLittleEndian(image, 16, 4);  // colours used
    PutLittleEndian(image, 0, 4);
    for (const std::uint32_t rgb : map.palette) {
        image.push_back(static_cast<std::uint8_t>(rgb));
        image.push_back(static_cast<std::uint8_t>(rgb >> 8));
        image.push_back(static_cast<std::uint8_t>(rgb >> 16));
        image.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; x += 2) {
            const int left = map.pixels[y][x] < 0 ? 0 : map.pixels[y][x];
            const int right = map.pixels[y][x + 1] < 0 ? 0 : map.pixels[y][x + 1];
            image.push_back(static_cast<std::uint8_t>(left << 4 | right));
        }
    }
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; x += 8) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (map.pixels[y][x + bit] < 0)
                    bits |= static_cast<std::uint8_t>(0x80 >> bit);
            }
            image.push_back(bits);
        }
    }
    return image;
}

Bytes IconFile(const Bytes& image) {
    Bytes file;
    for (const std::uint32_t word : {0u, 1u, 1u})
        PutLittleEndian(file, word, 2);
    file.push_back(kSize);
    file.push_back(kSize);
    file.push_back(16);
    file.push_back(0);
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 4, 2);
    PutLittleEndian(file, static_cast<std::uint32_t>(image.size()), 4);
    PutLittleEndian(file, 22, 4);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

bool WriteBytes(const char* path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    PixelMap map;
    if (argc != 4 || !ReadPixelMap(argv[1], map)) {
        std::fprintf(stderr, "make_icon: cannot read the pixel map\n");
        return 1;
    }
    const Bytes image = IconImage(map);
    if (image.size() != kImageBytes || !WriteBytes(argv[2], IconFile(image)) ||
        !WriteBytes(argv[3], image)) {
        std::fprintf(stderr, "make_icon: cannot write the icon\n");
        return 1;
    }
    return 0;
}
