#include "png_writer.h"
#include <stdio.h>
#include <vector>

static DWORD Crc32(const BYTE* data, size_t length, DWORD crc = 0)
{
    static DWORD table[256];
    if (!table[1]) {
        for (DWORD n = 0; n < 256; n++) {
            DWORD c = n;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < length; i++)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

static void PutBig32(std::vector<BYTE>* out, DWORD value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((BYTE)(value >> shift));
}

static void PutChunk(std::vector<BYTE>* file, const char* type, const std::vector<BYTE>& data)
{
    PutBig32(file, (DWORD)data.size());
    std::vector<BYTE> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file->insert(file->end(), body.begin(), body.end());
    PutBig32(file, Crc32(body.data(), body.size()));
}

// A zlib stream of stored deflate blocks.
static std::vector<BYTE> Deflate(const std::vector<BYTE>& raw)
{
    std::vector<BYTE> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back((BYTE)length);
        out.push_back((BYTE)(length >> 8));
        out.push_back((BYTE)~length);
        out.push_back((BYTE)(~length >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    DWORD a = 1, b = 0;
    for (BYTE byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(&out, (b << 16) | a);
    return out;
}

bool WritePng(const char* path, int width, int height, const BYTE* pixels)
{
    std::vector<BYTE> raw;
    raw.reserve((size_t)height * (width * 3 + 1));
    for (int y = 0; y < height; y++) {
        raw.push_back(0);   // no filter
        const BYTE* row = pixels + (size_t)y * width * 4;
        for (int x = 0; x < width; x++) {
            raw.push_back(row[x * 4 + 2]);
            raw.push_back(row[x * 4 + 1]);
            raw.push_back(row[x * 4]);
        }
    }
    std::vector<BYTE> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<BYTE> header;
    PutBig32(&header, (DWORD)width);
    PutBig32(&header, (DWORD)height);
    header.insert(header.end(), {8, 2, 0, 0, 0});   // 8-bit RGB
    PutChunk(&file, "IHDR", header);
    PutChunk(&file, "IDAT", Deflate(raw));
    PutChunk(&file, "IEND", {});
    FILE* out = fopen(path, "wb");
    if (!out)
        return false;
    bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && written;
}
