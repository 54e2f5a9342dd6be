// The medium's manifest as both sides know it: `make medium` writes it, Setup reads it. One line
// per medium file, "PATH SIZE CRC": the path as Setup names it (\NT\ZIV.sys), the size in
// decimal and the CRC-32 in eight hexadecimal digits, separated by one space; lines end in CR LF (Setup takes LF too).
#ifndef SETUP_ACTIONS_MANIFEST_FORMAT_H
#define SETUP_ACTIONS_MANIFEST_FORMAT_H

// At the medium's root, an 8.3 name that every Windows and every ISO 9660 reader keeps.
inline constexpr char ManifestPath[] = "\\MANIFEST.TXT";

// One byte into a CRC-32 as zip computes it (reflected polynomial 0xEDB88320): start from
// 0xFFFFFFFF and invert the result. Bit by bit, as a table would cost more code than it saves.
inline unsigned int Crc32Byte(unsigned int crc, unsigned char byte) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    return crc;
}

#endif
