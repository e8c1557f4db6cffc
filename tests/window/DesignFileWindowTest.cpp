// Design files in the window offscreen: the File menu's items, saving and opening, the title's mark,
// the unsaved-changes question, bad files, recent files, dropped files, and the same design in the CLI.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QtTest>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.h"
#include "designfile/DesignFile.h"
#include "pipeline/DesignState.h"
#include "window/DesignFileMenu.h"
#include "window/Unit1.h"

namespace {

QString Contents(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

void WriteBytes(const QString& path, const std::string& bytes) {
  std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << bytes;
}

// Everything a failed open must leave alone: the texts, boxes, slider, labels and results.
struct WindowSnapshot {
  QStringList texts;
  QList<bool> boxes;
  int slider;
  QStringList labels;
  QString title;
  RealArray sum;
  int32_t totalTaps;
  double firstSumDb;

  static WindowSnapshot Of(TForm1& form, const DesignState& state) {
    WindowSnapshot snapshot;
    for (QLineEdit* edit : {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit6, form.Edit7,
                            form.Edit8, form.Edit9, form.Edit10, form.EditShelbL, form.EditShelbH}) {
      snapshot.texts << edit->text() + (edit->isReadOnly() ? "|locked" : "");
    }
    snapshot.boxes = {form.CheckBox1->isChecked(), form.CheckBox2->isChecked(), form.CheckBox3->isChecked()};
    snapshot.slider = form.TrackBarShelbGain->value();
    for (QLabel* label : {form.Label18, form.Label20, form.Label21, form.Label28, form.LabelShelbDb}) {
      snapshot.labels << label->text();
    }
    snapshot.title = form.windowTitle();
    snapshot.sum = state.SumCoeffs;
    snapshot.totalTaps = state.TotalTaps;
    snapshot.firstSumDb = state.SumDb[1];
    return snapshot;
  }
  bool operator==(const WindowSnapshot&) const = default;
};

}  // namespace

class DesignFileWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    QSettings(QStringLiteral("firxover"), QStringLiteral("firxover")).clear();
    dir_ = std::make_unique<QTemporaryDir>();
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    messages_.clear();
    questions_.clear();
    form_->SetMessageSink([this](const std::string& text) { messages_.push_back(QString::fromStdString(text)); });
    document_ = DocumentOf(*form_);
    QVERIFY(document_);
    document_->SetUnsavedPrompt([this](const QString& question) {
      questions_ << question;
      return answer_;
    });
    document_->SetFileChooser([this](DesignDocument::FileQuestion question) {
      chosen_ << (question == DesignDocument::FileQuestion::Open ? "open" : "save");
      return chooserFile_;
    });
    answer_ = DesignDocument::Answer::Cancel;
    chooserFile_.clear();
    chosen_.clear();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    baseTitle_ = form_->windowTitle();
  }
  void cleanup() {
    form_.reset();
    dir_.reset();
  }

  void menuItemsAboveTheExports() {
    QMenu* menu = form_->findChild<QMenu*>("FileMenu");
    QStringList texts;
    for (QAction* action : menu->actions()) texts << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(texts, (QStringList{"New", QString::fromUtf8("Open…"), "Open Recent", "Save", QString::fromUtf8("Save As…"),
                                 "-", QString::fromUtf8("Export filters…"),
                                 QString::fromUtf8("Export filters for several rates…"), QString::fromUtf8("Export response CSV…"),
                                 QString::fromUtf8("Save graph as PNG…"), "-", "Quit"}));
    QCOMPARE(form_->findChild<QAction*>("ActionSave")->shortcut(), QKeySequence(QKeySequence::Save));
    // At the start state nothing is marked and the title is the window's own.
    QVERIFY(!document_->Modified());
    QVERIFY(baseTitle_.startsWith("firxover 1.0"));
  }

  // Every control the window saves, set by hand; the file holds them byte for byte, and the title
  // tells whether the window still matches it.
  void saveWritesEverySettingAndTheTitleFollows() {
    form_->Edit1->setText("1201");
    form_->Edit9->setText(QString::fromUtf8(" 七 "));
    form_->CheckBox3->click();  // unticked: the crossover fields become editable
    form_->Edit2->setText("250");
    form_->Edit3->setText("2500");
    form_->CheckBox1->click();
    form_->TrackBarShelbGain->setValue(2);
    QCOMPARE(form_->windowTitle(), "Untitled* - " + baseTitle_);
    const QString file = dir_->filePath("speaker.firxover.json");
    QVERIFY(document_->SaveTo(file));

    DesignSettings expected;
    expected.Text(Field::Edit1) = "1201";
    expected.Text(Field::Edit9) = " 七 ";
    expected.Text(Field::Edit2) = "250";
    expected.Text(Field::Edit3) = "2500";
    expected.adjustChecked = false;
    expected.logFrequency = false;
    expected.shelfCutDb = 4;
    QCOMPARE(Contents(file), QString::fromStdString(FormatDesignFile(expected)));
    QCOMPARE(form_->windowTitle(), "speaker.firxover.json - " + baseTitle_);

    form_->Edit7->setText("901");
    QCOMPARE(form_->windowTitle(), "speaker.firxover.json* - " + baseTitle_);
    form_->Edit7->setText("900");
    QCOMPARE(form_->windowTitle(), "speaker.firxover.json - " + baseTitle_);
    form_->CheckBox2->click();
    QVERIFY(document_->Modified());
    QVERIFY(document_->Save());  // to the same file, without asking
    QVERIFY(chosen_.isEmpty());
    expected.logLevel = false;
    QCOMPARE(Contents(file), QString::fromStdString(FormatDesignFile(expected)));
    // Only the slider's own message about the mid band's text, when it was moved.
    QCOMPARE(messages_, QStringList{QString::fromUtf8("' 七 ' は整数ではありません")});
  }

  // Opening sets every control as if typed, then runs a Calc: the same as typing it all and pressing
  // Calc in a fresh window.
  void openSetsTheControlsAndCalculates() {
    DesignSettings settings;
    settings.Text(Field::Edit1) = "401";
    settings.Text(Field::Edit9) = "300";  // made odd by the Calc
    settings.Text(Field::Edit10) = "201";
    settings.Text(Field::Edit5) = "400";
    settings.Text(Field::Edit2) = "500";  // shown, locked, while "adjust" uses the mid band's edge
    settings.shelfCutDb = 5;
    settings.logLevel = false;
    const QString file = dir_->filePath("open.firxover.json");
    WriteBytes(file, FormatDesignFile(settings));
    QVERIFY(document_->OpenFile(file));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(form_->Edit2->text(), QString("500"));
    QVERIFY(form_->Edit2->isReadOnly());
    QCOMPARE(form_->Edit9->text(), QString("301"));
    QCOMPARE(form_->TrackBarShelbGain->value(), 1);
    QCOMPARE(form_->LabelShelbDb->text(), QString("+5dB"));
    QVERIFY(!form_->CheckBox2->isChecked());
    QCOMPARE(state_->TotalTaps, 401);
    QCOMPARE(form_->Label28->text(), QString("Total Ntap = 1605"));
    QCOMPARE(document_->File(), QFileInfo(file).absoluteFilePath());
    // The Calc made a tap count odd: the fields now differ from the file.
    QCOMPARE(form_->windowTitle(), "open.firxover.json* - " + baseTitle_);

    // The same design typed into a fresh window.
    DesignState typedState;
    TForm1 typed(typedState);
    typed.SetMessageSink([](const std::string&) {});
    typed.Edit1->setText("401");
    typed.Edit9->setText("300");
    typed.Edit10->setText("201");
    typed.Edit5->setText("400");
    typed.TrackBarShelbGain->setValue(1);
    typed.CheckBox2->click();
    typed.Button1->click();
    QCOMPARE(typedState.SumCoeffs, state_->SumCoeffs);
    QCOMPARE(typedState.SumDb, state_->SumDb);
    QCOMPARE(typed.Label21->text(), form_->Label21->text());
    QCOMPARE(typed.Image1->Picture(), form_->Image1->Picture());
  }

  // Window -> file -> CLI: the CLI loading the window's file computes the design the window shows.
  void theCliLoadsTheSameDesign() {
    form_->Edit1->setText("501");
    form_->Edit9->setText("401");
    form_->Edit10->setText("301");
    form_->CheckBox3->click();
    form_->Edit2->setText("280");
    form_->Edit3->setText("2200");
    form_->EditShelbL->setText("120");
    form_->TrackBarShelbGain->setValue(3);
    const QString file = dir_->filePath("cli.firxover.json");
    QVERIFY(document_->SaveTo(file));
    form_->Button1->click();
    QVERIFY(messages_.isEmpty());

    std::string path = QFile::encodeName(file).toStdString();
    std::vector<std::string> arguments = {"firxover-cli", "design", "--load", path, "--json"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    std::ostringstream out, err;
    QCOMPARE(RunCli(static_cast<int>(arguments.size()), argv.data(), out, err), 0);
    const nlohmann::json json = nlohmann::json::parse(out.str());
    for (Field field : {Field::Edit1, Field::Edit2, Field::Edit3, Field::Edit4, Field::Edit5, Field::Edit6,
                        Field::Edit7, Field::Edit8, Field::Edit9, Field::Edit10, Field::EditShelbL, Field::EditShelbH}) {
      QCOMPARE(json["fields"][FieldName(field)].get<std::string>(), form_->Text(field));
    }
    QCOMPARE(QString::fromStdString(json["labels"]["Label21"].get<std::string>()), form_->Label21->text());
    QCOMPARE(QString::fromStdString(json["labels"]["Label28"].get<std::string>()), form_->Label28->text());
    QCOMPARE(QString::fromStdString(json["labels"]["LabelShelbDb"].get<std::string>()), form_->LabelShelbDb->text());
    QCOMPARE(json["state"]["CascadeLength"].get<int>(), state_->CascadeLength);
    QCOMPARE(json["state"]["SumCoeffs"].get<std::vector<double>>(), state_->SumCoeffs);
    QCOMPARE(json["state"]["LowCoeffs"].get<std::vector<double>>(), state_->LowCoeffs);
  }

  void badFilesChangeNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing.json" << QByteArray() << "No such file or directory";
    QTest::newRow("not JSON") << "text.json" << QByteArray("lowTaps: 901")
                              << "it is not JSON (line 1, column 1: syntax error while parsing value - invalid literal)";
    QTest::newRow("not a design") << "other.json" << QByteArray(R"({"name": "x"})")
                                  << R"(it is not a firxover design (no "format": "firxover-design"))";
    QTest::newRow("wrong type") << "type.json"
                                << QByteArray(R"({"format": "firxover-design", "version": 1, "adjust": 1})")
                                << R"("adjust" must be true or false)";
    QTest::newRow("newer") << "newer.json" << QByteArray(R"({"format": "firxover-design", "version": 3})")
                           << "it was written by a newer firxover (design file version 3; this one reads up to version 1)";
    QTest::newRow("binary") << "binary.json" << QByteArray("\x7F" "ELF\x02\x01\x01\0\0", 9)
                            << "it holds binary data, not JSON text (byte 2 at offset 4)";
    QTest::newRow("too large") << "large.json" << QByteArray(int(MaxDesignFileBytes) + 1, ' ')
                               << "it is larger than 1 MB (1048576 bytes), too large for a design file";
    QTest::newRow("directory") << "." << QByteArray() << "Is a directory";
  }
  void badFilesChangeNothing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString file = dir_->filePath(name);
    if (!bytes.isEmpty()) WriteBytes(file, bytes.toStdString());
    // A design that differs from the start state everywhere, calculated, saved and edited again.
    form_->Edit1->setText("701");
    form_->CheckBox1->click();
    form_->TrackBarShelbGain->setValue(4);
    form_->Button1->click();
    QVERIFY(document_->SaveTo(dir_->filePath("kept.firxover.json")));
    form_->Edit7->setText("950");
    const WindowSnapshot before = WindowSnapshot::Of(*form_, *state_);
    answer_ = DesignDocument::Answer::Discard;
    QVERIFY(!document_->OpenFile(file));
    QCOMPARE(messages_, QStringList{"Cannot open design file '" + QFileInfo(file).filePath() + "': " + reason});
    QVERIFY(WindowSnapshot::Of(*form_, *state_) == before);
    QCOMPARE(document_->File(), dir_->filePath("kept.firxover.json"));
    QVERIFY(document_->Modified());
  }

  void unsavedChangesAreAskedAbout() {
    // No changes: nothing is asked.
    QVERIFY(document_->New());
    QVERIFY(questions_.isEmpty());

    form_->Edit1->setText("999");
    answer_ = DesignDocument::Answer::Cancel;
    QVERIFY(!document_->New());
    QCOMPARE(questions_, QStringList{"The design has changes that are not saved in a design file. Save them?"});
    QCOMPARE(form_->Edit1->text(), QString("999"));
    QVERIFY(!document_->Open());
    QVERIFY(chosen_.isEmpty());  // cancelled before any file was asked for
    QVERIFY(!form_->close());
    QVERIFY(form_->isVisible());

    // Save, with no file yet: the file is asked for, written, and the command goes on.
    answer_ = DesignDocument::Answer::Save;
    chooserFile_ = dir_->filePath("asked.firxover.json");
    QVERIFY(document_->New());
    QCOMPARE(chosen_, QStringList{"save"});
    QCOMPARE(ReadDesignFile(QFile::encodeName(chooserFile_).toStdString()).Text(Field::Edit1), "999");
    QCOMPARE(form_->Edit1->text(), QString("901"));
    QCOMPARE(form_->windowTitle(), baseTitle_);

    // Save, and the file dialog cancelled: nothing happens.
    form_->Edit1->setText("777");
    chooserFile_.clear();
    QVERIFY(!document_->New());
    QCOMPARE(form_->Edit1->text(), QString("777"));

    // With a file: the question names it; Discard drops the changes.
    QVERIFY(document_->SaveTo(dir_->filePath("named.firxover.json")));
    form_->Edit1->setText("555");
    questions_.clear();
    answer_ = DesignDocument::Answer::Discard;
    chooserFile_ = dir_->filePath("asked.firxover.json");
    QVERIFY(document_->Open());
    QCOMPARE(questions_, QStringList{"The design differs from the file \"named.firxover.json\". Save the changes?"});
    QCOMPARE(form_->Edit1->text(), QString("999"));
    QCOMPARE(ReadDesignFile(QFile::encodeName(dir_->filePath("named.firxover.json")).toStdString()).Text(Field::Edit1),
             "777");

    // Quit with changes, answered Discard, closes the window.
    form_->Edit1->setText("1");
    QVERIFY(form_->close());
  }

  void saveFailureKeepsTheFileAndTheMark() {
    const QString file = dir_->filePath("kept.firxover.json");
    QVERIFY(document_->SaveTo(file));
    form_->Edit1->setText("111");
    const QString nowhere = dir_->filePath("missing/x.firxover.json");
    QVERIFY(!document_->SaveTo(nowhere));
    QCOMPARE(messages_, QStringList{"Cannot write '" + nowhere + "': No such file or directory"});
    QCOMPARE(document_->File(), file);
    QCOMPARE(form_->windowTitle(), "kept.firxover.json* - " + baseTitle_);
  }

  // The file's messages are the Calc's, shown as usual; a corrected field marks the title.
  void openingShowsTheCalcsMessages() {
    const QString file = dir_->filePath("low-f1.json");
    WriteBytes(file, R"({"format": "firxover-design", "version": 1, "fields": {"shelfF1Hz": "30", "lowTaps": "abc"}})");
    QVERIFY(document_->OpenFile(file));
    QCOMPARE(messages_, QStringList{QString::fromUtf8("f1 should be higher than 40：入力できる数値は40以上です。")});
    QCOMPARE(form_->EditShelbL->text(), QString("40"));
    QCOMPARE(form_->Edit1->text(), QString("abc"));
    QCOMPARE(form_->windowTitle(), "low-f1.json* - " + baseTitle_);
  }

  void recentFilesKeepTheLastEight() {
    QStringList saved;
    for (int i = 1; i <= 10; ++i) {
      saved.prepend(dir_->filePath(QString("d%1.firxover.json").arg(i)));
      form_->Edit7->setText(QString::number(900 + i));
      QVERIFY(document_->SaveTo(saved.first()));
    }
    QCOMPARE(document_->RecentFiles(), saved.mid(0, 8));
    // Saving again an older one moves it to the top.
    QVERIFY(document_->SaveTo(saved[5]));
    QCOMPARE(document_->RecentFiles().first(), saved[5]);
    QCOMPARE(document_->RecentFiles().size(), 8);

    QMenu* recent = form_->findChild<QMenu*>("RecentMenu");
    emit recent->aboutToShow();
    QAction* third = form_->findChild<QAction*>("ActionRecent3");
    QVERIFY(third);
    QCOMPARE(third->text(), "&3 " + saved[1]);
    third->trigger();
    QCOMPARE(document_->File(), saved[1]);
    QCOMPARE(form_->Edit7->text(), QString("909"));

    // A recent file that has gone is said so and forgotten.
    QFile::remove(saved[2]);
    emit recent->aboutToShow();
    QAction* gone = nullptr;
    for (QAction* action : recent->actions())
      if (action->text().endsWith(saved[2])) gone = action;
    QVERIFY(gone);
    gone->trigger();
    QCOMPARE(messages_.last(), "Cannot open design file '" + saved[2] + "': No such file or directory");
    QVERIFY(!document_->RecentFiles().contains(saved[2]));
    emit recent->aboutToShow();
    form_->findChild<QAction*>("ActionClearRecent")->trigger();
    QVERIFY(document_->RecentFiles().isEmpty());
  }

  void droppingAFileOpensIt() {
    const QString file = dir_->filePath("dropped.firxover.json");
    DesignSettings settings;
    settings.Text(Field::Edit6) = "1000";
    WriteBytes(file, FormatDesignFile(settings));
    answer_ = DesignDocument::Answer::Discard;
    for (QWidget* target : {static_cast<QWidget*>(form_.get()), static_cast<QWidget*>(form_->Edit1)}) {
      form_->Edit6->setText("300");
      QVERIFY(document_->New());
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(file)});
      data.setText(file);
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &drop);
      QVERIFY(drop.isAccepted());
      QTRY_COMPARE(document_->File(), file);
      QCOMPARE(form_->Edit6->text(), QString("1000"));
      QCOMPARE(form_->Edit1->text(), QString("901"));  // the name was not typed into the field
    }
  }

  // Texts that the window cannot hold as they are (not UTF-8) open, and mark the title.
  void textsThatAreNotUtf8() {
    const QString file = dir_->filePath("bytes.json");
    WriteBytes(file, R"({"format": "firxover-design", "version": 1, "fields": {"stopHz": {"hex": "39ff"}}})");
    QVERIFY(document_->OpenFile(file));
    QCOMPARE(form_->Edit7->text(), QString::fromUtf8("9\xEF\xBF\xBD"));
    QVERIFY(document_->Modified());
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
  DesignDocument* document_ = nullptr;
  QStringList messages_;
  QStringList questions_;
  QStringList chosen_;
  DesignDocument::Answer answer_ = DesignDocument::Answer::Cancel;
  QString chooserFile_;
  QString baseTitle_;
};

QTEST_MAIN(DesignFileWindowTest)
#include "DesignFileWindowTest.moc"
