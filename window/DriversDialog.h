#pragma once

#include <QDialog>
#include <QObject>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/DriverSetup.h"

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QMenu;
class TForm1;

// The drivers behind the window's three ways, as the "Drivers…" dialog and design files set them:
// the setups (files, delays, polarities, trims) and their measurements, read once and kept until the
// setups change.
class WindowDrivers : public QObject {
 public:
  explicit WindowDrivers(QObject* parent = nullptr);

  // As a design file holds them: none until set, and none again once set back to ideal drivers.
  const std::optional<DriverSetups>& Setups() const { return setups_; }
  // Takes the setups of an opened design file; their files are read when the drivers are next needed.
  void SetSetups(const std::optional<DriverSetups>& setups);
  // Reads every named file and checks the settings first (LoadDrivers): on failure raises its
  // UserError and nothing changes. Ideal drivers all round are kept as none.
  void Accept(const DriverSetups& setups);
  // The drivers for the acoustic model, read now if not yet. Raises the UserError of a file that
  // cannot be read or parsed.
  const DriverSet& Loaded();

  // Called after every change of the setups.
  void OnChanged(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

 private:
  void Changed();

  std::optional<DriverSetups> setups_;
  std::optional<DriverSet> loaded_;
  std::vector<std::function<void()>> listeners_;
};

// "Drivers…": for each way (low, mid, high) a measurement file (typed, or chosen with Browse…;
// Clear for an ideal driver), its delay in ms, whether it is inverted and its trim in dB. OK reads
// the files: one that cannot be read or parsed is named, with its line and reason, in the message
// box, and the dialog stays open with nothing changed.
class DriversDialog : public QDialog {
 public:
  using MessageSink = std::function<void(const std::string&)>;

  DriversDialog(WindowDrivers& drivers, MessageSink messages, QWidget* parent = nullptr);

  // The controls of each way, indexed by Way.
  struct WayControls {
    QLineEdit* File = nullptr;
    QDoubleSpinBox* DelayMs = nullptr;
    QCheckBox* Inverted = nullptr;
    QDoubleSpinBox* TrimDb = nullptr;
  };
  const WayControls& Controls(Way way) const { return controls_[static_cast<size_t>(way)]; }
  // The setups the controls hold now.
  DriverSetups Entered() const;

  void accept() override;

 private:
  WindowDrivers& drivers_;
  MessageSink messages_;
  std::array<WayControls, WayCount> controls_;
};

// The form's "Design" menu, made on first use.
QMenu* DesignMenuOf(TForm1& form);

// Makes the form's drivers and adds "Drivers…" to its "Design" menu; returns the drivers (owned by
// the form).
WindowDrivers* MakeWindowDrivers(TForm1& form);
