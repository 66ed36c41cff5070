#include "GalleryPages.h"

#include <utility>
#include <vector>

#include "pages/BeginView.h"
#include "pages/CustomeView.h"
#include "pages/FinishedView.h"
#include "pages/ProgressView.h"
#include "pages/ReminderView.h"
#include "support/RecordingLogger.h"
#include "ui/CheckboxResource.h"

namespace orvane {

namespace {

// the begin page's widgets by their place in its widget list
const std::vector<std::pair<const char*, int32_t>> kBeginNames = {
    {"topbar", 2}, {"close", 4},     {"logo", 7},  {"title", 8}, {"redtext", 9}, {"install", 12},
    {"row", 15},   {"checkbox", 16}, {"link", 17}, {"hint", 18}, {"custom", 19},
};

test::RecordingLogger g_logger;

}  // namespace

bool BuildPageSheet(const std::wstring& name,
                    IBaseWindow& host,
                    IResourceMgr* resources,
                    PageSheet* sheet) {
  static ScopedLoggerOverride quiet(&g_logger);
  const bool reminder = name == L"reminder";
  host.Resize(reminder ? 400 : 600, reminder ? 200 : 400);
  const HWND hwnd = host.hwnd();
  if (reminder) {
    sheet->view = std::make_unique<CReminderView>(hwnd, resources, true);
  } else if (name == L"begin" || name == L"warn") {
    sheet->view = std::make_unique<CBeginView>(hwnd, resources, false);
  } else if (name == L"custom") {
    auto custom = std::make_unique<CCustomeView>(hwnd, resources, false, nullptr);
    custom->SetInstallPath(L"C:\\Program Files\\Orvane\\栖木工坊");
    sheet->view = std::move(custom);
  } else if (name == L"finished") {
    sheet->view = std::make_unique<CFinishedView>(hwnd, resources);
  } else if (name == L"progress" || name == L"error" || name == L"download" || name == L"install") {
    sheet->view = std::make_unique<CProgressView>(hwnd, resources);
  } else {
    return false;
  }

  if (name == L"warn") {
    sheet->dialog = std::make_unique<WarnWindow>(L"BeginChildCloseWnd", hwnd, resources, 1);
  } else if (name == L"error") {
    sheet->dialog = std::make_unique<ErrorWindow>(hwnd, resources, 1);
  } else if (name == L"download") {
    sheet->dialog = std::make_unique<DownloadReminderWindow>(hwnd, resources, "");
  } else if (name == L"install") {
    sheet->dialog = std::make_unique<InstallReminderWindow>(hwnd, resources, L"");
  }

  if (name == L"begin") {
    for (const auto& [key, index] : kBeginNames)
      sheet->named[key] = sheet->view->WidgetAt(index)->rect();
    auto* box = static_cast<CCheckboxResource*>(sheet->view->WidgetAt(16));
    sheet->named["checkbox.image"] = box->checkImageRect();
  }
  return true;
}

}  // namespace orvane
