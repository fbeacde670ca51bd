#include "RecordingWindow.h"

namespace pellamy::test {

void RecordingWindow::ClearRows() {
  std::lock_guard lock(FLock);
  FRows.clear();
  FTicked.clear();
  ++clearCount;
}

void RecordingWindow::AddRow(const std::string& caption, const std::string& time) {
  std::lock_guard lock(FLock);
  FRows.emplace_back(caption, time);
  FTicked.push_back(false);
}

void RecordingWindow::AddDataRow(const std::string& caption, const std::string& time) {
  std::lock_guard lock(FLock);
  FRows.emplace_back(caption, time + " Data");
  FTicked.push_back(false);
}

int RecordingWindow::RowCount() {
  std::lock_guard lock(FLock);
  return static_cast<int>(FRows.size());
}

bool RecordingWindow::RowTicked(int index) {
  bool ticked;
  {
    std::lock_guard lock(FLock);
    FTickReads.push_back(index);
    ticked = index >= 0 && index < static_cast<int>(FTicked.size()) && FTicked[index];
  }
  if (onRowTicked) onRowTicked(index);
  return ticked;
}

int RecordingWindow::OutputTypeIndex() {
  std::lock_guard lock(FLock);
  return FOutputType;
}

void RecordingWindow::SetProgress(int position) {
  std::lock_guard lock(FLock);
  FProgress.push_back(position);
}

void RecordingWindow::SetStatus(const std::string& text) {
  std::lock_guard lock(FLock);
  FStatuses.push_back(text);
}

void RecordingWindow::ShowMessage(const std::string& text) {
  {
    std::lock_guard lock(FLock);
    FMessages.push_back(text);
  }
  if (onMessage) onMessage(text);
}

bool RecordingWindow::Closing() {
  if (onClosingAsked) onClosingAsked();
  std::lock_guard lock(FLock);
  return FClosing;
}

void RecordingWindow::SetRows(int count, const std::vector<int>& ticked) {
  std::lock_guard lock(FLock);
  FRows.assign(count, {"", ""});
  for (int i = 0; i < count; ++i) FRows[i].first = "Track " + std::to_string(i + 1);
  FTicked.assign(count, false);
  for (int i : ticked) FTicked.at(i) = true;
}

void RecordingWindow::SetTicked(int index, bool ticked) {
  std::lock_guard lock(FLock);
  FTicked.at(index) = ticked;
}

void RecordingWindow::SetOutputType(int index) {
  std::lock_guard lock(FLock);
  FOutputType = index;
}

void RecordingWindow::SetClosing(bool closing) {
  std::lock_guard lock(FLock);
  FClosing = closing;
}

std::vector<std::pair<std::string, std::string>> RecordingWindow::Rows() {
  std::lock_guard lock(FLock);
  return FRows;
}
std::vector<std::string> RecordingWindow::Statuses() {
  std::lock_guard lock(FLock);
  return FStatuses;
}
std::vector<std::string> RecordingWindow::Messages() {
  std::lock_guard lock(FLock);
  return FMessages;
}
std::vector<int> RecordingWindow::Progress() {
  std::lock_guard lock(FLock);
  return FProgress;
}
std::vector<int> RecordingWindow::TickReads() {
  std::lock_guard lock(FLock);
  return FTickReads;
}

}  // namespace pellamy::test
