#pragma once

#include <QImage>
#include <QElapsedTimer>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/Graph.h"
#include "export/Export.h"
#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QSlider;
class LabelLayerCanvas;
class QtImageCanvas;
class CommandGuard;
class AnalysisWindow;
class WindowDrivers;

// The picture control of the graph: shows its QImage again on every repaint, nothing before the
// first drawing.
class ImageControl : public QWidget {
 public:
  explicit ImageControl(QWidget* parent);
  QImage& Picture() { return picture_; }
  bool HasPicture() const { return drawn_; }
  void MarkDrawn();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  bool drawn_ = false;
};

// The window's client area, 788 x 599. It paints the axis-label layer that the renderer draws into,
// so that labels survive every repaint.
class ClientArea : public QWidget {
 public:
  explicit ClientArea(QWidget* parent);
  QImage& LabelLayer() { return labelLayer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage labelLayer_;
};

// The one main window: every control of the layout under its own name, the handlers of its events,
// and the window side of the commands (FieldAccess).
class TForm1 : public QMainWindow, public FieldAccess {
 public:
  // Receives every message the window would show in its message box.
  using MessageSink = std::function<void(const std::string&)>;

  explicit TForm1(DesignState& state, QWidget* parent = nullptr);
  ~TForm1() override;

  // Replaces the modal message box (tests capture the text instead of blocking); empty restores it.
  void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

  ClientArea* Client() const { return client_; }
  DesignState& State() const { return state_; }
  // The last Calc that completed, for the export: empty before the first one and after a Calc that
  // did not complete.
  const std::optional<CalcRecord>& LastCalc() const { return lastCalc_; }
  // The analysis window ("View > Analysis…"), told of every completed Calc.
  AnalysisWindow* Analysis() const { return analysis_; }
  // The drivers behind the ways ("Design > Drivers…", design files).
  WindowDrivers* Drivers() const { return drivers_; }

  // Event handlers.
  void FormCreate();
  void FormDestroy();
  void Button1Click();
  void Button5Click();
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();
  void TrackBarShelbGainChange();

  // Runs a command of the window (an export) unless another one is running; returns whether it ran.
  // One command at a time: see CommandGuard.
  bool RunCommand(const std::function<void()>& command);
  bool CommandRunning() const;

