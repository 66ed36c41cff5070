// MainWindow: the installer's main window and the controller of the install
// flow. Until the pages are built, it keeps a hidden window of the main
// window class, so that a second instance finds and activates it, and it
// ends the message loop when that window is closed.
#pragma once

#include <windows.h>

#include "platform/Handles.h"

namespace orvane {

class MainWindow {
 public:
  // raises "create window error"
  explicit MainWindow(HINSTANCE instance);
  virtual ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND hwnd() const { return window_.get(); }
  // shows the first page; the hidden stand-in window stays hidden
  void Show();
  // number of activations by a second instance so far
  int activations() const { return activations_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  UniqueWindow window_;
  int activations_ = 0;
};

}  // namespace orvane
