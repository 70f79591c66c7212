// OLE server unregistration: an in-process server through its own
// "DllUnregisterServer" export, a local server program through its
// " /UNREGSERVER" switch, and any other file as a type library.
//
// Every operation takes the server file's path as the installation log gives
// it and returns true on success; every failure is a false result (a path
// holding a NUL byte always fails), nothing is shown and nothing throws.
// Whatever is loaded is released on every path out.
// COM must have been initialised by the program on its main thread; these
// functions do not initialise it themselves.
#pragma once

#include <windows.h>

#include <string>

#include "core/epPeImage.h"
#include "core/epView.h"

// How long a server program started with /UNREGSERVER is waited for.
constexpr DWORD kServerProgramWaitMs = 60 * 1000;

// UnregisterServerModule; when that fails, UnregisterTypeLibrary for the
// view. So a module whose export succeeded is not also treated as a type
// library.
bool UnregisterServer(const std::string& path, TView view = TView::Native);

// UnregisterDllServer; when that fails and the file's extension is ".exe"
// (ASCII case aside), UnregisterExeServer. A program that exports
// "DllUnregisterServer" is therefore never started.
bool UnregisterServerModule(const std::string& path);

// Loads the module by its full path (only when IsLoadableModule accepts it,
// so a file that is no executable image is never loaded for execution), the
// libraries it needs looked for in its own folder first; calls its
// "DllUnregisterServer" and frees it again. True when the export exists and
// returns a non-negative HRESULT (S_FALSE counts as success). A DLL of the
// other bitness, which this program cannot load, goes to the regsvr32 of
// its own bitness instead (ChooseServerRoute, UnregisterWithRegsvr32).
bool UnregisterDllServer(const std::string& path);

// The machine type that the file's header names, read without loading it;
// Unknown when the file cannot be read or is no PE image.
TMachine ReadImageMachine(const std::string& path);

// Starts the system's regsvr32 at regsvr32 (a full path) with
// "/u /s" and the DLL's full path, hidden, and waits for it at most
// timeoutMs, handling the messages sent to this thread meanwhile. True
// when it ended with exit code 0; false when it could not start, failed, or
// did not end in time (it is then ended).
bool UnregisterWithRegsvr32(const std::string& regsvr32, const std::string& dll,
                            DWORD timeoutMs = kServerProgramWaitMs);

// Starts the program at path, hidden, with the command line of the path
// followed directly by " /UNREGSERVER" (the path unquoted, as servers expect
// it); the program to start is given apart, so a path with blanks can never
// start another program. Waits until it has ended, so that its file can be
// deleted right after, but no longer than timeoutMs (the messages other
// threads send to this one are handled meanwhile). True when it started and
// ended in time; its exit code is not read, as servers give none that all
// agree on. A program still running at the time-out is left to finish.
bool UnregisterExeServer(const std::string& path, DWORD timeoutMs = kServerProgramWaitMs);

// Unregisters the type library of the file (a .tlb, or a module that embeds
// one): the path is made absolute, the library loaded, and its guid, version,
// locale and system kind passed to OLEAUT32's "UnRegisterTypeLib", which is
// looked up at run time. The system kind is the view's (SYS_WIN32 or
// SYS_WIN64), or the library's own in the Native view. False when the
// function is missing, the library cannot be loaded or its attributes read,
// or the unregistration fails.
bool UnregisterTypeLibrary(const std::string& path, TView view = TView::Native);

// True when the file can be loaded as a data file (an executable image).
bool IsLoadableModule(const std::string& path);