  // FieldAccess
  std::string Text(Field field) const override;
  void SetText(Field field, const std::string& text) override;
  void SetLocked(Field field, bool locked) override;
  bool Locked(Field field) const override;
  bool AdjustChecked() const override;
  int SliderPosition() const override;
  int RateHz() const override { return rateHz_; }
  // The rate the next Calc and estimate use (any rate, IsSampleRate): Label6 and the title say it;
  // no field changes.
  void SetRateHz(int rateHz);
  std::string CaptionText(Caption caption) const override;
  void SetCaption(Caption caption, const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void SetBusyCursor(bool busy) override;
  void Redraw() override;
  void ReportProgress(double fraction) override;

  // Live update: the Calc reports no progress dialog but dispatches events as it goes, so that a newer
  // edit reaches its field; after RequestCancel the running command stops at its next report.
  // Messages go to the status bar below the client area instead of a message box.
  void SetLive(bool live);
  bool Live() const { return live_; }
  void RequestCancel() { cancelRequested_ = true; }
  CommandGuard& Guard() const { return *guard_; }
  // Called after every Calc the window runs, with its outcome.
  using CalcListener = std::function<void(const CalcOutcome&)>;
  void AddCalcListener(CalcListener listener) { calcListeners_.push_back(std::move(listener)); }
  // Called after every change of the design's sampling rate, with the new rate.
  void AddRateListener(std::function<void(int)> listener) { rateListeners_.push_back(std::move(listener)); }

  // How long a command runs before its progress dialog appears, in milliseconds.
  void SetProgressDelay(int milliseconds) { progressDelayMs_ = milliseconds; }
  // Starts the clock of a new command and closes any progress dialog of the previous one; the
  // dialog, if the command runs long enough to show it, says `label` (the Calc's text by default).
  void BeginCommand(const QString& label = {});
  QProgressDialog* Progress() const { return progress_.get(); }

  // Heading and command button.
  QLabel* Label6;
  QPushButton* Button1;
  // Shelving frame.
  QFrame* Bevel1;
  QLabel* Label25;
  QLabel* LabelShelbDb;
  QSlider* TrackBarShelbGain;
  QLabel* Image2;
  QLabel* Label26;
  QLineEdit* EditShelbL;
  QLabel* Label24;
  QLabel* Label27;
  QLineEdit* EditShelbH;
  QLabel* Label22;
  QLabel* Label28;
  // Crossover frame.
  QFrame* Bevel5;
  QLabel* Label13;
  QLabel* Label7;
  QLabel* Label2;
  QLabel* Label1;
  QLabel* Label3;
  QLineEdit* Edit2;
  QLabel* Label19;
  QLineEdit* Edit1;
  QLabel* Label9;
  QLineEdit* Edit5;
  QLineEdit* Edit4;
  QLabel* Label14;
  QLineEdit* Edit9;
  QLabel* Label4;
  QLineEdit* Edit3;
  QLabel* Label15;
  QLineEdit* Edit10;
  QCheckBox* CheckBox3;
  // Length-estimate frame.
  QFrame* Bevel6;
  QLabel* Label23;
  QLabel* Label12;
  QLabel* Label8;
  QLineEdit* Edit6;
  QLabel* Label5;
  QLabel* Label16;
  QLineEdit* Edit7;
  QLabel* Label10;
  QLabel* Label17;
  QLineEdit* Edit8;
  QLabel* Label11;
  QLabel* Label18;
  QLabel* Label20;
  QPushButton* Button5;
  // Graph and bottom row.
  ImageControl* Image1;
  QLabel* Label21;
  QGroupBox* GroupBox1;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;

 protected:
  void showEvent(QShowEvent* event) override;
  // A change of the desktop's palette (a theme switched while running) recolours the window.
  void changeEvent(QEvent* event) override;

 private:
  void CreateControls();
  // The colours taken from the desktop palette: background, fields, axis labels.
  void ApplyDesktopColours();
  void SetTabOrder();
  void RedrawCommand();
  // Runs, from the event loop, what was asked for while a command ran.
  void RunPendingLater();

  // Handlers asked for while a command ran: each at most once.
  struct Pending {
    bool slider = false, coupling = false, redraw = false, estimate = false, calc = false;
    bool Any() const { return slider || coupling || redraw || estimate || calc; }
  };
  QLineEdit* EditOf(Field field) const;
  QLabel* LabelOf(Caption caption) const;

  DesignState& state_;
  ClientArea* client_;
  std::unique_ptr<QtImageCanvas> imageCanvas_;
  std::unique_ptr<LabelLayerCanvas> windowCanvas_;
  std::unique_ptr<GraphHost> graphHost_;
  MessageSink messageSink_;
  std::unique_ptr<QProgressDialog> progress_;
  QElapsedTimer commandClock_;
  QString progressLabel_;
  int progressDelayMs_ = 500;
  bool busy_ = false;
  bool live_ = false;
  bool cancelRequested_ = false;
  QElapsedTimer liveDispatch_;
  std::vector<CalcListener> calcListeners_;
  std::vector<std::function<void(int)>> rateListeners_;
  bool centred_ = false;
  bool recolouring_ = false;
  std::optional<CalcRecord> lastCalc_;
  CommandGuard* guard_ = nullptr;
  AnalysisWindow* analysis_ = nullptr;
  WindowDrivers* drivers_ = nullptr;
  int rateHz_ = SampleRate;
  Pending pending_;
};

// The program's one window, alive while the event loop runs.
extern TForm1* Form1;

