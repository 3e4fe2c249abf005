#include "ccommandpane.h"

#include "commandaction.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QStatusTipEvent>
#include <QChildEvent>
#include <QKeyEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void NameButton(QWidget* button, const QAction* action)
{
    if (!action || action->isSeparator())
        return;
    button->setAccessibleName(action->iconText());  // the text without its '&' and "..."
    button->setAccessibleDescription(action->statusTip());
}

// Names each button of a toolbar and, for tab stops, puts it in the tab order. A toolbar makes a
// button as a bare widget and gives it its action only afterwards, so this is done when the
// button itself receives the action; the name again whenever the action changes.
class CToolButtonNames : public QObject {
public:
    static constexpr char kName[] = "ToolButtonNames";

    CToolButtonNames(QToolBar* toolBar, bool tabStops) : QObject(toolBar), m_toolBar(toolBar), m_tabStops(tabStops)
    {
        setObjectName(QLatin1String(kName));
        toolBar->installEventFilter(this);
        for (QAction* action : toolBar->actions()) {
            if (auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action))) {
                button->installEventFilter(this);
                Adopt(button, action);
            }
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded && watched == m_toolBar) {
            if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
                child->installEventFilter(this);
            return false;
        }
        auto* button = qobject_cast<QToolButton*>(watched);
        if (!button || button->parent() != m_toolBar)
            return false;
        if (event->type() == QEvent::ActionAdded) {
            Adopt(button, static_cast<QActionEvent*>(event)->action());
        } else if (event->type() == QEvent::ActionChanged) {
            NameButton(button, static_cast<QActionEvent*>(event)->action());
        } else if (event->type() == QEvent::ShortcutOverride && m_tabStops) {
            // Space presses the button that has the focus, not the pane's own Space command.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier)
                key->accept();
        }
        return false;
    }

private:
    void Adopt(QToolButton* button, QAction* action)
    {
        NameButton(button, action);
        if (!m_tabStops || action->isSeparator())
            return;
        button->setFocusPolicy(Qt::TabFocus);
        OrderTabStops(button, action);
    }

    // The toolbar's buttons in toolbar order, then what Tab reaches in the rest of the toolbar's
    // parent in the order it had. A button made later (Customize...) comes last in the window's
    // focus chain, so the order is made afresh for each one. The toolbar knows the new button
    // only once it has given it its action.
    void OrderTabStops(QWidget* newButton, const QAction* newAction)
    {
        QWidget* pane = m_toolBar->parentWidget();
        QList<QWidget*> stops;
        for (QAction* action : m_toolBar->actions()) {
            QWidget* button = action == newAction ? newButton : m_toolBar->widgetForAction(action);
            if (button && (button->focusPolicy() & Qt::TabFocus))
                stops.append(button);
        }
        for (QWidget* w = pane->nextInFocusChain(); w != pane; w = w->nextInFocusChain()) {
            if (pane->isAncestorOf(w) && !m_toolBar->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus))
                stops.append(w);
        }
        // setTabOrder takes an order as made when nothing that takes the focus lies between, even
        // round the end of the window's chain, where widgets made later are put. So the toolbar,
        // taking the focus for the moment, anchors the stops in the pane's own part of the chain.
        const Qt::FocusPolicy policy = m_toolBar->focusPolicy();
        m_toolBar->setFocusPolicy(Qt::TabFocus);
        QWidget* previous = m_toolBar;
        for (QWidget* stop : std::as_const(stops)) {
            QWidget::setTabOrder(previous, stop);
            previous = stop;
        }
        m_toolBar->setFocusPolicy(policy);
    }

    QToolBar* m_toolBar;
    bool m_tabStops;
};

// Accepts the shortcut check of the keys a widget keeps, so that they reach it as key presses.
class CKeptKeys : public QObject {
public:
    CKeptKeys(QWidget* widget, std::initializer_list<Qt::Key> keys, std::function<bool()> wants)
        : QObject(widget), m_keys(keys), m_wants(std::move(wants))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers others = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (others == Qt::NoModifier && m_keys.contains(Qt::Key(key->key())) && (!m_wants || m_wants()))
            key->accept();
        return false;
    }

