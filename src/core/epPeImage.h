// The machine type of an executable image, read from its file header
// without loading it: a program cannot load a DLL of the other bitness, so
// the kind of program that can unregister a server depends on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/epSystemFolder.h"

enum class TMachine { Unknown, I386, Amd64, Other };

// How many bytes of the file start PeHeaderOffset needs.
constexpr std::size_t kDosHeaderSize = 64;
// How many bytes at the header offset PeMachine needs.
constexpr std::size_t kPeSignatureSize = 6;

// The file offset of the PE header that the DOS header (the file's first
// kDosHeaderSize bytes) points to; nothing when they are no DOS header ("MZ").
std::optional<std::uint32_t> PeHeaderOffset(std::string_view dosHeader);

// The machine that the bytes at the PE header offset name: "PE\0\0", then
// the machine field. Unknown when they are no PE header.
TMachine PeMachine(std::string_view peHeader);

// How a server DLL of that machine is unregistered by this program.
enum class TServerRoute {
    InProcess,       // loaded here, its DllUnregisterServer called
    Regsvr32Native,  // the 64-bit regsvr32 of 64-bit Windows
    Regsvr32Wow64,   // the 32-bit regsvr32 of 64-bit Windows
};

// A DLL of this program's own bitness, or of unknown machine (that loading
// will judge), is loaded here; on 64-bit Windows, a 32-bit DLL seen by a
// 64-bit program and a 64-bit DLL seen by a 32-bit program go to the
// regsvr32 of their bitness. On 32-bit Windows everything is loaded here.
TServerRoute ChooseServerRoute(TMachine dll, const TSystemLayout& layout);

// The full path of the regsvr32 of the route, as this program reaches it:
// System32 (Sysnative for a 32-bit program) for the native one, SysWOW64 for
// the 32-bit one. Empty for InProcess.
std::string Regsvr32Path(TServerRoute route, const TSystemLayout& layout);
