#include "platform/ShowFolder.h"

#include <SDL.h>

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kShowMarker = "data/script.txt";

// Paths travel as UTF-8 (what SDL gives and message boxes show); on Windows a
// plain char path would be read in the ANSI code page instead.
std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// "/a/b/" and "/a/b" are one folder, for comparing and for messages.
std::string WithoutTrailingSeparator(std::filesystem::path path)
{
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return Utf8FromPath(path);
}

} // namespace

std::vector<std::string> ShowFolderCandidates()
{
    std::vector<std::string> folders;
    std::error_code error;
    const std::filesystem::path working = std::filesystem::current_path(error);
    if (!error)
        folders.push_back(WithoutTrailingSeparator(working));
    if (char* base = SDL_GetBasePath()) {
        const std::string own = WithoutTrailingSeparator(PathFromUtf8(base));
        SDL_free(base);
        if (folders.empty() || folders.front() != own)
            folders.push_back(own);
    }
    return folders;
}

bool EnterFolderHolding(const char* marker, std::span<const std::string> folders, std::string& error)
{
    for (const std::string& folder : folders) {
        const std::filesystem::path path = PathFromUtf8(folder);
        std::error_code failure;
        if (std::filesystem::is_regular_file(path / marker, failure)) {
            std::filesystem::current_path(path, failure);
            if (!failure)
                return true;
        }
    }
    error = std::string("The show was not found: there is no ") + marker + " in ";
    for (size_t i = 0; i < folders.size(); ++i) {
        if (i > 0)
            error += i + 1 == folders.size() ? " or in " : ", ";
        error += "\"" + folders[i] + "\"";
    }
    if (folders.empty())
        error += "any folder (the working directory cannot be read)";
    error += ".";
    return false;
}

bool EnterShowFolder(std::string& error)
{
    return EnterFolderHolding(kShowMarker, ShowFolderCandidates(), error);
}
