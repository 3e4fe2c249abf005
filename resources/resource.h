// Command, control and string ids shared by the windows. The numbers are the ones the program has
// always used; commands are looked up by them, so keep them stable.
#pragma once

namespace kestivo::ids {

// Standard application commands.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP_FINDER = 57667;
inline constexpr int ID_CONTEXT_HELP = 57669;  // Shift+F1: What's This mode
// The Edit menu's commands; each pane that can cut, copy or paste has its own action of the same
// id, and the menu hands the command to the pane with the focus.
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;

// The frame's own commands.
inline constexpr int ID_VIEW_CUSTOMIZE = 126;
inline constexpr int ID_WINDOW_MANAGER = 131;
inline constexpr int ID_VIEW_APPLOOK_DEFAULT = 213;
// The layout button at the head of the Standard toolbar, and the four layouts of its menu.
inline constexpr int ID_LAYOUT_BUTTON = 32793;
inline constexpr int ID_LAYOUT_UPLEFT = 32797;
inline constexpr int ID_LAYOUT_UPRIGHT = 32798;
inline constexpr int ID_LAYOUT_DOWNLEFT = 32799;
inline constexpr int ID_LAYOUT_DOWNRIGHT = 32800;

// Program commands.
inline constexpr int ID_OPTIONS = 32794;

// The source pane's commands.
inline constexpr int ID_SOURCE_PLAY = 32772;
inline constexpr int ID_SOURCE_OPEN = 32773;
inline constexpr int ID_SOURCE_STOP = 32774;
inline constexpr int ID_SOURCE_PAUSE = 32775;
inline constexpr int ID_SOURCE_HEAD = 32776;
inline constexpr int ID_SOURCE_PREVSEC = 32777;
inline constexpr int ID_SOURCE_PREVFRAME = 32778;
inline constexpr int ID_SOURCE_NEXTFRAME = 32779;
inline constexpr int ID_SOURCE_NEXTSEC = 32780;
inline constexpr int ID_SOURCE_TAIL = 32781;
inline constexpr int ID_SOURCE_RATEUP = 32782;
inline constexpr int ID_SOURCE_RATEDOWN = 32783;
inline constexpr int ID_SOURCE_RATE = 32784;
inline constexpr int ID_SOURCE_GRAB = 32785;
inline constexpr int ID_SOURCE_MARKIN = 32801;
inline constexpr int ID_SOURCE_MARKOUT = 32802;
inline constexpr int ID_SOURCE_GRABRANGE = 32803;

// The library window's commands.
inline constexpr int ID_NEW_FOLDER = 32786;
inline constexpr int ID_DELETE_FOLDER = 32788;
inline constexpr int ID_PREVIEW_IMAGE = 32790;
inline constexpr int ID_DELETE_IMAGES = 32791;
inline constexpr int ID_SELECT_ALL = 32792;

inline constexpr int ID_VIEW_STATUS_BAR = 59393;

// Moving the keyboard focus between the library window and the panes.
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;

// The preview pane's commands.
inline constexpr int ID_PREVIEW_ZOOMIN = 32771;
inline constexpr int ID_PREVIEW_ZOOMOUT = 32801;
inline constexpr int ID_PREVIEW_ORIGINALSIZE = 32803;
inline constexpr int ID_PREVIEW_FITSIZE = 32804;
inline constexpr int ID_PREVIEW_JUMP = 32806;
inline constexpr int ID_PREVIEW_EDIT = 32807;

// A capture pane's commands.
inline constexpr int ID_CAM_FORMAT = 32808;
inline constexpr int ID_CAM_PROPERTY = 32809;
inline constexpr int ID_CAM_PREVIEW = 32810;
inline constexpr int ID_CAM_STOP = 32811;
inline constexpr int ID_CAM_GRAB = 32812;
// Grabs from every channel that is previewing (main frame).
inline constexpr int ID_GRAB_ALL_CHANNELS = 32813;
// Timed grabs: of one channel (its pane), of every channel previewing (main frame).
inline constexpr int ID_CAM_GRAB_EVERY = 32814;
inline constexpr int ID_GRAB_ALL_CHANNELS_EVERY = 32815;

// Panes.
inline constexpr int IDC_PREVIEW_PANE = 311;
inline constexpr int IDC_PREVIEW_TOOLBAR = 313;
inline constexpr int IDC_SOURCE_PANE = 316;
inline constexpr int IDC_SOURCE_TOOLBAR = 317;
inline constexpr int IDC_CAM_PANE_FIRST = 312;  // capture pane i is 312 + i
inline constexpr int kMaxCamPanes = 4;

// Network cameras and the choice of channels with panes (main frame, Capture menu).
inline constexpr int ID_NET_CAMERA_ADD = 32830;
inline constexpr int ID_NET_CAMERA_REMOVE = 32831;
inline constexpr int ID_CHOOSE_CHANNELS = 32832;

// Application looks, stored in the profile as "ApplicationLook".
inline constexpr int ID_VIEW_APPLOOK_FIRST = 210;
inline constexpr int ID_VIEW_APPLOOK_LAST = 218;

}  // namespace kestivo::ids

namespace kestivo::text {

inline constexpr char kAppName[] = "Kestivo";
inline constexpr char kOrganisation[] = "Orvel";
inline constexpr char kMenuFile[] = "&File";
inline constexpr char kMenuHelp[] = "&Help";
inline constexpr char kExit[] = "E&xit";
inline constexpr char kAbout[] = "&About Kestivo...";
inline constexpr char kHelpTopics[] = "&Help Topics";
inline constexpr char kStandard[] = "Standard";
inline constexpr char kCustomize[] = "Customize...";
inline constexpr char kWindows[] = "&Windows...";
inline constexpr char kIdleStatus[] = "For Help, press F1";
inline constexpr char kPreviewPane[] = "Preview Pane";
inline constexpr char kSourcePane[] = "Soure Pane";
inline constexpr char kListView[] = "List View";
inline constexpr char kNewFolderName[] = "Unkown";
inline constexpr char kDeleteQuestion[] = "The image files will be deleted.\nAre you sure?";
inline constexpr char kFileMissing[] = "%1 don't exist";

}  // namespace kestivo::text
