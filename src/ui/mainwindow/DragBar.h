#pragma once

#include <QWidget>

namespace dovrin::ui {

// The vertical bar between the tree and the list. While a button is held on it, every pointer
// move reports the pointer's offset from the bar's left edge; the window decides whether the
// panes follow.
class DragBar final : public QWidget
{
    Q_OBJECT

public:
    explicit DragBar(QWidget* parent = nullptr);

Q_SIGNALS:
    void dragged(int offsetPixels);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
};

} // namespace dovrin::ui
