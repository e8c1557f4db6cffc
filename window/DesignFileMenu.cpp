#include "window/DesignFileMenu.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "export/SaveDesign.h"
#include "numerics/Errors.h"
#include "window/DriversDialog.h"
#include "window/Unit1.h"

namespace {

constexpr Field AllFields[FieldCount] = {Field::Edit1, Field::Edit2,  Field::Edit3,      Field::Edit4,
                                         Field::Edit5, Field::Edit6,  Field::Edit7,      Field::Edit8,
                                         Field::Edit9, Field::Edit10, Field::EditShelbL, Field::EditShelbH};

// The recent files live in the user's settings of the tool (~/.config/firxover/firxover.conf).
constexpr const char* SettingsName = "firxover";
constexpr const char* RecentKey = "designFiles/recent";

void StoreRecent(const QStringList& recent) {
  QSettings settings(QString::fromLatin1(SettingsName), QString::fromLatin1(SettingsName));
  if (recent.isEmpty()) {
    settings.remove(QString::fromLatin1(RecentKey));
  } else {
    settings.setValue(QString::fromLatin1(RecentKey), recent);
  }
}
const QString DesignFilter = QStringLiteral("firxover designs (*.firxover.json)");

std::filesystem::path ToPath(const QString& name) { return std::filesystem::path(QFile::encodeName(name).toStdString()); }

// The first local file among dragged data; empty when there is none.
QString DraggedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

DesignDocument::Answer AskInMessageBox(QWidget* parent, const QString& question) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("firxover"), question,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box.setObjectName(QStringLiteral("UnsavedChangesBox"));
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save: return DesignDocument::Answer::Save;
    case QMessageBox::Discard: return DesignDocument::Answer::Discard;
    default: return DesignDocument::Answer::Cancel;
  }
}

QString AskInFileDialog(QWidget* parent, DesignDocument::FileQuestion question, const QString& current) {
  const bool saving = question == DesignDocument::FileQuestion::SaveAs;
  QFileDialog dialog(parent, saving ? QStringLiteral("Save design as") : QStringLiteral("Open design"));
  dialog.setObjectName(QStringLiteral("DesignFileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(saving ? QStringList{DesignFilter}
                               : QStringList{DesignFilter, QStringLiteral("JSON (*.json)"), QStringLiteral("All files (*)")});
  if (saving) {
    // "speaker" becomes speaker.firxover.json.
    dialog.setDefaultSuffix(QString::fromLatin1(DesignFileExtension.substr(1).data(),
                                                static_cast<qsizetype>(DesignFileExtension.size() - 1)));
    dialog.selectFile(current.isEmpty() ? QStringLiteral("speaker.firxover.json") : current);
  } else if (!current.isEmpty()) {
    dialog.setDirectory(QFileInfo(current).absolutePath());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

DesignDocument::DesignDocument(TForm1& form) : QObject(&form), form_(form) {
  setObjectName(QStringLiteral("DesignDocument"));
  baseTitle_ = form.windowTitle();
  shownTitle_ = baseTitle_;
  // Whatever changes a setting may change the title's mark.
  for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
    connect(edit, &QLineEdit::textChanged, this, [this] { UpdateTitle(); });
    // A file dropped on a field opens it, instead of its name being typed in.
    edit->installEventFilter(this);
  }
  for (QCheckBox* box : {form.CheckBox1, form.CheckBox2, form.CheckBox3}) {
    connect(box, &QCheckBox::toggled, this, [this] { UpdateTitle(); });
  }
  connect(form.TrackBarShelbGain, &QSlider::valueChanged, this, [this] { UpdateTitle(); });
  // A title set by someone else (the rate, say) becomes the new base of the file's name and mark.
  connect(&form, &QWidget::windowTitleChanged, this, [this](const QString& title) {
    if (title == shownTitle_) return;
    baseTitle_ = title;
    UpdateTitle();
  });
  form.setAcceptDrops(true);
  form.installEventFilter(this);
}

void DesignDocument::AddMenuItems(QMenu* menu, QAction* before) {
  auto add = [&](const char* name, const QString& text, QKeySequence shortcut, auto command) {
    auto* action = new QAction(text, menu);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, command] { (this->*command)(); });
    menu->insertAction(before, action);
    return action;
  };
  add("ActionNew", QStringLiteral("New"), QKeySequence::New, &DesignDocument::New);
  add("ActionOpen", QStringLiteral("Open…"), QKeySequence::Open, &DesignDocument::Open);
  recentMenu_ = new QMenu(QStringLiteral("Open Recent"), menu);
  recentMenu_->setObjectName(QStringLiteral("RecentMenu"));
  menu->insertMenu(before, recentMenu_);
  connect(recentMenu_, &QMenu::aboutToShow, this, [this] { RebuildRecentMenu(); });
  RebuildRecentMenu();
  add("ActionSave", QStringLiteral("Save"), QKeySequence::Save, &DesignDocument::Save);
  add("ActionSaveAs", QStringLiteral("Save As…"), QKeySequence::SaveAs, &DesignDocument::SaveAs);
  menu->insertSeparator(before);
}

