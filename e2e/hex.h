// Bytes as the report writes them: two hex digits each.
#ifndef SETUP_E2E_HEX_H
#define SETUP_E2E_HEX_H

#include <string>

inline std::string HexByte(unsigned char c) {
    const char digits[] = "0123456789ABCDEF";
    return {digits[c >> 4], digits[c & 15]};
}

// "41 0A 42": each byte, separated by a space.
inline std::string Hex(const std::string &bytes) {
    std::string out;
    for (unsigned char c : bytes) out += (out.empty() ? "" : " ") + HexByte(c);
    return out;
}

#endif
