// The component model read from the install script's "Required" and "Optional" sections:
// one ComponentGroup per group, owning its ComponentFile records in script order. The groups
// are kept nowhere but on the setup dialog's check-list rows, as each row's item data:
// LoadComponentList creates them and FreeComponentList releases them when the window goes away.
#pragma once

#include <string>
#include <vector>

#include "framework/check_list_box.h"
#include "base/product_paths.h"
#include "rules/install_rules.h"

// One file of a group: its path relative to the source folder (also used under the
// destination folder) and the key of its record in the shared file. Either may be empty.
struct ComponentFile {
    std::string name;
    std::string key;
};

// One group of the install script, shown as one check-list row.
struct ComponentGroup {
    std::string name;         // the row's text; " (required)" appended for a required group
    std::string description;  // shown in the Description box while the row is selected
    int required = 0;         // 1 for a group of the "Required" section, 0 for "Optional"
    std::vector<ComponentFile> files;  // in script order, file 1 first
};

// The group attached to row index of list, or null when the row does not exist or carries no
// group. The list owns the group; the caller must not free it.
ComponentGroup* GetRowGroup(const CCheckListBox& list, int index);

// Reads the groups of the install script's "Required" and then "Optional" section into list,
// one row per group with the group attached as its item data: required rows checked and
// disabled, optional rows checked when every file of the group is installed and current (each
// file is tested, which keeps the shared file's records in step). Every string is read into
// buffer. *optionalCount becomes the number of optional groups offered. Returns 1, or 0 when a
// row cannot be added (the groups read so far stay on their rows).
int LoadComponentList(const ProductPaths& paths, CCheckListBox& list,
                      char (&buffer)[rules::kScriptValueSize], int* optionalCount);
// Deletes the group attached to every row of list and empties it. Returns 1, or 0 when the rows
// cannot be read (the groups freed so far are detached from their rows).
int FreeComponentList(CCheckListBox& list);
