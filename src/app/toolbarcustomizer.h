// Which commands each toolbar shows, as the user chose them in the Customize dialog.
#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <vector>

class QAction;
class QToolBar;

// User-interface thread only. A hidden command's button leaves its toolbar; the command itself,
// its key and its menu item stay. The choice is kept in the profile per toolbar (by its
// objectName) and command id, so it survives a restart and a library window opened again.
class CToolBarCustomizer : public QObject {
    Q_OBJECT
public:
    explicit CToolBarCustomizer(QObject* parent = nullptr);

    // Takes the toolbar's commands in their order as they are now and applies what the profile
    // remembers for it. A toolbar that is destroyed drops out by itself.
    void Register(QToolBar* toolBar);
    QList<QToolBar*> ToolBars() const;
    // The toolbar's commands in order, separators left out.
    QList<QAction*> Commands(const QToolBar* toolBar) const;
    bool IsShown(const QToolBar* toolBar, const QAction* command) const;
    void SetShown(QToolBar* toolBar, QAction* command, bool shown);
    // Every command of every toolbar shown again, and the profile forgets the choices.
    void Reset();

private:
    struct Entry {
        QToolBar* toolBar;
        // The same object, kept as a QObject: when it is destroyed it is no QToolBar any more,
        // and only this may be compared with what destroyed() passes.
        const QObject* object;
        QList<QAction*> original;  // the commands and separators as first registered
        QSet<int> hidden;          // command ids
    };
    Entry* Find(const QToolBar* toolBar);
    const Entry* Find(const QToolBar* toolBar) const;
    static void Rebuild(const Entry& entry);
    static void Remember(const Entry& entry);

    std::vector<Entry> m_entries;
};
