#include "ccommandpane.h"

#include "commandaction.h"

#include <QAction>
#include <QActionEvent>
#include <QChildEvent>
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

// A toolbar makes a button as a bare widget and gives it its action only afterwards, so the name
// is set when the button itself receives the action, and again whenever the action changes.
class CToolButtonNames : public QObject {
public:
    static constexpr char kName[] = "ToolButtonNames";

    explicit CToolButtonNames(QToolBar* toolBar) : QObject(toolBar)
    {
        setObjectName(QLatin1String(kName));
        toolBar->installEventFilter(this);
        for (QAction* action : toolBar->actions()) {
            if (QWidget* button = toolBar->widgetForAction(action)) {
                button->installEventFilter(this);
                NameButton(button, action);
            }
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded && watched == parent()) {
            if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
                child->installEventFilter(this);
        } else if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged) {
            if (auto* button = qobject_cast<QToolButton*>(watched); button && button->parent() == parent())
                NameButton(button, static_cast<QActionEvent*>(event)->action());
        }
        return false;
    }
};

}  // namespace

void NameToolBarButtons(QToolBar* toolBar)
{
    if (!toolBar->findChild<QObject*>(QLatin1String(CToolButtonNames::kName), Qt::FindDirectChildrenOnly))
        new CToolButtonNames(toolBar);
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
    NameToolBarButtons(m_toolBar);
    auto* layout = new QVBoxLayout(m_body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    setWidget(m_body);
}

CCommandPane::~CCommandPane() = default;

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
