#pragma once

#include <functional>
#include <string>

// The pictures the bundled effects look up by name when they start: the
// player and the preview refuse a script that loads any of them not. Returns
// that refusal for the names `loaded` denies, empty when none is missing.
std::string MissingPicturesFault(const std::function<bool(const std::string& name)>& loaded);
