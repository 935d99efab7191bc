#include "tests/setup/product_fixture.h"

#include <cstring>

void ProductTest::Reset() {
    m_temp = std::make_unique<TempFolder>();
    m_prompts = RecordedPrompts();
    ASSERT_TRUE(SetPaths(m_paths, "src\\", m_destination, "PUZZLE"));
}

bool ProductTest::SetPaths(ProductPaths& paths, const std::string& source, const std::string& dest,
                           const char* baseName) const {
    std::strcpy(paths.sourceFolder, Path(source).c_str());
    std::strcpy(paths.destFolder, Path(dest).c_str());
    std::strcpy(paths.sharedIniPath, Shared().c_str());
    std::strcpy(paths.scriptPath, (Path(source) + baseName + ".inf").c_str());
    std::strcpy(paths.baseName, baseName);
    return CreateDirectoryA(paths.sourceFolder, nullptr) != FALSE;
}

void ProductTest::SetRecord(const char* key, const std::string& value) const {
    ASSERT_TRUE(WritePrivateProfileStringA("PUZZLE", key, value.c_str(), m_paths.sharedIniPath));
}
