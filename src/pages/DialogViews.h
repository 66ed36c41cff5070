// The views of the four dialog windows, all on the question template:
// WarnView (cancel the install?), ErrorView (retry after a failure),
// DownloadReminderView (download by hand) and InstallReminderView (install
// by hand). Each is hosted by its own dialog window (DialogWindows.h) and
// ends that window's nested message loop when a button is clicked.
#pragma once

#include <string>

#include "pages/TemplateView.h"

namespace orvane {

// cancel confirmation; origin 1: opened by the begin page, 2: by the custom
// page. "确认" posts WM_APP_CANCEL_CONFIRMED to the dialog window.
class WarnView : public CTemplateView {
 public:
  WarnView(HWND dialog, IResourceMgr* resources);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetOrigin(int32_t origin) { origin_ = origin; }

 protected:
  void OnButton(int32_t id) override;

 private:
  int32_t origin_ = 1;
};

// a download (kind 1) or install (kind 2) failure; "立即重试" posts
// WM_APP_RETRY_CONFIRMED to the dialog window
class ErrorView : public CTemplateView {
 public:
  ErrorView(HWND dialog, IResourceMgr* resources);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetKind(int32_t kind) { kind_ = kind; }

 protected:
  void OnButton(int32_t id) override;

 private:
  int32_t kind_ = 1;
};

// from the third download failure: "确认" opens the package's address in
// the browser; either button ends the program's loop
class DownloadReminderView : public CTemplateView {
 public:
  DownloadReminderView(HWND dialog, IResourceMgr* resources);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetDownloadUrl(const std::string& url) { url_ = url; }

 protected:
  void OnButton(int32_t id) override;

 private:
  std::string url_;
};

// from the third install failure: "确认" runs the downloaded installer with
// its own user interface; either button ends the program's loop
class InstallReminderView : public CTemplateView {
 public:
  InstallReminderView(HWND dialog, IResourceMgr* resources);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetInstallerPath(const std::wstring& path) { path_ = path; }

 protected:
  void OnButton(int32_t id) override;

 private:
  std::wstring path_;
};

}  // namespace orvane
