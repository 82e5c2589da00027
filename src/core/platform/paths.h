#pragma once
// Where the program and the user's data live on this platform.
#include <string>

// Separator between folder names in the paths the program builds.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The program folder: the folder that holds the shipped data tree
// "Config File/", ending in a separator. Run from a build tree or a copied
// folder that is the executable's own folder; installed (the executable in
// <prefix>/bin, the data tree in <prefix>/share/corvane/) it is
// <prefix>/share/corvane/. Without a data tree in either place, the
// executable's folder.
std::string GetProgramFolder();

// Whether programFolder is the installed layout's <prefix>/share/corvane/
// (the files of a package, which the program never writes into, even when
// run by root, who could).
bool IsInstalledProgramFolder(const std::string& programFolder);

// Whether the program may write files into folder: the process may, and the
// folder carries a write permission bit (so that a folder made read-only is
// respected by root too, who is never refused by the system).
bool IsFolderWritable(const std::string& folder);

// The per-user configuration folder (on Linux the XDG config home:
// $XDG_CONFIG_HOME, else $HOME/.config), without a trailing separator; empty
// when the system gives none.
std::string GetConfigHomeFolder();

// The per-user local application-data folder (on Linux the XDG data home:
// $XDG_DATA_HOME, else $HOME/.local/share), without a trailing separator;
// empty when the system gives none.
std::string GetLocalAppDataFolder();
