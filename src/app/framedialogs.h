// The frame's two small dialogs: the open library windows, and which commands the toolbars show.
#pragma once

#include <QDialog>

class CToolBarCustomizer;
class QListWidget;
class QMdiArea;
class QTreeWidget;

// "Windows...": the open library windows, to activate or close. User-interface thread.
class CWindowsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWindowsDlg(QMdiArea* area, QWidget* parent = nullptr);

private:
    void Fill();
    void ActivateSelected();
    void CloseSelected();

    QMdiArea* m_area;
    QListWidget* m_list = nullptr;
};

// "Customize...": each toolbar with its commands, each shown or hidden by a check box, and Reset.
// Changes apply at once and are kept. User-interface thread.
class CCustomizeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCustomizeDlg(CToolBarCustomizer* customizer, QWidget* parent = nullptr);

private:
    void Fill();

    CToolBarCustomizer* m_customizer;
    QTreeWidget* m_tree = nullptr;
};
