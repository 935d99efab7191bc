// The group description that disctool script reads ("required NAME", "desc TEXT", "file
// PATH = KEY"), read into the groups of an install script, every mistake said with its line
// before anything is written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace disctool {

struct ScriptFile {
    std::string name;  // relative, '\' between components, as on the disc
    std::string key;
    int line = 0;  // of its "file" statement
};

struct ScriptGroup {
    bool required = false;
    std::string name;
    std::string description;
    std::vector<ScriptFile> files;
    int line = 0;
    std::map<std::string, std::size_t> index;  // lower-case name -> its place in files
};

// Reads the description text (of the file at path) into groups, matching file patterns under
// the disc folder and checking texts in the code page; false after "PATH:LINE: error: ..."
// lines on standard error for every mistake.
bool ReadDescription(const std::string& path, const std::filesystem::path& disc, int codepage,
                     const std::string& text, std::vector<ScriptGroup>* groups);

}  // namespace disctool
