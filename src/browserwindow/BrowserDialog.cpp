#include "browserwindow/BrowserDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWebEnginePage>

// ---------------------------------------------------------------- dialog

BrowserDialog::BrowserDialog()
    // A dialog, so that it can be the transient of the main window (SetOwner).
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPointSize(8);
    setFont(font);
    // Dialog base units: average width of the alphabet, and the font height.
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX = qMax(1, (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2);
    baseY = qMax(1, metrics.height());

    setWindowTitle(QStringLiteral("Dialog"));
    setSizeGripEnabled(false);
    setModal(false);

    webView = new DeckView(this);
    webView->setGeometry(0, 0, DluX(399), DluY(462));

    okButton = new QPushButton(QStringLiteral("ok"), this);
    okButton->setGeometry(DluX(337), DluY(6), DluX(25), DluY(13));
    okButton->setAutoDefault(false);
    cancelButton = new QPushButton(QStringLiteral("cancel"), this);
    cancelButton->setGeometry(DluX(363), DluY(5), DluX(25), DluY(12));
    cancelButton->setAutoDefault(false);
    cancelButton->hide();
    notLoaded = new QLabel(this);
    notLoaded->setGeometry(DluX(10), DluY(30), DluX(380), DluY(40));
    notLoaded->setWordWrap(true);
    notLoaded->setAutoFillBackground(true);
    notLoaded->hide();
    okButton->raise();
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });

    resize(DluX(400), DluY(463));
    move(0, 0);
}

int BrowserDialog::DluX(int units) const { return (units * baseX + 2) / 4; }
int BrowserDialog::DluY(int units) const { return (units * baseY + 4) / 8; }

// QDialog's cancel (Escape never gets here: the window swallows it).
void BrowserDialog::reject()
{
    if (onCancel) {
        onCancel();
    }
}

// The caption's close box counts as cancel; the editor's close hides the window.
void BrowserDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

// The page fills the window, whatever size the player gives it.
void BrowserDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    webView->resize(size());
}

// ---------------------------------------------------------------- page

// In Japanese like every other text of the program (Qt has no Japanese
// texts for the page's actions).
QMenu* DeckView::CreateContextMenu()
{
    struct Item {
        QWebEnginePage::WebAction action;
        const char* text;
    };
    static const Item kItems[] = {
        {QWebEnginePage::Copy, u8"コピー(&C)"},
        {QWebEnginePage::Paste, u8"貼り付け(&P)"},
        {QWebEnginePage::SelectAll, u8"すべて選択(&A)"},
    };
    auto* menu = new QMenu(this);
    for (const Item& item : kItems) {
        QAction* pageAction = page()->action(item.action);
        QAction* shown = menu->addAction(QString::fromUtf8(item.text), pageAction, &QAction::trigger);
        shown->setEnabled(pageAction->isEnabled());
    }
    return menu;
}

void DeckView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
