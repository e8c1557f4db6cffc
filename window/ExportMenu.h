#pragma once

#include <QImage>
#include <QString>
#include <filesystem>

#include "export/Export.h"

class TForm1;

// Which picture "Save graph as PNG…" writes.
enum class GraphPicture {
  Image1,    // the picture control as drawn, 681 x 337
  Labelled,  // the graph with its axis labels on the window's background, 788 x 599
};

// Builds the "File" menu on the form's menu bar: the design file's "New", "Open…", "Open Recent",
// "Save" and "Save As…", then "Export filters…", "Export filters for several rates…", "Export
// response CSV…", "Save graph as PNG…" and "Quit". The export items of the last Calc are enabled
// only once a Calc has completed; the several-rates export makes Calcs of its own.
void BuildFileMenu(TForm1& form);

// What the menu items do once a file is chosen. Each returns whether it wrote its files; with no
// completed Calc, or a file that cannot be written, it shows the reason in the form's message box.
// ExportFiltersTo replaces "{rate}" in the prefix with the rate of the last Calc.
bool ExportFiltersTo(TForm1& form, const QString& directory, const QString& prefix, FilterFormat format);
bool ExportCurvesTo(TForm1& form, const QString& file);
bool SaveGraphTo(TForm1& form, const QString& file, GraphPicture picture);

// Writes the image as PNG, whole or not at all. Raises UserError "Cannot write '<file>': <reason>".
void SavePng(const QImage& image, const std::filesystem::path& file);
