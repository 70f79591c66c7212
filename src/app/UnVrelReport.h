// The removal report that /LOG=path asks for: a plain text file (the ANSI
// code page, CR LF) written as the run goes, so that a run that ends badly
// still leaves what it did. Only the outcome record and the body write to it.
#pragma once

#include <windows.h>

#include <string>

#include "core/UnVrelOutcomes.h"
#include "win/handles.h"

class TReport {
public:
    // Creates (or empties) the report at path and writes its head. Nothing
    // happens for an empty path; a report that cannot be created is left out
    // and the run goes on without one.
    void Open(const std::string& path, const std::string& logPath);

    // One item line; nothing when no report is open. error: the system's
    // error code of a failure, whose text the report adds; reason: why a
    // kept item stays, when it is not the ordinary keeping of a shared file.
    void Item(const std::string& section, const std::string& item, TOutcome outcome, DWORD error,
              const std::string& reason = std::string());

    // One line as given (a preview's forecast); nothing when no report is open.
    void Line(const std::string& text);

    // Makes what was written so far safe on the disk.
    void Flush();

    // Writes the end (time, how the run ended, the counts, the exit code) and
    // closes the report. Nothing when none is open.
    void Close(TRunEnd end, const std::string& detail, const TOutcomeCounts& counts, int exitCode);

private:
    UniqueFile file_;
};
