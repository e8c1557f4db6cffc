// How the window looks under any desktop theme: field text readable on its background in a light
// and a dark palette, axis labels in the window-text colour, message boxes as plain text in the
// window's font, a written-back number showing its start, a resizable window whose controls stay
// put, the axis check boxes inside their group box's frame and the slider's fill growing with the
// bass lift. And the File menu's exports making the folders they are given.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QSlider>
#include <QStyleFactory>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <map>

#include "pipeline/DesignState.h"
#include "tests/support/Pixels.h"
#include "window/Appearance.h"
#include "window/Controls.h"
#include "window/ExportMenu.h"
#include "window/Unit1.h"

namespace {

// Relative luminance and contrast ratio as the WCAG define them, written out here on their own.
double Luminance(const QColor& colour) {
  const double channels[] = {colour.redF(), colour.greenF(), colour.blueF()};
  double linear[3];
  for (int i = 0; i < 3; ++i) {
    linear[i] = channels[i] <= 0.04045 ? channels[i] / 12.92 : std::pow((channels[i] + 0.055) / 1.055, 2.4);
  }
  return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2];
}

double Contrast(const QColor& a, const QColor& b) {
  const double high = std::max(Luminance(a), Luminance(b));
  const double low = std::min(Luminance(a), Luminance(b));
  return (high + 0.05) / (low + 0.05);
}

using testing_support::CountNear;

QList<QLineEdit*> Fields(TForm1& form) {
  return {form.Edit1, form.Edit2, form.Edit3, form.Edit4,      form.Edit5,      form.Edit6, form.Edit7,
          form.Edit8, form.Edit9, form.Edit10, form.EditShelbL, form.EditShelbH};
}

}  // namespace

class AppearanceTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    lightPalette_ = QApplication::palette();
  }

  void init() { QApplication::setPalette(lightPalette_); }

  void cleanup() {
    form_.reset();
    QApplication::setPalette(lightPalette_);
  }

  // Under a light palette the fields keep the layout's colours: white when editable, 3D-light when
  // read-only, and the palette's (dark) text.
  void lightPaletteKeepsTheLayoutColours() {
    MakeForm();
    const QColor white(255, 255, 255);
    QCOMPARE(form_->Edit1->palette().color(QPalette::Base), white);
    QCOMPARE(form_->Edit2->palette().color(QPalette::Base), lightPalette_.color(QPalette::Midlight));
    QCOMPARE(form_->Edit8->palette().color(QPalette::Base), lightPalette_.color(QPalette::Midlight));
    form_->CheckBox3->click();
    QCOMPARE(form_->Edit2->palette().color(QPalette::Base), white);
    for (QLineEdit* edit : Fields(*form_)) {
      QCOMPARE(edit->palette().color(QPalette::Text), lightPalette_.color(QPalette::Text));
    }
  }

  // Under a dark palette every field, editable or read-only, shows its text in strong contrast, and
  // read-only ones still look different; the pixels of a field hold both colours.
  void darkPaletteFieldsAreReadable() {
    QApplication::setPalette(DarkDesktopPalette());
    MakeForm();
    auto check = [&] {
      for (QLineEdit* edit : Fields(*form_)) {
        const QColor base = edit->palette().color(QPalette::Base);
        const QColor text = edit->palette().color(QPalette::Text);
        QVERIFY2(Contrast(base, text) >= 4.5, qPrintable(edit->objectName()));
        QVERIFY2(Luminance(base) < Luminance(text), qPrintable(edit->objectName()));  // light on dark
      }
      QVERIFY(form_->Edit2->palette().color(QPalette::Base) != form_->Edit1->palette().color(QPalette::Base) ||
              !form_->Edit2->isReadOnly());
    };
    check();
    form_->CheckBox3->click();  // Edit2 and Edit3 editable
    check();
    form_->CheckBox3->click();  // and read-only again
    check();
    const QImage field = form_->Edit1->grab().toImage();
    QVERIFY(CountNear(field, form_->Edit1->palette().color(QPalette::Text), 40) > 10);
    QVERIFY(CountNear(field, form_->Edit1->palette().color(QPalette::Base), 4) > field.width() * field.height() / 2);
  }

  // A theme switched while the window is open recolours it.
  void switchingThemeRecolours() {
    MakeForm();
    QApplication::setPalette(DarkDesktopPalette());
    QCoreApplication::processEvents();
    for (QLineEdit* edit : Fields(*form_)) {
      QVERIFY2(Contrast(edit->palette().color(QPalette::Base), edit->palette().color(QPalette::Text)) >= 4.5,
               qPrintable(edit->objectName()));
    }
    QCOMPARE(form_->Client()->palette().color(QPalette::Window), DarkDesktopPalette().color(QPalette::Window));
    form_->CheckBox2->click();
    const QImage zeroDb = form_->Client()->LabelLayer().copy(31, 251, 24, 12);
    QVERIFY(CountNear(zeroDb, DarkDesktopPalette().color(QPalette::WindowText), 60) > 8);
    QApplication::setPalette(lightPalette_);
    QCoreApplication::processEvents();
    QCOMPARE(form_->Edit1->palette().color(QPalette::Base), QColor(255, 255, 255));
    QCOMPARE(form_->Edit2->palette().color(QPalette::Base), lightPalette_.color(QPalette::Midlight));
  }

  void fieldColoursReadOnEveryPalette_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << lightPalette_;
    QTest::newRow("dark") << DarkDesktopPalette();
    QPalette darkWithoutMidlight = DarkDesktopPalette();
    darkWithoutMidlight.setColor(QPalette::Midlight, QColor(220, 220, 220));  // a careless theme
    QTest::newRow("dark, light 3D-light") << darkWithoutMidlight;
  }
  void fieldColoursReadOnEveryPalette() {
    QFETCH(QPalette, palette);
    const FieldColours colours = FieldColoursFor(palette);
    QVERIFY(Contrast(colours.editableBase, colours.text) >= 4.5);
    QVERIFY(Contrast(colours.lockedBase, colours.text) >= 4.5);
    QCOMPARE(colours.text, palette.color(QPalette::Text));
    QVERIFY(std::abs(ContrastRatio(colours.lockedBase, colours.text) - Contrast(colours.lockedBase, colours.text)) < 1e-9);
  }

  // The axis labels are drawn in the window-text colour on the window's background: light on dark
  // grey under a dark palette, and nothing of them is black.
  void axisLabelsUseTheWindowTextColour() {
    QApplication::setPalette(DarkDesktopPalette());
    MakeForm();
    form_->CheckBox1->click();  // a redraw: grid, markers and labels
    const QImage& labels = form_->Client()->LabelLayer();
    const QColor text = DarkDesktopPalette().color(QPalette::WindowText);
    const QColor background = DarkDesktopPalette().color(QPalette::Window);
    // "0dB " at (31, 251), the first amplitude label.
    const QImage zeroDb = labels.copy(31, 251, 24, 12);
    QVERIFY(CountNear(zeroDb, text, 60) > 8);
    QVERIFY(CountNear(zeroDb, background, 4) > 100);
    int opaqueBlack = 0;
    for (int y = 0; y < labels.height(); ++y) {
      for (int x = 0; x < labels.width(); ++x) {
        const QColor pixel = labels.pixelColor(x, y);
        opaqueBlack += pixel.alpha() == 255 && pixel.red() < 40 && pixel.green() < 40 && pixel.blue() < 40;
      }
    }
    QCOMPARE(opaqueBlack, 0);
  }

  // The window's message box shows the text as it stands, in the window's font, whatever it holds.
  void messageBoxIsPlainTextInTheWindowFont_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("markup typed into a field") << QString::fromUtf8("'<b>12</b>' は整数ではありません");
    QTest::newRow("digits only") << QString("1000001");
    QTest::newRow("Japanese") << QString::fromUtf8("範囲チェックエラー");
  }
  void messageBoxIsPlainTextInTheWindowFont() {
    QFETCH(QString, text);
    MakeForm();
    form_->SetMessageSink({});  // the real box
    QString shownText;
    QFont shownFont;
    Qt::TextFormat shownFormat = Qt::AutoText;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      auto* label = box->findChild<QLabel*>("qt_msgbox_label");
      shownText = label ? label->text() : QString();
      shownFormat = label ? label->textFormat() : Qt::AutoText;
      shownFont = label ? label->font() : QFont();
      box->accept();
    });
    form_->ShowMessage(text.toStdString());
    QCOMPARE(shownText, text);
    QCOMPARE(shownFormat, Qt::PlainText);
    QCOMPARE(shownFont.family(), form_->Client()->font().family());
    QCOMPARE(shownFont.pixelSize(), form_->Client()->font().pixelSize());
  }

  // A number written back into a 41-pixel field shows its first digits, as a typed one does.
  void writtenTextShowsItsStart() {
    MakeForm();
    form_->SetText(Field::Edit1, "1000001");
    QCOMPARE(form_->Edit1->text(), QString("1000001"));
    QCOMPARE(form_->Edit1->cursorPosition(), 0);
    // The pixels are those of the same field scrolled to its start, not to its end.
    QLineEdit reference(form_->Client());
    reference.setFont(form_->Edit1->font());
    reference.setPalette(form_->Edit1->palette());
    reference.setTextMargins(form_->Edit1->textMargins());
    reference.setGeometry(form_->Edit1->geometry().translated(0, 400));
    reference.setText("1000001");
    reference.show();
    reference.setCursorPosition(0);
    const QImage start = reference.grab().toImage();
    reference.setCursorPosition(7);
    const QImage end = reference.grab().toImage();
    QVERIFY(start != end);  // the text is wider than the field
    QCOMPARE(form_->Edit1->grab().toImage(), start);
  }

  // An ordinary resizable, maximisable window: resizing moves and resizes no control, the client area
  // keeps its 788 x 599 at the top left, and no scroll bar appears.
  void resizingMovesNoControl() {
    MakeForm();
    QVERIFY(form_->maximumWidth() > 4000 && form_->maximumHeight() > 4000);
    QVERIFY(form_->minimumWidth() < 788);
    QVERIFY(form_->windowFlags() & Qt::WindowMaximizeButtonHint);
    std::map<QString, QRect> before;
    for (QWidget* widget : form_->Client()->findChildren<QWidget*>()) before[widget->objectName()] = widget->geometry();
    const QPoint clientOrigin = form_->Client()->mapTo(form_.get(), QPoint(0, 0));
    for (QSize size : {QSize(1400, 1000), QSize(500, 400), QSize(900, 700)}) {
      form_->resize(size);
      QCoreApplication::processEvents();
      QCOMPARE(form_->size(), size);
      QCOMPARE(form_->Client()->size(), QSize(788, 599));
      QCOMPARE(form_->Client()->mapTo(form_.get(), QPoint(0, 0)), clientOrigin);
      for (QWidget* widget : form_->Client()->findChildren<QWidget*>()) {
        QCOMPARE(widget->geometry(), before[widget->objectName()]);
      }
      for (QScrollBar* bar : form_->findChildren<QScrollBar*>()) QVERIFY(!bar->isVisible());
    }
    // What the larger window shows around the client area is the button face.
    form_->resize(1000, 800);
    QCoreApplication::processEvents();
    const QImage window = form_->grab().toImage();
    QCOMPARE(window.pixelColor(950, 750), form_->Client()->palette().color(QPalette::Window));
  }

  // The axis check boxes keep their places (8, 16 in the box) and lie below the frame's top line,
  // inside the box, with the Fusion style.
  void axisCheckBoxesLieInsideTheFrame() {
    MakeForm();
    auto* box = dynamic_cast<CaptionedGroupBox*>(form_->GroupBox1);
    QVERIFY(box);
    QCOMPARE(box->geometry(), QRect(344, 552, 241, 41));
    QCOMPARE(form_->CheckBox1->geometry().topLeft(), QPoint(8, 16));
    QCOMPARE(form_->CheckBox2->geometry().topLeft(), QPoint(128, 16));
    const int frameTop = box->FrameTop();
    QVERIFY(frameTop > 0 && frameTop < 16);
    // The frame line is drawn at frameTop across the box, right of the caption, and nothing of the
    // check boxes reaches up to it.
    const QImage picture = box->grab().toImage();
    const QColor line = box->palette().color(QPalette::Mid);
    int lineDots = 0;
    for (int x = 100; x < 230; ++x) lineDots += picture.pixel(x, frameTop) == line.rgb();
    QVERIFY(lineDots > 120);
    for (QCheckBox* check : {form_->CheckBox1, form_->CheckBox2}) QVERIFY(check->geometry().top() > frameTop + 1);
    // The caption sits on the line, on the window's background.
    QVERIFY(CountNear(picture.copy(8, 0, 60, frameTop * 2), box->palette().color(QPalette::WindowText), 60) > 10);
  }

  // The groove's fill grows with the bass lift: none at +0dB (bottom), all of it at +6dB (top), and
  // below the thumb in between; the thumb itself stays where the position puts it.
  void sliderFillGrowsWithTheLift() {
    MakeForm();
    QSlider* slider = form_->TrackBarShelbGain;
    const QColor highlight = slider->palette().color(QPalette::Highlight);
    auto fill = [&](int position) {
      slider->setValue(position);
      return slider->grab().toImage();
    };
    const int atZeroDb = CountNear(fill(6), highlight, 30);
    const int atSixDb = CountNear(fill(0), highlight, 30);
    const QImage middle = fill(3);
    const int upper = CountNear(middle.copy(0, 0, middle.width(), middle.height() / 2 - 8), highlight, 30);
    const int lower = CountNear(middle.copy(0, middle.height() / 2 + 8, middle.width(), middle.height()), highlight, 30);
    QVERIFY(atZeroDb < 10);
    QVERIFY(atSixDb > 100);
    QCOMPARE(upper, 0);
    QVERIFY(lower > 40);
    QCOMPARE(form_->LabelShelbDb->text(), QString("+3dB"));
  }

  // Exports make the folder they are given, parents too; a file in the way is refused with the
  // system's reason in the message box and left as it was.
  void exportsMakeMissingFolders() {
    MakeForm();
    QStringList messages;
    form_->SetMessageSink([&](const std::string& text) { messages << QString::fromStdString(text); });
    form_->Button1Click();
    QTemporaryDir dir;
    QVERIFY(ExportFiltersTo(*form_, dir.filePath("sets/a/b"), "xo", FilterFormat::Text));
    QVERIFY(QFileInfo(dir.filePath("sets/a/b/xo-low.txt")).isFile());
    QVERIFY(ExportCurvesTo(*form_, dir.filePath("curves/c/curves.csv")));
    QVERIFY(QFileInfo(dir.filePath("curves/c/curves.csv")).isFile());
    QVERIFY(SaveGraphTo(*form_, dir.filePath("pictures/graph.png"), GraphPicture::Labelled));
    QVERIFY(QFileInfo(dir.filePath("pictures/graph.png")).isFile());
    QCOMPARE(messages, QStringList());

    QFile taken(dir.filePath("taken"));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("kept");
    taken.close();
    QVERIFY(!ExportFiltersTo(*form_, dir.filePath("taken/x"), "xo", FilterFormat::Text));
    QVERIFY(!SaveGraphTo(*form_, dir.filePath("taken/g.png"), GraphPicture::Image1));
    const QString path = QFile::decodeName(QFile::encodeName(dir.filePath("taken")));
    QCOMPARE(messages, (QStringList{"Cannot create directory '" + path + "/x': Not a directory",
                                    "Cannot create directory '" + path + "': Not a directory"}));
    QVERIFY(taken.open(QIODevice::ReadOnly));
    QCOMPARE(taken.readAll(), QByteArray("kept"));
  }

 private:
  void MakeForm() {
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    form_->SetMessageSink([](const std::string&) {});
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  QPalette lightPalette_;
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(AppearanceTest)
#include "AppearanceTest.moc"
