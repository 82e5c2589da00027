#pragma once
// The one way the program replaces a file: the bytes go to a temporary file
// with a unique name beside the target (created exclusively, so a planted
// symbolic link is never followed), are flushed to the disk, and the
// temporary is renamed over the target; the folder is flushed after the
// rename. The target is always either the old file or the new one. A crash
// between the steps leaves only a temporary, which RemoveStaleTemporaries
// clears on the next start.
#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

namespace platform {

using RenameFunction = int (*)(const char* from, const char* to);

struct AtomicWriteOptions {
    mode_t mode = 0666;              // permissions of the new file, less the process's umask
    bool exactMode = false;          // true: mode as it stands (to keep an existing file's)
    RenameFunction rename = nullptr; // nullptr: ::rename (tests inject failures)
};

// false when any step failed; the target is then untouched and no
// temporary is left behind.
bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                         const AtomicWriteOptions& options = {});

// The prefix of this writer's temporary files for path: ".<name>.tmp-".
std::string TemporaryPrefix(const std::string& path);

// Removes regular files beside path whose names are this writer's
// temporaries for it and that are at least minAgeSeconds old (0: all).
// Returns how many were removed.
int RemoveStaleTemporaries(const std::string& path, int minAgeSeconds = 0);

} // namespace platform
