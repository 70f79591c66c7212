// What every end-to-end case stands on: the programs it runs, where its
// failure screenshots go, its own case directory, and the run of the
// uninstaller on a log as the user confirms and closes it.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "StateHelpers.h"
#include "UiDriver.h"

namespace e2e {

extern const std::string kUninstaller;  // the program under test
extern const std::string kTestProgram;  // records how it was started, waits, exits with a code
extern const std::string kArtifacts;    // screenshots, kept after the run

// HKLM subkey of the shared-file use counts.
extern const std::string kCounters;

// The status lines of a run with the default texts.
extern const std::string kDone;
extern const std::string kSharedLine;
extern const std::string kShortcutsLine;
extern const std::string kIniLine;
extern const std::string kFontsLine;
extern const std::string kValuesLine;
extern const std::string kKeysLine;
extern const std::string kServersLine;
extern const std::string kFilesLine;
extern const std::string kDirsLine;
extern const std::string kRestartLine;  // some files go at the next restart

using Lines = std::vector<std::string>;

// "Suite.Name" of the running test: it names the case directory, private
// registry keys and failure screenshots, so no two cases share them.
std::string TestName();

// The Windows directory, without a trailing backslash.
std::string WindowsDir();

// text upper-cased in the system code page, as the profile cache names files.
std::string Upper(std::string text);

// Runs the uninstaller on the log with these options and waits for it. The
// exit code; nothing when it did not end by itself, as it would not if it
// showed a box or a dialog.
std::optional<DWORD> RunUnattendedOn(const std::string& log, const std::string& options);

// The report's lines; none when it cannot be read.
Lines ReadReportLines(const std::string& report);

// A case with its own empty directory C:\tamsk-e2e\<Suite.Name>, removed
// after the test, and the path of a log in it (not created). A derived
// fixture that adds state calls these first in SetUp and last in TearDown.
class CaseFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dir;
    std::string log;  // dir\uninst.log
};

// A case that runs the uninstaller. Failure screenshots go to
// <artifacts>\<Suite.Name>-<n>.bmp.
class UninstallerCase : public CaseFixture {
protected:
    // Starts the uninstaller with args (quoted by the caller) and plays the steps.
    ScenarioResult Run(const std::string& args, const std::vector<Step>& steps);

    // Runs the uninstaller on the log: Yes to the confirmation, then the steps
    // in between (shared-file questions), then Close once the run has ended
    // (shot: the main dialog's .bmp first, when given).
    ScenarioResult RunToTheEnd(const std::vector<Step>& between = {}, const std::string& shot = "");

    // Starts the uninstaller on the log and answers Yes to the confirmation;
    // an empty Process (the program killed) when the box did not come.
    Process StartAndConfirm();

    // RunUnattendedOn the case's log.
    std::optional<DWORD> RunUnattended(const std::string& options) const {
        return RunUnattendedOn(log, options);
    }
};

// An uninstaller case with shared files of its own, each with its use count
// in the view of a log without [Options]; the counts are deleted after the test.
class SharedFilesCase : public UninstallerCase {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the file name in sharedDir and, when count is given, sets its
    // use count; its path.
    std::string Shared(const std::string& name, std::optional<DWORD> count);
    // The file's use count; nothing when it has none.
    std::optional<DWORD> Count(const std::string& path) const;

    std::string sharedDir;  // the case directory unless a fixture chooses another
    Lines sharedFiles;      // in the order made
};

// A case whose uninstaller may run from its temporary copy: no copy left
// running, no restart entry and nothing in the temporary folder outlives it.
class SelfCopyCase : public UninstallerCase {
protected:
    void SetUp() override;
    void TearDown() override;

    // Polls until gone is gone and the temporary folder holds again what it
    // held before the case; false at the deadline.
    bool WaitForTheCopyToFinish(const std::string& gone) const;
    // What the run left: the temporary folder's new names and the restart list.
    std::string Leftovers() const;

    Lines tempBefore;
    Process first;  // the uninstaller as the case started it
};

// An uninstaller case with a registry key of its own,
// HKCU\Software\TamskE2E\<test name>, wiped before and after.
class KeyedUninstallerCase : public UninstallerCase {
protected:
    void SetUp() override;
    void TearDown() override;

    // Subkey below the case key, and its registry path as the log writes it.
    std::string K(const std::string& rest) const { return key + "\\" + rest; }
    std::string P(const std::string& rest) const { return "HKCU\\" + K(rest); }

    std::string key;
};

}  // namespace e2e
