#include "launcher/install_script.h"

namespace {

int ReadScriptCount(const char* section, const char* key, const char* scriptPath, int limit) {
    const auto count =
        static_cast<std::int32_t>(GetPrivateProfileIntA(section, key, 0, scriptPath));
    return rules::CheckScriptCount(count, limit);
}

void ReadScriptString(char (&buffer)[rules::kScriptValueSize], const char* section, const char* key,
                      const char* scriptPath) {
    GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, scriptPath);
}

}  // namespace

int ReadDefaultDir(char* dest, const char* scriptPath) {
    return ReadProfilePath(dest, rules::kGeneralSection, rules::kDefaultDirKey, scriptPath);
}

void ReadDialogTitle(char (&text)[rules::kScriptTextSize], int advanced, const char* scriptPath) {
    GetPrivateProfileStringA(rules::kGeneralSection,
                             advanced ? rules::kAdvancedTitleKey : rules::kBasicTitleKey, "", text,
                             sizeof text, scriptPath);
}

void ReadDialogInstruction(char (&text)[rules::kScriptTextSize], int advanced,
                           const char* scriptPath) {
    GetPrivateProfileStringA(
        rules::kGeneralSection,
        advanced ? rules::kAdvancedInstructionKey : rules::kBasicInstructionKey, "", text,
        sizeof text, scriptPath);
}

int ReadStartupBitmap(char* dest, const char* scriptPath) {
    return ReadProfilePath(dest, rules::kStartupSection, rules::kBitmapKey, scriptPath);
}

bool WalkComponentSection(const char* scriptPath, const char* section, bool readGroupTexts,
                          char (&buffer)[rules::kScriptValueSize],
                          ComponentSectionVisitor& visitor) {
    char key[rules::kScriptKeySize];
    rules::FormatGroupCountKey(key);
    const int groups = ReadScriptCount(section, key, scriptPath, rules::kMaxScriptGroups);
    visitor.OnGroupCount(groups);
    for (int group = 1; group <= groups; ++group) {
        visitor.OnGroup(group);
        if (readGroupTexts) {
            rules::FormatGroupKey(key, group, "Name");
            ReadScriptString(buffer, section, key, scriptPath);
            visitor.OnGroupName(buffer);
            rules::FormatGroupKey(key, group, "Desc");
            ReadScriptString(buffer, section, key, scriptPath);
            visitor.OnGroupDescription(buffer);
        }
        rules::FormatFileCountKey(key, group);
        const int files = ReadScriptCount(section, key, scriptPath, rules::kMaxGroupFiles);
        visitor.OnFileCount(files);
        for (int file = 1; file <= files; ++file) {
            rules::FormatFileKey(key, group, file, "Name");
            ReadScriptString(buffer, section, key, scriptPath);
            NormalizeSeparators(buffer);
            visitor.OnFileName(buffer);
            rules::FormatFileKey(key, group, file, "Key");
            ReadScriptString(buffer, section, key, scriptPath);
            visitor.OnFileKey(buffer);
        }
        if (!visitor.OnGroupEnd()) return false;
    }
    return true;
}
