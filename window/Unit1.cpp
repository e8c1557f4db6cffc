#include "window/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <utility>

#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/WindowHandlers.h"
#include "render/GraphPicture.h"
#include "render/LabelLayer.h"
#include "render/QtCanvas.h"
#include "render/WindowFont.h"
#include "window/AnalysisWindow.h"
#include "window/CommandGuard.h"
#include "window/Appearance.h"
#include "window/Controls.h"
#include "window/DriversDialog.h"
#include "window/DesignMenu.h"
#include "window/ExportMenu.h"
#include "window/LiveUpdate.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int HeadingFontPixels = 16;
// How often a live Calc lets the window take the user's input, in milliseconds.
constexpr int LiveDispatchMs = 15;

// Labels size themselves to their captions; the layout's sizes are those of the designed face, and
// a label never shrinks below them.
void FitLabel(QLabel* label) {
  const QSize hint = label->sizeHint();
  label->resize(std::max(label->width(), hint.width()), std::max(label->height(), hint.height()));
}

// A layout text wider in the face at hand than in the designed one is narrowed to its designed width
// (down to 85 %), so that it neither runs into its neighbour nor off the window.
void NarrowToDesignedWidth(QLabel* label, int designedWidth) {
  const int natural = label->sizeHint().width();
  if (natural <= designedWidth) return;
  QFont font = label->font();
  font.setStretch(std::max(85, designedWidth * 100 / natural));
  label->setFont(font);
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height, const char* caption) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(left, top, width, height);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setContentsMargins(0, 0, 0, 0);
  label->setTextFormat(Qt::PlainText);
  NarrowToDesignedWidth(label, width);
  FitLabel(label);
  return label;
}

// A field's background and text, both from the one rule of FieldColoursFor: editable white (or the
// dark palette's base), read-only 3D-light.
void ColourField(QLineEdit* edit) {
  const FieldColours colours = FieldColoursFor(QApplication::palette());
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, edit->isReadOnly() ? colours.lockedBase : colours.editableBase);
  palette.setColor(QPalette::Text, colours.text);
  edit->setPalette(palette);
}

// A field with the name, text and lock it starts with.
QLineEdit* MakeEdit(QWidget* parent, Field field, int left, int top) {
  auto* edit = new QLineEdit(QString::fromStdString(DefaultText(field)), parent);
  edit->setObjectName(QString::fromLatin1(FieldName(field)));
  edit->setGeometry(left, top, 41, 20);
  edit->setReadOnly(LockedAtStart(field));
  ColourField(edit);
  edit->setTextMargins(0, 0, 0, 0);
  edit->setCursorPosition(0);
  return edit;
}

void SetFieldLocked(QLineEdit* edit, bool locked) {
  edit->setReadOnly(locked);
  ColourField(edit);
}

QFrame* MakeBevel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setGeometry(left, top, width, height);
  frame->setFrameShape(QFrame::Box);
  frame->setFrameShadow(QFrame::Sunken);  // the etched look
  frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  return frame;
}

// The sketch of the shelving curve shown above the two corner fields: axes with arrowheads, a level
// line up to f1, then a straight fall to the frequency axis at f2.
QPixmap ShelfSketch() {
  QImage image(63, 44, QImage::Format_Mono);
  image.fill(1);  // white
  image.setColor(0, qRgb(0, 0, 0));
  image.setColor(1, qRgb(255, 255, 255));
  QPainter painter(&image);
  painter.setPen(QPen(Qt::color1, 1));
  painter.setPen(Qt::black);
  const int axisX = 5, axisY = 33;
  painter.drawLine(axisX, 2, axisX, 40);       // amplitude axis
  painter.drawLine(axisX - 3, 5, axisX, 2);    // its arrowhead
  painter.drawLine(axisX + 3, 5, axisX, 2);
  painter.drawLine(2, axisY, 60, axisY);       // frequency axis
  painter.drawLine(57, axisY - 3, 60, axisY);  // its arrowhead
  painter.drawLine(57, axisY + 3, 60, axisY);
  const int f1X = 22, f2X = 44, levelY = 10;
  painter.drawLine(axisX, levelY, f1X, levelY);  // unity gain up to f1
  painter.drawLine(f1X, levelY, f2X, axisY);     // the fall to f2
  painter.drawLine(f1X, axisY - 2, f1X, axisY + 2);
  painter.drawLine(f2X, axisY - 2, f2X, axisY + 2);
  QFont font = WindowFont(8);
  painter.setFont(font);
  painter.drawText(QRect(f1X - 6, axisY + 2, 14, 9), Qt::AlignCenter, QStringLiteral("f1"));
  painter.drawText(QRect(f2X - 6, axisY + 2, 14, 9), Qt::AlignCenter, QStringLiteral("f2"));
  painter.end();
  return QPixmap::fromImage(image);
}

