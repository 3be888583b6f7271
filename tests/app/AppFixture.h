#pragma once
// A main window on the test view, over a throw-away game folder.
#include "app/CDeckEditorDlg.h"
#include "support/TestView.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class MainWindowTest : public ::testing::Test, protected GameFolder {
protected:
    explicit MainWindowTest(bool withBackupFolder = true) : GameFolder(withBackupFolder)
    {
        std::vector<int> a, b;
        for (int r = 0; r < kRows; ++r) {
            a.push_back(IDC_RADIO_A + r);
            b.push_back(IDC_RADIO_B + r);
        }
        view.AddRadioGroup(a);
        view.AddRadioGroup(b);
        view.AddRadioGroup({IDC_ONE, IDC_ALL});
        // Hidden in the window's template.
        view.ShowItem(IDC_MAIDCODE, false);
        view.ShowItem(IDC_MAIDCODE_LABEL, false);
    }

    // Writes the save file (unless told not to), builds the window and starts it.
    bool Start(bool withSaveFile = true)
    {
        if (withSaveFile) {
            WriteSaveFile();
        }
        dlg = std::make_unique<CDeckEditorDlg>(view);
        if (browserControl) {
            dlg->browser.Attach(&browserView, browserControl);
        }
        return dlg->OnInitDialog();
    }

    // What a user does, then the handler the event reaches.
    void ClickA(int row) { view.ClickRadio(IDC_RADIO_A + row); dlg->OnDeckRadio(row); }
    void ClickB(int row) { view.ClickRadio(IDC_RADIO_B + row); dlg->OnDeckRadio(kRows + row); }
    void ChooseTab(int tab) { view.SelectTab(IDC_TAB, tab); dlg->OnTabSelChange(); }
    void TypeName(int row, const std::string& text) { view.TypeText(IDC_NAME_ROW + row, text); dlg->OnDeckNameChange(row); }
    void ScrollTo(int position) { dlg->OnVScroll(CDeckEditorDlg::SB_THUMBPOSITION, position); }

    std::string Row(int r) const { return view.GetItemText(IDC_NAME_ROW + r); }
    std::string Status() const { return view.GetItemText(IDC_STATUS); }
    const std::vector<std::string>& StatusHistory() const { return view.Find(IDC_STATUS).history; }
    std::string Name(int slot) const { return dlg->saveData.Deck(slot).Name(); }
    int CheckedRow(int firstId) const
    {
        int found = -1;
        for (int r = 0; r < kRows; ++r) {
            if (view.GetCheck(firstId + r)) {
                EXPECT_EQ(found, -1) << "two radios checked in one column";
                found = r;
            }
        }
        return found;
    }

    TestView view;
    // The browser dialog's window and page, when a test gives a page.
    TestView browserView;
    BrowserControl* browserControl = nullptr;
    std::unique_ptr<CDeckEditorDlg> dlg;
};
