#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;
class QToolButton;

// The help window: HTML pages with links, Back/Forward/Contents, and a search
// field that finds text in the page (Enter: next match, Shift+Enter: previous,
// wrapping around). Escape and Ctrl+W close it.
class CHelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit CHelpViewer(QWidget* parent = nullptr);

    // Shows a help page (the contents page of the help file).
    void ShowFile(const QString& path);
    QTextBrowser* Browser() const { return m_pBrowser; }
    QLineEdit* SearchField() const { return m_pSearch; }

    // Finds the search text from the cursor on; false when it is nowhere.
    bool FindNext(bool backwards = false);

private:
    QTextBrowser* m_pBrowser;
    QLineEdit* m_pSearch;
    QToolButton* m_pBack;
    QToolButton* m_pForward;
};