// What the renderer reads of the window.
class WindowGraphHost : public GraphHost {
 public:
  explicit WindowGraphHost(TForm1& form) : form_(form) {}
  bool FrequencyAxisLog() const override { return form_.CheckBox1->isChecked(); }
  bool AmplitudeAxisLog() const override { return form_.CheckBox2->isChecked(); }
  std::string LowMarkerText() const override { return form_.Text(Field::Edit5); }
  std::string HighMarkerText() const override { return form_.Text(Field::Edit4); }
  ImageGeometry Image1() const override {
    const QRect geometry = form_.Image1->geometry();
    return {geometry.left(), geometry.top(), geometry.width(), geometry.height()};
  }
  void SetBusyCursor(bool busy) override { form_.SetBusyCursor(busy); }
  void ProcessPendingEvents() override { QCoreApplication::processEvents(); }

 private:
  TForm1& form_;
};

}  // namespace

ImageControl::ImageControl(QWidget* parent)
    : QWidget(parent), picture_(GraphImage1.Width, GraphImage1.Height, QImage::Format_RGB32) {
  picture_.fill(Qt::white);
}

void ImageControl::MarkDrawn() {
  drawn_ = true;
  update();
}

void ImageControl::paintEvent(QPaintEvent*) {
  if (!drawn_) return;  // blank until the first redraw
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

ClientArea::ClientArea(QWidget* parent)
    : QWidget(parent), labelLayer_(GraphClientWidth, GraphClientHeight, QImage::Format_ARGB32_Premultiplied) {
  labelLayer_.fill(Qt::transparent);
  setFixedSize(GraphClientWidth, GraphClientHeight);
  setAutoFillBackground(true);
}

void ClientArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, labelLayer_);
}

TForm1::TForm1(DesignState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(WindowTitleFor(rateHz_));
  // An ordinary resizable window: the client area keeps its size at the top left, and what the
  // window gains around it is button face, with no scroll bars.
  auto* surround = new QWidget(this);
  surround->setObjectName(QStringLiteral("ClientSurround"));
  surround->setAutoFillBackground(true);
  client_ = new ClientArea(surround);
  client_->setObjectName(QStringLiteral("ClientArea"));
  client_->setFont(WindowFont(WindowFontPixels));
  setCentralWidget(surround);
  CreateControls();
  SetTabOrder();

  imageCanvas_ = std::make_unique<QtImageCanvas>(Image1->Picture(), GraphLabelFont());
  windowCanvas_ = std::make_unique<LabelLayerCanvas>(client_->LabelLayer(), GraphLabelFont());
  ApplyDesktopColours();
  graphHost_ = std::make_unique<WindowGraphHost>(*this);
  guard_ = new CommandGuard(*this);
  BuildFileMenu(*this);
  BuildDesignMenu(*this);
  LiveUpdateOf(*this);
  drivers_ = MakeWindowDrivers(*this);
  analysis_ = MakeAnalysisWindow(*this);
  // The layout's minimum size is settled before there is a platform window to tell about it.
  layout()->activate();
  resize(GraphClientWidth, GraphClientHeight + menuBar()->sizeHint().height());
  FormCreate();
}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::ApplyDesktopColours() {
  const SurfaceColours surface = SurfaceColoursFor(QApplication::palette());
  for (QWidget* widget : {centralWidget(), static_cast<QWidget*>(client_)}) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, surface.background);
    widget->setPalette(palette);
  }
  for (QLineEdit* edit : client_->findChildren<QLineEdit*>()) ColourField(edit);
  // Labels already drawn keep their colours until the next redraw, as they keep their texts.
  windowCanvas_->SetBrushColor(FromQColor(surface.background));
  windowCanvas_->SetTextColor(surface.text);
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  const bool paletteChanged =
      event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange;
  if (paletteChanged && windowCanvas_ && !recolouring_) {
    recolouring_ = true;
    ApplyDesktopColours();
    recolouring_ = false;
  }
}

