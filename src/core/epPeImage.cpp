// The machine type of an executable image (see epPeImage.h).
#include "core/epPeImage.h"

namespace {

constexpr std::size_t kHeaderOffsetField = 0x3C;
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i > 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
    return value;
}

}  // namespace

std::optional<std::uint32_t> PeHeaderOffset(std::string_view dosHeader) {
    if (dosHeader.size() < kDosHeaderSize || dosHeader.substr(0, 2) != "MZ") return std::nullopt;
    return LittleEndian(dosHeader, kHeaderOffsetField, 4);
}

TMachine PeMachine(std::string_view peHeader) {
    constexpr std::string_view kSignature("PE\0\0", 4);
    if (peHeader.size() < kPeSignatureSize || peHeader.substr(0, 4) != kSignature)
        return TMachine::Unknown;
    switch (LittleEndian(peHeader, 4, 2)) {
        case kMachineI386: return TMachine::I386;
        case kMachineAmd64: return TMachine::Amd64;
        default: return TMachine::Other;
    }
}

TServerRoute ChooseServerRoute(TMachine dll, const TSystemLayout& layout) {
    if (!layout.Windows64) return TServerRoute::InProcess;
    if (layout.Program64 && dll == TMachine::I386) return TServerRoute::Regsvr32Wow64;
    if (!layout.Program64 && dll == TMachine::Amd64) return TServerRoute::Regsvr32Native;
    return TServerRoute::InProcess;
}

std::string Regsvr32Path(TServerRoute route, const TSystemLayout& layout) {
    const std::string windows = layout.WindowsDir + "\\";
    switch (route) {
        case TServerRoute::Regsvr32Native:
            return windows + (layout.Program64 ? "System32" : "Sysnative") + "\\regsvr32.exe";
        case TServerRoute::Regsvr32Wow64: return windows + "SysWOW64\\regsvr32.exe";
        case TServerRoute::InProcess: break;
    }
    return std::string();
}
