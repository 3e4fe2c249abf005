#include "ccommandpane.h"

#include "commandaction.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

CCommandPane::CCommandPane(const QString& title, const QString& objectName, QWidget* parent)
    : QDockWidget(title, parent)
{
    setObjectName(objectName);
    m_body = new QWidget(this);
    m_toolBar = new QToolBar(m_body);
    m_toolBar->setObjectName(objectName + QStringLiteral("ToolBar"));
    m_toolBar->setIconSize(QSize(20, 20));
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
