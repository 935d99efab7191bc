// Loading the install script's component groups into the setup dialog's check-list, and
// releasing them.

#include "setup/components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "rules/install_rules.h"
#include "tests/launcher/setup_fixture.h"

using Access = SetupDialogTestAccess;

namespace {

const char kExample[] =
    "[Required]\r\n"
    "PC-GroupCount=1\r\n"
    "PC-Group1Name=Game files\r\n"
    "PC-Group1Desc=The game itself.\r\n"
    "PC-Group1FileCount=2\r\n"
    "PC-Group1File1Name=GAME.DAT\r\n"
    "PC-Group1File1Key=GameDat\r\n"
    "PC-Group1File2Name=MUSIC\\THEME.MID\r\n"
    "PC-Group1File2Key=Theme\r\n"
    "[Optional]\r\n"
    "PC-GroupCount=1\r\n"
    "PC-Group1Name=Movies\r\n"
    "PC-Group1Desc=\"Intro and ending films.\"\r\n"
    "PC-Group1FileCount=1\r\n"
    "PC-Group1File1Name=MOVIES\\INTRO.AVI\r\n"
    "PC-Group1File1Key=Intro\r\n";

struct Row {
    std::string text;
    int check;
    bool enabled;
    std::string description;
    std::vector<std::string> files;  // "name=key" in order
    int required;
};

struct Case {
    const char* what;
    const char* script;  // null: no install script at all
    int forceSetup;
    std::vector<Row> rows;
    int optionalCount;
};

std::string Describe(const ComponentFile& file) { return file.name + "=" + file.key; }

}  // namespace

