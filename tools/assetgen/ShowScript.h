#pragma once

#include <string>

// The timeline script of the show, with CR-less line ends. It names the
// pictures and the music that the generator writes beside it.
const std::string& ShowScript();

// File name of the music under the script's music directory.
extern const char* const kMusicFileName;
