#include "base/install_script.h"

namespace {

// Reads the install script through the platform's profile functions, every string into the
// walk's one buffer.
class ProfileReader {
public:
    ProfileReader(const char* scriptPath, char (&buffer)[rules::kScriptValueSize])
        : m_scriptPath(scriptPath), m_buffer(buffer) {}
    std::int32_t ReadCount(const char* section, const char* key) {
        return static_cast<std::int32_t>(GetPrivateProfileIntA(section, key, 0, m_scriptPath));
    }
    char* ReadText(const char* section, const char* key) {
        GetPrivateProfileStringA(section, key, "", m_buffer, sizeof m_buffer, m_scriptPath);
        return m_buffer;
    }

private:
    const char* m_scriptPath;
    char (&m_buffer)[rules::kScriptValueSize];
};

// Hands the walk's values to a ComponentSectionVisitor.
class VisitorHooks {
public:
    explicit VisitorHooks(ComponentSectionVisitor& visitor) : m_visitor(visitor) {}
    void OnGroupCount(const char*, std::int32_t read, int groups) {
        m_visitor.OnGroupCountAsRead(read);
        m_visitor.OnGroupCount(groups);
    }
    void OnGroup(int number) { m_visitor.OnGroup(number); }
    void OnGroupName(const char*, const char* name) { m_visitor.OnGroupName(name); }
    void OnGroupDescription(const char*, const char* description) {
        m_visitor.OnGroupDescription(description);
    }
    void OnFileCount(const char*, std::int32_t, int files) { m_visitor.OnFileCount(files); }
    void OnFileName(const char*, const char* name) { m_visitor.OnFileName(name); }
    void OnFileKey(const char*, const char* key) { m_visitor.OnFileKey(key); }
    bool OnGroupEnd() { return m_visitor.OnGroupEnd(); }

private:
    ComponentSectionVisitor& m_visitor;
};

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
    ProfileReader reader(scriptPath, buffer);
    VisitorHooks hooks(visitor);
    return rules::WalkComponentSection(reader, section, readGroupTexts, hooks, &IsCodePageLeadByte);
}
