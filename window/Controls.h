#pragma once

#include <QGroupBox>
#include <QSlider>

// The shelving slider: position 0 at the top, 6 at the bottom, as the layout has it; the groove is
// filled from the bottom up to the thumb, so that its fill grows with the bass lift it sets (empty at
// +0dB, full at +6dB) however the style fills grooves.
class ShelfSlider : public QSlider {
 public:
  explicit ShelfSlider(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A group box whose caption sits on its top border, at the caption's middle, with the frame below
// it: so that children placed a caption's height below the top lie inside the frame in every style
// (Fusion, for one, draws the frame beneath the caption line).
class CaptionedGroupBox : public QGroupBox {
 public:
  CaptionedGroupBox(const QString& title, QWidget* parent);

  // The top of the frame line, in the box's coordinates.
  int FrameTop() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
