#include "DragBar.h"

#include <QMouseEvent>

namespace dovrin::ui {

DragBar::DragBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DragBar"));
    setCursor(Qt::SplitHCursor);
}

void DragBar::mousePressEvent(QMouseEvent* event)
{
    m_dragging = true;
    event->accept();
}

void DragBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        Q_EMIT dragged(qRound(event->position().x()));
}

void DragBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    event->accept();
}

} // namespace dovrin::ui
