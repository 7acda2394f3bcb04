// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

#include "assets/window_layout.h"
#include "ui/button_faces.h"

namespace rabuscal {

// A 42 x 20 picture control acting as a button. On a press of any mouse
// button it shows the pressed face and then emits MouseDown; on the release
// it shows the released face and then emits MouseUp. The release comes to the
// pressed button wherever the pointer is, because the window system keeps the
// mouse on the control that took the press. MouseMove is emitted for every
// move over the button, pressed or not, so that windows can show a caption.
// A button shows its own faces, found by its name, with a symbol of what it
// does; `faces` is the face set they are drawn in, shown by a button without
// faces of its own.
class ImageButton : public QLabel {
    Q_OBJECT
  public:
    ImageButton(const FaceSet& faces, const QString& name, QWidget* parent, int left, int top);
    // Named and placed by its entry in the window layout.
    ImageButton(const FaceSet& faces, const rabuscal::assets::Button& button, QWidget* parent);

    bool isPressedFace() const { return pressed_; }

  signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void MouseMove(Qt::KeyboardModifiers shift, QPoint position);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void showFace(bool pressed);

    FaceSet faces_;  // a copy shares the pixels of the set
    bool pressed_ = false;
};

}  // namespace rabuscal
