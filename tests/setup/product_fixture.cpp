#include "tests/setup/product_fixture.h"

#include <cstring>

void ProductTest::Reset() {
    m_temp = std::make_unique<TempFolder>();
    m_prompts = RecordedPrompts();
    std::strcpy(m_paths.sourceFolder, Path("src\\").c_str());
    std::strcpy(m_paths.destFolder, Path(m_destination).c_str());
    std::strcpy(m_paths.sharedIniPath, Path("tivoroo.ini").c_str());
    std::strcpy(m_paths.scriptPath, Path("src\\PUZZLE.inf").c_str());
    std::strcpy(m_paths.baseName, "PUZZLE");
    ASSERT_TRUE(CreateDirectoryA(m_paths.sourceFolder, nullptr));
}

void ProductTest::SetRecord(const char* key, const std::string& value) const {
    ASSERT_TRUE(WritePrivateProfileStringA("PUZZLE", key, value.c_str(), m_paths.sharedIniPath));
}
