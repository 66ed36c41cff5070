// The installer's own pages and dialogs in the gallery, built by their real
// classes: begin, custom, progress, finished and reminder (the pages), warn,
// error, download and install (the dialogs, shown over the page they open
// from). The pages' telemetry goes nowhere.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "pages/DialogWindows.h"
#include "ui/BaseView.h"
#include "ui/BaseWindow.h"

namespace orvane {

class IResourceMgr;

struct PageSheet {
  std::unique_ptr<IBaseView> view;        // hosted by the gallery window
  std::unique_ptr<CDialogWindow> dialog;  // shown over it, or null
  // widgets the screenshot tests look at, by name
  std::map<std::string, IntRect> named;
};

// false for a name that is no page or dialog; resizes the host to the
// page's size first
bool BuildPageSheet(const std::wstring& name,
                    IBaseWindow& host,
                    IResourceMgr* resources,
                    PageSheet* sheet);

}  // namespace orvane
