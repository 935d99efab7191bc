// The setup work's tests on real files: a product PUZZLE whose disc is src\ in a fresh
// temporary folder (install script src\PUZZLE.inf), the shared file tivoroo.ini beside it, a
// stand-in for the volume query, and one stand-in for the message boxes of an install run and
// of a removal that answers from a script and keeps everything it was shown.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "setup/copy_progress_dialog.h"
#include "setup/install_run.h"
#include "setup/removal.h"
#include "tests/support/test_files.h"

// Stands in for the volume query (VolumeFileSystemQuery): every volume reports the file
// system named by g_fileSystem, which a test sets before the call.
inline const char* g_fileSystem = "NTFS";
inline int FakeFileSystem(const char*, char* name, DWORD size) {
    lstrcpynA(name, g_fileSystem, static_cast<int>(size));
    return 1;
}

using Prompt = std::pair<std::string, std::string>;  // text, caption

// Answers questions from answers in turn (Yes once they run out) and keeps every message in
// the list of its kind.
class RecordedPrompts final : public InstallPrompts, public RemovalPrompts {
public:
    std::vector<int> answers;
    std::vector<Prompt> asked;     // questions of both
    std::vector<Prompt> reported;  // the install run's failure
    std::vector<Prompt> informed;  // the install run's warning after a success
    std::vector<Prompt> told;      // the removal's messages

    int Ask(const char* text, const char* caption) override {
        asked.emplace_back(text, caption);
        return m_next < answers.size() ? answers[m_next++] : 1;
    }
    void Report(const char* text, const char* caption) override {
        reported.emplace_back(text, caption);
    }
    void Inform(const char* text, const char* caption) override {
        informed.emplace_back(text, caption);
    }
    void Tell(const char* text, const char* caption) override { told.emplace_back(text, caption); }

private:
    std::size_t m_next = 0;
};

class ProductTest : public ::testing::Test {
protected:
    // destination: the proposed destination folder, relative to the temporary folder, with
    // its trailing backslash.
    explicit ProductTest(const char* destination) : m_destination(destination) {}

    void SetUp() override { Reset(); }

    // A fresh temporary folder holding only the disc's folder, paths that name it, and fresh
    // prompts.
    void Reset();

    // The temporary folder followed by relative.
    std::string Path(const std::string& relative) const { return *m_temp / relative; }
    bool Exists(const std::string& relative) const {
        return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // Fills paths for the product baseName whose disc is source and whose proposed destination
    // is dest (folders relative to the temporary folder, with their trailing backslash), with
    // the shared file Shared(), and makes the disc's folder; false when it cannot.
    bool SetPaths(ProductPaths& paths, const std::string& source, const std::string& dest,
                  const char* baseName) const;
    std::string Shared() const { return Path("tivoroo.ini"); }
    // Key of a product's section in this product's shared file (by default this product's
    // section), "" when missing.
    std::string Record(const char* key, const char* section = "PUZZLE") const {
        return ReadProfile(m_paths.sharedIniPath, section, key);
    }
    void SetRecord(const char* key, const std::string& value) const;

    ProductPaths m_paths{};
    RecordedPrompts m_prompts;
    CopyProgressDialog m_progress;

private:
    const char* m_destination;
    std::unique_ptr<TempFolder> m_temp;
};