DesignSettings DesignDocument::Current() const {
  // What the window has no control for stays as the file had it.
  DesignSettings settings = saved_;
  settings.drivers = form_.Drivers()->Setups();
  for (Field field : AllFields) settings.Text(field) = form_.Text(field);
  settings.adjustChecked = form_.CheckBox3->isChecked();
  settings.shelfCutDb = ShelfCutOfPosition(form_.TrackBarShelbGain->value());
  settings.logFrequency = form_.CheckBox1->isChecked();
  settings.logLevel = form_.CheckBox2->isChecked();
  settings.rateHz = form_.RateHz();
  return settings;
}

void DesignDocument::Apply(const DesignSettings& settings) {
  // The box first: ticking it copies the mid band's edges into the crossover fields, which the
  // file's own texts then overwrite.
  if (form_.CheckBox3->isChecked() != settings.adjustChecked) form_.CheckBox3->click();
  for (Field field : AllFields) form_.SetText(field, settings.Text(field));
  const int position = SliderPositionOfCut(settings.shelfCutDb);
  if (form_.TrackBarShelbGain->value() != position) form_.TrackBarShelbGain->setValue(position);
  if (form_.CheckBox1->isChecked() != settings.logFrequency) form_.CheckBox1->click();
  if (form_.CheckBox2->isChecked() != settings.logLevel) form_.CheckBox2->click();
  form_.SetRateHz(settings.rateHz);
  form_.Drivers()->SetSetups(settings.drivers);
}

bool DesignDocument::MayDropChanges() {
  if (!Modified()) return true;
  const QString question =
      file_.isEmpty()
          ? QStringLiteral("The design has changes that are not saved in a design file. Save them?")
          : QStringLiteral("The design differs from the file \"%1\". Save the changes?").arg(QFileInfo(file_).fileName());
  const Answer answer = prompt_ ? prompt_(question) : AskInMessageBox(&form_, question);
  if (answer == Answer::Save) return Save();
  return answer == Answer::Discard;
}

bool DesignDocument::New() {
  if (!MayDropChanges()) return false;
  Apply(DesignSettings());
  saved_ = DesignSettings();
  file_.clear();
  UpdateTitle();
  return true;
}

bool DesignDocument::Open() {
  if (!MayDropChanges()) return false;
  const QString file = Ask(FileQuestion::Open);
  return !file.isEmpty() && Load(file);
}

bool DesignDocument::OpenFile(const QString& file) { return MayDropChanges() && Load(file); }

