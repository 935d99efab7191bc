// The findings table against the reference that authors read: docs/install-script.md lists
// every code with its weight, and no code that disctool does not report.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tools/disctool/findings.h"

namespace {

// The rows "| `code` | kind | meaning |" of the reference's findings table: code -> kind.
std::multimap<std::string, std::string> ReferenceRows() {
    std::ifstream in(std::string(PROJECT_SOURCE_DIR) + "/docs/install-script.md");
    std::multimap<std::string, std::string> rows;
    std::string line;
    bool inFindings = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) inFindings = line.find("Findings") != std::string::npos;
        if (!inFindings || line.rfind("| `", 0) != 0) continue;
        const std::size_t codeEnd = line.find('`', 3);
        const std::size_t kindStart = line.find("| ", codeEnd);
        const std::size_t kindEnd = line.find(" |", kindStart + 2);
        if (codeEnd == std::string::npos || kindEnd == std::string::npos) {
            ADD_FAILURE() << "a findings row out of shape: " << line;
            continue;
        }
        rows.emplace(line.substr(3, codeEnd - 3),
                     line.substr(kindStart + 2, kindEnd - kindStart - 2));
    }
    return rows;
}

TEST(Findings, ReferenceListsEveryCodeOnceWithItsWeightAndNothingElse) {
    const std::multimap<std::string, std::string> rows = ReferenceRows();
    ASSERT_FALSE(rows.empty()) << "no findings table in docs/install-script.md";
    for (const disctool::FindingKind& kind : disctool::kFindingKinds) {
        SCOPED_TRACE(kind.code);
        EXPECT_EQ(rows.count(kind.code), 1u);
        const auto row = rows.find(kind.code);
        if (row != rows.end()) EXPECT_EQ(row->second, disctool::SeverityWord(kind.severity));
        EXPECT_NE(*kind.summary, '\0');
    }
    for (const auto& row : rows) {
        const std::string& code = row.first;
        EXPECT_TRUE(
            std::any_of(std::begin(disctool::kFindingKinds), std::end(disctool::kFindingKinds),
                        [&](const disctool::FindingKind& kind) { return code == kind.code; }))
            << "the reference lists " << code << ", which disctool never reports";
    }
}

}  // namespace
