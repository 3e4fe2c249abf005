// The program's one top-level window. For now: the menus and an empty area for the library
// windows; the panes, bars and relays between sources, library and preview join it later.
#pragma once

#include <QHash>
#include <QMainWindow>

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

    // Shows the window (maximised when it was minimised), raises it and gives it the focus: what a
    // second start asks of the running program.
    void BringForward();

private:
    QAction* AddCommand(QMenu* menu, int commandId, const QString& label, const QString& tip);
    void CreateMenus();

    QMdiArea* m_mdiArea = nullptr;
    QHash<int, QAction*> m_actions;
};
