#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "designfile/DesignFile.h"

class QAction;
class QMenu;
class TForm1;

// The design file behind the window: which file the fields came from, whether they still match it,
// the File menu's New, Open…, Save, Save As… and Open Recent, the title, the question before
// unsaved changes are dropped, and files dropped on the window.
class DesignDocument : public QObject {
 public:
  enum class Answer { Save, Discard, Cancel };
  enum class FileQuestion { Open, SaveAs };
  // Asks whether to save the unsaved changes; the default shows a message box.
  using UnsavedPrompt = std::function<Answer(const QString& question)>;
  // Asks for a file name; empty when the user cancels. The default shows a file dialog.
  using FileChooser = std::function<QString(FileQuestion question)>;

  // At most this many files are remembered under Open Recent, the latest first.
  static constexpr int RecentCount = 8;

  explicit DesignDocument(TForm1& form);

  // Adds New, Open…, Open Recent, Save and Save As… to `menu`, above `before`.
  void AddMenuItems(QMenu* menu, QAction* before);

  // The settings as the window holds them now.
  DesignSettings Current() const;
  // Whether the fields differ from the file (or, with no file, from the start state).
  bool Modified() const { return !(Current() == saved_); }
  // The file the window's design came from or was last saved to; empty before either.
  const QString& File() const { return file_; }

  // The commands of the menu. Each that would drop unsaved changes asks first; each returns
  // whether it did what it was asked (false when cancelled or failed, the message shown).
  bool New();
  bool Open();
  bool OpenFile(const QString& file);
  bool Save();
  bool SaveAs();
  bool SaveTo(const QString& file);
  // Asks about unsaved changes before they would be lost; true when the caller may go on.
  bool MayDropChanges();

  QStringList RecentFiles() const;

  void SetUnsavedPrompt(UnsavedPrompt prompt) { prompt_ = std::move(prompt); }
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Sets the controls from the settings as the user would: the check boxes clicked and the slider
  // moved when they differ (their handlers run), the texts typed.
  void Apply(const DesignSettings& settings);
  // Opens the file without asking about unsaved changes.
  bool Load(const QString& file);
  void Remember(const QString& file);
  void RebuildRecentMenu();
  void UpdateTitle();
  QString Ask(FileQuestion question);

  TForm1& form_;
  DesignSettings saved_;
  QString file_;
  QString baseTitle_;
  QString shownTitle_;
  QMenu* recentMenu_ = nullptr;
  UnsavedPrompt prompt_;
  FileChooser chooser_;
};

// The design document of the window, made with its File menu.
DesignDocument* DocumentOf(TForm1& form);
