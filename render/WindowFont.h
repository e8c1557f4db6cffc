#pragma once

#include <QFont>
#include <QString>

// The face of every control and of the graph's texts: the designed Japanese face where installed,
// else IPA P Gothic. Needs a QGuiApplication.
QString WindowFontFamily();

// That face at a size in pixels.
QFont WindowFont(int pixels);

// The size of the controls' texts and of the graph's axis labels.
inline constexpr int WindowFontPixels = 12;

// The face at the label size: what the graph's texts are drawn in.
QFont GraphLabelFont();