void TForm1::CreateControls() {
  QWidget* c = client_;
  Label6 = MakeLabel(c, "Label6", 32, 8, 567, 16, HeadingText(rateHz_).toUtf8().constData());
  Label6->setFont(WindowFont(HeadingFontPixels));
  FitLabel(Label6);
  Button1 = new QPushButton(QStringLiteral("Calc"), c);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(8, 72, 65, 73);

  // Frames first, so that they lie beneath the controls they group.
  Bevel1 = MakeBevel(c, "Bevel1", 80, 32, 209, 153);
  Bevel5 = MakeBevel(c, "Bevel5", 296, 32, 233, 153);
  Bevel6 = MakeBevel(c, "Bevel6", 536, 32, 249, 153);

  Label25 = MakeLabel(c, "Label25", 136, 40, 116, 12, "Shelving filter settings");
  LabelShelbDb = MakeLabel(c, "LabelShelbDb", 96, 48, 26, 12, "+0dB");
  TrackBarShelbGain = new ShelfSlider(c);
  TrackBarShelbGain->setObjectName(QStringLiteral("TrackBarShelbGain"));
  TrackBarShelbGain->setGeometry(88, 64, 25, 105);
  TrackBarShelbGain->setRange(0, 6);
  TrackBarShelbGain->setSingleStep(1);
  TrackBarShelbGain->setPageStep(2);
  TrackBarShelbGain->setTickPosition(QSlider::TicksLeft);
  TrackBarShelbGain->setTickInterval(1);
  TrackBarShelbGain->setValue(6);
  Image2 = new QLabel(c);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setGeometry(160, 64, 65, 49);
  Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image2->setPixmap(ShelfSketch());
  Label26 = MakeLabel(c, "Label26", 120, 136, 10, 12, "f1");
  EditShelbL = MakeEdit(c, Field::EditShelbL, 136, 128);
  Label24 = MakeLabel(c, "Label24", 176, 136, 13, 12, "Hz");
  Label27 = MakeLabel(c, "Label27", 208, 136, 10, 12, "f2");
  EditShelbH = MakeEdit(c, Field::EditShelbH, 224, 128);
  Label22 = MakeLabel(c, "Label22", 272, 136, 13, 12, "Hz");
  Label28 = MakeLabel(c, "Label28", 152, 160, 93, 12, "Total N Tap = 901");

  Label13 = MakeLabel(c, "Label13", 304, 40, 91, 12, "クロス周波数指定");
  Label7 = MakeLabel(c, "Label7", 456, 40, 65, 12, "タップ数指定");
  Label2 = MakeLabel(c, "Label2", 328, 64, 47, 12, "Cross Hz");
  Label1 = MakeLabel(c, "Label1", 472, 64, 27, 12, "NTap");
  Label3 = MakeLabel(c, "Label3", 304, 88, 20, 12, "Low");
  Edit2 = MakeEdit(c, Field::Edit2, 328, 80);
  Label19 = MakeLabel(c, "Label19", 368, 88, 13, 12, "Hz");
  Edit1 = MakeEdit(c, Field::Edit1, 472, 80);
  Label9 = MakeLabel(c, "Label9", 304, 112, 18, 12, "Mid");
  Edit5 = MakeEdit(c, Field::Edit5, 328, 104);
  Edit4 = MakeEdit(c, Field::Edit4, 392, 104);
  Label14 = MakeLabel(c, "Label14", 440, 112, 13, 12, "Hz");
  Edit9 = MakeEdit(c, Field::Edit9, 472, 104);
  Label4 = MakeLabel(c, "Label4", 304, 136, 23, 12, "High");
  Edit3 = MakeEdit(c, Field::Edit3, 392, 128);
  Label15 = MakeLabel(c, "Label15", 440, 136, 13, 12, "Hz");
  Edit10 = MakeEdit(c, Field::Edit10, 472, 128);
  CheckBox3 = new QCheckBox(QString::fromUtf8("係数調整  adjust coefficient"), c);
  CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
  CheckBox3->setGeometry(344, 160, 177, 17);
  CheckBox3->setChecked(true);

  Label23 = MakeLabel(c, "Label23", 544, 40, 143, 12, "カイザー窓推薦Tap数(参考)");
  Label12 = MakeLabel(c, "Label12", 544, 56, 237, 12, "Calculation of filter length(Taps) for reference");
  Label8 = MakeLabel(c, "Label8", 624, 80, 51, 12, "PassBand");
  Edit6 = MakeEdit(c, Field::Edit6, 688, 72);
  Label5 = MakeLabel(c, "Label5", 736, 80, 13, 12, "Hz");
  Label16 = MakeLabel(c, "Label16", 624, 104, 49, 12, "StopBand");
  Edit7 = MakeEdit(c, Field::Edit7, 688, 96);
  Label10 = MakeLabel(c, "Label10", 736, 104, 13, 12, "Hz");
  Label17 = MakeLabel(c, "Label17", 568, 128, 112, 12, "StopBand Attenuation");
  Edit8 = MakeEdit(c, Field::Edit8, 688, 120);
  Label11 = MakeLabel(c, "Label11", 736, 128, 14, 12, "dB");
  Label18 = MakeLabel(c, "Label18", 568, 152, 51, 12, "CutOff Hz");
  Label20 = MakeLabel(c, "Label20", 568, 168, 53, 12, "Ideal Taps");
  Button5 = new QPushButton(QStringLiteral("Calc"), c);
  Button5->setObjectName(QStringLiteral("Button5"));
  Button5->setGeometry(712, 144, 33, 33);

  Image1 = new ImageControl(c);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(GraphImage1.Left, GraphImage1.Top, GraphImage1.Width, GraphImage1.Height);
  Label21 = MakeLabel(c, "Label21", 72, 568, 117, 12, "振幅の最大値：CMax =");
  GroupBox1 = new CaptionedGroupBox(QString::fromUtf8("グラフ軸"), c);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(344, 552, 241, 41);
  CheckBox1 = new QCheckBox(QString::fromUtf8("周波数対数表示"), GroupBox1);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(8, 16, 105, 17);
  CheckBox1->setChecked(true);
  CheckBox2 = new QCheckBox(QString::fromUtf8("音圧対数表示"), GroupBox1);
  CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
  CheckBox2->setGeometry(128, 16, 105, 17);
  CheckBox2->setChecked(true);

  // Wired after the defaults are set, so that creating the window runs no handler.
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
  connect(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
  connect(CheckBox3, &QCheckBox::clicked, this, [this] { CheckBox3Click(); });
  connect(TrackBarShelbGain, &QSlider::valueChanged, this, [this] { TrackBarShelbGainChange(); });
}

void TForm1::SetTabOrder() {
  // The controls that take the focus, in the order of their tab indices.
  QWidget* const order[] = {Button1, Edit1,  Edit2, CheckBox1, CheckBox2, Edit3,  Edit4,     Edit5,      Edit6,
                            Edit7,   Edit8,  Button5, Edit9,   Edit10,    CheckBox3, EditShelbL, EditShelbH,
                            TrackBarShelbGain};
  for (QWidget* widget : order) widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() | Qt::TabFocus));
  for (size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TForm1::FormCreate() {}

void TForm1::FormDestroy() {}

void TForm1::Button1Click() {
  // A Calc asked for while another command runs comes after it, once however often it was asked.
  if (guard_->Running()) {
    pending_.calc = true;
    return;
  }
  guard_->Run([this] {
    BeginCommand();
    const CalcOutcome outcome = CalcCommand(*this, state_);
    ShowCalcOutcome(*this, outcome);
    progress_.reset();
    // Only a completed Calc leaves a whole design to export; a refused one leaves none to speak of,
    // and a failed or cancelled one leaves the state half rewritten.
    lastCalc_ = outcome.Record;
    for (const CalcListener& listener : calcListeners_) listener(outcome);
  });
  RunPendingLater();
}

void TForm1::Button5Click() {
  if (guard_->Running()) {
    pending_.estimate = true;
    return;
  }
  guard_->Run([this] { RunReported(*this, [this] { LengthEstimateCommand(*this); }); });
  RunPendingLater();
}

void TForm1::CheckBox1Click() { RedrawCommand(); }

void TForm1::CheckBox2Click() { RedrawCommand(); }

void TForm1::RedrawCommand() {
  if (guard_->Running()) {
    pending_.redraw = true;
    return;
  }
  guard_->Run([this] { RunReported(*this, [this] { Redraw(); }); });
  RunPendingLater();
}

void TForm1::CheckBox3Click() {
  if (guard_->Running()) {
    pending_.coupling = true;
    return;
  }
  guard_->Run([this] { ApplyCoupling(*this); });
  RunPendingLater();
}

void TForm1::TrackBarShelbGainChange() {
  if (guard_->Running()) {
    pending_.slider = true;
    return;
  }
  guard_->Run([this] { RunReported(*this, [this] { ApplyShelfSlider(*this, state_); }); });
  RunPendingLater();
}

bool TForm1::RunCommand(const std::function<void()>& command) {
  const bool ran = guard_->Run(command);
  RunPendingLater();
  return ran;
}

void TForm1::RunPendingLater() {
  if (!pending_.Any()) return;
  // From the event loop, so that a chain of commands never deepens the stack.
  QTimer::singleShot(0, this, [this] {
    if (guard_->Running()) return;  // that command runs them when it ends
    const Pending pending = std::exchange(pending_, Pending{});
    // In the order that leaves the fields as the user left them before the Calc reads them.
    if (pending.slider) TrackBarShelbGainChange();
    if (pending.coupling) CheckBox3Click();
    if (pending.redraw) RedrawCommand();
    if (pending.estimate) Button5Click();
    if (pending.calc) Button1Click();
  });
}

QLineEdit* TForm1::EditOf(Field field) const {
  switch (field) {
    case Field::Edit1: return Edit1;
    case Field::Edit2: return Edit2;
    case Field::Edit3: return Edit3;
    case Field::Edit4: return Edit4;
    case Field::Edit5: return Edit5;
    case Field::Edit6: return Edit6;
    case Field::Edit7: return Edit7;
    case Field::Edit8: return Edit8;
    case Field::Edit9: return Edit9;
    case Field::Edit10: return Edit10;
    case Field::EditShelbL: return EditShelbL;
    case Field::EditShelbH: return EditShelbH;
  }
  return Edit1;
}

QLabel* TForm1::LabelOf(Caption caption) const {
  switch (caption) {
    case Caption::Label18: return Label18;
    case Caption::Label20: return Label20;
    case Caption::Label21: return Label21;
    case Caption::Label28: return Label28;
    case Caption::LabelShelbDb: return LabelShelbDb;
  }
  return Label21;
}

std::string TForm1::Text(Field field) const { return EditOf(field)->text().toStdString(); }

// A text written into a field shows its start, like a typed one before editing: setText leaves the
// cursor at the end, and a number longer than the 41-pixel field would show only its last digits.
void TForm1::SetText(Field field, const std::string& text) {
  QLineEdit* edit = EditOf(field);
  edit->setText(QString::fromStdString(text));
  edit->setCursorPosition(0);
}

void TForm1::SetLocked(Field field, bool locked) { SetFieldLocked(EditOf(field), locked); }

bool TForm1::Locked(Field field) const { return EditOf(field)->isReadOnly(); }

bool TForm1::AdjustChecked() const { return CheckBox3->isChecked(); }

int TForm1::SliderPosition() const { return TrackBarShelbGain->value(); }

void TForm1::SetRateHz(int rateHz) {
  if (rateHz == rateHz_) return;
  rateHz_ = rateHz;
  Label6->setText(HeadingText(rateHz_));
  FitLabel(Label6);
  setWindowTitle(WindowTitleFor(rateHz_));
  for (const auto& listener : rateListeners_) listener(rateHz_);
}

std::string TForm1::CaptionText(Caption caption) const { return LabelOf(caption)->text().toStdString(); }

void TForm1::SetCaption(Caption caption, const std::string& text) {
  QLabel* label = LabelOf(caption);
  label->setText(QString::fromStdString(text));
  FitLabel(label);
}

void TForm1::ShowMessage(const std::string& text) {
  if (messageSink_) {
    messageSink_(text);
    return;
  }
  if (live_) {
    statusBar()->showMessage(QString::fromStdString(text));
    return;
  }
  // Plain text in the window's font: a message quotes what was typed, which must show as typed.
  MakeMessageBox(this, windowTitle(), text, client_->font())->exec();
}

void TForm1::SetBusyCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TForm1::BeginCommand(const QString& label) {
  progress_.reset();
  cancelRequested_ = false;
  liveDispatch_.invalidate();
  progressLabel_ = label.isEmpty() ? QString::fromUtf8("計算中… Calculating…") : label;
  commandClock_.start();
}

void TForm1::ReportProgress(double fraction) {
  if (fraction >= 1.0) {
    progress_.reset();
    return;
  }
  if (live_) {
    // Events now and then, not at every report: a Calc reports thousands of times.
    if (!liveDispatch_.isValid() || liveDispatch_.elapsed() >= LiveDispatchMs) {
      QCoreApplication::processEvents();
      liveDispatch_.start();
    }
    if (std::exchange(cancelRequested_, false)) throw CommandCancelled();
    return;
  }
  if (!progress_) {
    if (!commandClock_.isValid() || commandClock_.elapsed() < progressDelayMs_) return;
    progress_ = std::make_unique<QProgressDialog>(progressLabel_, QStringLiteral("Cancel"), 0, 1000, this);
    progress_->setObjectName(QStringLiteral("ProgressDialog"));
    progress_->setWindowTitle(windowTitle());
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->show();
  }
  progress_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
  QCoreApplication::processEvents();
  if (progress_->wasCanceled()) {
    progress_.reset();
    throw CommandCancelled();
  }
}

void TForm1::Redraw() {
  Image1->MarkDrawn();
  client_->update();
  windowCanvas_->BeginRedraw();
  RedrawGraph(*imageCanvas_, *windowCanvas_, CurvesOf(state_), *graphHost_);
  Image1->update();
  client_->update();
}

void TForm1::SetLive(bool live) {
  if (live == live_) return;
  live_ = live;
  progress_.reset();
  statusBar()->setVisible(live);
  if (!live) statusBar()->clearMessage();
  // The status bar is added below the client area, which keeps its size and place.
  layout()->activate();
  resize(GraphClientWidth, GraphClientHeight + menuBar()->sizeHint().height() + (live ? statusBar()->sizeHint().height() : 0));
}

bool TForm1::CommandRunning() const { return guard_->Running(); }
