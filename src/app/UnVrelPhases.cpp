// The removal phases, in the order their dependencies demand: SharedFiles
// first (the later phases pass over the files it keeps), RegServers before
// CopyFiles (unregistering a server loads its file), CreateDirs last.
#include "app/UnVrelHandlers.h"
#include "app/UnVrelWorker.h"

void RunRemovalPhases() {
    RunPhase(CheckSharedFiles);
    RunPhase(RemoveShortcuts);
    RunPhase(RemoveIniEntries);
    RunPhase(RemoveFonts);
    RunPhase(RemoveRegistryEntries);
    RunPhase(RemoveOleServers);
    RunPhase(RemoveFiles);
    RunPhase(RemoveDirectories);
}
