// TApplication: the hidden application window (class "TApplication"), the
// list of forms and the main form, the message loop (with menu shortcuts and
// the MDI system keys), the display of exceptions that escape event handlers,
// the hint of the menu item under the pointer, and the UI-thread side of
// Synchronize.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/Component.h"
#include "base/Thread.h"

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

  // The hint of the menu item last selected; OnHint runs when it changes.
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& hint);
  TNotifyEvent OnHint;

  void RunOnUiThread(const std::function<void()>& call) override;

  // Used by forms.
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);
  // Frees a form from the application window's queue, after the message
  // being handled now (a form cannot free itself inside its own handler).
  void ReleaseForm(TForm* form);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  bool HandleKey(MSG& msg);
  // Menu shortcuts of the form the key message is for.
  bool HandleShortCut(MSG& msg);
  // Alt with a character: the form hears CM_DIALOGCHAR first (a layer over
  // it may open a menu of its own); a non-zero answer takes the key.
  bool HandleDialogChar(MSG& msg);
  // The system keys of MDI children (Ctrl+F4, Ctrl+F6).
  bool HandleMDIKey(MSG& msg);
  bool PreTranslate(MSG& msg);

  HWND FHandle = nullptr;
  std::string FTitle;
  TForm* FMainForm = nullptr;
  std::vector<TForm*> FForms;
  bool FTerminated = false;
  HICON FIcon = nullptr;
  std::string FHint;
  std::set<TForm*> FReleasing;
};

// The process's application object, once created.
TApplication* Application();

// The message text as the exception display shows it: a full stop is added
// when the last character sorts after ".".
std::string ExceptionDisplayText(const std::string& message);

}  // namespace pellamy
