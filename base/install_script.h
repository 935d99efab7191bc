// The install script beside the launcher (NAME.inf), read only through the platform's profile
// functions: the texts and paths of "General" and "StartupOptions", and the walk over the
// groups and files of a component section ("Required" or "Optional") that the component list
// of the setup dialog, the install-state check and the removal use. Names, key grammar, limits
// and the walk itself are the shared rules (rules/install_rules.h), which disctool reads by.
#pragma once

#include <cstdint>

#include "base/paths.h"
#include "rules/install_rules.h"

// General/DefaultDir into dest (kPathSize bytes), as ReadProfilePath reads it: 0 with dest empty
// when the value does not fit.
int ReadDefaultDir(char* dest, const char* scriptPath);
// The caption (General/AdvDlgTitle or BasDlgTitle) of the advanced (1) or basic (0) layout into
// text, cut to fit; empty when missing.
void ReadDialogTitle(char (&text)[rules::kScriptTextSize], int advanced, const char* scriptPath);
// The instruction (General/AdvInstruct or BasInstruct), likewise.
void ReadDialogInstruction(char (&text)[rules::kScriptTextSize], int advanced,
                           const char* scriptPath);
// StartupOptions/Bitmap into dest (kPathSize bytes), as ReadProfilePath reads it.
int ReadStartupBitmap(char* dest, const char* scriptPath);

// What a walk over one component section hands over, in script order. Every string is read
// into the walk's buffer and is valid only until the hook returns.
class ComponentSectionVisitor {
public:
    virtual ~ComponentSectionVisitor() = default;
    // The section's group count as the walk takes it: 0 or more, at most kMaxScriptGroups.
    virtual void OnGroupCount(int groups) { static_cast<void>(groups); }
    // The section's group count as the script gives it (0 when missing), before the walk's
    // limits; handed over just before OnGroupCount.
    virtual void OnGroupCountAsRead(std::int32_t count) { static_cast<void>(count); }
    // A group begins: its number, then its name and description when the walk reads them.
    virtual void OnGroup(int number) { static_cast<void>(number); }
    virtual void OnGroupName(const char* name) { static_cast<void>(name); }
    virtual void OnGroupDescription(const char* description) { static_cast<void>(description); }
    // The group's file count as the walk takes it: 0 or more, at most kMaxGroupFiles.
    virtual void OnFileCount(int files) { static_cast<void>(files); }
    // One file: its name, then its key.
    virtual void OnFileName(const char* name) = 0;
    virtual void OnFileKey(const char* key) = 0;
    // After the group's files. false ends the walk.
    virtual bool OnGroupEnd() { return true; }
};

// Walks section of the script by rules::WalkComponentSection, one profile call for each value
// it reads, every string into buffer; file names with the system code page's double-byte
// characters kept whole. Returns false when the visitor ended the walk, else true.
bool WalkComponentSection(const char* scriptPath, const char* section, bool readGroupTexts,
                          char (&buffer)[rules::kScriptValueSize],
                          ComponentSectionVisitor& visitor);
