#include "components.h"

#include <memory>

#include "rules/install_rules.h"
#include "setup_dialog.h"

using rules::CheckScriptCount;
using rules::FormatFileCountKey;
using rules::FormatFileKey;
using rules::FormatGroupCountKey;
using rules::FormatGroupKey;
using rules::kMaxGroupFiles;
using rules::kMaxScriptGroups;
using rules::kOptionalSection;
using rules::kRequiredSection;
using rules::kScriptKeySize;
using rules::kScriptValueSize;

namespace {

// Reads one string value of the install script into the dialog's read buffer and returns a
// copy; missing keys, sections or scripts give "". Values longer than the buffer are cut.
std::string ReadScriptString(char (&buffer)[kScriptValueSize], const char* section,
                             const char* key, const char* scriptPath) {
    GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, scriptPath);
    return buffer;
}

int ReadScriptInt(const char* section, const char* key, const char* scriptPath) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, 0, scriptPath));
}

}  // namespace

ComponentGroup* GetRowGroup(const CCheckListBox& list, int index) {
    const DWORD_PTR data = list.GetItemData(index);
    if (data == static_cast<DWORD_PTR>(LB_ERR) || data == 0) return nullptr;
    return reinterpret_cast<ComponentGroup*>(data);
}

int SetupDialog::LoadComponents() {
    char key[kScriptKeySize];
    char countKey[kScriptKeySize];
    FormatGroupCountKey(countKey);
    const char* script = m_paths.scriptPath;

    for (const char* section : {kRequiredSection, kOptionalSection}) {
        const int required = section == kRequiredSection ? 1 : 0;
        // A count below 1 means no groups; one beyond the limit marks a damaged script, none
        // of whose groups is read.
        const int groups = CheckScriptCount(ReadScriptInt(section, countKey, script),
                                            kMaxScriptGroups);
        // The number of optional groups offered: 0 also when none could be read.
        if (!required) m_optionalCount = groups > 0 ? groups : 0;

        for (int number = 1; number <= groups; ++number) {
            auto group = std::make_unique<ComponentGroup>();
            FormatGroupKey(key, number, "Name");
            group->name = ReadScriptString(m_readBuffer, section, key, script);
            FormatGroupKey(key, number, "Desc");
            group->description = ReadScriptString(m_readBuffer, section, key, script);
            group->required = required;
            if (required) group->name += " (required)";

            FormatFileCountKey(key, number);
            const int files = CheckScriptCount(ReadScriptInt(section, key, script), kMaxGroupFiles);
            // A group whose file count is beyond the limit lists no files and is not current.
            bool allCurrent = files >= 0;
            for (int file = 1; file <= files; ++file) {
                ComponentFile& entry = group->files.emplace_back();
                FormatFileKey(key, number, file, "Name");
                entry.name = ReadScriptString(m_readBuffer, section, key, script);
                FormatFileKey(key, number, file, "Key");
                entry.key = ReadScriptString(m_readBuffer, section, key, script);
                // Every file is tested, also after one was found stale: the test keeps the
                // shared file's records in step.
                if (!IsFileCurrent(entry.name.c_str(), entry.key.c_str())) allCurrent = false;
            }

            const int row = m_components.AddString(group->name.c_str());
            if (row < 0) return 0;
            if (m_components.SetItemDataPtr(row, group.get()) == LB_ERR) {
                // No row may stay without its group.
                m_components.DeleteString(row);
                return 0;
            }
            static_cast<void>(group.release());  // the row owns it; FreeComponents frees it
            if (required) {
                m_components.SetCheck(row, 1);
                m_components.Enable(row, FALSE);
            } else {
                m_components.SetCheck(row, allCurrent ? 1 : 0);
            }
        }
    }
    return 1;
}
