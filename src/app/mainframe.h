// The program's one top-level window. For now: the menus and an empty area for the library
// windows; the panes, bars and relays between sources, library and preview join it later.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>

class CClipObj;
class CSourcePane;
class QAction;
class QMdiArea;

// User-interface thread only.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action of a command id (kestivo::ids), or nullptr.
    QAction* Action(int commandId) const;
    QMdiArea* MdiArea() const { return m_mdiArea; }
    CSourcePane* SourcePane() const { return m_wndSourcePane; }

    // A grab's new item; the frame's relay owns it from here. Until the library window exists it
    // goes to the end of the library's root folder, so it is saved at exit and never lost.
    void OnNewClip(std::unique_ptr<CClipObj> clip);
    // Opens a video file in the source (the command line, a drop).
    void OpenVideo(const QString& path);
    // Tells the user: the status bar, and a message box unless quiet (tests, batch runs).
    void ReportProblem(const QString& message);
    void SetQuiet(bool quiet) { m_quiet = quiet; }

    // Shows the window (maximised when it was minimised), raises it and gives it the focus: what a
    // second start asks of the running program.
    void BringForward();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int commandId, const QString& label, const QString& tip);
    void CreateMenus();

    QMdiArea* m_mdiArea = nullptr;
    CSourcePane* m_wndSourcePane = nullptr;
    bool m_quiet = false;
    QHash<int, QAction*> m_actions;
};
