// RecordingWindow: a stand-in for the main window that records what the
// ripping engine asks of it. Safe to use from worker threads.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ripper/RipWindow.h"

namespace pellamy::test {

class RecordingWindow : public TRipWindow {
 public:
  RecordingWindow() { SetRipWindow(this); }
  ~RecordingWindow() override { SetRipWindow(nullptr); }

  void ClearRows() override;
  void AddRow(const std::string& caption, const std::string& time) override;
  // Recorded with "Data" after the time.
  void AddDataRow(const std::string& caption, const std::string& time) override;
  int RowCount() override;
  bool RowTicked(int index) override;
  int OutputTypeIndex() override;
  void SetProgress(int position) override;
  void SetStatus(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  bool Closing() override;

  // Test set-up and inspection.
  void SetRows(int count, const std::vector<int>& ticked);
  void SetTicked(int index, bool ticked);
  void SetOutputType(int index);
  void SetClosing(bool closing);
  // Called (outside the lock) whenever a row's tick is read.
  std::function<void(int)> onRowTicked;
  // Called (outside the lock) for every message box.
  std::function<void(const std::string&)> onMessage;
  // Called (outside the lock) whenever the engine asks whether to stop.
  std::function<void()> onClosingAsked;

  std::vector<std::pair<std::string, std::string>> Rows();
  std::vector<std::string> Statuses();
  std::vector<std::string> Messages();
  std::vector<int> Progress();
  std::vector<int> TickReads();
  int clearCount = 0;

 private:
  std::mutex FLock;
  std::vector<std::pair<std::string, std::string>> FRows;
  std::vector<bool> FTicked;
  std::vector<std::string> FStatuses, FMessages;
  std::vector<int> FProgress, FTickReads;
  int FOutputType = 1;
  bool FClosing = false;
};

}  // namespace pellamy::test
