// The help window: the user guide, compiled into the program, in a window of its own beside the
// main frame; and the text of the about box's details.
#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QTextBrowser;

// Non-modal: the guide stays open while the user tries what it says. Links into the guide scroll
// to their heading; links elsewhere (the web, mail) go to the desktop's own programs.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    QTextBrowser* Browser() const { return m_browser; }

    // Finds text in the guide from the cursor on, wrapping around at the end; false if it is not
    // there at all.
    bool Find(const QString& text, bool backward = false);

private:
    void LoadGuide();
    void NameHeadings();
    void LimitImageWidths(int maxWidth);

    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_find = nullptr;
};

// Shows the help window, creating it the first time as a window of parent's top-level window;
// later calls bring the same window forward. Once parent's window is destroyed, the next call
// creates a new one. User-interface thread only.
void ShowHelp(QWidget* parent);

// "Qt <version>", then the FFmpeg and GStreamer in use, one a line, for the about box.
QString AboutDetailsText();
