#pragma once

#include <string>

#include "numerics/CoreTypes.h"

// The window's controls as the commands see them. The Qt window and the CLI are two
// implementations; the commands never know which one they run behind.
enum class Field {
  Edit1,       // low band tap count
  Edit2,       // low band cutoff, Hz
  Edit3,       // high band cutoff, Hz
  Edit4,       // mid band upper edge, Hz
  Edit5,       // mid band lower edge, Hz
  Edit6,       // length estimate: pass-band edge, Hz
  Edit7,       // length estimate: stop-band edge, Hz
  Edit8,       // stop-band attenuation, dB
  Edit9,       // mid band tap count
  Edit10,      // high band tap count
  EditShelbL,  // shelving corner f1, Hz
  EditShelbH,  // shelving corner f2, Hz
};
inline constexpr int FieldCount = 12;

enum class Caption {
  Label18,       // length estimate: cutoff
  Label20,       // length estimate: recommended taps
  Label21,       // CMax
  Label28,       // total filter length
  LabelShelbDb,  // shelving cut
};
inline constexpr int CaptionCount = 5;

// The control names, as the window and the CLI's JSON call them.
const char* FieldName(Field field);
const char* CaptionName(Caption caption);

class FieldAccess {
 public:
  virtual ~FieldAccess() = default;

  virtual std::string Text(Field field) const = 0;
  virtual void SetText(Field field, const std::string& text) = 0;
  // Read-only and in the 3D-light colour (true), or editable and white (false): Edit2 and Edit3
  // while the crossover fields are coupled.
  virtual void SetLocked(Field field, bool locked) = 0;
  virtual bool Locked(Field field) const = 0;

  virtual bool AdjustChecked() const = 0;  // CheckBox3, "adjust coefficient"
  // The sampling rate of the design in Hz, MinSampleRate .. MaxSampleRate: the Design menu's choice.
  virtual int RateHz() const { return SampleRate; }
  virtual int SliderPosition() const = 0;  // TrackBarShelbGain, 0 (top) .. 6 (bottom)

  virtual std::string CaptionText(Caption caption) const = 0;
  virtual void SetCaption(Caption caption, const std::string& text) = 0;

  virtual void ShowMessage(const std::string& text) = 0;  // modal, one OK button
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void Redraw() = 0;  // the graph from the design state; may raise UserError

  // Called now and then on the calling thread during a long command with the share done, 0 .. 1, and
  // once with 1 when the computation is over. May raise CommandCancelled when the user cancels.
  virtual void ReportProgress(double /*fraction*/) {}
};

// Every field and caption with the window's layout values; the CLI's fields start from these.
std::string DefaultText(Field field);
// Whether the field is read-only when the window starts.
bool LockedAtStart(Field field);
std::string DefaultCaption(Caption caption);
