// The program's one top-level window: the menus, the library window in its MDI area, the source
// pane, and the relays by which sources, library and preview reach one another.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>

class CCamPane;
class CCapBase;
class CChildFrame;
class CClipObj;
class CEditPane;
class CSourcePane;
class CToolBarCustomizer;
class QAction;
class QLabel;
class QMdiArea;
class QToolBar;

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
    CEditPane* PreviewPane() const { return m_wndPreviewPane; }
    // One capture pane per channel, for at most four channels (those not set aside in Channels...),
    // in channel order.
    const QList<CCamPane*>& CamPanes() const { return m_wndCamPanes; }
    CCapBase* CapBase() const { return m_pCapBase.get(); }

    // The open library window, or nullptr.
    CChildFrame* LibraryFrame() const;

    // New: opens the library window, or brings the open one forward (there is one library).
    void OnFileNew();
    // Open: the library document holds nothing of its own, so a chosen file opens the library.
    void OnFileOpen();
    void OnFileClose();

    // A grab's new item joins the selected folder of the library window, which is opened first
    // when it is not open.
    void OnNewClip(std::unique_ptr<CClipObj> clip);
    // Shows an item in the preview and brings the source to a video item's file and frame; the
    // library keeps the item.
    void OnPreviewClip(CClipObj* clip);
    // Tells the source which frames of its video the library holds, and in which folder.
    void ShowLibraryFramesInSource();
    // Opens a video file in the source at frame (the command line, a drop); a frame beyond the
    // end shows the last one.
    void OpenVideo(const QString& path, std::uint32_t frame = 0);
    // The look (210..218): style, palette and background colour, kept in the profile.
    void OnApplicationLook(int id);
    int ApplicationLook() const { return m_appLook; }
    // The layout (32797..32800): the preview pane and the source group in a band along an edge.
    void OnLayout(int id);
    int LayoutCmd() const { return m_layoutCmd; }
    void OnOptions();
    void OnWindowManager();
    void OnViewCustomize();
    void OnHelpTopics();
    CToolBarCustomizer* Customizer() const { return m_customizer; }
    QToolBar* StandardToolBar() const { return m_wndToolBar; }
    QMenu* createPopupMenu() override;
    // Puts the panes and bars back where the last run left them (the layout button still starts
    // at UpLeft); false when state holds nothing usable, and the start-up layout stands.
    bool RestoreWindowState(const QByteArray& state);

    // Grabs the next frame of every channel that is previewing.
    void OnGrabAllChannels();
    // Grab All Channels Every...: starts a timed grab on every channel previewing, or stops them.
    void OnGrabAllChannelsEvery();
    // Add Network Camera...: the name and address dialog, which keeps the camera only once its
    // address gave a picture; then AddNetCamera.
    void OnAddNetCamera();
    // A checked camera becomes a channel, with a pane while fewer than four channels have one.
    // The channel's number, or -1 (the reason reported).
    int AddNetCamera(const QString& name, const QString& address);
    // Remove Network Camera: which one, then RemoveNetCamera.
    void OnRemoveNetCamera();
    // Its pane goes first (the controller shut down, a grab under way delivered), then the channel.
    void RemoveNetCamera(int channel);
    // Channels...: which channels have panes; then ShowChannels.
    void OnChooseChannels();
    // Panes for exactly these channels (at most four); the others are remembered as set aside.
    void ShowChannels(const QList<int>& channels);
    // Ends the capture side: every channel stops, every grab under way is finished and reaches
    // the library, the capture panes go; a range grab under way stops, what it wrote reaching the
    // library too. Called before the library is saved at exit; idempotent.
    void StopCapture();
    // Tells the user: the status bar, and a message box unless quiet (tests, batch runs).
    void ReportProblem(const QString& message);
    void SetQuiet(bool quiet) { m_quiet = quiet; }

    // Shows the window (maximised when it was minimised), raises it and gives it the focus: what a
    // second start asks of the running program.
    void BringForward();

    // The workspace in the profile: the source's video and frame, the library's selected folder
    // and the width of its tree (workspace.cpp). Kept at exit.
    void SaveWorkspace();
    // Puts the library's folder and tree width back, and, with reopenVideo, the last video at its
    // last frame when the file still exists (a video named on the command line wins over it).
    void RestoreWorkspace(bool reopenVideo);
    // The preview's zoom in percent and the picture's size, at the right of the status bar.
    QLabel* PreviewStatus() const { return m_previewStatus; }

protected:
    // A window-wide key that reached no command (its command is disabled, say with no video
    // open) says so in the status bar rather than vanish.
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int commandId, const QString& label, const QString& tip);
    void CreateMenus();
    void CreateEditMenu();
    // Enables Cut, Copy and Paste as the pane with the focus allows.
    void UpdateEditCommands();
    // The command of that id of the pane (or library window) that has the focus, or nullptr.
    QAction* FocusedPaneCommand(int commandId) const;
    void CreateViewMenu();
    void CreateLookMenu(QMenu* lookMenu);
    void CreateHelpMenu();
    void CreateLayoutMenu();
    void CreateStandardToolBar();
    void FillPanesMenu();
    void UpdateLayoutButton();
    void ApplyLayout();
    void CustomizeToolBars();
    void ShowIdleStatus();
    void ShowPreviewStatus();
    void CreateDockingWindows();
    void CreateCapturePanes();
    void CreateCaptureMenu();
    CCamPane* AddCamPane(int channel);
    void RemoveCamPane(CCamPane* pane);
    // The pane of channel, or null when it has none.
    CCamPane* CamPaneOf(int channel) const;
    void UpdateChannelCommands();
    void UpdateCaptureCommands();
    void CreatePaneKeys();
    void CreateCaptureToolBar();
    void FocusNextPane(int direction);
    // Shows the File menu of "no library open" or of "library open", as the window's state is.
    void UpdateMenus();

    QMdiArea* m_mdiArea = nullptr;
    QPointer<CChildFrame> m_pLibraryFrame;
    QMenu* m_fileMenuNoLibrary = nullptr;
    QMenu* m_fileMenuLibrary = nullptr;
    CSourcePane* m_wndSourcePane = nullptr;
    CEditPane* m_wndPreviewPane = nullptr;
    std::unique_ptr<CCapBase> m_pCapBase;  // before the panes that use it are made, after they go
    QList<CCamPane*> m_wndCamPanes;
    bool m_quiet = false;
    bool m_closing = false;  // StopCapture has begun: no more windows are opened
    QHash<int, QAction*> m_actions;
    int m_appLook = 213;
    int m_layoutCmd = 32797;  // every start begins with UpLeft; the layout is not kept
    QToolBar* m_wndToolBar = nullptr;
    QMenu* m_layoutMenu = nullptr;
    QMenu* m_panesMenu = nullptr;
    QAction* m_layoutButton = nullptr;
    CToolBarCustomizer* m_customizer = nullptr;
    QLabel* m_previewStatus = nullptr;
};
