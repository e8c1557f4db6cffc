#include "window/DriversDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "numerics/Errors.h"
#include "window/Unit1.h"

WindowDrivers::WindowDrivers(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("WindowDrivers")); }

void WindowDrivers::SetSetups(const std::optional<DriverSetups>& setups) {
  if (setups == setups_) return;
  setups_ = setups;
  loaded_.reset();
  Changed();
}

void WindowDrivers::Accept(const DriverSetups& setups) {
  DriverSet loaded = LoadDrivers(setups);
  const bool ideal = setups == DriverSetups{};
  setups_ = ideal ? std::nullopt : std::optional<DriverSetups>(setups);
  loaded_ = std::move(loaded);
  Changed();
}

const DriverSet& WindowDrivers::Loaded() {
  if (!loaded_) loaded_ = setups_ ? LoadDrivers(*setups_) : DriverSet{};
  return *loaded_;
}

void WindowDrivers::Changed() {
  for (const auto& listener : listeners_) listener();
}

namespace {

QString WayTitle(Way way) {
  QString name = QString::fromLatin1(WayName(way));
  name[0] = name[0].toUpper();
  return name;
}

}  // namespace

DriversDialog::DriversDialog(WindowDrivers& drivers, MessageSink messages, QWidget* parent)
    : QDialog(parent), drivers_(drivers), messages_(std::move(messages)) {
  setObjectName(QStringLiteral("DriversDialog"));
  setWindowTitle(QStringLiteral("Drivers"));
  auto* grid = new QGridLayout;
  const QStringList headings{QString(), QStringLiteral("Measurement file (.frd, .txt)"), QString(), QString(),
                             QStringLiteral("Delay"), QStringLiteral("Polarity"), QStringLiteral("Trim")};
  for (int column = 0; column < headings.size(); ++column) grid->addWidget(new QLabel(headings[column], this), 0, column);
  const DriverSetups current = drivers_.Setups().value_or(DriverSetups{});
  for (Way way : AllWays) {
    const int row = static_cast<int>(way) + 1;
    const DriverSetup& setup = current[static_cast<size_t>(way)];
    WayControls& controls = controls_[static_cast<size_t>(way)];
    const QString prefix = QString::fromLatin1(WayName(way));
    grid->addWidget(new QLabel(WayTitle(way), this), row, 0);
    controls.File = new QLineEdit(QString::fromStdString(setup.File), this);
    controls.File->setObjectName(prefix + QStringLiteral("File"));
    controls.File->setPlaceholderText(QStringLiteral("none: an ideal driver"));
    controls.File->setMinimumWidth(280);
    grid->addWidget(controls.File, row, 1);
    auto* browse = new QPushButton(QString::fromUtf8("Browse…"), this);
    browse->setObjectName(prefix + QStringLiteral("Browse"));
    browse->setAutoDefault(false);
    grid->addWidget(browse, row, 2);
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setObjectName(prefix + QStringLiteral("Clear"));
    clear->setAutoDefault(false);
    grid->addWidget(clear, row, 3);
    controls.DelayMs = new QDoubleSpinBox(this);
    controls.DelayMs->setObjectName(prefix + QStringLiteral("DelayMs"));
    controls.DelayMs->setRange(-MaxDriverDelayMs, MaxDriverDelayMs);
    controls.DelayMs->setDecimals(3);
    controls.DelayMs->setSuffix(QStringLiteral(" ms"));
    controls.DelayMs->setValue(setup.DelayMs);
    grid->addWidget(controls.DelayMs, row, 4);
    controls.Inverted = new QCheckBox(QStringLiteral("Inverted"), this);
    controls.Inverted->setObjectName(prefix + QStringLiteral("Inverted"));
    controls.Inverted->setChecked(setup.Sign == Polarity::Inverted);
    grid->addWidget(controls.Inverted, row, 5);
    controls.TrimDb = new QDoubleSpinBox(this);
    controls.TrimDb->setObjectName(prefix + QStringLiteral("TrimDb"));
    controls.TrimDb->setRange(-MaxDriverTrimDb, MaxDriverTrimDb);
    controls.TrimDb->setDecimals(2);
    controls.TrimDb->setSuffix(QStringLiteral(" dB"));
    controls.TrimDb->setValue(setup.TrimDb);
    grid->addWidget(controls.TrimDb, row, 6);

    QLineEdit* file = controls.File;
    connect(clear, &QPushButton::clicked, file, &QLineEdit::clear);
    connect(browse, &QPushButton::clicked, this, [this, file, way] {
      const QString chosen = QFileDialog::getOpenFileName(
          this, QStringLiteral("Measurement of the %1 driver").arg(QString::fromLatin1(WayName(way))),
          file->text().isEmpty() ? QString() : QFileInfo(file->text()).absolutePath(),
          QStringLiteral("Measurements (*.frd *.txt);;All files (*)"));
      if (!chosen.isEmpty()) file->setText(chosen);
    });
  }
  auto* note = new QLabel(QStringLiteral("Without a phase column the minimum phase is derived from the magnitude."), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &DriversDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &DriversDialog::reject);
  auto* column = new QVBoxLayout(this);
  column->addLayout(grid);
  column->addWidget(note);
  column->addWidget(buttons);
}

DriverSetups DriversDialog::Entered() const {
  DriverSetups setups;
  for (Way way : AllWays) {
    const WayControls& controls = Controls(way);
    DriverSetup& setup = setups[static_cast<size_t>(way)];
    setup.File = controls.File->text().trimmed().toStdString();
    setup.DelayMs = controls.DelayMs->value();
    setup.Sign = controls.Inverted->isChecked() ? Polarity::Inverted : Polarity::Normal;
    setup.TrimDb = controls.TrimDb->value();
  }
  return setups;
}

void DriversDialog::accept() {
  try {
    drivers_.Accept(Entered());
  } catch (const UserError& error) {
    // The dialog stays open with what was entered, so that the file can be corrected.
    messages_(error.Text());
    return;
  }
  QDialog::accept();
}

QMenu* DesignMenuOf(TForm1& form) {
  if (auto* menu = form.menuBar()->findChild<QMenu*>(QStringLiteral("DesignMenu"))) return menu;
  QMenu* menu = form.menuBar()->addMenu(QStringLiteral("Design"));
  menu->setObjectName(QStringLiteral("DesignMenu"));
  return menu;
}

WindowDrivers* MakeWindowDrivers(TForm1& form) {
  auto* drivers = new WindowDrivers(&form);
  QAction* action = DesignMenuOf(form)->addAction(QString::fromUtf8("Drivers…"));
  action->setObjectName(QStringLiteral("ActionDrivers"));
  QObject::connect(action, &QAction::triggered, &form, [&form, drivers] {
    DriversDialog dialog(*drivers, [&form](const std::string& text) { form.ShowMessage(text); }, &form);
    dialog.exec();
  });
  return drivers;
}
