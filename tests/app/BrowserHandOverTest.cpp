// The Edit tab and the browser dialog: the hand-over of the current deck and
// the way back through the browser's OK and Cancel.
#include "AppFixture.h"

#include "maidcode/DazoRozi.h"

namespace {

class FakeBrowserControl : public BrowserControl {
public:
    void Navigate(const std::string& url) override { urls.push_back(url); }
    void SetWidth(long) override {}
    void SetHeight(long) override {}
    std::vector<std::string> urls;
};

class BrowserHandOverTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        spec.Fill(0, 40);
        spec.Add(2, 9, 2);
        spec.names[2] = Sjis(u8"水の陣");
    }
    bool StartWithBrowser()
    {
        ws.Put(ws.SavePath(), spec.Bytes());
        dlg = std::make_unique<CDeckEditorDlg>(view);
        dlg->browser.Attach(&browserView, &control);
        return dlg->OnInitDialog();
    }
    TestView browserView;
    FakeBrowserControl control;
};

}  // namespace

TEST_F(BrowserHandOverTest, EditTabShowsTheCurrentDeckInTheBrowser)
{
    ASSERT_TRUE(StartWithBrowser());
    EXPECT_FALSE(browserView.IsWindowVisible());  // created hidden at start-up
    ClickA(2);
    const std::string code = encode(dlg->saveData.Deck(2));
    ChooseTab(3);
    EXPECT_TRUE(browserView.IsWindowVisible());
    EXPECT_EQ(browserView.GetWindowText(), Sjis(u8"水の陣"));
    ASSERT_FALSE(control.urls.empty());
    EXPECT_NE(control.urls.back().find("demaid(deck, '" + code + "')"), std::string::npos);
    EXPECT_TRUE(view.IsItemVisible(IDC_MAIDCODE));
    // Nothing changed in the deck by choosing the tab.
    EXPECT_EQ(encode(dlg->saveData.Deck(2)), code);
}

TEST_F(BrowserHandOverTest, BrowserOkStoresThePagesCodeIntoTheDeckChosenNow)
{
    ASSERT_TRUE(StartWithBrowser());
    ClickA(2);
    ChooseTab(3);
    std::uint8_t counts[600] = {};
    counts[3] = 3;  // card number 4: stock 3
    const std::string pageCode = encode(counts);
    control.statusTextChange(pageCode);
    // The user picks another deck before pressing the browser's OK.
    ClickA(4);
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), pageCode);
    EXPECT_EQ(encode(dlg->saveData.Deck(4)), pageCode);
    EXPECT_EQ(dlg->saveData.Deck(2).CardCount(), 2);
    EXPECT_EQ(Status(), pageCode);
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(BrowserHandOverTest, BrowserCancelSelectsCreateSoEditCanBeChosenAgain)
{
    ASSERT_TRUE(StartWithBrowser());
    ChooseTab(3);
    dlg->browser.OnBrowserCancel();
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_TRUE(view.IsItemVisible(IDC_MAIDCODE));
    const std::size_t shown = control.urls.size();
    ChooseTab(3);
    EXPECT_GT(control.urls.size(), shown);
}
