// The one fixture of the tests that run the built disctool: a temporary root that goes at the
// end of each test, logs/ for the standard output and error of every program a test runs,
// disc/ for the disc folder a test lays out, and Tool to run disctool.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_process.h"

namespace tooltest {

class ToolTest : public testing::Test {
public:
    // prefix names the temporary root ("prefix-XXXXXX").
    explicit ToolTest(std::string prefix) : m_prefix(std::move(prefix)) {}

    void SetUp() override {
        m_root = MakeTempFolder(m_prefix);
        ASSERT_FALSE(m_root.empty());
        m_disc = m_root / "disc";
        m_logs = m_root / "logs";
        fs::create_directory(m_disc);
        fs::create_directory(m_logs);
    }
    void TearDown() override {
        if (!m_root.empty()) fs::remove_all(m_root);
    }

    // Runs the built disctool with arguments.
    Result Tool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), DISCTOOL_PATH);
        return Spawn(arguments, m_logs);
    }

    // Writes each file (a path relative to the disc folder and its bytes), with its folders.
    void LayOut(const std::vector<std::pair<fs::path, std::string>>& files) {
        for (const auto& [name, bytes] : files) {
            fs::create_directories((m_disc / name).parent_path());
            WriteFile(m_disc / name, bytes);
        }
    }

    fs::path m_root, m_disc, m_logs;

private:
    std::string m_prefix;
};

}  // namespace tooltest
