#include "setup/components.h"

#include <memory>

#include "base/install_script.h"
#include "setup/install_state.h"

namespace {

// Builds one check-list row per group of one section as the walk hands the groups over.
class ComponentLoader final : public ComponentSectionVisitor {
public:
    ComponentLoader(const ProductPaths& paths, CCheckListBox& list, int required,
                    int* optionalCount)
        : m_paths(paths), m_list(list), m_required(required), m_optionalCount(optionalCount) {}

    void OnGroupCountAsRead(std::int32_t count) override {
        // The optional group count as the script gives it: only 0 hides More/Less; a negative
        // count simply lists nothing.
        if (!m_required) *m_optionalCount = static_cast<int>(count);
    }
    void OnGroup(int) override {
        m_group = std::make_unique<ComponentGroup>();
        m_group->required = m_required;
    }
    void OnGroupName(const char* name) override {
        m_group->name = name;
        if (m_required) m_group->name += rules::kRequiredGroupSuffix;
    }
    void OnGroupDescription(const char* description) override {
        m_group->description = description;
    }
    void OnFileCount(int) override { m_allCurrent = true; }
    void OnFileName(const char* name) override { m_group->files.emplace_back().name = name; }
    void OnFileKey(const char* key) override {
        ComponentFile& entry = m_group->files.back();
        entry.key = key;
        // Every file is tested, also after one was found stale: the test keeps the shared
        // file's records in step.
        if (!IsInstalledFileCurrent(m_paths, entry.name.c_str(), entry.key.c_str()))
            m_allCurrent = false;
    }
    bool OnGroupEnd() override {
        const int row = m_list.AddString(m_group->name.c_str());
        if (row < 0) return false;
        if (m_list.SetItemDataPtr(row, m_group.get()) == LB_ERR) {
            // No row may stay without its group.
            m_list.DeleteString(row);
            return false;
        }
        const ComponentGroup* group = m_group.release();  // the row owns it now
        if (group->required) {
            m_list.SetCheck(row, 1);
            m_list.Enable(row, FALSE);
        } else {
            m_list.SetCheck(row, m_allCurrent ? 1 : 0);
        }
        return true;
    }

private:
    const ProductPaths& m_paths;
    CCheckListBox& m_list;
    int m_required;
    int* m_optionalCount;
    std::unique_ptr<ComponentGroup> m_group;
    bool m_allCurrent = true;
};

}  // namespace

ComponentGroup* GetRowGroup(const CCheckListBox& list, int index) {
    const DWORD_PTR data = list.GetItemData(index);
    if (data == static_cast<DWORD_PTR>(LB_ERR) || data == 0) return nullptr;
    return reinterpret_cast<ComponentGroup*>(data);
}

int LoadComponentList(const ProductPaths& paths, CCheckListBox& list,
                      char (&buffer)[rules::kScriptValueSize], int* optionalCount) {
    for (const char* section : rules::kComponentSections) {
        const int required = section == rules::kRequiredSection ? 1 : 0;
        ComponentLoader loader(paths, list, required, optionalCount);
        if (!WalkComponentSection(paths.scriptPath, section, true, buffer, loader)) return 0;
    }
    return 1;
}

int FreeComponentList(CCheckListBox& list) {
    const int rows = list.GetCount();
    if (rows == LB_ERR) return 0;
    for (int row = 0; row < rows; ++row) {
        const DWORD_PTR data = list.GetItemData(row);
        if (data == static_cast<DWORD_PTR>(LB_ERR)) return 0;
        delete reinterpret_cast<ComponentGroup*>(data);  // its files go with it
        list.SetItemData(row, 0);
    }
    list.ResetContent();
    return 1;
}
