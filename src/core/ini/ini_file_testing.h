#pragma once
// Fault injection for the INI writer's tests: the rename that publishes a
// written file can be replaced, so a test can make it fail and check that the
// old file is left whole. Not for use outside tests.

namespace ini::testing {

using RenameFunction = int (*)(const char* from, const char* to);

// nullptr restores the system's rename.
void SetRenameFunction(RenameFunction rename);

} // namespace ini::testing
