// The removal list of the floor program (FloorRemove): the removals of an
// installation as plain Win32 calls, one to a line, in the order the
// uninstaller takes its sections. The benchmark's installation maker writes
// it next to the installation log; FloorRemove carries it out.
//
// A line is a tag, then its fields, each after one TAB; lines end with CR LF
// (a lone LF is accepted). Registry key paths begin with a root name: HKCR,
// HKCU, HKLM or HKU.
//
//   #  name                  starts a stretch of the list that is timed on its own
//   F  path                  DeleteFileA
//   V  key-path  value-name  RegDeleteValueA; the key stays open while the
//                            lines that follow name the same key
//   U  key-path  value-name  lowers a DWORD use count by one (a shared file
//                            that stays); the key stays open the same way
//   I  file  section  key    removes the entry; the lines of one file that
//                            follow each other make one rewrite of the file
//   K  key-path              RegDeleteKeyA (subkeys are listed before their key)
//   D  path                  RemoveDirectoryA (subdirectories before their parent)
#pragma once

namespace floor_list {

constexpr char kStretch = '#';
constexpr char kFile = 'F';
constexpr char kValue = 'V';
constexpr char kUseCount = 'U';
constexpr char kIniEntry = 'I';
constexpr char kKey = 'K';
constexpr char kDirectory = 'D';
constexpr char kSeparator = '\t';

}  // namespace floor_list
