#include "window/ExportMenu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>

#include "export/OutputDirectory.h"
#include "export/PictureFile.h"
#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "pipeline/WindowHandlers.h"
#include "render/GraphPicture.h"
#include "window/DesignFileMenu.h"
#include "window/DesignMenu.h"
#include "window/Unit1.h"

namespace {

struct FormatChoice {
  FilterFormat format;
  const char* nameFilter;
};

constexpr FormatChoice FormatChoices[] = {
    {FilterFormat::Wav32, "WAV, 32-bit float (*.wav)"},
    {FilterFormat::Wav64, "WAV, 64-bit float (*.wav)"},
    {FilterFormat::Text, "Text, one coefficient a line (*.txt)"},
    {FilterFormat::Float32, "Raw 32-bit float, little-endian (*.f32)"},
    {FilterFormat::Float64, "Raw 64-bit float, little-endian (*.dbl)"},
    {FilterFormat::Csv, "CSV, one row a tap (*.csv)"},
};

constexpr const char* Image1Filter = "Graph picture, 681 x 337 (*.png)";
constexpr const char* LabelledFilter = "Graph with axis labels, 788 x 599 (*.png)";

std::filesystem::path ToPath(const QString& name) { return std::filesystem::path(QFile::encodeName(name).toStdString()); }

// A save dialog of Qt's own, the same on every platform; empty when the user cancels.
QString AskFile(TForm1& form, const QString& caption, const QStringList& filters, const QString& suggested,
                QString* chosenFilter) {
  QFileDialog dialog(&form, caption);
  dialog.setObjectName(QStringLiteral("ExportDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  dialog.selectFile(suggested);
  // The extension of the chosen filter is added to a name typed without one.
  auto suffixOf = [](const QString& filter) { return filter.section(QStringLiteral("*."), 1).chopped(1); };
  dialog.setDefaultSuffix(suffixOf(filters.first()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles().first();
}

// Runs one export with the form's message box for its errors; refuses before the first completed Calc.
// A long export shows its progress with Cancel, which keeps the files as they were.
bool RunExport(TForm1& form, const std::function<void(const CalcRecord&, const ExportProgress&)>& write) {
  if (!form.LastCalc()) {
    form.ShowMessage(ExportMessages::NothingYet);
    return false;
  }
  const CalcRecord record = *form.LastCalc();
  bool written = false;
  // An export is a command: none starts inside a Calc, a redraw or another export.
  form.RunCommand([&] {
    form.BeginCommand(QString::fromUtf8("書き出し中… Exporting…"));
    written = RunReported(form, [&] { write(record, [&form](double fraction) { form.ReportProgress(fraction); }); });
    form.ReportProgress(1.0);
  });
  return written;
}

// Asks for the folder, the name prefix and the format of a set of filters; false when cancelled.
bool AskFiltersTarget(TForm1& form, QString* directory, QString* prefix, FilterFormat* format) {
  QStringList filters;
  for (const FormatChoice& choice : FormatChoices) filters << QString::fromUtf8(choice.nameFilter);
  QString chosenFilter;
  const QString file = AskFile(form, QString::fromUtf8("Export filters: the name prefix of the files"), filters,
                               QStringLiteral("firxover"), &chosenFilter);
  if (file.isEmpty()) return false;
  *format = FilterFormat::Wav32;
  for (const FormatChoice& choice : FormatChoices)
    if (chosenFilter == QString::fromUtf8(choice.nameFilter)) *format = choice.format;
  // "design.wav" names the set design-low.wav, design-mid.wav, ...
  const QFileInfo info(file);
  *prefix = info.fileName();
  const QString extension = QString::fromLatin1(FilterFormatExtension(*format));
  if (prefix->endsWith(extension, Qt::CaseInsensitive)) prefix->chop(extension.size());
  *directory = info.absolutePath();
  return true;
}

void AskAndExportFilters(TForm1& form) {
  QString directory, prefix;
  FilterFormat format = FilterFormat::Wav32;
  if (AskFiltersTarget(form, &directory, &prefix, &format)) ExportFiltersTo(form, directory, prefix, format);
}

void AskAndExportForRates(TForm1& form) {
  const std::vector<int> rates = AskRates(form);
  if (rates.empty()) return;
  QString directory, prefix;
  FilterFormat format = FilterFormat::Wav32;
  if (AskFiltersTarget(form, &directory, &prefix, &format)) ExportFiltersForRates(form, directory, prefix, format, rates);
}

void AskAndExportCurves(TForm1& form) {
  const QString file = AskFile(form, QString::fromUtf8("Export response CSV"),
                               {QStringLiteral("CSV (*.csv)")}, QStringLiteral("firxover-response.csv"), nullptr);
  if (!file.isEmpty()) ExportCurvesTo(form, file);
}

void AskAndSaveGraph(TForm1& form) {
  QString chosenFilter;
  const QString file = AskFile(form, QString::fromUtf8("Save graph as PNG"),
                               {QString::fromUtf8(Image1Filter), QString::fromUtf8(LabelledFilter)},
                               QStringLiteral("firxover-graph.png"), &chosenFilter);
  if (file.isEmpty()) return;
  SaveGraphTo(form, file, chosenFilter == QString::fromUtf8(LabelledFilter) ? GraphPicture::Labelled : GraphPicture::Image1);
}

}  // namespace

void BuildFileMenu(TForm1& form) {
  QMenuBar* bar = form.menuBar();
  // Always inside the window, above the client area, so that the window grows by its height.
  bar->setNativeMenuBar(false);
  QMenu* menu = bar->addMenu(QStringLiteral("File"));
  menu->setObjectName(QStringLiteral("FileMenu"));
  auto add = [&](const char* name, const char* text, auto handler) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, &form, [&form, handler] { handler(form); });
    return action;
  };
  QAction* filters = add("ActionExportFilters", "Export filters…", AskAndExportFilters);
  add("ActionExportRates", "Export filters for several rates…", AskAndExportForRates);
  QAction* curves = add("ActionExportCurves", "Export response CSV…", AskAndExportCurves);
  QAction* graph = add("ActionSaveGraph", "Save graph as PNG…", AskAndSaveGraph);
  // The design file's items above the exports; the document lives as long as the form.
  (new DesignDocument(form))->AddMenuItems(menu, filters);
  menu->addSeparator();
  QAction* quit = add("ActionQuit", "Quit", [](TForm1& target) { target.close(); });
  quit->setShortcut(QKeySequence::Quit);
  auto update = [&form, filters, curves, graph] {
    const bool ready = form.LastCalc().has_value();
    for (QAction* action : {filters, curves, graph}) action->setEnabled(ready);
  };
  update();
  QObject::connect(menu, &QMenu::aboutToShow, &form, update);
}

bool ExportFiltersTo(TForm1& form, const QString& directory, const QString& prefix, FilterFormat format) {
  return RunExport(form, [&](const CalcRecord& record, const ExportProgress& progress) {
    CreateOutputDirectory(ToPath(directory));
    // "{rate}" in the prefix names the set by the rate of its design.
    ExportFilters(form.State(), record, ToPath(directory), WithRate(QFile::encodeName(prefix).toStdString(), record.RateHz),
                  format, progress);
  });
}

bool ExportCurvesTo(TForm1& form, const QString& file) {
  return RunExport(form, [&](const CalcRecord&, const ExportProgress&) {
    CreateParentDirectory(ToPath(file));
    ExportCurves(form.State(), ToPath(file));
  });
}

bool SaveGraphTo(TForm1& form, const QString& file, GraphPicture picture) {
  return RunExport(form, [&](const CalcRecord&, const ExportProgress&) {
    CreateParentDirectory(ToPath(file));
    const QImage& image1 = form.Image1->Picture();
    if (picture == GraphPicture::Image1) {
      SavePng(image1, ToPath(file));
      return;
    }
    const QColor background = form.Client()->palette().color(QPalette::Window);
    SavePng(ComposeLabelledGraph(form.Client()->LabelLayer(), image1, form.Image1->pos(), background), ToPath(file));
  });
}

void SavePng(const QImage& image, const std::filesystem::path& file) { SavePngBytes(file, EncodePng(image)); }
