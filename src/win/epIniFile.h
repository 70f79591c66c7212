// An INI model bound to a file on disk: loaded whole when the object is
// made, written back when it is destroyed or given another file name.
//
// How it is written back: when entries were only removed (DeleteKey), the
// file keeps every byte but the lines removed (core/epIniLines.h), in its own
// encoding (ANSI, UTF-8 with or without its mark, UTF-16 LE with its mark);
// after any other change it is written whole in the layout of FormatIniText,
// but only when it is in the log's encoding. A file whose encoding cannot be
// told (core/epTextEncoding.h) is never written, and DeleteKey leaves its
// entries in place. A file in which nothing changed is not written.
//
// A writable object's model holds the file's text in the log's encoding, so
// that the log's sections and keys find their entries whatever the file's.
//
// A read-only object closes its file as soon as it is loaded, so the file may
// be deleted or replaced while the object goes on answering from memory. A
// writable object keeps its file open, shared for reading only, until it is
// destroyed; a file that did not exist is created (with its directories) by
// the first UpdateFile that has changes to write.
#pragma once

#include <windows.h>

#include <string>

#include <optional>

#include "core/epIniFile.h"
#include "core/epIniLines.h"
#include "core/epTextEncoding.h"

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

    // When Modified, rewrites the file from its start (its own bytes minus the
    // removed lines, or the model's layout) and cuts it there, creating it
    // first if needed; failures are not reported. Modified is false afterwards
    // in every case.
    void UpdateFile() override;

    // The model's own, but nothing is removed from a file that is never
    // written (its encoding unknown), and the removed line, found with section
    // and key in the file's encoding, is noted so that only it leaves the file.
    void DeleteKey(std::string_view section, std::string_view key) override;
    // The model's own; a change makes the file go back in the model's layout.
    void WriteString(std::string_view section, std::string_view key,
                     std::string_view value) override;
    void EraseSection(std::string_view section) override;
    void AppendLine(std::string_view section, std::string_view line) override;

private:
    // Runs a change of the model; when it changed anything, the file can no
    // longer be written line by line.
    template <typename Change>
    void ChangeLayout(Change change);

    // The file's bytes and the lines removed from them, while the changes are
    // removals only (writable objects).
    std::optional<TIniLineEditor> lines_;
    // True when the file's text is not in the log's encoding, or is UTF-16.
    bool IsForeign() const;
    // The file's bytes for text in the encoding of its lines.
    std::string ToFileBytes(const std::string& text) const;

    // False for a file that must never be written.
    bool rewritable_ = true;
    // The encoding the file was found in (ANSI for a new file).
    TTextEncoding encoding_ = TTextEncoding::Ansi;
};