class Components : public SetupDialogTest {
protected:
    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        const CCheckListBox& list = Access::Components(Dialog());
        for (int index = 0; index < list.GetCount(); ++index) {
            Row row{};
            char text[4096] = "";
            list.SendMessage(LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(text));
            row.text = text;
            row.check = list.GetCheck(index);
            row.enabled = list.IsEnabled(index) != FALSE;
            if (const ComponentGroup* group = GetRowGroup(list, index)) {
                EXPECT_EQ(group->name, row.text);
                row.description = group->description;
                row.required = group->required;
                for (const ComponentFile& file : group->files) row.files.push_back(Describe(file));
            } else {
                ADD_FAILURE() << "row " << index << " has no group";
            }
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(Components, LoadsGroupsFromTheScript) {
    const Case cases[] = {
        {"example",
         kExample,
         0,
         {{"Game files (required)",
           1,
           false,
           "The game itself.",
           {"GAME.DAT=GameDat", "MUSIC\\THEME.MID=Theme"},
           1},
          {"Movies", 0, true, "Intro and ending films.", {"MOVIES\\INTRO.AVI=Intro"}, 0}},
         1},
        {"no script", nullptr, 1, {}, 0},
        // The optional count stays as read: a negative one lists nothing.
        {"counts of 0 and below",
         "[Required]\r\nPC-GroupCount=0\r\nPC-Group1Name=A\r\n"
         "[Optional]\r\nPC-GroupCount=-2\r\nPC-Group1Name=B\r\n",
         1,
         {},
         -2},
        {"gaps are never read",
         "[Required]\r\nPC-GroupCount=2\r\nPC-Group1Name=A\r\nPC-Group3Name=C\r\n"
         "PC-Group1FileCount=2\r\nPC-Group1File1Name=ONE\r\nPC-Group1File1Key=K1\r\n"
         "PC-Group1File3Name=THREE\r\nPC-Group1File3Key=K3\r\n",
         0,
         {{"A (required)", 1, false, "", {"ONE=K1", "="}, 1}, {" (required)", 1, false, "", {}, 1}},
         0},
        {"optional groups without files start checked",
         "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=R\r\nPC-Group1FileCount=1\r\n"
         "PC-Group1File1Name=MISSING\r\nPC-Group1File1Key=M\r\n"
         "[Optional]\r\nPC-GroupCount=2\r\nPC-Group1Name=None\r\nPC-Group1FileCount=0\r\n"
         "PC-Group2Name=Negative\r\nPC-Group2FileCount=-3\r\n",
         0,
         {{"R (required)", 1, false, "", {"MISSING=M"}, 1},
          {"None", 1, true, "", {}, 0},
          {"Negative", 1, true, "", {}, 0}},
         2},
        {"a required group with no files is still checked and fixed",
         "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=R\r\n",
         1,
         {{"R (required)", 1, false, "", {}, 1}},
         0},
        {"slashes in file names become backslashes",
         "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=R\r\nPC-Group1FileCount=1\r\n"
         "PC-Group1File1Name=DATA/NEW\\LEVEL/ONE.DAT\r\nPC-Group1File1Key=One\r\n",
         1,
         {{"R (required)", 1, false, "", {"DATA\\NEW\\LEVEL\\ONE.DAT=One"}, 1}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA((Source() + "PUZZLE.inf").c_str());
        if (c.script != nullptr) WriteScript(c.script);
        Open(c.forceSetup);
        const std::vector<Row> rows = Rows();
        ASSERT_EQ(rows.size(), c.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(c.rows[i].text);
            EXPECT_EQ(rows[i].text, c.rows[i].text);
            EXPECT_EQ(rows[i].check, c.rows[i].check);
            EXPECT_EQ(rows[i].enabled, c.rows[i].enabled);
            EXPECT_EQ(rows[i].description, c.rows[i].description);
            EXPECT_EQ(rows[i].files, c.rows[i].files);
            EXPECT_EQ(rows[i].required, c.rows[i].required);
        }
        EXPECT_EQ(Access::OptionalCount(Dialog()), c.optionalCount);
        Close();
    }
}

// A damaged group count is read up to the limit of 1000 groups, and kept as read.
TEST_F(Components, AHugeGroupCountReadsUpToTheLimit) {
    WriteScript("[Optional]\r\nPC-GroupCount=2000000000\r\nPC-Group1Name=B\r\n");
    Open(1);
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(rules::kMaxScriptGroups));
    EXPECT_EQ(rows.front().text, "B");
    EXPECT_EQ(rows.back().text, "");
    EXPECT_EQ(Access::OptionalCount(Dialog()), 2000000000);
    Close();
}

// An optional group starts checked only when every one of its files is installed and current,
// and every file is tested, so the shared file's records stay in step even after a file was
// found missing.
TEST_F(Components, OptionalGroupChecksFollowTheInstallState) {
    WriteScript(
        "[Optional]\r\nPC-GroupCount=2\r\n"
        "PC-Group1Name=Current\r\nPC-Group1FileCount=1\r\n"
        "PC-Group1File1Name=A.DAT\r\nPC-Group1File1Key=A\r\n"
        "PC-Group2Name=Partly\r\nPC-Group2FileCount=2\r\n"
        "PC-Group2File1Name=MISSING.DAT\r\nPC-Group2File1Key=Missing\r\n"
        "PC-Group2File2Name=B.DAT\r\nPC-Group2File2Key=B\r\n");
    ASSERT_TRUE(WriteFileAt(Source() + "A.DAT", 100));
    ASSERT_TRUE(WriteFileAt(Dest() + "A.DAT", 100));
    ASSERT_TRUE(WriteFileAt(Source() + "B.DAT", 100));
    ASSERT_TRUE(WriteFileAt(m_temp / "old\\B.DAT", 50));
    ASSERT_TRUE(WritePrivateProfileStringA("PUZZLE", "B", (m_temp / "old\\B.DAT").c_str(),
                                           Shared().c_str()));
    Open(1);
    const CCheckListBox& list = Access::Components(Dialog());
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetCheck(0), 1);
    EXPECT_EQ(list.GetCheck(1), 0);
    // The copy found in the proposed destination was adopted, the stale record dropped.
    EXPECT_EQ(ReadProfile(Shared(), "PUZZLE", "A"), Dest() + "A.DAT");
    EXPECT_EQ(ReadProfile(Shared(), "PUZZLE", "B"), "");
}

// Values are cut by their buffers: 2047 characters for component keys, 255 for the caption
// and the instruction. The required suffix goes after the cut name.
TEST_F(Components, LongValuesAreCut) {
    const std::string longText(3000, 'n');
    WriteScript("[General]\r\nAdvDlgTitle=" + longText + "\r\nAdvInstruct=" + longText +
                "\r\n[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=" + longText +
                "\r\nPC-Group1Desc=" + longText +
                "\r\nPC-Group1FileCount=1\r\n"
                "PC-Group1File1Name=" +
                longText + "\r\nPC-Group1File1Key=" + longText + "\r\n");
    Open(1);
    const ComponentGroup* group = GetRowGroup(Access::Components(Dialog()), 0);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->name, std::string(2047, 'n') + " (required)");
    EXPECT_EQ(group->description, std::string(2047, 'n'));
    ASSERT_EQ(group->files.size(), 1u);
    EXPECT_EQ(group->files[0].name.size(), 2047u);
    EXPECT_EQ(group->files[0].key.size(), 2047u);
    EXPECT_EQ(Caption(), std::string(255, 'n'));
    EXPECT_EQ(Text(IDC_INSTRUCTIONS), std::string(255, 'n'));
}

TEST_F(Components, FreeComponentsEmptiesTheList) {
    WriteScript(kExample);
    Open();
    SetupDialog& dialog = Dialog();
    ASSERT_EQ(Access::Components(dialog).GetCount(), 2);
    EXPECT_EQ(Access::FreeComponents(dialog), 1);
    EXPECT_EQ(Access::Components(dialog).GetCount(), 0);
    // The destroy handler frees again: nothing is left to free twice.
    EXPECT_EQ(Access::FreeComponents(dialog), 1);
}