bool DesignDocument::Load(const QString& file) {
  DesignSettings settings;
  try {
    settings = ReadDesignFile(ToPath(file));
  } catch (const UserError& error) {
    // Nothing has changed yet: the fields and the design stay exactly as they were.
    form_.ShowMessage(error.Text());
    if (!QFileInfo::exists(file)) {
      QStringList recent = RecentFiles();
      recent.removeAll(QFileInfo(file).absoluteFilePath());
      StoreRecent(recent);
    }
    return false;
  }
  Apply(settings);
  saved_ = settings;
  file_ = QFileInfo(file).absoluteFilePath();
  Remember(file_);
  UpdateTitle();
  // As if Calc were pressed: its messages shown as usual.
  form_.Button1->click();
  return true;
}

bool DesignDocument::Save() { return file_.isEmpty() ? SaveAs() : SaveTo(file_); }

bool DesignDocument::SaveAs() {
  const QString file = Ask(FileQuestion::SaveAs);
  return !file.isEmpty() && SaveTo(file);
}

bool DesignDocument::SaveTo(const QString& file) {
  const DesignSettings current = Current();
  try {
    SaveDesignFile(ToPath(file), current);
  } catch (const UserError& error) {
    form_.ShowMessage(error.Text());
    return false;
  }
  saved_ = current;
  file_ = QFileInfo(file).absoluteFilePath();
  Remember(file_);
  UpdateTitle();
  return true;
}

QStringList DesignDocument::RecentFiles() const {
  const QSettings settings(QString::fromLatin1(SettingsName), QString::fromLatin1(SettingsName));
  QStringList recent = settings.value(QString::fromLatin1(RecentKey)).toStringList();
  recent.removeAll(QString());
  return recent.mid(0, RecentCount);
}

void DesignDocument::Remember(const QString& file) {
  QStringList recent = RecentFiles();
  recent.removeAll(file);
  recent.prepend(file);
  StoreRecent(recent.mid(0, RecentCount));
}

void DesignDocument::RebuildRecentMenu() {
  recentMenu_->clear();
  const QStringList recent = RecentFiles();
  for (int i = 0; i < recent.size(); ++i) {
    const QString file = recent[i];
    QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(file)));
    action->setObjectName(QStringLiteral("ActionRecent%1").arg(i + 1));
    connect(action, &QAction::triggered, this, [this, file] { OpenFile(file); });
  }
  if (recent.isEmpty()) recentMenu_->addAction(QStringLiteral("No recent designs"))->setEnabled(false);
  recentMenu_->addSeparator();
  QAction* clear = recentMenu_->addAction(QStringLiteral("Clear Recent"));
  clear->setObjectName(QStringLiteral("ActionClearRecent"));
  clear->setEnabled(!recent.isEmpty());
  connect(clear, &QAction::triggered, this, [] { StoreRecent({}); });
}

void DesignDocument::UpdateTitle() {
  const bool modified = Modified();
  QString title = baseTitle_;
  // The start state with no file shows the plain title.
  if (!file_.isEmpty() || modified) {
    const QString name = file_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(file_).fileName();
    title = name + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" - ") + baseTitle_;
  }
  if (title == shownTitle_) return;
  shownTitle_ = title;
  form_.setWindowTitle(title);
}

QString DesignDocument::Ask(FileQuestion question) {
  return chooser_ ? chooser_(question) : AskInFileDialog(&form_, question, file_);
}

bool DesignDocument::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Close:
      if (watched == &form_ && !MayDropChanges()) {
        event->ignore();
        return true;
      }
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DraggedFile(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString file = DraggedFile(drop->mimeData());
      if (file.isEmpty()) return false;
      drop->acceptProposedAction();
      // Opened once the drop has ended, so that a question or a message box does not hold it.
      QTimer::singleShot(0, this, [this, file] { OpenFile(file); });
      return true;
    }
    default: return false;
  }
}

DesignDocument* DocumentOf(TForm1& form) {
  return form.findChild<DesignDocument*>(QStringLiteral("DesignDocument"), Qt::FindDirectChildrenOnly);
}
