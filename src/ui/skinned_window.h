// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>

class QMouseEvent;

namespace rabuscal {

// A borderless top-level window whose look and outline come from its
// background picture `Imp`: magenta pixels are cut out of the window, and the
// window is moved by dragging its background or any other control registered
// as a drag surface. Each window keeps its own drag state.
class SkinnedWindow : public QWidget {
    Q_OBJECT
  public:
    // The window stays above other applications' windows. The first time it
    // is shown it opens centred on the screen, inside the screen's available
    // area even when the scale makes it large.
    SkinnedWindow(const QImage& skin, const QString& name, const QString& caption);

    // Opens beside `anchor` instead, where the screen has room, else where it
    // covers least of `keepClear` (a part of the anchor); centred as before
    // while the anchor is hidden.
    void opensBeside(const QWidget* anchor, const QWidget* keepClear);

    // Takes the size of `Imp` and the outline of its opaque pixels. Runs once,
    // from each window's FormCreate; the outline is not recomputed later.
    void ApplySkinRegion();

    // Presses, moves and releases on the control go to ImpMouseDown,
    // ImpMouseMove and ImpMouseUp. Events that children of the control leave
    // unhandled reach it too.
    void addDragSurface(QWidget* surface);

    QLabel* Imp;

    // Drag state: the pointer position, relative to the pressed control, at
    // the press that started the drag.
    int DragX = 0;
    int DragY = 0;
    bool Dragging = false;

  protected:
    virtual void ImpMouseDown(QWidget* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                              int x, int y);
    virtual void ImpMouseMove(QWidget* sender, Qt::KeyboardModifiers shift, int x, int y);
    virtual void ImpMouseUp(QWidget* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                            int x, int y);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QPoint firstPlace() const;

    bool shownBefore_ = false;
    QPointer<const QWidget> anchor_;
    QPointer<const QWidget> keepClear_;
};

}  // namespace rabuscal
