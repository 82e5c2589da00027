#pragma once
// Where Config.ini is read and written. Run from a folder the user can write
// (a build tree, a copied program folder), it is the shipped file in the data
// tree, as it has always been. Installed, the program folder cannot be
// written (or is the installed <prefix>/share/corvane/, which the program
// never writes into): each user then has an own Config.ini under the configuration home
// (<XDG config home>/corvane/Config.ini), copied from the shipped one the
// first time, and every save goes there. The language packs, Encode.ini and
// the skin pictures are always read from the program folder.
#include <string>

// The shipped "Config File/Config/Config.ini" under programFolder (which
// ends in a separator).
std::string ShippedConfigPath(const std::string& programFolder);

// The per-user Config.ini; empty when the system names no configuration
// home.
std::string UserConfigPath();

// The Config.ini this run uses, as described above; makes the user's copy
// when it is missing. A program folder without "Config File/Config/" keeps
// the shipped path (nothing to copy). Falls back to the shipped file when no copy can be
// made (no configuration home, a folder that cannot be created), so the
// program still reads its settings and only the saves fail.
std::string ResolveConfigPath(const std::string& programFolder);
