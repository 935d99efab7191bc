// A setup dialog on real files: a product PUZZLE whose disc is src\ in a temporary folder,
// with its install script there, the proposed destination dest\ and the shared file beside
// them. The dialog is created modeless (hidden) and driven by messages in the test's thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "launcher/setup_dialog.h"
#include "tests/launcher/setup_dialog_access.h"
#include "tests/support/test_files.h"

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { Close(); }

    // Writes the install script src\PUZZLE.inf.
    void WriteScript(const std::string& text) const;
    // Writes a source file of size bytes under src\ (folders made as needed).
    void WriteSource(const std::string& name, std::size_t size) const;
    // Creates the dialog window with the force-setup flag; fails the test when it does not come up.
    SetupDialog& Open(int forceSetup = 0);
    // Destroys the window (so that the dialog's own destroy handling runs) and the object.
    void Close();

    SetupDialog& Dialog() const { return *m_dialog; }
    std::string Text(int id) const;
    std::string Caption() const;
    // A control's rectangle in the dialog's client coordinates.
    RECT Rect(int id) const;
    RECT WindowRect() const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    // Sends the dialog the command a control sends its parent.
    void Notify(int id, UINT code) const;

    std::string Source() const { return m_temp / "src\\"; }
    std::string Dest() const { return m_temp / "dest\\"; }
    std::string Shared() const { return m_temp / "tivoroo.ini"; }

    TempFolder m_temp;
    std::unique_ptr<SetupDialog> m_dialog;
};
