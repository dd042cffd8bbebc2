#pragma once

#include <span>
#include <string>
#include <vector>

// The show is read by paths relative to the working directory. A double-click
// or a shortcut can start the player anywhere, so when the working directory
// holds no show the program's own folder is tried, and the folder that holds
// it becomes the working directory.

// Makes the first folder that holds the show the working directory. False
// when none does, with a message that names the folders looked in.
bool EnterShowFolder(std::string& error);

// The folders EnterShowFolder looks in, in order: the working directory, then
// the program's own folder (when it is another one). UTF-8.
std::vector<std::string> ShowFolderCandidates();

// Makes the first of `folders` that holds the file `marker` (a relative path)
// the working directory. False when none holds it, with a message that names
// them all; the working directory is then unchanged.
bool EnterFolderHolding(const char* marker, std::span<const std::string> folders, std::string& error);
