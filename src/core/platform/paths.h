#pragma once
// Where the program and the user's data live on this platform.
#include <string>

// Separator between folder names in the paths the program builds.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Folder of the running executable, ending in a separator.
std::string GetProgramFolder();

// The per-user local application-data folder (on Linux the XDG data home:
// $XDG_DATA_HOME, else $HOME/.local/share), without a trailing separator;
// empty when the system gives none.
std::string GetLocalAppDataFolder();
