#pragma once

// A small writer of zip bytes, so tests can make the archives tools refuse to make.

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace testsupport::zipbytes {

inline std::uint32_t Crc32(const QByteArray& data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct Entry {
    QByteArray name;
    QByteArray data;                 // stored as given (method 0), or deflate bytes when method is 8
    std::uint32_t unixMode = 0100644; // S_IFLNK | 0777 makes a link
    std::uint16_t method = 0;
    std::int64_t declaredSize = -1;   // the uncompressed size written in the headers; -1: the data's
    std::uint16_t flags = 0;          // general purpose bits: 1 marks the member encrypted
};

inline void Put16(QByteArray& out, std::uint32_t v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
inline void Put32(QByteArray& out, std::uint32_t v) { Put16(out, v & 0xFFFF); Put16(out, v >> 16); }

inline QByteArray MakeZip(const std::vector<Entry>& entries)
{
    QByteArray out, central;
    for (const Entry& e : entries) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = e.method == 0 ? Crc32(e.data) : 0;
        const std::uint32_t size = e.declaredSize >= 0 ? std::uint32_t(e.declaredSize) : std::uint32_t(e.data.size());
        auto common = [&](QByteArray& h) {
            Put16(h, 20);       // version needed
            Put16(h, e.flags);
            Put16(h, e.method);
            Put16(h, 0);        // time
            Put16(h, 0x5821);   // date 2024-01-01
            Put32(h, crc);
            Put32(h, std::uint32_t(e.data.size()));
            Put32(h, size);
            Put16(h, std::uint32_t(e.name.size()));
            Put16(h, 0);        // extra
        };
        Put32(out, 0x04034b50);
        common(out);
        out += e.name;
        out += e.data;

        Put32(central, 0x02014b50);
        Put16(central, (3 << 8) | 20); // made on Unix
        common(central);
        Put16(central, 0); // comment
        Put16(central, 0); // disk
        Put16(central, 0); // internal attributes
        Put32(central, e.unixMode << 16);
        Put32(central, offset);
        central += e.name;
    }
    const std::uint32_t centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, std::uint32_t(entries.size()));
    Put16(out, std::uint32_t(entries.size()));
    Put32(out, std::uint32_t(central.size()));
    Put32(out, centralOffset);
    Put16(out, 0);
    return out;
}

// A deflate stream of `count` zero bytes and its compressed size stays tiny: one literal, then
// back references of 258 bytes at distance 1 in a block with the fixed codes.
inline QByteArray DeflatedZeros(std::int64_t count)
{
    QByteArray out;
    std::uint32_t bits = 0;
    int used = 0;
    auto put = [&](std::uint32_t value, int n) { // least significant bit first
        for (int i = 0; i < n; ++i) {
            bits |= ((value >> i) & 1u) << used;
            if (++used == 8) {
                out.append(char(bits));
                bits = 0;
                used = 0;
            }
        }
    };
    auto code = [&](std::uint32_t value, int n) { // Huffman codes go most significant bit first
        for (int i = n - 1; i >= 0; --i)
            put((value >> i) & 1u, 1);
    };
    put(1, 1); // last block
    put(1, 2); // fixed codes
    code(0x30, 8); // literal 0
    for (std::int64_t done = 1; done + 258 <= count; done += 258) {
        code(0xC5, 8); // length 258
        code(0, 5);    // distance 1
    }
    code(0, 7); // end of block
    if (used)
        out.append(char(bits));
    return out;
}

} // namespace testsupport::zipbytes
