// An INI model bound to a file on disk: loaded whole when the object is
// made, written back whole (in the layout of FormatIniText) when it is
// destroyed or given another file name.
//
// A read-only object closes its file as soon as it is loaded, so the file may
// be deleted or replaced while the object goes on answering from memory. A
// writable object keeps its file open, shared for reading only, until it is
// destroyed; a file that did not exist is created (with its directories) by
// the first UpdateFile that has changes to write.
#pragma once

#include <windows.h>

#include <string>

#include "core/epIniFile.h"

class TepIniFile : public TepIniModel {
public:
    // The file's path; a bare name (no "\" and no ":") is taken as a file in
    // the Windows directory. Empty when the object has no file.
    std::string FileName;
    // The open file (IsOpenHandle), 0 for none, INVALID_HANDLE_VALUE when
    // creating the file failed (the object then never tries again).
    HANDLE Handle = nullptr;
    // Opened for reading only, closed right after loading, never written.
    bool ReadOnly = false;

    // Binds the object to fileName and loads it. A missing file (or a
    // directory) gives an empty model; a file that exists but cannot be
    // opened throws EInOutError ("Cannot open file <path>") and leaves no file open.
    TepIniFile(const std::string& fileName, bool readOnly, bool skipComments, bool keyLinesOnly,
               bool trimAroundEquals, bool stripValueQuotes);
    // Writes pending changes and closes the file. Never throws: a failed
    // write-back is dropped, as UpdateFile drops it.
    ~TepIniFile() override;

    TepIniFile(const TepIniFile&) = delete;
    TepIniFile& operator=(const TepIniFile&) = delete;

    // Writes the pending changes of the current file, releases it and loads
    // name instead (an empty name leaves the object without a file).
    // Throws EInOutError as the constructor does; Modified is false afterwards.
    void SetFileName(const std::string& name);

    // Replaces the model by the file at path (see the constructor for missing
    // and unopenable files). A writable object keeps the file open.
    void LoadFile(const std::string& path);

    // When Modified, rewrites the whole file from its start and cuts it
    // there, creating it first if needed; failures are not reported.
    // Modified is false afterwards in every case.
    void UpdateFile() override;
};