private:
    QList<Qt::Key> m_keys;
    std::function<bool()> m_wants;
};

bool HasKey(const QAction* action, const QKeySequence& key)
{
    return action->shortcuts().contains(key);
}

}  // namespace

QKeySequence KeyOf(const QKeyEvent& event)
{
    return QKeySequence(QKeyCombination(event.modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier), Qt::Key(event.key())));
}

void KeepKeysInWidget(QWidget* widget, std::initializer_list<Qt::Key> keys, std::function<bool()> wants)
{
    new CKeptKeys(widget, keys, std::move(wants));
}

void NameToolBarButtons(QToolBar* toolBar, bool tabStops)
{
    if (!toolBar->findChild<QObject*>(QLatin1String(CToolButtonNames::kName), Qt::FindDirectChildrenOnly))
        new CToolButtonNames(toolBar, tabStops);
}

CCommandPane::CCommandPane(const QString& title, const QString& objectName, QWidget* parent)
    : QDockWidget(title, parent)
{
    setObjectName(objectName);
    setAccessibleName(title);
    setAccessibleDescription(tr("The pane's commands are on its toolbar; their keys work while the focus is in the "
                                "pane, which F6 and Shift+F6 move from pane to pane"));
    connect(this, &QWidget::windowTitleChanged, this, &QWidget::setAccessibleName);
    m_body = new QWidget(this);
    m_toolBar = new QToolBar(m_body);
    m_toolBar->setObjectName(objectName + QStringLiteral("ToolBar"));
    m_toolBar->setIconSize(QSize(20, 20));
    m_toolBar->setAccessibleName(tr("%1 commands").arg(title));
    NameToolBarButtons(m_toolBar, true);
    auto* layout = new QVBoxLayout(m_body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    setWidget(m_body);
}

CCommandPane::~CCommandPane() = default;

QAction* CCommandPane::OwnCommandOverWindowKey(const QKeySequence& key) const
{
    QAction* own = nullptr;
    for (QAction* action : m_actions) {
        if (action->shortcutContext() == Qt::WidgetWithChildrenShortcut && HasKey(action, key)
            && (!own || action->isEnabled()))
            own = action;  // of two sharing a key (Preview and Stop), the enabled one
    }
    if (!own)
        return nullptr;
    for (const QAction* other : window()->findChildren<QAction*>()) {
        if (other->shortcutContext() == Qt::WindowShortcut && other->isEnabled() && HasKey(other, key))
            return own;
    }
    return nullptr;
}

// Two enabled commands answering to one key in the same place would both stay silent: the pane's
// own command takes the key from a window-wide one (the source's Space and G) while the focus is
// in the pane. Accepting the shortcut check sends the key here as a key press instead.
bool CCommandPane::event(QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QDockWidget::event(event);
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    QAction* own = OwnCommandOverWindowKey(KeyOf(*keyEvent));
    if (!own)
        return QDockWidget::event(event);
    if (event->type() == QEvent::KeyPress) {
        if (own->isEnabled()) {
            own->trigger();
        } else {
            QStatusTipEvent tip(tr("%1 is not available now").arg(own->iconText()));
            QApplication::sendEvent(this, &tip);
        }
    }
    keyEvent->accept();
    return true;
}

void CCommandPane::SetDialog(QWidget* dialog)
{
    dialog->setParent(m_body);
    static_cast<QVBoxLayout*>(m_body->layout())->addWidget(dialog, 1);
    m_body->setFocusProxy(dialog);
    setFocusProxy(dialog);
    // What the pane shows is named after the pane until the pane names it more closely.
    if (dialog->accessibleName().isEmpty())
        dialog->setAccessibleName(windowTitle());
}

QAction* CCommandPane::AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                                  const QList<QKeySequence>& keys)
{
    QAction* action = MakeCommandAction(this, id, icon, prompt, tip, keys);
    m_toolBar->addAction(action);
    m_body->addAction(action);
    m_actions.insert(id, action);
    return action;
}

void CCommandPane::AddSeparator()
{
    m_toolBar->addSeparator();
}

void CCommandPane::SetCommandEnabled(int id, bool enabled)
{
    if (QAction* action = Action(id))
        action->setEnabled(enabled);
}
