// Where a directory really is: its spelling read as this machine reads it
// (core/epPathPlace.h), then the final path of the opened directory, so that
// every junction, symbolic link, drive substitution and share of this machine
// on the way leads to the folder it stands for. The safety rules judge that
// place, not the spelling.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

#include "core/epPathPlace.h"

// This machine's names (computer name, DNS names) and shares: the
// administrative ones by rule, the others as the server service lists them
// (NetShareEnum, loaded from the system directory), and as its registry key
// LanmanServer\Shares keeps them, for when the service does not answer.
TLocalShares GatherLocalShares();

// The real place of a directory, in the drive form "C:\Windows\System32"
// (letter case as the system gives it) or, for another machine's share, as
// written. A directory that does not exist is its nearest existing
// ancestor's place with the rest of the path. Empty when the place cannot be
// known: a share of this machine that is not known, a name no folder has, a
// directory that cannot be opened for another reason than its absence.
std::string FindRealPlace(const std::string& dir, const TLocalShares& shares);

// FindRealPlace with the answers kept, so that the many masks of one
// directory cost one look. Safe to use from several threads.
class TRealPlaces {
public:
    explicit TRealPlaces(TLocalShares shares) : shares_(std::move(shares)) {}

    std::string PlaceOf(const std::string& dir);
    // Drops the answers kept: a folder may have been swapped for a link since.
    void Forget();

private:
    TLocalShares shares_;
    std::mutex lock_;
    std::unordered_map<std::string, std::string> places_;
};
