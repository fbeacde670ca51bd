// TApplication: the hidden application window (class "TApplication"), the
// list of forms and the main form, the message loop, the display of
// exceptions that escape event handlers, and the UI-thread side of
// Synchronize.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "Component.h"
#include "Thread.h"

namespace pellamy {

class TForm;

class TApplication : public TComponent, public TSyncDispatcher {
 public:
  explicit TApplication(TComponent* owner = nullptr);
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  void Initialize();
  // Creates a form owned by the application; the first one becomes the main
  // form. Its creation event runs once all its controls exist.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    AddForm(form);
    return form;
  }
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles the messages waiting now, then returns.
  void ProcessMessages();

  HWND Handle() const { return FHandle; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& title);
  TForm* MainForm() const { return FMainForm; }
  const std::vector<TForm*>& Forms() const { return FForms; }
  HICON Icon() const { return FIcon; }
  void SetIcon(HICON icon) { FIcon = icon; }

  // Shows an escaped failure: an error box with the title as caption; the
  // silent abort shows nothing.
  void HandleException(std::exception_ptr failure);
  void ShowException(const std::string& message);
  // A plain box: the text, OK, the title as caption.
  void MessageBoxPlain(const std::string& text);
  std::function<void(const std::string&)> OnException;

  void RunOnUiThread(const std::function<void()>& call) override;

  // Used by forms.
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  bool HandleKey(MSG& msg);

  HWND FHandle = nullptr;
  std::string FTitle;
  TForm* FMainForm = nullptr;
  std::vector<TForm*> FForms;
  bool FTerminated = false;
  HICON FIcon = nullptr;
};

// The process's application object, once created.
TApplication* Application();

// The message text as the exception display shows it: a full stop is added
// when the last character sorts after ".".
std::string ExceptionDisplayText(const std::string& message);

}  // namespace pellamy
