// A machine profile: what the simulated machine answers. Read from an ini file:
//
//   [Machine]
//   InitResult=0          ; result of InitTamsilIO
//   Query1900=1           ; answers of GetLong32(0x1900, 0), (0x2000, 0), (0x2500, 0)
//   Query2000=0
//   Query2500=0
//   SupportBytes=1 1 1    ; the support-byte report; the count is the number of values
//   CountZeroReads=0      ; reads of 0x75A that give 0 before the count
//   ByteZeroReads=0 2 0   ; optional, one number per byte: reads that give 0 first
//   Reg75B=0x00
//   Reg79B=0x00
//
// Keys are case-insensitive, numbers decimal or 0x hex, ';' starts a comment. A key left out
// keeps the default machine's value; other sections are ignored.
#pragma once

#include <cstdint>
#include <string>

namespace tamsil {

// The count is read from a byte register, so a report holds at most 255 bytes.
constexpr uint32_t kMaxSupportBytes = 255;

// Plain data of fixed layout: it is stored as it is in the shared machine state.
struct Profile {
    int32_t initResult;
    uint32_t query1900;
    uint32_t query2000;
    uint32_t query2500;
    uint32_t countZeroReads;
    uint32_t byteCount;
    uint32_t byteZeroReads[kMaxSupportBytes];
    uint8_t supportBytes[kMaxSupportBytes];
    uint8_t reg75B;
    uint8_t reg79B;
};

// Every one of the nineteen buttons supported, the main skin family, the CRT-in-detect button
// available.
Profile DefaultProfile();

// Parses profile text over the default machine. On failure returns false and says why in
// `error` (with the line number where there is one).
bool ParseProfile(const std::string& text, Profile* profile, std::string* error);

bool LoadProfile(const std::wstring& path, Profile* profile, std::string* error);

}  // namespace tamsil
