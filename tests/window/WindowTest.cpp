// The main window offscreen: every control of the layout, the coupling of the crossover fields and
// the shelving slider.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <cmath>

#include "numerics/Errors.h"
#include "pipeline/DesignState.h"
#include "render/WindowFont.h"
#include "window/ExportMenu.h"
#include "window/Unit1.h"

namespace {

QColor BaseColour(const QLineEdit* edit) { return edit->palette().color(QPalette::Base); }

QColor Light3D() { return QApplication::palette().color(QPalette::Midlight); }

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    messages_.clear();
    form_->SetMessageSink([this](const std::string& text) { messages_.push_back(QString::fromStdString(text)); });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() { form_.reset(); }

  void clientAreaAndFont() {
    QCOMPARE(form_->Client()->size(), QSize(788, 599));
    QVERIFY(!form_->windowTitle().isEmpty());
    QVERIFY(form_->windowTitle().contains("1.0"));
    QCOMPARE(form_->Client()->font().pixelSize(), 12);
    QCOMPARE(form_->Label6->font().pixelSize(), 16);
    QCOMPARE(form_->Edit1->font().family(), WindowFontFamily());
    QVERIFY(WindowFontFamily() == QString::fromUtf8("ＭＳ Ｐゴシック") || WindowFontFamily() == "IPAPGothic");
  }

