// TRipWindow: what the ripping engine needs of the main window. The window
// implements it and carries each call out on the UI thread; every call
// returns once it has taken effect there.
#pragma once

#include <string>

namespace pellamy {

class TRipWindow {
 public:
  virtual ~TRipWindow() = default;

  // Track list rows.
  virtual void ClearRows() = 0;
  virtual void AddRow(const std::string& caption, const std::string& time) = 0;
  // A row with a comment (the track's title, from the disc's CD-Text).
  virtual void AddTitledRow(const std::string& caption, const std::string& time, const std::string& comment) {
    (void)comment;
    AddRow(caption, time);
  }
  // A data track's row: shown with "Data", never ticked.
  virtual void AddDataRow(const std::string& caption, const std::string& time) { AddRow(caption, time); }
  virtual int RowCount() = 0;
  virtual bool RowTicked(int index) = 0;

  // Selected index of the output type: 0 is ".mp3", 1 is ".wav".
  virtual int OutputTypeIndex() = 0;
  virtual void SetProgress(int position) = 0;
  virtual void SetStatus(const std::string& text) = 0;
  // A plain message box (text, OK, the application title); returns when
  // dismissed.
  virtual void ShowMessage(const std::string& text) = 0;
  // True once the window is closing: a rip then stops at its next chunk.
  virtual bool Closing() { return false; }
};

// The window the engine talks to; null when there is none.
TRipWindow* RipWindow();
void SetRipWindow(TRipWindow* window);

}  // namespace pellamy
