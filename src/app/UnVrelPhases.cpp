// The removal phases, in the order their dependencies demand: SharedFiles
// first (the later phases pass over the files it keeps), RegServers before
// CopyFiles (unregistering a server loads its file), CreateDirs last.
#include "app/UnVrelHandlers.h"
#include "app/UnVrelWorker.h"

void RunRemovalPhases(TRun& run) {
    RunPhase(run, CheckSharedFiles);
    RunPhase(run, RemoveShortcuts);
    RunPhase(run, RemoveIniEntries);
    RunPhase(run, RemoveFonts);
    RunPhase(run, RemoveRegistryEntries);
    RunPhase(run, RemoveOleServers);
    RunPhase(run, RemoveFiles);
    RunPhase(run, RemoveDirectories);
}
