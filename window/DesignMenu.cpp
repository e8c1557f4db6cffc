#include "window/DesignMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "export/OutputDirectory.h"
#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"
#include "pipeline/WindowHandlers.h"
#include "window/DriversDialog.h"
#include "window/Unit1.h"

namespace {

// The window's fields copied for a Calc of its own, reporting its progress to the window's dialog
// (whose Cancel stops it). The final report is left to the export that follows.
class CopiedFields : public MemoryFields {
 public:
  CopiedFields(TForm1& form, int rateHz) : form_(form) {
    for (int i = 0; i < FieldCount; ++i) {
      const auto field = static_cast<Field>(i);
      SetText(field, form.Text(field));
      SetLocked(field, form.Locked(field));
    }
    SetAdjustChecked(form.AdjustChecked());
    SetSliderPosition(form.SliderPosition());
    SetRateHz(rateHz);
  }
  void ReportProgress(double fraction) override {
    if (fraction < 1.0) form_.ReportProgress(fraction);
  }

 private:
  TForm1& form_;
};

QString RateItemText(int rateHz) { return QString::fromStdString(KilohertzText(rateHz)) + QStringLiteral(" kHz"); }

}  // namespace

QString HeadingText(int rateHz) {
  return QString::fromUtf8("カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が") +
         QString::fromStdString(KilohertzText(rateHz)) + QString::fromUtf8("KHzの場合）");
}

QString WindowTitleFor(int rateHz) {
  return QStringLiteral("firxover 1.0 - three-way FIR crossover designer (Kaiser window, ") +
         QString::fromStdString(KilohertzText(rateHz)) + QStringLiteral(" kHz)");
}

bool ApplyRateText(TForm1& form, const QString& text) {
  try {
    form.SetRateHz(ParseSampleRate(text.toStdString()));
    return true;
  } catch (const UserError& error) {
    form.ShowMessage(error.Text());
    return false;
  }
}

void BuildDesignMenu(TForm1& form) {
  QMenu* rates = DesignMenuOf(form)->addMenu(QStringLiteral("Sampling rate"));
  rates->setObjectName(QStringLiteral("RateMenu"));
  auto* group = new QActionGroup(rates);
  group->setExclusive(true);
  for (const int rateHz : CommonSampleRates) {
    QAction* action = rates->addAction(RateItemText(rateHz));
    action->setObjectName(QStringLiteral("ActionRate%1").arg(rateHz));
    action->setCheckable(true);
    action->setData(rateHz);
    group->addAction(action);
    QObject::connect(action, &QAction::triggered, &form, [&form, rateHz] { form.SetRateHz(rateHz); });
  }
  rates->addSeparator();
  QAction* other = rates->addAction(QString::fromUtf8("Other…"));
  other->setObjectName(QStringLiteral("ActionRateOther"));
  other->setCheckable(true);
  group->addAction(other);
  QObject::connect(other, &QAction::triggered, &form, [&form] {
    QInputDialog dialog(&form);
    dialog.setObjectName(QStringLiteral("RateDialog"));
    dialog.setWindowTitle(QStringLiteral("Sampling rate"));
    dialog.setLabelText(QStringLiteral("Sampling rate in Hz, a whole number from %1 to %2:")
                            .arg(MinSampleRate)
                            .arg(MaxSampleRate));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString::number(form.RateHz()));
    if (dialog.exec() == QDialog::Accepted) ApplyRateText(form, dialog.textValue());
  });
  // The ticks follow the rate however it was set (a design file, "Other…" cancelled).
  QObject::connect(rates, &QMenu::aboutToShow, &form, [&form, group, other] {
    bool listed = false;
    for (QAction* action : group->actions()) {
      if (action != other && action->data().toInt() == form.RateHz()) {
        action->setChecked(true);
        listed = true;
      }
    }
    if (!listed) other->setChecked(true);
    other->setText(listed ? QString::fromUtf8("Other…") : QString::fromUtf8("Other (") + RateItemText(form.RateHz()) +
                                                              QString::fromUtf8(")…"));
  });
}

std::string PrefixForRate(const std::string& prefix, int rateHz) {
  if (prefix.find(RatePlaceholder) != std::string::npos) return WithRate(prefix, rateHz);
  return prefix + "-" + std::to_string(rateHz);
}

bool ExportFiltersForRates(TForm1& form, const QString& directory, const QString& prefix, FilterFormat format,
                           const std::vector<int>& rates) {
  bool written = false;
  form.RunCommand([&] {
    form.BeginCommand(QString::fromUtf8("書き出し中… Exporting…"));
    written = RunReported(form, [&] {
      const std::filesystem::path folder(QFile::encodeName(directory).toStdString());
      const std::string base = QFile::encodeName(prefix).toStdString();
      CreateOutputDirectory(folder);
      for (const int rateHz : rates) {
        CopiedFields fields(form, rateHz);
        DesignState state;
        const CalcOutcome outcome = CalcCommand(fields, state);
        if (outcome.Status == CalcStatus::Cancelled) throw CommandCancelled();
        if (outcome.Status != CalcStatus::Completed) {
          throw UserError("The design at " + std::to_string(rateHz) + " Hz: " + outcome.Message);
        }
        ExportFilters(state, *outcome.Record, folder, PrefixForRate(base, rateHz), format,
                      [&form](double fraction) {
                        if (fraction < 1.0) form.ReportProgress(fraction);
                      });
      }
    });
    form.ReportProgress(1.0);
  });
  return written;
}

std::vector<int> AskRates(TForm1& form) {
  QDialog dialog(&form);
  dialog.setObjectName(QStringLiteral("RatesDialog"));
  dialog.setWindowTitle(QStringLiteral("Export filters for several rates"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("One complete set of filters per rate, the rate in every file name:")));
  std::vector<int> offered(std::begin(CommonSampleRates), std::end(CommonSampleRates));
  if (std::find(offered.begin(), offered.end(), form.RateHz()) == offered.end()) offered.push_back(form.RateHz());
  std::vector<QCheckBox*> boxes;
  for (const int rateHz : offered) {
    auto* box = new QCheckBox(QString::number(rateHz) + QStringLiteral(" Hz"), &dialog);
    box->setObjectName(QStringLiteral("Rate%1").arg(rateHz));
    box->setChecked(rateHz == form.RateHz());
    layout->addWidget(box);
    boxes.push_back(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return {};
  std::vector<int> rates;
  for (size_t i = 0; i < boxes.size(); ++i)
    if (boxes[i]->isChecked()) rates.push_back(offered[i]);
  return rates;
}
