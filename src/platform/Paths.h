// Paths of this platform, as plain strings.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The path separator of this platform.
inline constexpr char kPathSeparator = '/';

// name inside folder: "folder/name", with one separator however folder ends.
inline std::string InFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
    path += name;
    return path;
}

// The folder path lies in: "." for a bare name, "/" for a name in the root
// folder.  The folder is not cleaned up: "a//b" lies in "a/".
inline std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return std::string(1, kPathSeparator);
    return std::string(path.substr(0, slash));
}

}  // namespace platform