  void controlGeometryAndText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, int x, int y, int w, int h, const char* text) {
      QTest::newRow(name) << QString(name) << QRect(x, y, w, h) << QString::fromUtf8(text);
    };
    row("Label6", 32, 8, 567, 16, "カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が44.1KHzの場合）");
    row("Button1", 8, 72, 65, 73, "Calc");
    row("Label25", 136, 40, 116, 12, "Shelving filter settings");
    row("LabelShelbDb", 96, 48, 26, 12, "+0dB");
    row("Label26", 120, 136, 10, 12, "f1");
    row("EditShelbL", 136, 128, 41, 20, "200");
    row("Label24", 176, 136, 13, 12, "Hz");
    row("Label27", 208, 136, 10, 12, "f2");
    row("EditShelbH", 224, 128, 41, 20, "800");
    row("Label22", 272, 136, 13, 12, "Hz");
    row("Label28", 152, 160, 93, 12, "Total N Tap = 901");
    row("Label13", 304, 40, 91, 12, "クロス周波数指定");
    row("Label7", 456, 40, 65, 12, "タップ数指定");
    row("Label2", 328, 64, 47, 12, "Cross Hz");
    row("Label1", 472, 64, 27, 12, "NTap");
    row("Label3", 304, 88, 20, 12, "Low");
    row("Edit2", 328, 80, 41, 20, "300");
    row("Label19", 368, 88, 13, 12, "Hz");
    row("Edit1", 472, 80, 41, 20, "901");
    row("Label9", 304, 112, 18, 12, "Mid");
    row("Edit5", 328, 104, 41, 20, "300");
    row("Edit4", 392, 104, 41, 20, "2000");
    row("Label14", 440, 112, 13, 12, "Hz");
    row("Edit9", 472, 104, 41, 20, "701");
    row("Label4", 304, 136, 23, 12, "High");
    row("Edit3", 392, 128, 41, 20, "2000");
    row("Label15", 440, 136, 13, 12, "Hz");
    row("Edit10", 472, 128, 41, 20, "301");
    row("CheckBox3", 344, 160, 177, 17, "係数調整  adjust coefficient");
    row("Label23", 544, 40, 143, 12, "カイザー窓推薦Tap数(参考)");
    row("Label12", 544, 56, 237, 12, "Calculation of filter length(Taps) for reference");
    row("Label8", 624, 80, 51, 12, "PassBand");
    row("Edit6", 688, 72, 41, 20, "300");
    row("Label5", 736, 80, 13, 12, "Hz");
    row("Label16", 624, 104, 49, 12, "StopBand");
    row("Edit7", 688, 96, 41, 20, "900");
    row("Label10", 736, 104, 13, 12, "Hz");
    row("Label17", 568, 128, 112, 12, "StopBand Attenuation");
    row("Edit8", 688, 120, 41, 20, "144");
    row("Label11", 736, 128, 14, 12, "dB");
    row("Label18", 568, 152, 51, 12, "CutOff Hz");
    row("Label20", 568, 168, 53, 12, "Ideal Taps");
    row("Button5", 712, 144, 33, 33, "Calc");
    row("Label21", 72, 568, 117, 12, "振幅の最大値：CMax =");
    row("GroupBox1", 344, 552, 241, 41, "グラフ軸");
    row("CheckBox1", 8, 16, 105, 17, "周波数対数表示");
    row("CheckBox2", 128, 16, 105, 17, "音圧対数表示");
    row("Bevel1", 80, 32, 209, 153, "");
    row("Bevel5", 296, 32, 233, 153, "");
    row("Bevel6", 536, 32, 249, 153, "");
    row("TrackBarShelbGain", 88, 64, 25, 105, "");
    row("Image2", 160, 64, 65, 49, "");
    row("Image1", 56, 200, 681, 337, "");
  }

  void controlGeometryAndText() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    auto* widget = form_->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    if (qobject_cast<QLabel*>(widget) && name != "Image2") {
      // Labels size themselves to their text in the face at hand, never below the designed size.
      QCOMPARE(widget->pos(), geometry.topLeft());
      QVERIFY(widget->width() >= geometry.width() && widget->height() >= geometry.height());
    } else {
      QCOMPARE(widget->geometry(), geometry);
    }
    if (auto* label = qobject_cast<QLabel*>(widget); label && name != "Image2") QCOMPARE(label->text(), text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) QCOMPARE(edit->text(), text);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(button->text(), text);
    if (auto* group = qobject_cast<QGroupBox*>(widget)) QCOMPARE(group->title(), text);
  }

  void startStates() {
    for (QLineEdit* edit : {form_->Edit2, form_->Edit3, form_->Edit8}) {
      QVERIFY(edit->isReadOnly());
      QCOMPARE(BaseColour(edit), Light3D());
    }
    for (QLineEdit* edit : {form_->Edit1, form_->Edit4, form_->Edit5, form_->Edit6, form_->Edit7, form_->Edit9,
                            form_->Edit10, form_->EditShelbL, form_->EditShelbH}) {
      QVERIFY(!edit->isReadOnly());
      QCOMPARE(BaseColour(edit), QColor(Qt::white));
    }
    QVERIFY(form_->CheckBox1->isChecked());
    QVERIFY(form_->CheckBox2->isChecked());
    QVERIFY(form_->CheckBox3->isChecked());
    QCOMPARE(form_->CheckBox1->parentWidget(), form_->GroupBox1);
    QCOMPARE(form_->CheckBox2->parentWidget(), form_->GroupBox1);
    QVERIFY(!form_->Image1->HasPicture());
    QVERIFY(!form_->Image2->pixmap().isNull());
    QCOMPARE(form_->Image2->pixmap().size(), QSize(63, 44));

    const DesignState fresh;
    QCOMPARE(state_->TotalTaps, 0);
    QCOMPARE(state_->ShelfLength, 0);
    QCOMPARE(state_->CascadeLength, 0);
    QCOMPARE(state_->ShelfCutDb, 0);
    QVERIFY(state_->LowCoeffs.empty() && state_->ShelfCoeffs.empty() && state_->SumCascade.empty());
    QVERIFY(state_->SumDb == fresh.SumDb && state_->LowMag == fresh.LowMag);
  }

  void sliderConfiguration() {
    QSlider* slider = form_->TrackBarShelbGain;
    QCOMPARE(slider->orientation(), Qt::Vertical);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 6);
    QCOMPARE(slider->value(), 6);
    QCOMPARE(slider->tickPosition(), QSlider::TicksLeft);
    QCOMPARE(slider->tickInterval(), 1);
    QCOMPARE(slider->singleStep(), 1);
    QCOMPARE(slider->pageStep(), 2);
    QVERIFY(slider->invertedAppearance());  // position 0 at the top
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Up);
    QCOMPARE(slider->value(), 5);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QCOMPARE(slider->value(), 3);
    QTest::keyClick(slider, Qt::Key_Down);
    QCOMPARE(slider->value(), 4);
  }

  void tabOrder() {
    const QList<QWidget*> expected = {form_->Button1, form_->Edit1,  form_->Edit2,   form_->CheckBox1,
                                      form_->CheckBox2, form_->Edit3, form_->Edit4,  form_->Edit5,
                                      form_->Edit6,   form_->Edit7,  form_->Edit8,   form_->Button5,
                                      form_->Edit9,   form_->Edit10, form_->CheckBox3, form_->EditShelbL,
                                      form_->EditShelbH, form_->TrackBarShelbGain};
    for (qsizetype i = 1; i < expected.size(); ++i) {
      QWidget* next = expected[i - 1]->nextInFocusChain();
      while (next && !expected.contains(next)) next = next->nextInFocusChain();
      QCOMPARE(next, expected[i]);
    }
  }

  void couplingOfCrossoverFields() {
    form_->CheckBox3->click();  // untick
    QVERIFY(!form_->Edit2->isReadOnly());
    QVERIFY(!form_->Edit3->isReadOnly());
    QCOMPARE(BaseColour(form_->Edit2), QColor(Qt::white));
    QCOMPARE(BaseColour(form_->Edit3), QColor(Qt::white));
    QCOMPARE(form_->Edit2->text(), QString("300"));
    QCOMPARE(form_->Edit3->text(), QString("2000"));

    form_->Edit2->setText("123");
    form_->Edit5->setText("400");
    form_->Edit4->setText("2500");
    form_->CheckBox3->click();  // tick again: the mid band's edges are copied
    QCOMPARE(form_->Edit2->text(), QString("400"));
    QCOMPARE(form_->Edit3->text(), QString("2500"));
    QVERIFY(form_->Edit2->isReadOnly());
    QCOMPARE(BaseColour(form_->Edit3), Light3D());

    form_->Edit5->setText("500");  // later edits are not carried over
    QCOMPARE(form_->Edit2->text(), QString("400"));
    QVERIFY(messages_.isEmpty());
  }

  void shelfSlider_data() {
    QTest::addColumn<QString>("lowTaps");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("cutLabel");
    QTest::addColumn<QString>("lengthLabel");
    QTest::addColumn<int>("totalTaps");
    QTest::addColumn<int>("cascadeLength");
    QTest::newRow("one step up") << "901" << 5 << "+1dB" << "Total Ntap = 2105" << 901 << 2105;
    QTest::newRow("top") << "901" << 0 << "+6dB" << "Total Ntap = 2105" << 901 << 2105;
    QTest::newRow("even count as typed") << "900" << 4 << "+2dB" << "Total Ntap = 2104" << 900 << 2104;
    QTest::newRow("longest band wins") << "1001" << 3 << "+3dB" << "Total Ntap = 2205" << 1001 << 2205;
    QTest::newRow("blanks around the count") << " 77 " << 2 << "+4dB" << "Total Ntap = 1905" << 701 << 1905;
  }

  void shelfSlider() {
    QFETCH(QString, lowTaps);
    QFETCH(int, position);
    form_->Edit1->setText(lowTaps);
    form_->TrackBarShelbGain->setValue(position);
    QTEST(form_->LabelShelbDb->text(), "cutLabel");
    QTEST(form_->Label28->text(), "lengthLabel");
    QTEST(state_->TotalTaps, "totalTaps");
    QTEST(state_->CascadeLength, "cascadeLength");
    QCOMPARE(state_->ShelfLength, 1205);
    QCOMPARE(state_->ShelfCutDb, 6 - position);
    QVERIFY(messages_.isEmpty());
    QVERIFY(state_->LowCoeffs.empty());  // nothing is recomputed
  }

  void sliderBackToTheBottomKeepsTheCascadeLength() {
    form_->TrackBarShelbGain->setValue(5);
    form_->TrackBarShelbGain->setValue(6);
    QCOMPARE(form_->LabelShelbDb->text(), QString("+0dB"));
    QCOMPARE(form_->Label28->text(), QString("Total Ntap = 901"));
    QCOMPARE(state_->ShelfCutDb, 0);
    QCOMPARE(state_->CascadeLength, 2105);  // kept from the positive cut
  }

  void sliderWithATapFieldThatIsNotAnInteger() {
    form_->TrackBarShelbGain->setValue(5);
    form_->Edit9->setText("70.1");
    form_->TrackBarShelbGain->setValue(3);
    QCOMPARE(messages_, QStringList{QString::fromUtf8("'70.1' は整数ではありません")});
    QCOMPARE(form_->LabelShelbDb->text(), QString("+3dB"));
    QCOMPARE(state_->ShelfCutDb, 3);
    QCOMPARE(form_->Label28->text(), QString("Total Ntap = 2105"));
    QCOMPARE(state_->TotalTaps, 901);
    QCOMPARE(state_->CascadeLength, 2105);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void axisCheckBoxesRedrawTheGraph_data() {
    QTest::addColumn<bool>("logFrequency");
    QTest::addColumn<bool>("logAmplitude");
    QTest::addColumn<int>("redMarkerX");
    QTest::addColumn<int>("blueMarkerX");
    QTest::addColumn<QString>("picture");
    QTest::newRow("linear frequency, dB") << false << true << 20 << 136 << "window-linear-db.png";
    QTest::newRow("linear frequency, linear amplitude") << false << false << 20 << 136 << "window-linear-linear.png";
    QTest::newRow("log frequency, linear amplitude") << true << false << 335 << 522 << "window-log-linear.png";
  }

  void axisCheckBoxesRedrawTheGraph() {
    QFETCH(bool, logFrequency);
    QFETCH(bool, logAmplitude);
    QFETCH(int, redMarkerX);
    QFETCH(int, blueMarkerX);
    QFETCH(QString, picture);
    if (!logFrequency) form_->CheckBox1->click();
    if (!logAmplitude) form_->CheckBox2->click();
    QVERIFY(messages_.isEmpty());
    QVERIFY(form_->Image1->HasPicture());
    const QImage& image = form_->Image1->Picture();
    QCOMPARE(image.size(), QSize(681, 337));
    QCOMPARE(image.pixelColor(redMarkerX, 10), QColor(Qt::red));
    QCOMPARE(image.pixelColor(blueMarkerX, 10), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));  // the frame
    QCOMPARE(image.pixelColor(redMarkerX + 3, 20), QColor(Qt::white));
    int blackInGridRow = 0;
    for (int x = 350; x < 450; ++x) blackInGridRow += image.pixelColor(x, 57) == QColor(Qt::black);
    QVERIFY(blackInGridRow >= 45 && blackInGridRow <= 55);  // dotted: every other pixel
    // The axis labels stand on the window's own surface, left of and below the image.
    const QImage& labels = form_->Client()->LabelLayer();
    auto inked = [&labels](QRect area) {
      for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
          if (qGray(labels.pixel(x, y)) < 100 && qAlpha(labels.pixel(x, y)) == 255) return true;
      return false;
    };
    QVERIFY(inked(QRect(46, 537, 20, 12)));   // "10Hz" or "0Hz "
    QVERIFY(inked(QRect(717, 537, 40, 12)));  // "10000Hz"
    QVERIFY(inked(QRect(31, 251, 20, 12)));   // " 1.0 " or "0dB "
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(form_->grab().save(QDir(QCoreApplication::applicationDirPath()).filePath(picture)));
  }

  void redrawAfterABadMarkerStartsBlack_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("Edit5") << "Edit5";
    QTest::newRow("Edit4") << "Edit4";
  }

  void redrawAfterABadMarkerStartsBlack() {
    QFETCH(QString, field);
    auto* edit = form_->findChild<QLineEdit*>(field);
    edit->setText("1,5");
    form_->CheckBox1->click();
    QCOMPARE(messages_, QStringList{QString::fromUtf8("'1,5' は浮動小数点数ではありません")});
    QVERIFY(QApplication::overrideCursor() == nullptr);
    edit->setText(field == "Edit5" ? "300" : "2000");
    form_->CheckBox1->click();
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(form_->Image1->Picture().pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(form_->Image1->Picture().pixelColor(680, 336), QColor(Qt::black));
  }

  void calcWithTheDefaults() {
    form_->Button1->click();
    QCOMPARE(messages_, QStringList{});
    QCOMPARE(form_->Label21->text(), QString::fromUtf8("振幅係数の最大値：CMax = 1.000000"));
    QCOMPARE(form_->Label28->text(), QString("Total Ntap = 901"));
    QCOMPARE(state_->TotalTaps, 901);
    QCOMPARE(state_->ShelfCutDb, 0);
    QVERIFY(std::abs(state_->SumMag[500] - 1.0) < 1e-9);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(form_->grab().save(QDir(QCoreApplication::applicationDirPath()).filePath("window-calc.png")));
  }

  void calcWithTheSliderAtTheTop() {
    form_->TrackBarShelbGain->setValue(0);
    form_->Edit1->setText("900");
    form_->Button1->click();
    QCOMPARE(messages_, QStringList{});
    QCOMPARE(form_->Edit1->text(), QString("901"));
    QCOMPARE(form_->LabelShelbDb->text(), QString("+6dB"));
    QCOMPARE(form_->Label28->text(), QString("Total Ntap = 2105"));
    QCOMPARE(state_->CascadeLength, 2105);
    QVERIFY(std::abs(state_->SumMag[950] - 0.5011872) < 1e-3);  // the shelf alone
    QVERIFY(form_->grab().save(QDir(QCoreApplication::applicationDirPath()).filePath("window-calc-shelf.png")));
  }

  void calcThatFailsShowsTheMessageAndRestoresTheCursor() {
    form_->EditShelbL->setText("39.99");
    form_->Button1->click();
    QCOMPARE(messages_, QStringList{QString::fromUtf8("f1 should be higher than 40：入力できる数値は40以上です。")});
    QCOMPARE(form_->EditShelbL->text(), QString("40"));
    form_->Edit10->setText("abc");
    form_->Button1->click();
    QCOMPARE(messages_.last(), QString::fromUtf8("'abc' は整数ではありません"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(form_->Label21->text(), QString::fromUtf8("振幅の最大値：CMax ="));
  }

  void estimate() {
    form_->Button5->click();
    QCOMPARE(form_->Label18->text(), QString::fromUtf8("CutOff     ：600Hz"));
    QCOMPARE(form_->Label20->text(), QString::fromUtf8("Ideal Taps： 699"));
    form_->Edit7->setText("300");
    form_->Button5->click();
    QCOMPARE(messages_, QStringList{QString::fromUtf8("0 による浮動小数点数除算")});
    QCOMPARE(form_->Label18->text(), QString::fromUtf8("CutOff     ：300Hz"));
    QCOMPARE(form_->Label20->text(), QString::fromUtf8("Ideal Taps： 699"));
  }

  void progressDialogAndCancel() {
    form_->SetProgressDelay(0);
    form_->BeginCommand();
    form_->ReportProgress(0.25);
    QVERIFY(form_->Progress() != nullptr);
    QVERIFY(form_->Progress()->isVisible());
    QCOMPARE(form_->Progress()->value(), 250);
    form_->Progress()->cancel();
    QVERIFY_THROWS_EXCEPTION(CommandCancelled, form_->ReportProgress(0.5));
    QVERIFY(form_->Progress() == nullptr);

    form_->SetProgressDelay(60000);  // a short command shows no dialog
    form_->BeginCommand();
    form_->ReportProgress(0.5);
    QVERIFY(form_->Progress() == nullptr);
    form_->ReportProgress(1.0);
    QVERIFY(messages_.isEmpty());
  }

  void maxOfThree() {
    QCOMPARE(MaxOfThree(901, 701, 301), 901);
    QCOMPARE(MaxOfThree(301, 1001, 901), 1001);
    QCOMPARE(MaxOfThree(-5, -7, -9), -5);
    QCOMPARE(MaxOfThree(1, 2, 3), 3);
  }

  // The File menu sits on a menu bar above the client area, which keeps its size and layout.
  void fileMenuAboveTheClientArea() {
    QTemporaryDir dir;
    QMenu* menu = form_->findChild<QMenu*>("FileMenu");
    QVERIFY(menu);
    QCOMPARE(menu->title(), QString("File"));
    QStringList texts;
    for (QAction* action : menu->actions())
      if (!action->isSeparator()) texts << action->text();
    QCOMPARE(texts, (QStringList{"New", QString::fromUtf8("Open…"), "Open Recent", "Save", QString::fromUtf8("Save As…"),
                                 QString::fromUtf8("Export filters…"), QString::fromUtf8("Export filters for several rates…"),
                                 QString::fromUtf8("Export response CSV…"), QString::fromUtf8("Save graph as PNG…"),
                                 "Quit"}));
    const int barHeight = form_->menuBar()->height();
    QVERIFY(barHeight > 0);
    QCOMPARE(QRect(form_->Client()->mapTo(form_.get(), QPoint(0, 0)), form_->Client()->size()),
             QRect(0, barHeight, 788, 599));
    QCOMPARE(form_->size(), QSize(788, 599 + barHeight));
    QCOMPARE(form_->Image1->geometry(), QRect(56, 200, 681, 337));

    auto exportEnabled = [&] {
      emit menu->aboutToShow();
      return form_->findChild<QAction*>("ActionExportFilters")->isEnabled();
    };
    QVERIFY(!exportEnabled());
    QVERIFY(!ExportCurvesTo(*form_, dir.filePath("c.csv")));
    QCOMPARE(messages_, QStringList{ExportMessages::NothingYet});
    form_->Button1->click();
    QVERIFY(exportEnabled());
    form_->Edit8->setText("abc");  // a Calc that fails part way leaves nothing to export
    form_->Button1->click();
    QVERIFY(!exportEnabled());
    QVERIFY(!SaveGraphTo(*form_, dir.filePath("g.png"), GraphPicture::Image1));
    QCOMPARE(messages_.last(), QString(ExportMessages::NothingYet));
    QVERIFY(QDir(dir.path()).isEmpty());
  }

  // Export is possible exactly after a Calc that completed: a refused, failed or cancelled Calc after
  // a completed one withdraws it, and only a failure adds a message of its own.
  void exportFollowsTheCalcOutcome_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("refused") << "refuse" << QStringList{QString::fromUtf8(Messages::ShelfF1TooLow)};
    QTest::newRow("failed") << "fail" << QStringList{QString::fromUtf8("'x' は整数ではありません")};
    QTest::newRow("cancelled") << "cancel" << QStringList{};
  }
  void exportFollowsTheCalcOutcome() {
    QFETCH(QString, how);
    QFETCH(QStringList, messages);
    QMenu* menu = form_->findChild<QMenu*>("FileMenu");
    auto exportEnabled = [&] {
      emit menu->aboutToShow();
      return form_->findChild<QAction*>("ActionExportCurves")->isEnabled();
    };
    form_->Button1->click();
    QVERIFY(form_->LastCalc().has_value());
    QVERIFY(exportEnabled());
    if (how == "refuse") form_->EditShelbL->setText("30");
    if (how == "fail") form_->Edit4->setText("x");
    if (how == "cancel") {
      // The dialog appears at the first report and is cancelled as soon as it handles events.
      form_->SetProgressDelay(0);
      QTimer::singleShot(0, form_.get(), [this] {
        if (form_->Progress()) form_->Progress()->cancel();
      });
    }
    form_->Button1->click();
    QCOMPARE(messages_, messages);
    QVERIFY(!form_->LastCalc().has_value());
    QVERIFY(!exportEnabled());
    QTemporaryDir dir;
    QVERIFY(!ExportCurvesTo(*form_, dir.filePath("c.csv")));
    QCOMPARE(messages_.last(), QString(ExportMessages::NothingYet));
    QVERIFY(QDir(dir.path()).isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    form_->SetProgressDelay(60000);
    form_->EditShelbL->setText("200");
    form_->Edit4->setText("2000");
    form_->Button1->click();
    QVERIFY(exportEnabled());
  }

  // The files come from the last Calc (cascaded at the top of the slider), not from the slider as it
  // stands now; the pictures are the graph as drawn.
  void exportAfterCalc() {
    QTemporaryDir dir;
    form_->TrackBarShelbGain->setValue(0);
    form_->Button1->click();
    form_->TrackBarShelbGain->setValue(6);
    QCOMPARE(state_->ShelfCutDb, 0);
    QVERIFY(ExportFiltersTo(*form_, dir.path(), "xo", FilterFormat::Text));
    QFile sum(dir.filePath("xo-sum.txt"));
    QVERIFY(sum.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = sum.readAll().split('\n');
    QCOMPARE(lines.size(), 2106);  // 2105 taps and the empty rest after the last newline
    QCOMPARE(lines[1052].toDouble(), state_->SumCascade[1052]);

    QVERIFY(ExportCurvesTo(*form_, dir.filePath("curves.csv")));
    QVERIFY(SaveGraphTo(*form_, dir.filePath("image1.png"), GraphPicture::Image1));
    QCOMPARE(QImage(dir.filePath("image1.png")).convertToFormat(QImage::Format_RGB32), form_->Image1->Picture());
    QVERIFY(SaveGraphTo(*form_, dir.filePath("graph.png"), GraphPicture::Labelled));
    const QImage graph(dir.filePath("graph.png"));
    QCOMPARE(graph.size(), QSize(788, 599));
    QCOMPARE(graph.pixelColor(56 + 335, 200 + 10), QColor(Qt::red));
    QCOMPARE(graph.pixelColor(5, 5), form_->Client()->palette().color(QPalette::Window));
    QCOMPARE(messages_, QStringList{});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 9);  // six filter files, curves, two pictures
  }

  void exportToAnUnwritablePlace() {
    QTemporaryDir dir;
    form_->Button1->click();
    QFile taken(dir.filePath("taken"));  // a file where the folder would be made
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    QVERIFY(!ExportCurvesTo(*form_, dir.filePath("taken/curves.csv")));
    QCOMPARE(messages_, QStringList{"Cannot create directory '" + dir.filePath("taken") + "': Not a directory"});
    QVERIFY(!ExportFiltersTo(*form_, dir.path(), "a/b", FilterFormat::Wav32));
    QCOMPARE(messages_.last(), QString("The file name prefix 'a/b' must not contain '/'."));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"taken"});
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

 private:
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
  QStringList messages_;
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
