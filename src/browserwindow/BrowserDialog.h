#pragma once
// The browser program's window: ok, the hidden cancel and the deck page's view.
#include <QDialog>
#include <QWebEngineView>

#include <functional>

class QLabel;
class QMenu;
class QPushButton;

// The dialog window: ok, the hidden cancel and the page.
class BrowserDialog : public QDialog {
public:
    BrowserDialog();

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QWebEngineView* webView = nullptr;
    // Over the page while it could not be loaded or does not take the deck.
    QLabel* notLoaded = nullptr;
    // QDialog's cancel, the close box and the cancel button.
    std::function<void()> onCancel;

    // Dialog units of the dialog font, in pixels.
    int DluX(int units) const;
    int DluY(int units) const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int baseX = 6;
    int baseY = 13;
};

// The page's view: its context menu offers copying and pasting only, never
// leaving or reloading the page (which would lose the deck being edited).
class DeckView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;
    QMenu* CreateContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};
