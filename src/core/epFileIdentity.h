// Which file a path names, as the file system tells it: the serial number of
// the volume and the file's index on that volume. Every spelling of one file
// (short and long names, \\?\, a share of a local folder, another drive
// letter that maps the same folder) gives the same identity; two different
// files never share one while both exist.
#pragma once

#include <cstdint>
#include <string>

struct TFileIdentity {
    std::uint32_t Volume = 0;
    std::uint64_t Index = 0;

    friend bool operator==(const TFileIdentity& a, const TFileIdentity& b) {
        return a.Volume == b.Volume && a.Index == b.Index;
    }
    friend bool operator!=(const TFileIdentity& a, const TFileIdentity& b) { return !(a == b); }
};

// The identity as text of fixed form: the volume as 8 hexadecimal digits, a
// dash, the index as 16 (lower case), e.g. "59000000-0000000000a74128".
std::string FileIdentityText(const TFileIdentity& identity);
