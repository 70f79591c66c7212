// What the run leaves on the disk for now, as the folders that hold it see
// it. The "CopyFiles" handler notes every file of the log that did not go at
// once; the "CreateDirs" handler, when a folder is not empty, asks whether
// it holds only what goes anyway (it is then scheduled after its contents),
// something of the log that stays, or anything the log does not list.
#pragma once

#include <map>
#include <string>

// What became of an item of the log that is still on the disk.
enum class TLeftState {
    Goes,    // deleted at the next restart, or right after the run
    Kept,    // stays on purpose (a shared file still in use, a folder of such files)
    Stayed,  // stays against the log: it was refused or could not be removed
};

// What a folder that could not be removed holds, the worst last.
enum class TFolderContents {
    OnlyGoing,  // nothing but items noted as Goes
    Kept,       // items noted as Kept besides them
    Others,     // something the log does not list (or never noted)
    Stayed,     // an item noted as Stayed, or the folder cannot be read
};

class TLeftOnDisk {
public:
    // Notes the item, found again later by any spelling of its path.
    void Note(const std::string& path, TLeftState state);

    // True when the item was noted as Goes.
    bool IsNotedAsGoing(const std::string& path) const;

    // Looks at each entry of the folder and gives the worst.
    TFolderContents JudgeFolder(const std::string& dir) const;

private:
    TFolderContents ContentsOf(const std::string& path) const;

    // Few items ever stay (files in use, failures): a plain map is enough.
    // Keyed by path identity.
    std::map<std::string, TLeftState> left_;
};
